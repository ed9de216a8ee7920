// The name of a numbered column, such as "TEL_NUM_%d" for number 2: "TEL_NUM_2".
#pragma once

#include <cwchar>
#include <string>

namespace kelvra {

inline std::wstring IndexedColumn(const wchar_t* format, size_t n)
{
    wchar_t name[64];
    swprintf(name, 64, format, static_cast<int>(n));
    return name;
}

}  // namespace kelvra
