// What the handset can hold of an item, the same whichever side it comes from: the
// column texts a listed item gives, or those a file would give once the handset has cut
// and cleaned them. Two sides hold the same item when their projections are equal, and a
// side changed when its projection's hash is not the one of the last sync.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace kelvra::host {

struct ItemProjection {
    std::map<std::wstring, std::wstring> fields;  // by column name; empty texts are left out

    void Set(const std::wstring& name, const std::wstring& text);
    std::wstring Get(const std::wstring& name) const;
    // SHA-256 of the fields in name order, as lower-case hex.
    std::string Hash() const;
    // A short hash of each field, to tell later which fields changed.
    std::map<std::wstring, std::string> FieldHashes() const;
    bool operator==(const ItemProjection& other) const { return fields == other.fields; }
    // Whether this, as the handset keeps it, holds what given says: the same fields with
    // the same texts, but for those the handset may cut, which may hold a start of the
    // given text. The handset's cut depends on how it stores a text and on the other
    // names beside it, so only its own reading tells where it cut.
    bool Holds(const ItemProjection& given, const std::function<bool(const std::wstring&)>& cuttable) const;
};

}  // namespace kelvra::host
