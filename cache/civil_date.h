// Days since 1970-01-01 of a proleptic Gregorian date, and back, for the
// clocks that count in calendar fields (DOS times, HTTP dates).
#pragma once

#include <cstdint>

namespace larkspool {

constexpr std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (std::int64_t(month) + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
    std::int64_t year;
    unsigned month; // 1 to 12
    unsigned day;   // 1 to 31
};

constexpr CivilDate CivilFromDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = unsigned(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {std::int64_t(yearOfEra) + era * 400 + (month <= 2), month, dayOfYear - (153 * shiftedMonth + 2) / 5 + 1};
}

static_assert(DaysFromCivil(1970, 1, 1) == 0 && DaysFromCivil(1601, 1, 1) == -134774);
static_assert(CivilFromDays(-134774).year == 1601 && CivilFromDays(11016).month == 2 && CivilFromDays(11016).day == 29);

} // namespace larkspool
