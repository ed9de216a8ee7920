// The one handler at every COM method boundary of the component: exceptions inside,
// an HRESULT and error information outside.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <source_location>
#include <string>

namespace kelvra {

struct MethodSite {
    const wchar_t* function;  // "CDeviceDataKELVRA::GetDataTable"
    const char* file;         // the source file, as the compiler names it
    int line;
};

// Turns the exception in flight into the method's HRESULT: hands the failure to the
// host's error reporter and leaves error information on the thread. Call only from
// inside a catch block.
HRESULT ReportCurrentException(const MethodSite& site) noexcept;

// Reports an HRESULT with the given error information (null allowed) as above.
HRESULT ReportFailure(HRESULT hr, IErrorInfo* info, const MethodSite& site) noexcept;

// ".\DeviceDataKELVRA.cpp" for any path of that file.
std::wstring RelativeSourceName(const char* file);

// Runs a COM method's body; whatever it throws becomes its HRESULT.
template <class Body>
HRESULT ComBoundary(const wchar_t* function, Body&& body,
                    const std::source_location& where = std::source_location::current()) noexcept
{
    try {
        return body();
    } catch (...) {
        return ReportCurrentException(MethodSite{function, where.file_name(), static_cast<int>(where.line())});
    }
}

}  // namespace kelvra
