// Column values to and from the fields of calendar, task and memo records: the
// conversions every organizer record shares.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

#include "ColumnChanges.h"
#include "ColumnMap.h"
#include "RecordBytes.h"

namespace kelvra::org {

bool SameText(const std::wstring& a, const wchar_t* b);  // ignoring case

// A column as text; absent, empty and null are "".
std::wstring TextOf(const ColumnMap& map, const std::wstring& name);
// A column as a number; absent, empty and null are 0.
LONG NumberOf(const ColumnMap& map, const std::wstring& name);
// Whether the column holds a value at all (not absent, empty or null).
bool HasValue(const ColumnMap& map, const std::wstring& name);
// A date column; absent, empty and null are no date (0).
DATE DateOf(const ColumnMap& map, const std::wstring& name);

void SetDate(ColumnMap& map, const std::wstring& name, uint32_t handsetTime);
void SetNull(ColumnMap& map, const std::wstring& name);

// A date column into a time field; no date leaves the field as it is.
void PutTime(RecordBytes& r, size_t offset, const ColumnMap& values, const std::wstring& column);
// A text column into its field; the column then holds the text as stored.
void PutWide(RecordBytes& r, const TextField& field, ColumnMap& values, const std::wstring& column);
// The same for a column whose field the changes name, and only then.
void PutChangedTime(RecordBytes& r, size_t offset, const ColumnChanges& changes, const std::wstring& column);
void PutChangedWide(RecordBytes& r, const TextField& field, ColumnChanges& changes, const std::wstring& column);
// A sound file name: UTF-8 up to its first zero byte.
std::wstring SoundFileOf(const RecordBytes& r, const TextField& field);
// A sound file name in UTF-8, cut at a character boundary; the column then holds it as stored.
void PutSoundFile(RecordBytes& r, const TextField& field, ColumnMap& values, const std::wstring& column);

}  // namespace kelvra::org
