#include "HeldItems.h"

#include "HandsetChanges.h"

namespace kelvra::host {

namespace {

// Columns that say where an item lies, or what the model has, not what the item holds.
bool IsPlaceColumn(const std::wstring& name)
{
    return name == L"SUID" || name == L"PHOTO_LOCAL_PATH" || name == L"TEL_COUNT";
}

// What tells one item from another whatever the model: names, numbers, titles, texts and
// times. Another model maps kinds, types and alarms to its own, so these are not compared.
bool IsIdentityColumn(const std::wstring& name)
{
    for (const wchar_t* column : {L"FIRST_NAME", L"LAST_NAME", L"NAME", L"SUBJECT", L"DETAIL", L"START_DATE", L"END_DATE"}) {
        if (name == column)
            return true;
    }
    return name.rfind(L"TEL_NUM_", 0) == 0;
}

// No model cuts a name, title or text to fewer characters than this; a shorter value that
// begins another one is another value.
constexpr size_t kShortestCutText = 16;

// A number as the handset dials it, so that "010-2345-6789" and "01023456789" are one.
std::wstring Compared(const std::wstring& column, const std::wstring& value)
{
    return column.rfind(L"TEL_NUM_", 0) == 0 ? HandsetChanges::Dialable(value) : value;
}

// Whether a held value is the wanted one, or the wanted one cut to a field of that model.
bool SameOrCut(const std::wstring& column, const std::wstring& held, const std::wstring& wanted)
{
    std::wstring h = Compared(column, held), w = Compared(column, wanted);
    return h == w || (h.size() >= kShortestCutText && w.size() > h.size() && w.compare(0, h.size(), h) == 0);
}

// Every identity column the handset item's model carries (its content names it, empty or
// not) holds the wanted value or its cut; a column the model does not carry is no
// difference.
bool HoldsCutShort(const ItemContent& handset, const ItemContent& wanted)
{
    bool compared = false;
    for (const auto& [name, held] : handset) {
        if (!IsIdentityColumn(name))
            continue;
        auto given = wanted.find(name);
        std::wstring value = given == wanted.end() ? std::wstring() : given->second;
        if (held.empty() && value.empty())
            continue;
        if (!SameOrCut(name, held, value))
            return false;
        compared = true;
    }
    return compared;
}

}  // namespace

ItemContent ContentOf(const std::vector<NamedValue>& columns)
{
    ItemContent content;
    // An identity column that holds an empty text is kept too, so that another model's
    // content says which of them it carries; one it does not carry holds no value at all.
    for (const NamedValue& column : columns) {
        std::wstring text = ValueText(column.value);
        bool carried = IsIdentityColumn(column.name) && column.value.Type() != VT_EMPTY;
        if ((!text.empty() || carried) && !IsPlaceColumn(column.name))
            content[column.name] = text;
    }
    return content;
}

std::vector<bool> HeldOnHandset(const std::vector<ItemContent>& wanted, const std::vector<ItemContent>& handset,
                                bool cutShort)
{
    std::vector<bool> held(wanted.size(), false), taken(handset.size(), false);
    std::map<ItemContent, std::vector<size_t>> byContent;
    for (size_t h = handset.size(); h-- > 0;)
        byContent[handset[h]].push_back(h);
    for (size_t w = 0; w < wanted.size(); ++w) {
        auto equal = byContent.find(wanted[w]);
        if (equal == byContent.end() || equal->second.empty())
            continue;
        taken[equal->second.back()] = held[w] = true;
        equal->second.pop_back();
    }
    if (!cutShort)
        return held;
    for (size_t w = 0; w < wanted.size(); ++w) {
        for (size_t h = 0; h < handset.size() && !held[w]; ++h) {
            if (!taken[h] && HoldsCutShort(handset[h], wanted[w]))
                held[w] = taken[h] = true;
        }
    }
    return held;
}

}  // namespace kelvra::host
