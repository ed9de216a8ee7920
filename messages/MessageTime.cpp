#include "MessageTime.h"

#include "ModelName.h"
#include "Platform.h"

namespace kelvra {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr double kOleDateOf1970 = 25569.0;  // 1970-01-01 counted from 1899-12-30
// What the models without their own rule lag behind the PC's clock (not eight hours).
constexpr int64_t kOtherModelsLag = 0x7100;

}  // namespace

DATE DateFromUnixSeconds(int64_t seconds)
{
    int64_t days = seconds / kSecondsPerDay;
    int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    return kOleDateOf1970 + static_cast<double>(days) + static_cast<double>(rest) / kSecondsPerDay;
}

DATE HandsetTimeToDate(uint32_t seconds, const std::wstring& model)
{
    ModelName name(model);
    int64_t adjusted = seconds;
    if (name.IsOneOfIgnoringCase({L"KTM-A230", L"KTM-A260", L"KTM-A130", L"KTM-A290", L"KTM-A180"}))
        adjusted -= static_cast<int64_t>(Platform::Current().TimeZoneBias()) * 60;
    else if (!name.IsOneOfIgnoringCase({L"KTM-A160"}))
        adjusted += kOtherModelsLag;
    return DateFromUnixSeconds(adjusted);
}

}  // namespace kelvra
