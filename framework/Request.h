// A request packet of the handset protocol: the command code, the payload length and the
// payload, whose length is kept up to date as the payload is built.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvra {

class Request {
public:
    explicit Request(uint16_t command);

    Request& Word(uint32_t value);
    Request& Bytes(std::string_view bytes);
    // The bytes cut or zero-filled to exactly width bytes.
    Request& Field(std::string_view bytes, size_t width);

    // The whole packet: u16 command, u32 payload length, payload (little-endian).
    const std::string& Packet() const { return m_packet; }
    // A request goes wherever the link takes the packet's bytes.
    operator std::string_view() const { return m_packet; }

private:
    void UpdateLength();

    std::string m_packet;
};

}  // namespace kelvra
