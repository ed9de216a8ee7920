// The phonebook's device link: contacts and caller groups between the handset's records
// and column maps.
#pragma once

#include <string>
#include <vector>

#include "ColumnChanges.h"
#include "ColumnMap.h"
#include "ContactBlocks.h"
#include "ContactNames.h"
#include "ContactPictures.h"
#include "GroupRecord.h"
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
    // Its parts refer to its layouts.
    CKelvraPB(const CKelvraPB&) = delete;
    CKelvraPB& operator=(const CKelvraPB&) = delete;

    // Reads one contact, bringing its picture into the photo cache.
    void ReadContact(uint32_t index, ColumnMap& map);
    // Writes the contact at the map's "SUID". A new contact is encoded whole; an update
    // starts from the record the handset holds and changes only the fields whose columns
    // the map sets to other values. The map afterwards holds what was stored.
    void WriteContact(ColumnMap& map, bool photoSupported, bool creating);
    void ReadGroup(uint32_t index, ColumnMap& map);
    // Writes a group by the same rule as a contact.
    void WriteGroup(uint32_t index, const ColumnMap& map, bool creating);
    // The card speed-dial records that point past the phonebook; false when the
    // handset counts no speed-dial record at all.
    bool ScanSimSpeedDials(std::vector<uint16_t>& speedDials);

    // Copies a picture that loads as a bitmap into the photo cache as "%03d_%s".
    static bool CachePhoto(int number, const std::wstring& source, const std::wstring& fileName,
                           std::wstring& cachedPath)
    {
        return ContactPictures::CachePhoto(number, source, fileName, cachedPath);
    }
    // "<application data>\Orvane\Lumen Desk\KELVRA_PB\", created; empty when unknown.
    static std::wstring PhotoCacheFolder() { return ContactPictures::PhotoCacheFolder(); }

private:
    void SendRecord(uint32_t store, uint32_t index, const RecordBytes& record, int mismatchMode,
                    const std::wstring& what);

    void DecodeContact(const RecordBytes& record, uint32_t index, ColumnMap& map) const;
    void DecodeNumbers(const RecordBytes& record, ColumnMap& map) const;
    void DecodeBirthday(const RecordBytes& record, ColumnMap& map) const;
    void DecodeRing(const RecordBytes& record, ColumnMap& map) const;

    void EncodeContact(RecordBytes& record, ColumnChanges& changes) const;
    void EncodeNumbers(RecordBytes& record, const ColumnChanges& changes) const;
    void EncodeBirthday(RecordBytes& record, const ColumnMap& values) const;
    void EncodeRing(RecordBytes& record, ColumnMap& values) const;
    void EncodeGroupSlots(RecordBytes& record, const ColumnChanges& changes) const;

    const PhonebookSettings& m_settings;
    ContactLayout m_contact;
    GroupLayout m_group;
    ContactNames m_names;
    ContactBlocks m_blocks;
    ContactPictures m_pictures;
    GroupRecord m_groups;
};

}  // namespace kelvra
