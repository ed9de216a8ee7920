// The part of a DevInf document a person reads: each data store with how many items it
// takes, and the limits of its properties.
#pragma once

#include <string>

namespace kelvra::host {

class DevInfSummary {
public:
    static std::string Of(const std::wstring& document);
    // The text of the first element of that tag from a place on; empty when there is none.
    static std::wstring Element(const std::wstring& text, const std::wstring& tag, size_t from = 0);

private:
    static std::string Store(const std::wstring& store);
};

}  // namespace kelvra::host
