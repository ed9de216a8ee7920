#include "HeldItems.h"

namespace kelvra::host {

namespace {

// Columns that say where an item lies, or what the model has, not what the item holds.
bool IsPlaceColumn(const std::wstring& name)
{
    return name == L"SUID" || name == L"PHOTO_LOCAL_PATH" || name == L"TEL_COUNT";
}

bool HoldsCutShort(const ItemContent& handset, const ItemContent& wanted)
{
    for (const auto& [name, held] : handset) {
        auto given = wanted.find(name);
        if (given == wanted.end() || given->second.compare(0, held.size(), held) != 0)
            return false;
    }
    return true;
}

}  // namespace

ItemContent ContentOf(const std::vector<NamedValue>& columns)
{
    ItemContent content;
    for (const NamedValue& column : columns) {
        std::wstring text = ValueText(column.value);
        if (!text.empty() && !IsPlaceColumn(column.name))
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
