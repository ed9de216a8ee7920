#include "HandsetTime.h"

#include <cmath>

namespace kelvra {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

unsigned DaysInMonth(int64_t y, unsigned m)
{
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

const int64_t kOleEpoch = DaysFromCivil(1899, 12, 30);
const int64_t kHandsetEpoch = DaysFromCivil(1980, 1, 6);

}  // namespace

uint32_t HandsetTimeFromDate(DATE date)
{
    if (!std::isfinite(date) || std::fabs(date) > 3e6)
        date = date < 0 ? -3e6 : 3e6;  // far outside the clock either way
    // An OLE date's whole part counts days, its fraction is the time of that day even
    // for days before 1899-12-30.
    double whole = std::trunc(date);
    double fraction = std::fabs(date - whole);
    int64_t days = static_cast<int64_t>(whole);
    int64_t second = std::llround(fraction * 86400.0);
    if (second >= 86400) {
        second -= 86400;
        ++days;
    }
    int64_t y;
    unsigned m, d;
    CivilFromDays(days + kOleEpoch, y, m, d);
    if (y < 1980 || y > 2050) {
        y = y < 1980 ? 1980 : 2050;
        second = 0;
        if (d > DaysInMonth(y, m))
            d = DaysInMonth(y, m);
    }
    int64_t seconds = (DaysFromCivil(y, m, d) - kHandsetEpoch) * 86400 + second;
    return seconds < 0 ? 0 : static_cast<uint32_t>(seconds);
}

DATE DateFromHandsetTime(uint32_t seconds)
{
    int64_t days = kHandsetEpoch - kOleEpoch + seconds / 86400;
    return static_cast<double>(days) + static_cast<double>(seconds % 86400) / 86400.0;
}

}  // namespace kelvra
