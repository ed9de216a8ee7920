#include "ByteCursor.h"

namespace kelvra {

std::string_view ByteReader::ReadBytes(size_t n)
{
    if (m_failed || n > m_bytes.size() - m_position) {
        m_failed = true;
        return {};
    }
    std::string_view slice = m_bytes.substr(m_position, n);
    m_position += n;
    return slice;
}

uint64_t ByteReader::ReadLittleEndian(size_t width)
{
    std::string_view bytes = ReadBytes(width);
    if (bytes.size() != width)
        return 0;
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<uint8_t>(bytes[i]);
    return value;
}

ByteWriter& ByteWriter::U8(uint8_t value)
{
    m_data += static_cast<char>(value);
    return *this;
}

ByteWriter& ByteWriter::U16LE(uint16_t value)
{
    return U8(static_cast<uint8_t>(value)).U8(static_cast<uint8_t>(value >> 8));
}

ByteWriter& ByteWriter::U32LE(uint32_t value)
{
    return U16LE(static_cast<uint16_t>(value)).U16LE(static_cast<uint16_t>(value >> 16));
}

ByteWriter& ByteWriter::Bytes(std::string_view bytes)
{
    m_data.append(bytes);
    return *this;
}

ByteWriter& ByteWriter::Field(std::string_view bytes, size_t width)
{
    std::string_view kept = bytes.substr(0, width);
    m_data.append(kept);
    m_data.append(width - kept.size(), '\0');
    return *this;
}

}  // namespace kelvra
