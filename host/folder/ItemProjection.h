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
    // Whether this, as the handset keeps it, holds what given says: the same fields, each
    // held as fieldHolds(name, held text, given text) tells.
    using FieldHolds = std::function<bool(const std::wstring&, const std::wstring&, const std::wstring&)>;
    bool Holds(const ItemProjection& given, const FieldHolds& fieldHolds) const;
    // A text held as given, or cut: a start of it at least shortestCut long (0: the field
    // is never cut). The handset's cut depends on how it stores a text and on the names
    // beside it, so only its own reading tells where it cut.
    static bool HeldOrCut(const std::wstring& held, const std::wstring& given, size_t shortestCut);
    // The shortest start of a text a field of that many characters (0: not known) keeps
    // when it cuts it: half the field, as a text of wide characters takes two places
    // each, and never less than a word, so that "Jo" is no cut of "John".
    static size_t ShortestCut(size_t fieldChars);
};

}  // namespace kelvra::host
