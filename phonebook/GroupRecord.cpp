#include "GroupRecord.h"

#include "ComTypes.h"

namespace kelvra {

GroupRecord::GroupRecord(const GroupLayout& layout, const PhonebookSettings& settings)
    : m_layout(layout), m_settings(settings)
{
}

void GroupRecord::Decode(const RecordBytes& record, uint32_t index, ColumnMap& map) const
{
    std::wstring photo = Widen(record.NarrowText(m_layout.photo), CP_ACP);
    map.SetValue(L"SUID", VT_I4, static_cast<LONG>(index));
    map.SetValue(L"INDEX", VT_UINT, static_cast<LONG>(index));
    map.SetText(L"ATTRIBUTE", static_cast<LONG>(index) <= m_settings.undeletableGroups ? L"DISABLE_DEL" : L"NORMAL");
    map.SetText(L"NAME", record.WideText(m_layout.name));
    map.SetValue(L"RINGTON_TYPE", VT_UI2, record.U16(m_layout.ringIndex));
    map.SetText(L"RINGTON", Widen(record.NarrowText(m_layout.ringFileName), CP_ACP));
    map.SetText(L"MESSAGETON_TYPE", L"0");
    map.SetText(L"MESSAGETON", L"");
    map.SetText(L"PHOTO_TYPE", photo.empty() ? L"NONE" : L"IMAGE_PHOTO");
    map.SetText(L"PHOTO", photo);
    for (const wchar_t* empty : {L"PHOTO_LOCAL_PATH", L"GROUP_PROPERTY", L"DB_LEDTYPE", L"PGUID", L"ITEM_STATE",
                                 L"REJECT"})
        map.SetText(empty, L"");
    for (const wchar_t* zero : {L"ICON_GROUP_INDEX", L"ICON_INDEX", L"PCFLAG", L"WEBFLAG", L"MODE"})
        map.SetValue(zero, VT_I4, 0);
    for (const wchar_t* zeroText : {L"VCARD_IMAGE_TYPE", L"PTIMESTAMP", L"SAVE_TIME"})
        map.SetText(zeroText, L"0");
}

void GroupRecord::Encode(RecordBytes& record, const ColumnChanges& changes) const
{
    const ColumnMap& values = changes.Values();
    if (changes.Changed({L"NAME"}))
        ChangeWideText(record, m_layout.name, values.TextOr(L"NAME", L""));
    if (changes.Changed({L"PHOTO"}))
        record.SetNarrowText(m_layout.photo, values.TextOr(L"PHOTO", L""), CP_ACP);
    // Set on every write.
    record.SetU8(m_layout.occupied, 0);
    record.SetU16(m_layout.address, 0);
}

}  // namespace kelvra
