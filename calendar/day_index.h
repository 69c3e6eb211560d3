// Day numbers of the calendar's month starts, derived from MonthDays when the table is built, so
// that counting and adding days need no month-by-month walk. Day 0 is BS 1500/01/01.
#pragma once

#include <array>
#include <cstdint>

#include "calendar/cdn_date.h"

namespace cdnDate::detail {

inline constexpr int kYearCount = kLastYear - kFirstYear + 1;
inline constexpr int kMonthCount = kYearCount * 12;

// Element (year - 1500) * 12 + month - 1 holds the day number of the first day of that month;
// the last element, one past month 12 of 5000, holds the table's day count.
extern std::array<std::int32_t, kMonthCount + 1> MonthStart;

// Day number of the first day of month `month` (1 to 13, 13 being month 1 of the next year) of
// `year` (1500 to 5000), or of month 1 of 5001. The caller has checked the subscripts.
inline std::int32_t FirstDayOf(int year, int month) {
  return MonthStart[static_cast<std::size_t>((year - kFirstYear) * 12 + month - 1)];
}

inline std::int32_t TableDayCount() { return MonthStart[kMonthCount]; }

// Fills MonthStart from MonthDays.
void BuildDayIndex();

}  // namespace cdnDate::detail
