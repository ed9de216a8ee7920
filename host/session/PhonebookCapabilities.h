// What the connected model's phonebook keeps, as its DevInf document tells: whether it
// keeps contact pictures and how many characters each field holds.
#pragma once

#include <map>
#include <string>

namespace kelvra::host {

class SyncSession;

struct PhonebookCapabilities {
    bool keepsPictures = false;
    std::map<std::wstring, size_t> fieldSizes;  // by property: "FIRST_NAME", "TEL_NUM" ...
    std::map<std::wstring, size_t> counts;      // how many of each a contact keeps: "TEL_COUNT" ...

    // The most characters a field holds; 0 when the document does not say.
    size_t FieldSize(const std::wstring& property) const;
    // How many a contact keeps of a count property ("TEL_COUNT"); fallback when the
    // document does not say.
    size_t Count(const std::wstring& property, size_t fallback) const;

    static PhonebookCapabilities FromDevInf(const std::wstring& document);
    // Nothing kept and no sizes known when the model offers no DevInf document.
    static PhonebookCapabilities Of(SyncSession& session);
};

}  // namespace kelvra::host
