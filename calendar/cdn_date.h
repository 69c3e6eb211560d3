// The Bikram Sambat calendar: the month-length table of BS years 1500 to 5000, day counts and day
// additions on BS dates held as "yyyy/mm/dd" text, the conversion from AD, and the check of a
// typed date box. Errors are platform::RunTimeError: 6 overflow, 9 a year or month outside the
// table, 13 a field or AD text that is not a number or date.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/text_box.h"

namespace cdnDate {

inline constexpr int kFirstYear = 1500;
inline constexpr int kLastYear = 5000;

// Month lengths, row year - 1500, element month - 1; all 0 until the table is built.
extern std::array<std::array<std::uint8_t, 12>, kLastYear - kFirstYear + 1> MonthDays;
extern bool MonthTableReady;

// Builds the table on the first call; later calls do nothing.
void EnsureMonthTable();
// Fills MonthDays from the pattern texts and year lists. Called by EnsureMonthTable only.
void BuildMonthTable();

// Length of month `month` of BS year `year`, building the table first if need be; throws 9
// outside 1500-5000 or 1-12.
int MonthLength(int year, int month);

// Days from the lower to the higher of the two dates (compared as texts). Writes the ordered
// pair back into the variables, and blanks a first date of "0000/00/00"; both writes stay even
// when the count then fails (9 for a blank date against a real one). Fields are read leniently
// ("1_" is 1, "__" is 0); only the months the count crosses are looked up, so only they raise 9.
// Throws 6 for a field beyond 16 bits.
std::int32_t BsDaysBetween(std::string& first, std::string& second);

// The BS date `days` days after `date`, as "yyyy/mm/dd". A day field beyond its month counts on
// into the next months (2079/05/32 is 2079/06/01), a day of 0 or less counts back into the months
// before (2079/05/00 is 2079/04/31); a month of 00 stands for month 12 of the same year, one above
// 12 for month 1 of the next. Throws 13 for a field that is not a number, 6 when the day and
// `days` add up beyond 32 bits, and 9 for a year outside the table or a result before 1500/01/01
// or after 5000/12/31.
std::string AddBsDays(const std::string& date, const std::int32_t& days);

// The BS date of the AD date in `ad_date` (a text the platform reads as a date). Throws 13 for a
// text that is not a date, 9 for a day outside the table. The distance from AD 1443/04/05 counts
// either way, so a day k days before it gives the same BS date as the day k days after it.
std::string AdToBs(const std::string& ad_date);

// Completes, clamps or blanks the date typed in `box`: month and day become two digits, a month
// of 00 or above 12 becomes 01 or 12, a day of 00 or past the month's end becomes 01 or the last
// day, and a date outside 1500/01/01-5000/12/31 or an empty box becomes "0000/00/00". The day
// limit of a year outside the table comes from today's BS year. Fields are edited through the
// selection, SetText only blanks. Selector 2 is the BS check; any other leaves the box alone.
// Throws 6 for a month or day field below 0, and whatever the box or today's date raise.
void CheckDateBox(platform::TextBox& box, const std::uint8_t& calendar);

// The text a date box holds once CheckDateBox has checked `typed` in it: a date given without a
// window loads what the window would load. Throws as CheckDateBox does.
std::string CheckedDateText(const std::string& typed, const std::uint8_t& calendar);

}  // namespace cdnDate
