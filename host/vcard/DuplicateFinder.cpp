#include "DuplicateFinder.h"

#include <cwchar>

#include "HandsetChanges.h"
#include "VCardWriter.h"

namespace kelvra::host {

DuplicateFinder::DuplicateFinder(const PhonebookCapabilities& capabilities) : m_capabilities(capabilities)
{
}

bool DuplicateFinder::Fills(const std::wstring& text, const wchar_t* property) const
{
    size_t size = m_capabilities.FieldSize(property);
    return size > 0 && text.size() >= size;
}

void DuplicateFinder::Add(long suid, const std::map<std::wstring, std::wstring>& columns)
{
    auto get = [&](const std::wstring& name) {
        auto found = columns.find(name);
        return found == columns.end() ? std::wstring() : found->second;
    };
    std::wstring first = get(L"FIRST_NAME"), last = VCardWriter::LastNameOf(columns);
    // A model without a last-name field cuts the last name where the full name is full.
    bool lastCut = Fills(last, L"LAST_NAME") || Fills(get(L"DISPLAY_NAME"), L"DISPLAY_NAME");
    Held held{suid, {first, Fills(first, L"FIRST_NAME")}, {last, lastCut}, {}, 0};
    held.numberSlots = static_cast<size_t>(_wtoi(get(L"TEL_COUNT").c_str()));
    for (int n = 0; n < 10; ++n) {
        std::wstring stored = get(L"TEL_NUM_" + std::to_wstring(n));
        std::wstring number = HandsetChanges::Dialable(stored);
        if (!number.empty())
            held.numbers.push_back({number, Fills(stored, L"TEL_NUM")});
    }
    m_contacts.push_back(std::move(held));
}

bool DuplicateFinder::Holds(const std::wstring& given, const Text& held)
{
    // Only a text that fills its field may be the start of a longer one.
    return given == held.text ||
           (held.fillsField && !held.text.empty() && given.compare(0, held.text.size(), held.text) == 0);
}

long DuplicateFinder::Find(const ContactColumns& contact) const
{
    std::wstring first, last;
    std::vector<std::wstring> numbers;
    for (const auto& [name, value] : contact) {
        if (name == L"FIRST_NAME")
            first = value;
        else if (name == L"LAST_NAME")
            last = value;
        else if (name.compare(0, 8, L"TEL_NUM_") == 0 && !HandsetChanges::Dialable(value).empty())
            numbers.push_back(HandsetChanges::Dialable(value));
    }
    if (first.empty() && last.empty() && numbers.empty())
        return 0;
    for (const Held& held : m_contacts) {
        if (!Holds(first, held.first) || !Holds(last, held.last))
            continue;
        bool allKept = held.numbers.size() == numbers.size();
        bool slotsFull = held.numberSlots > 0 && held.numbers.size() == held.numberSlots && numbers.size() > held.numberSlots;
        if (!allKept && !slotsFull)
            continue;
        bool same = true;
        for (size_t i = 0; i < held.numbers.size() && same; ++i)
            same = Holds(numbers[i], held.numbers[i]);
        if (same)
            return held.suid;
    }
    return 0;
}

}  // namespace kelvra::host
