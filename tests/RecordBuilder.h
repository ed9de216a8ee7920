// Expected handset records, written field by field in the order of the record tables.
#pragma once

#include <cstdint>
#include <string>

namespace kelvra::testing {

class RecordBuilder {
public:
    RecordBuilder& U8(uint8_t value) { m_bytes += static_cast<char>(value); return *this; }
    RecordBuilder& U16(uint16_t value) { return U8(static_cast<uint8_t>(value)).U8(static_cast<uint8_t>(value >> 8)); }
    RecordBuilder& U32(uint32_t value) { return U16(static_cast<uint16_t>(value)).U16(static_cast<uint16_t>(value >> 16)); }
    RecordBuilder& Fill(size_t count, uint8_t value) { m_bytes.append(count, static_cast<char>(value)); return *this; }
    // A UTF-16LE text field of that many units, zero-filled.
    RecordBuilder& Wide(const std::wstring& text, size_t units)
    {
        for (size_t i = 0; i < units; ++i)
            U16(i < text.size() ? static_cast<uint16_t>(text[i]) : 0);
        return *this;
    }
    // An 8-bit text field of that many bytes, zero-filled.
    RecordBuilder& Narrow(const std::string& text, size_t units)
    {
        for (size_t i = 0; i < units; ++i)
            U8(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
        return *this;
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

}  // namespace kelvra::testing
