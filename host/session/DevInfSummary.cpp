#include "DevInfSummary.h"

#include <algorithm>
#include <set>

#include "ComTypes.h"
#include "ItemPrinter.h"

namespace kelvra::host {

namespace {

// A limit as a JSON value: a number when it is one, else a string.
std::string JsonValue(const std::string& text)
{
    bool number = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    return number ? text : JsonString(WidenUtf8(text));
}

}  // namespace

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

StoreLimits DevInfSummary::Store(const std::wstring& store)
{
    StoreLimits limits{NarrowUtf8(Element(store, L"SourceRef")), NarrowUtf8(Element(store, L"MaxMem")), {}};
    std::set<std::wstring> seen;  // a store with several content types names a property more than once
    for (size_t at = store.find(L"<Property>"); at != std::wstring::npos; at = store.find(L"<Property>", at + 1)) {
        std::wstring property = store.substr(at, store.find(L"</Property>", at) - at);
        std::wstring name = Element(property, L"PropName");
        std::wstring size = Element(property, L"MaxSize");
        std::wstring value = Element(property, L"MaxValue");
        if (name.empty() || (size.empty() && value.empty()) || !seen.insert(name).second)
            continue;
        limits.properties.push_back({NarrowUtf8(name), NarrowUtf8(size), NarrowUtf8(value)});
    }
    return limits;
}

std::vector<StoreLimits> DevInfSummary::Stores(const std::wstring& document)
{
    std::vector<StoreLimits> stores;
    for (size_t at = document.find(L"<DataStore>"); at != std::wstring::npos;
         at = document.find(L"<DataStore>", at + 1)) {
        size_t end = document.find(L"</DataStore>", at);
        stores.push_back(Store(document.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at)));
    }
    return stores;
}

std::string DevInfSummary::Text(const std::vector<StoreLimits>& stores)
{
    std::string out;
    for (const StoreLimits& store : stores) {
        out += store.name + (store.maxItems.empty() ? "\n" : ": up to " + store.maxItems + " items\n");
        for (const PropertyLimit& property : store.properties) {
            std::string padded = property.name;
            padded.resize(std::max<size_t>(padded.size() + 1, 20), ' ');
            out += "  " + padded +
                   (property.maxSize.empty() ? "at most " + property.maxValue : property.maxSize + " characters") + "\n";
        }
    }
    return out;
}

std::string DevInfSummary::Json(const std::vector<StoreLimits>& stores)
{
    std::string out = "[";
    for (size_t i = 0; i < stores.size(); ++i) {
        const StoreLimits& store = stores[i];
        out += std::string(i ? ",\n" : "\n") + " {\"store\": " + JsonString(WidenUtf8(store.name));
        if (!store.maxItems.empty())
            out += ", \"maxItems\": " + JsonValue(store.maxItems);
        out += ", \"properties\": [";
        for (size_t p = 0; p < store.properties.size(); ++p) {
            const PropertyLimit& property = store.properties[p];
            out += std::string(p ? ", " : "") + "{\"name\": " + JsonString(WidenUtf8(property.name)) + ", " +
                   (property.maxSize.empty() ? "\"maxValue\": " + JsonValue(property.maxValue)
                                             : "\"maxSize\": " + JsonValue(property.maxSize)) +
                   "}";
        }
        out += "]}";
    }
    return out + (stores.empty() ? "]\n" : "\n]\n");
}

}  // namespace kelvra::host
