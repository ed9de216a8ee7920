#include "ItemProjection.h"

#include <algorithm>

#include "JsonValue.h"
#include "Sha256.h"

namespace kelvra::host {

void ItemProjection::Set(const std::wstring& name, const std::wstring& text)
{
    if (text.empty())
        fields.erase(name);
    else
        fields[name] = text;
}

std::wstring ItemProjection::Get(const std::wstring& name) const
{
    auto found = fields.find(name);
    return found == fields.end() ? std::wstring() : found->second;
}

size_t ItemProjection::ShortestCut(size_t fieldChars)
{
    constexpr size_t kLongestNeeded = 16;
    return fieldChars == 0 ? kLongestNeeded : std::max<size_t>(4, std::min(kLongestNeeded, fieldChars / 2));
}

bool ItemProjection::HeldOrCut(const std::wstring& held, const std::wstring& given, size_t shortestCut)
{
    bool cut = shortestCut > 0 && held.size() >= shortestCut && held.size() < given.size() &&
               given.compare(0, held.size(), held) == 0;
    return held == given || cut;
}

bool ItemProjection::Holds(const ItemProjection& given, const FieldHolds& fieldHolds) const
{
    if (fields.size() != given.fields.size())
        return false;
    for (const auto& [name, text] : given.fields) {
        auto held = fields.find(name);
        if (held == fields.end() || !fieldHolds(name, held->second, text))
            return false;
    }
    return true;
}

std::map<std::wstring, std::string> ItemProjection::FieldHashes() const
{
    std::map<std::wstring, std::string> hashes;
    for (const auto& [name, value] : fields)
        hashes[name] = Sha256Hex(JsonText(value)).substr(0, 16);
    return hashes;
}

std::string ItemProjection::Hash() const
{
    // Quoted as JSON strings, so that no text can pass for a name or a line end.
    std::string text;
    for (const auto& [name, value] : fields)
        text += JsonText(name) + ":" + JsonText(value) + "\n";
    return Sha256Hex(text);
}

}  // namespace kelvra::host
