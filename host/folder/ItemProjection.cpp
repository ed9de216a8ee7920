#include "ItemProjection.h"

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

bool ItemProjection::Holds(const ItemProjection& given,
                           const std::function<bool(const std::wstring&)>& cuttable) const
{
    if (fields.size() != given.fields.size())
        return false;
    for (const auto& [name, text] : given.fields) {
        auto held = fields.find(name);
        if (held == fields.end())
            return false;
        bool cut = held->second.size() < text.size() && text.compare(0, held->second.size(), held->second) == 0;
        if (held->second != text && !(cut && cuttable(name)))
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
