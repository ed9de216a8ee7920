// The organizer's clock: u32 seconds from 1980-01-06 00:00:00 of the handset's own
// local time, no time zone applied.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

namespace kelvra {

// A date as handset time: the year kept within 1980..2050 (outside it the month and
// day stay, the time of day becomes midnight, and a day the clamped year lacks becomes
// the month's last), rounded to the nearest second, never before the clock's start.
uint32_t HandsetTimeFromDate(DATE date);
DATE DateFromHandsetTime(uint32_t seconds);

}  // namespace kelvra
