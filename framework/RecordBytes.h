// A fixed-size handset record whose fields are read and written at their offsets, every
// access checked against the record's size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvra {

// A text field of a record: maxChars characters and their terminators in units of one
// byte (8-bit text) or two bytes (UTF-16LE).
struct TextField {
    size_t offset = 0;
    size_t maxChars = 0;
    size_t units = 0;
    bool wide = false;

    size_t Size() const { return wide ? units * 2 : units; }
};

class RecordBytes {
public:
    explicit RecordBytes(size_t size) : m_bytes(size, '\0') {}
    explicit RecordBytes(std::string bytes) : m_bytes(std::move(bytes)) {}

    uint8_t U8(size_t offset) const;
    uint16_t U16(size_t offset) const;
    uint32_t U32(size_t offset) const;
    void SetU8(size_t offset, uint8_t value);
    void SetU16(size_t offset, uint16_t value);
    void SetU32(size_t offset, uint32_t value);

    // The text up to its first terminator, within the field.
    std::wstring WideText(const TextField& field) const;
    std::string NarrowText(const TextField& field) const;
    // The text cut to the field's maximum characters (never inside a character), the
    // rest of the field zero.
    void SetWideText(const TextField& field, std::wstring_view text);
    void SetNarrowText(const TextField& field, std::wstring_view text, UINT codePage);
    void SetNarrowText(const TextField& field, std::string_view text);
    // The bytes of a field, as they stand.
    std::string_view FieldBytes(size_t offset, size_t size) const;
    void SetFieldBytes(size_t offset, std::string_view bytes);

    size_t Size() const { return m_bytes.size(); }
    const std::string& Bytes() const { return m_bytes; }

private:
    void CheckSpan(size_t offset, size_t size) const;

    std::string m_bytes;
};

}  // namespace kelvra
