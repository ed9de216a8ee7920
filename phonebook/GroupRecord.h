// A caller group's record and its columns. A group's ring and secret flag are the
// handset's own: the columns show the ring, but only the name and picture are written.
#pragma once

#include "ColumnChanges.h"
#include "PhonebookLayouts.h"
#include "PhonebookSettings.h"

namespace kelvra {

class GroupRecord {
public:
    GroupRecord(const GroupLayout& layout, const PhonebookSettings& settings);

    void Decode(const RecordBytes& record, uint32_t index, ColumnMap& map) const;
    // Encodes the fields of the changed columns and the ones set on every write.
    void Encode(RecordBytes& record, const ColumnChanges& changes) const;

private:
    const GroupLayout& m_layout;
    const PhonebookSettings& m_settings;
};

}  // namespace kelvra
