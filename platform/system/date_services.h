// Gregorian dates: today's date, dates as text and back, and the day difference of two dates.
// Valid for AD years 1 to 9999 in the proleptic Gregorian calendar.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

struct Date {
  int year = 1;
  int month = 1;
  int day = 1;
  auto operator<=>(const Date&) const = default;
};

// Today's local date, or the date a test has set with ScopedToday.
Date Today();
// Today's local date by the system's clock, whatever a test has set.
Date SystemToday();

// Makes Today() answer `date` while the object lives.
class ScopedToday {
 public:
  explicit ScopedToday(Date date);
  ~ScopedToday();
  ScopedToday(const ScopedToday&) = delete;
  ScopedToday& operator=(const ScopedToday&) = delete;

 private:
  bool had_previous_;
  Date previous_;
};

// "yyyy/mm/dd".
std::string DateToText(const Date& date);

// Accepts "yyyy/mm/dd" and "yyyy-mm-dd" with a four-digit year (one- or two-digit month and day).
// Throws RunTimeError 13 for a text that is not a date, impossible dates such as 2022/02/30
// included.
Date TextToDate(std::string_view text);

// Days from `from` to `to` (negative when `to` is earlier).
std::int64_t DayDifference(const Date& from, const Date& to);

}  // namespace platform
