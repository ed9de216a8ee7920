// The connected model's name as its profile gives it, and the three ways the component
// asks about it. Each rule says which way it asks, so a reader sees what matches.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kelvra {

class ModelName {
public:
    ModelName() = default;
    explicit ModelName(std::wstring name) : m_name(std::move(name)) {}

    const std::wstring& Text() const { return m_name; }
    bool Empty() const { return m_name.empty(); }

    // Exactly one of the names, capitals as written.
    bool IsOneOf(std::initializer_list<std::wstring_view> names) const;
    // One of the names, whatever the capitals.
    bool IsOneOfIgnoringCase(std::initializer_list<std::wstring_view> names) const;
    // The name occurs in a list of model codes joined by ";" (a plain text search, so
    // "KTM-A23" occurs in "KTM-A230;"); an empty name occurs nowhere.
    bool OccursInList(std::wstring_view list) const;
    // The name followed by ";" occurs in the list, so a longer code does not match.
    bool OccursInListAsWholeEntry(std::wstring_view list) const;

private:
    std::wstring m_name;
};

}  // namespace kelvra
