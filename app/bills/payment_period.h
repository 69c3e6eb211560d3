// The payment period of Kolvex Bills: a BS year, a month by its name and a part of it, the first
// half (days 1 to 15), the second (16 to the month's last day) or the whole month, with its first
// and last BS dates from the calendar's month table.
#pragma once

#include <string>
#include <vector>

namespace bills {

// The months' names in the order of the BS year, Baisakh first.
inline constexpr const char* kMonthNames[] = {"Baisakh", "Jestha", "Asar",   "Shrawan",
                                              "Bhadra",  "Asoj",   "Kartik", "Mangsir",
                                              "Poush",   "Magh",   "Falgun", "Chaitra"};

enum class MonthPart { kFirstHalf, kSecondHalf, kWholeMonth };

// The parts as the window offers them, in MonthPart's order.
inline constexpr const char* kPartNames[] = {"First half (1-15)", "Second half (16-end)",
                                             "Whole month"};

struct PaymentPeriod {
  int year = 0;
  int month = 1;  // 1 to 12
  MonthPart part = MonthPart::kFirstHalf;

  bool operator==(const PaymentPeriod&) const = default;
};

// "yyyy/mm/dd" of the period's first and last days. Throw RunTimeError 9 for a year or month the
// calendar does not hold.
std::string FirstDate(const PaymentPeriod& period);
std::string LastDate(const PaymentPeriod& period);

// "Baisakh 2081, first half: 2081/01/01 to 2081/01/15", the period as titles and the window name
// it. Throws as LastDate does.
std::string PeriodTitle(const PaymentPeriod& period);

// "2081/01/01 to 2081/01/15", the days from `first` to `last` ("yyyy/mm/dd"), the earlier first:
// the title of days that are no period.
std::string DatesTitle(const std::string& first, const std::string& last);

// The title rows of a sheet of the period's workbook: "`what`, `when`" (when: PeriodTitle's or
// DatesTitle's), then the table the records were read from.
std::vector<std::string> SheetTitle(const std::string& what, const std::string& when,
                                    const std::string& table);

// The last half-month that has ended by the BS date `today` ("yyyy/mm/dd"): the first half of
// today's month from its 16th day on, else the second half of the month before.
PaymentPeriod LastEndedHalf(const std::string& today);

}  // namespace bills
