#include "ModelName.h"

#include <windows.h>

namespace kelvra {

bool ModelName::IsOneOf(std::initializer_list<std::wstring_view> names) const
{
    for (std::wstring_view name : names) {
        if (m_name == name)
            return true;
    }
    return false;
}

bool ModelName::IsOneOfIgnoringCase(std::initializer_list<std::wstring_view> names) const
{
    for (std::wstring_view name : names) {
        if (CompareStringOrdinal(m_name.data(), static_cast<int>(m_name.size()), name.data(),
                                 static_cast<int>(name.size()), TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

bool ModelName::OccursInList(std::wstring_view list) const
{
    return !m_name.empty() && list.find(m_name) != std::wstring_view::npos;
}

bool ModelName::OccursInListAsWholeEntry(std::wstring_view list) const
{
    return !m_name.empty() && list.find(m_name + L";") != std::wstring_view::npos;
}

}  // namespace kelvra
