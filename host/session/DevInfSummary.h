// The part of a DevInf document a person reads: each data store with how many items it
// takes, and the limits of its properties.
#pragma once

#include <string>
#include <vector>

namespace kelvra::host {

struct PropertyLimit {
    std::string name;
    std::string maxSize;   // characters; empty when the property has no such limit
    std::string maxValue;  // the highest value; empty when it has none
};

struct StoreLimits {
    std::string name;      // "PHONEBOOK"
    std::string maxItems;  // empty when the document does not say
    std::vector<PropertyLimit> properties;
};

class DevInfSummary {
public:
    // Each store of the document, each property with a limit once.
    static std::vector<StoreLimits> Stores(const std::wstring& document);
    static std::string Text(const std::vector<StoreLimits>& stores);
    static std::string Json(const std::vector<StoreLimits>& stores);
    static std::string Of(const std::wstring& document) { return Text(Stores(document)); }
    // The text of the first element of that tag from a place on; empty when there is none.
    static std::wstring Element(const std::wstring& text, const std::wstring& tag, size_t from = 0);

private:
    static StoreLimits Store(const std::wstring& store);
};

}  // namespace kelvra::host
