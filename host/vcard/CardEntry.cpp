#include "CardEntry.h"

#include "ComTypes.h"

namespace kelvra::host {

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

ContactColumns CardEntry::FromContact(const VCardContact& contact, std::vector<std::string>& notes,
                                      std::string& problem)
{
    std::wstring number, first, last;
    bool address = false;
    for (const auto& [name, value] : contact.columns) {
        if (value.empty() || name.find(L"_TYPE_") != std::wstring::npos)
            continue;  // the card has no types: every entry lists as "Private"
        if (name == L"FIRST_NAME") {
            first = value;
        } else if (name == L"LAST_NAME") {
            last = value;
        } else if (StartsWith(name, L"TEL_NUM_") && number.empty()) {
            number = value;
        } else if (StartsWith(name, L"GROUP_NAME_")) {
            notes.push_back("group \"" + NarrowUtf8(value) + "\" has no place on the card");
        } else if (StartsWith(name, L"ADDR_")) {
            address = true;
        } else {
            notes.push_back(NarrowUtf8(name) + " \"" + NarrowUtf8(value) + "\" has no place on the card");
        }
    }
    if (address)
        notes.push_back("the address has no place on the card");
    if (number.empty()) {
        problem = "a card entry needs a number";
        return {};
    }
    // The card keeps one name: the one the contact goes by.
    std::wstring name = first.empty() && last.empty() ? std::wstring() : contact.label;
    return {{L"DISPLAY_NAME", name}, {L"TEL_NUM_0", number}};
}

std::map<std::wstring, std::wstring> CardEntry::AsContact(const std::map<std::wstring, std::wstring>& entry)
{
    auto get = [&](const wchar_t* name) {
        auto found = entry.find(name);
        return found == entry.end() ? std::wstring() : found->second;
    };
    std::map<std::wstring, std::wstring> contact = {
        {L"SUID", get(L"SUID")},     {L"FIRST_NAME", get(L"DISPLAY_NAME")}, {L"DISPLAY_NAME", get(L"DISPLAY_NAME")},
        {L"TEL_NUM_0", get(L"TEL_NUM_0")}, {L"TEL_COUNT", L"1"},
    };
    return contact;
}

ContactColumns CardEntry::AsContact(const ContactColumns& entry)
{
    std::map<std::wstring, std::wstring> columns(entry.begin(), entry.end());
    std::map<std::wstring, std::wstring> contact = AsContact(columns);
    return {contact.begin(), contact.end()};
}

}  // namespace kelvra::host
