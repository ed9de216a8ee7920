// Task and memo records between their bytes and column maps. Decoding fills every
// column a record carries but its SUID, which is the record's place; encoding changes
// only the fields whose columns the changes name.
#pragma once

#include "ColumnChanges.h"
#include "OrganizerLayouts.h"
#include "OrganizerSettings.h"

namespace kelvra::org {

void DecodeTask(const TaskLayout& l, const OrganizerSettings& settings, const RecordBytes& r, ColumnMap& map);
void EncodeTask(const TaskLayout& l, RecordBytes& r, ColumnChanges& changes);
void DecodeMemo(const MemoLayout& l, const RecordBytes& r, ColumnMap& map);
void EncodeMemo(const MemoLayout& l, RecordBytes& r, ColumnChanges& changes);

}  // namespace kelvra::org
