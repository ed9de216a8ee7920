// The phonebook's device link: contacts and caller groups between the handset's records
// and column maps.
#pragma once

#include <string>
#include <vector>

#include "ColumnMap.h"
#include "KelvraBase.h"
#include "PhonebookLayouts.h"
#include "PhonebookSettings.h"

namespace kelvra {

class CKelvraPB : public CKelvraBase {
public:
    static constexpr uint32_t kContactStore = 1;
    static constexpr uint32_t kGroupStore = 2;
    static constexpr uint32_t kSpeedDialStore = 15;

    CKelvraPB(ITAMAgent* agent, const PhonebookSettings& settings);

    void ReadContact(uint32_t index, ColumnMap& map);
    // Encodes the map into a contact record at the map's "SUID" and sends it; the map
    // afterwards holds what was stored.
    void WriteContact(ColumnMap& map, bool photoSupported, bool creating);
    void ReadGroup(uint32_t index, ColumnMap& map);
    void WriteGroup(uint32_t index, const ColumnMap& map);
    void DeleteRecord(uint32_t index, uint32_t store);
    // The card speed-dial records that point past the phonebook; false when the
    // handset counts no speed-dial record at all.
    bool ScanSimSpeedDials(std::vector<uint16_t>& speedDials);

    // Copies a picture that loads as a bitmap into the photo cache as "%03d_%s".
    static bool CachePhoto(int number, const std::wstring& source, const std::wstring& fileName,
                           std::wstring& cachedPath);
    // "<application data>\Orvane\Lumen Desk\KELVRA_PB\", created; empty when unknown.
    static std::wstring PhotoCacheFolder();

    const ContactLayout& Layout() const { return m_contact; }
    const GroupLayout& Groups() const { return m_group; }

private:
    RecordBytes ReadRecord(uint32_t store, uint32_t index, size_t size);
    void ReadNames(const RecordBytes& record, ColumnMap& map) const;
    void ReadNumbers(const RecordBytes& record, ColumnMap& map) const;
    void ReadTypedTexts(const RecordBytes& record, ColumnMap& map) const;
    void ReadAddresses(const RecordBytes& record, ColumnMap& map) const;
    void ReadPhoto(const RecordBytes& record, ColumnMap& map);
    void WriteNumbersAndTexts(RecordBytes& record, ColumnMap& map) const;
    void WriteNames(RecordBytes& record, ColumnMap& map) const;
    void WriteRing(RecordBytes& record, ColumnMap& map) const;
    std::wstring HandsetPictureFolder() const;
    void SendPictureToHandset(const std::wstring& pcPath, const std::wstring& handsetPath);

    const PhonebookSettings& m_settings;
    ContactLayout m_contact;
    GroupLayout m_group;
};

}  // namespace kelvra
