#include "Request.h"

#include "ByteCursor.h"

namespace kelvra {

namespace {

constexpr size_t kHeaderSize = 6;

}  // namespace

Request::Request(uint16_t command) : m_packet(ByteWriter().U16LE(command).U32LE(0).Take())
{
}

Request& Request::Word(uint32_t value)
{
    return Bytes(ByteWriter().U32LE(value).Data());
}

Request& Request::Bytes(std::string_view bytes)
{
    m_packet.append(bytes);
    UpdateLength();
    return *this;
}

Request& Request::Field(std::string_view bytes, size_t width)
{
    return Bytes(ByteWriter().Field(bytes, width).Data());
}

void Request::UpdateLength()
{
    std::string length = ByteWriter().U32LE(static_cast<uint32_t>(m_packet.size() - kHeaderSize)).Take();
    m_packet.replace(2, 4, length);
}

}  // namespace kelvra
