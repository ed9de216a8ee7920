// A registered COM object created by its ProgID, failing with what a person can act on.
#pragma once

#include <objbase.h>

#include <string>

#include "ComFailure.h"
#include "ComTypes.h"

namespace kelvra::host {

template <class Interface>
ComPtr<Interface> CreateByProgId(const wchar_t* progId)
{
    CLSID clsid;
    std::string what = "Finding " + NarrowUtf8(progId) + " (is it registered?)";
    CheckCall(CLSIDFromProgID(progId, &clsid), what.c_str());
    ComPtr<Interface> object;
    what = "Creating " + NarrowUtf8(progId);
    CheckCall(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Interface),
                               reinterpret_cast<void**>(object.GetAddressOf())),
              what.c_str());
    return object;
}

}  // namespace kelvra::host
