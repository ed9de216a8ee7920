#include "RecordBytes.h"

#include <algorithm>

#include "ComTypes.h"
#include "Errors.h"

namespace kelvra {

void RecordBytes::CheckSpan(size_t offset, size_t size) const
{
    if (offset > m_bytes.size() || size > m_bytes.size() - offset)
        ThrowTamError(kTamWrongReply, L"A field lies past the end of the handset record");
}

uint8_t RecordBytes::U8(size_t offset) const
{
    CheckSpan(offset, 1);
    return static_cast<uint8_t>(m_bytes[offset]);
}

uint16_t RecordBytes::U16(size_t offset) const
{
    return static_cast<uint16_t>(U8(offset) | U8(offset + 1) << 8);
}

uint32_t RecordBytes::U32(size_t offset) const
{
    return static_cast<uint32_t>(U16(offset)) | static_cast<uint32_t>(U16(offset + 2)) << 16;
}

void RecordBytes::SetU8(size_t offset, uint8_t value)
{
    CheckSpan(offset, 1);
    m_bytes[offset] = static_cast<char>(value);
}

void RecordBytes::SetU16(size_t offset, uint16_t value)
{
    SetU8(offset, static_cast<uint8_t>(value));
    SetU8(offset + 1, static_cast<uint8_t>(value >> 8));
}

void RecordBytes::SetU32(size_t offset, uint32_t value)
{
    SetU16(offset, static_cast<uint16_t>(value));
    SetU16(offset + 2, static_cast<uint16_t>(value >> 16));
}

std::wstring RecordBytes::WideText(const TextField& field) const
{
    CheckSpan(field.offset, field.Size());
    std::wstring text;
    for (size_t unit = 0; unit < field.units; ++unit) {
        wchar_t c = static_cast<wchar_t>(U16(field.offset + unit * 2));
        if (c == 0)
            break;
        text += c;
    }
    return text;
}

std::string RecordBytes::NarrowText(const TextField& field) const
{
    CheckSpan(field.offset, field.Size());
    std::string_view bytes(m_bytes.data() + field.offset, field.units);
    return std::string(bytes.substr(0, bytes.find('\0')));
}

void RecordBytes::SetWideText(const TextField& field, std::wstring_view text)
{
    CheckSpan(field.offset, field.Size());
    std::wstring_view kept = CutWithinUnits(text, std::min(field.maxChars, field.units));
    for (size_t unit = 0; unit < field.units; ++unit)
        SetU16(field.offset + unit * 2, unit < kept.size() ? static_cast<uint16_t>(kept[unit]) : 0);
}

void RecordBytes::SetNarrowText(const TextField& field, std::wstring_view text, UINT codePage)
{
    SetNarrowText(field, NarrowWithin(text, codePage, std::min(field.maxChars, field.units)));
}

void RecordBytes::SetNarrowText(const TextField& field, std::string_view text)
{
    CheckSpan(field.offset, field.Size());
    std::string_view kept = text.substr(0, std::min(field.maxChars, field.units));
    for (size_t unit = 0; unit < field.units; ++unit)
        m_bytes[field.offset + unit] = unit < kept.size() ? kept[unit] : '\0';
}

std::string_view RecordBytes::FieldBytes(size_t offset, size_t size) const
{
    CheckSpan(offset, size);
    return std::string_view(m_bytes).substr(offset, size);
}

void RecordBytes::SetFieldBytes(size_t offset, std::string_view bytes)
{
    CheckSpan(offset, bytes.size());
    m_bytes.replace(offset, bytes.size(), bytes);
}

}  // namespace kelvra
