#include "DevInfSummary.h"

#include <algorithm>
#include <set>

#include "ComTypes.h"

namespace kelvra::host {

std::wstring DevInfSummary::Element(const std::wstring& text, const std::wstring& tag, size_t from)
{
    std::wstring open = L"<" + tag + L">", close = L"</" + tag + L">";
    size_t start = text.find(open, from);
    if (start == std::wstring::npos)
        return {};
    start += open.size();
    size_t end = text.find(close, start);
    return end == std::wstring::npos ? std::wstring() : text.substr(start, end - start);
}

std::string DevInfSummary::Store(const std::wstring& store)
{
    std::string out = NarrowUtf8(Element(store, L"SourceRef"));
    std::wstring most = Element(store, L"MaxMem");
    out += most.empty() ? "\n" : ": up to " + NarrowUtf8(most) + " items\n";
    std::set<std::wstring> seen;  // a store with several content types names a property more than once
    for (size_t at = store.find(L"<Property>"); at != std::wstring::npos; at = store.find(L"<Property>", at + 1)) {
        std::wstring property = store.substr(at, store.find(L"</Property>", at) - at);
        std::wstring name = Element(property, L"PropName");
        std::wstring size = Element(property, L"MaxSize");
        std::wstring value = Element(property, L"MaxValue");
        if (name.empty() || (size.empty() && value.empty()) || !seen.insert(name).second)
            continue;
        std::string limit = size.empty() ? "at most " + NarrowUtf8(value) : NarrowUtf8(size) + " characters";
        std::string padded = NarrowUtf8(name);
        padded.resize(std::max<size_t>(padded.size() + 1, 20), ' ');
        out += "  " + padded + limit + "\n";
    }
    return out;
}

std::string DevInfSummary::Of(const std::wstring& document)
{
    std::string out;
    for (size_t at = document.find(L"<DataStore>"); at != std::wstring::npos;
         at = document.find(L"<DataStore>", at + 1)) {
        size_t end = document.find(L"</DataStore>", at);
        out += Store(document.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at));
    }
    return out;
}

}  // namespace kelvra::host
