// Bounds-checked reading and writing of little-endian byte records. A reader fails for
// good after its first read past the end and then yields zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvra {

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}

    uint8_t ReadU8() { return static_cast<uint8_t>(ReadLittleEndian(1)); }
    uint16_t ReadU16LE() { return static_cast<uint16_t>(ReadLittleEndian(2)); }
    uint32_t ReadU32LE() { return static_cast<uint32_t>(ReadLittleEndian(4)); }
    // The next n bytes, or an empty view (and failure) when fewer are left.
    std::string_view ReadBytes(size_t n);
    bool Skip(size_t n) { ReadBytes(n); return !m_failed; }

    bool Ok() const { return !m_failed; }
    size_t Position() const { return m_position; }
    size_t Remaining() const { return m_failed ? 0 : m_bytes.size() - m_position; }
    std::string_view Rest() const { return m_failed ? std::string_view() : m_bytes.substr(m_position); }

private:
    uint64_t ReadLittleEndian(size_t width);

    std::string_view m_bytes;
    size_t m_position = 0;
    bool m_failed = false;
};

class ByteWriter {
public:
    ByteWriter& U8(uint8_t value);
    ByteWriter& U16LE(uint16_t value);
    ByteWriter& U32LE(uint32_t value);
    ByteWriter& Bytes(std::string_view bytes);
    // Writes the bytes cut or zero-filled to exactly width bytes.
    ByteWriter& Field(std::string_view bytes, size_t width);

    const std::string& Data() const { return m_data; }
    std::string Take() { return std::move(m_data); }

private:
    std::string m_data;
};

}  // namespace kelvra
