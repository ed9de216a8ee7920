// Creates the component by its class identifier, as a host of this program's bitness
// would, and prints "created" or the failing HRESULT (0x80040154 when the class is not
// registered in this bitness's registry view).
#include <objbase.h>
#include <wrl/client.h>

#include <cstdio>

#include "QELKELVRA.h"

int main()
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 2;
    HRESULT hr;
    {
        Microsoft::WRL::ComPtr<IUnknown> component;
        hr = CoCreateInstance(CLSID_DeviceDataKELVRA, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&component));
    }
    if (SUCCEEDED(hr))
        std::printf("created\n");
    else
        std::printf("0x%08lX\n", static_cast<unsigned long>(hr));
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}
