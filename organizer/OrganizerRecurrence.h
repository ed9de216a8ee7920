// How calendar records repeat. Schedule-shaped records keep a kind of repetition with
// its pattern in one of three numberings: the ordinary one (a repeat type, an interval
// and the weekdays, date or n-th weekday it needs), a repeat mode on extended-alarm
// models, and on compact-repeat models a repeat type whose pattern is worked out from
// the start. Anniversaries and holidays come back every year or not.
#pragma once

#include <optional>

#include "ColumnChanges.h"
#include "OrganizerLayouts.h"

namespace kelvra::org {

// Every repetition a record holds reads as the columns the writer turns back into the
// same fields: an interval above one, a weekly one without weekdays, an n-th weekday
// with an expiry included. A record that repeats never reads as "0", so that a host
// that sets "0" stops it.
void DecodeRecurrence(const ScheduleLayout& l, const RecordBytes& r, ColumnMap& map);
// Encodes again the parts whose columns changed: the kind of repetition and its
// pattern, the pattern a compact-repeat record works out from its start, and the
// expiry. Fields no column carries keep their bytes.
void EncodeRecurrence(const ScheduleLayout& l, RecordBytes& r, ColumnChanges& changes);

void DecodeDayOfTheYear(const RecordBytes& r, size_t repeatCheck, const std::optional<size_t>& lunar, ColumnMap& map);
void EncodeDayOfTheYear(RecordBytes& r, size_t repeatCheck, const std::optional<size_t>& lunar,
                        const ColumnChanges& changes);

}  // namespace kelvra::org
