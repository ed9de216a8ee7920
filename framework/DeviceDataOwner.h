// What a data table reaches through its back pointer: the model's profile, the host's
// model database and the progress events of file copies. The device data object is its
// one implementation; the tables know only this, so the arrows run from the module to
// the domains and never back.
#pragma once

#include <windows.h>

#include "ComTypes.h"
#include "ModelDatabase.h"
#include "ModelProfile.h"

namespace kelvra {

class DeviceDataOwner {
public:
    virtual ModelProfile& Model() = 0;
    virtual IModelDatabase* ModelDatabase() const = 0;
    // Tells the host how far a file copy has come; a host that clears the continue flag
    // asks for the copy to be cancelled.
    virtual HRESULT FireProgress(ULONGLONG done, ULONGLONG total, LONG* continueFlag) = 0;
    // A counted reference to the object, for work that must outlive a host's release
    // of it, such as a file copy whose progress events the host may answer so.
    virtual ComPtr<IUnknown> Hold() = 0;

protected:
    // Never deleted through this interface: the device data object's reference count
    // decides its life.
    ~DeviceDataOwner() = default;
};

}  // namespace kelvra
