// The clock of SMS and MMS records: u32 seconds from 1970-01-01 00:00:00, counted by
// each model family in its own way.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

namespace kelvra {

// The date a message's time word stands for on the connected model: some models count
// universal time (shown in the PC's standard time), one its local time, the others
// local time 28,928 seconds behind.
DATE HandsetTimeToDate(uint32_t seconds, const std::wstring& model);
// The date of a count of seconds from 1970-01-01 00:00:00, no correction applied.
DATE DateFromUnixSeconds(int64_t seconds);

}  // namespace kelvra
