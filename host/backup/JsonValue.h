// A JSON document read from a file the person keeps (a backup's manifest and item lines):
// untrusted text, read whole, with its depth and sizes bounded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kelvra::host {

class JsonValue {
public:
    enum class Kind { Null, Boolean, Number, String, Array, Object };

    // The one value the text holds, with nothing but white space after it; InputError,
    // saying where, for anything else (nesting deeper than 64 included).
    static JsonValue Parse(const std::string& text);

    Kind GetKind() const { return m_kind; }
    bool IsNull() const { return m_kind == Kind::Null; }
    // Each throws InputError naming what was wanted when the value is of another kind.
    bool Boolean() const;
    double Number() const;
    // A number written as a whole number within int64_t, read exactly.
    int64_t Integer() const;
    // A string as UTF-16 code units: \u escapes give their unit as it is (a lone
    // surrogate too), so that any text a handset gave comes back unit for unit.
    const std::wstring& Text() const;
    const std::vector<JsonValue>& Items() const;
    const std::vector<std::pair<std::string, JsonValue>>& Members() const;
    // An object's member, or null when it has none of that name.
    const JsonValue* Find(const std::string& key) const;
    // The same, throwing InputError ("has no \"key\"") when it is missing.
    const JsonValue& At(const std::string& key) const;

private:
    friend class JsonParser;
    Kind m_kind = Kind::Null;
    bool m_boolean = false;
    std::string m_number;  // the number as written, so that whole numbers read exactly
    std::wstring m_text;
    std::vector<JsonValue> m_items;
    std::vector<std::pair<std::string, JsonValue>> m_members;
};

// A text as a JSON string: UTF-8, with quotes, backslashes, control characters and lone
// surrogates escaped as \uXXXX, so that JsonValue reads back the same code units.
std::string JsonText(const std::wstring& text);

}  // namespace kelvra::host
