// What the connected model's profile says about its message boxes and the send request,
// read once when the SMS table is initialised and kept by that table.
#pragma once

#include <cstdint>

#include "ModelName.h"
#include "ModelProfile.h"

namespace kelvra {

struct SmsSettings {
    ModelName model;
    // The send request: the receiver's and the text's field sizes in bytes.
    LONG sendNumberBytes = 0;
    LONG sendTextBytes = 0;
    // A stored message: text, other party's number and call-back number.
    FieldLength storedText, storedNumber, storedCallBack;
    // The most messages the model keeps; 0 when its profile does not say.
    LONG maxCount = 0;

    static SmsSettings Load(const ModelProfile& profile);
    // The profile sizes every field of a stored message and of the send request.
    bool SizesEveryField() const;
};

}  // namespace kelvra
