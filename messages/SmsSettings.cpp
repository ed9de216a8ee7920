#include "SmsSettings.h"

namespace kelvra {

SmsSettings SmsSettings::Load(const ModelProfile& profile)
{
    SmsSettings s;
    s.model = ModelName(profile.Text(L"PhoneBaseInfo_PhoneModel"));
    s.sendNumberBytes = profile.Number(L"SMS_DailLen");
    s.sendTextBytes = profile.Number(L"SMS_DataLen");
    s.storedText = profile.Length(L"SMS_DataLen_Read");
    s.storedNumber = profile.Length(L"SMS_DailLen_Read");
    s.storedCallBack = profile.Length(L"SMS_CallBackDialLen_Read");
    s.maxCount = profile.Number(L"SMS_MaxCount");
    return s;
}

bool SmsSettings::SizesEveryField() const
{
    return sendNumberBytes > 0 && sendTextBytes > 1 && storedText.first > 0 && storedNumber.first > 0 &&
           storedCallBack.first >= 0;
}

}  // namespace kelvra
