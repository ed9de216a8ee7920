#include "ContactBlocks.h"

#include "IndexedColumn.h"
#include "PhonebookTypes.h"

namespace kelvra {

namespace {

std::wstring AsGiven(const std::wstring& text)
{
    return text;
}

}  // namespace

ContactBlocks::ContactBlocks(const ContactLayout& layout, const PhonebookSettings& settings) : m_settings(settings)
{
    Kind emails{{}, {L"EMAIL_ADDR_%d"}, L"EMAIL_TYPE_%d", L"EMAIL_COUNT", EmailTypeCode, AsGiven};
    for (const auto& email : layout.emails)
        emails.blocks.push_back({{email.text}, email.type});
    Kind urls{{}, {L"URL_ADDR_%d"}, L"URL_TYPE_%d", L"URL_COUNT", UrlTypeCode, UrlForHandset};
    for (const auto& url : layout.urls)
        urls.blocks.push_back({{url.text}, url.type});
    m_kinds = {emails, urls};
    if (!settings.HasNoAddressBlock()) {
        Kind addresses{{},
                       {L"ADDR_EXTADDR_%d", L"ADDR_STREET_%d", L"ADDR_POSTALCODE_%d", L"ADDR_LOCALITY_%d",
                        L"ADDR_REGION_%d", L"ADDR_COUNTRY_%d"},
                       L"ADDR_TYPE_%d",
                       L"ADDR_COUNT",
                       AddressTypeCode,
                       AsGiven};
        for (const auto& address : layout.addresses)
            addresses.blocks.push_back({{address.parts.begin(), address.parts.end()}, address.type});
        m_kinds.push_back(addresses);
    }
}

bool ContactBlocks::HoldsText(const Block& block, const RecordBytes& record)
{
    for (const TextField& text : block.texts) {
        if (HoldsWideText(record, text))
            return true;
    }
    return false;
}

void ContactBlocks::Decode(const RecordBytes& record, ColumnMap& map) const
{
    for (const Kind& kind : m_kinds)
        DecodeKind(kind, record, map);
}

void ContactBlocks::DecodeKind(const Kind& kind, const RecordBytes& record, ColumnMap& map) const
{
    size_t found = 0;
    for (const Block& block : kind.blocks) {
        if (!HoldsText(block, record))
            continue;
        map.SetText(IndexedColumn(kind.typeColumn, found), TypeName(record.U8(block.type), m_settings.TypeNameSetting()));
        for (size_t part = 0; part < block.texts.size(); ++part)
            map.SetText(IndexedColumn(kind.textColumns[part], found), record.WideText(block.texts[part]));
        ++found;
    }
    map.SetValue(kind.countColumn, VT_UINT, static_cast<LONG>(found));
}

void ContactBlocks::Encode(RecordBytes& record, ColumnChanges& changes) const
{
    for (const Kind& kind : m_kinds)
        EncodeKind(kind, record, changes);
}

void ContactBlocks::EncodeKind(const Kind& kind, RecordBytes& record, ColumnChanges& changes) const
{
    // Column n came from the n-th block that holds text; the columns past those take
    // the free blocks in order (all of them, in a new record).
    std::vector<size_t> places, free;
    for (size_t b = 0; b < kind.blocks.size(); ++b)
        (HoldsText(kind.blocks[b], record) ? places : free).push_back(b);
    places.insert(places.end(), free.begin(), free.end());

    ColumnMap& values = changes.Values();
    size_t holdingText = 0;
    for (size_t n = 0; n < places.size(); ++n) {
        const Block& block = kind.blocks[places[n]];
        bool wasEmpty = !HoldsText(block, record);
        for (size_t part = 0; part < block.texts.size(); ++part) {
            std::wstring column = IndexedColumn(kind.textColumns[part], n);
            if (!changes.Changed({column}))
                continue;
            std::wstring text = values.TextOr(column, L"");
            ChangeWideText(record, block.texts[part], text.empty() ? text : kind.forHandset(text));
        }
        bool holds = HoldsText(block, record);
        // A block that had no text had no type either: it gets one with its first text.
        std::wstring type = IndexedColumn(kind.typeColumn, n);
        if (changes.Changed({type}) || (wasEmpty && holds))
            record.SetU8(block.type, kind.typeCode(values.TextOr(type, L"")));
        holdingText += holds ? 1 : 0;
    }
    values.SetValue(kind.countColumn, VT_UINT, static_cast<LONG>(holdingText));
}

}  // namespace kelvra
