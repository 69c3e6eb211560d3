#include "platform/system/date_services.h"

#include <optional>

#include "platform/run_time_error.h"

namespace platform {
namespace {

std::optional<Date>& TodayOverride() {
  static std::optional<Date> date;
  return date;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValid(const Date& date) {
  return date.year >= 1 && date.year <= 9999 && date.month >= 1 && date.month <= 12 &&
         date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

// Days since 0001-01-01 of the proleptic Gregorian calendar, counted in 400-year eras that
// begin on 1 March so that the leap day ends its year.
std::int64_t DayNumber(const Date& date) {
  const std::int64_t year = date.month <= 2 ? date.year - 1 : date.year;
  const std::int64_t era = year / 400;  // year >= 0 for AD years 1 to 9999
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t month_from_march = date.month > 2 ? date.month - 3 : date.month + 9;
  const std::int64_t day_of_year = (153 * month_from_march + 2) / 5 + date.day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era;
}

// Reads `count` digits at `pos`; false when one of them is not a digit.
bool ReadDigits(std::string_view text, std::size_t pos, std::size_t count, int& value) {
  value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// Writes the last `count` decimal digits of `value` (0 or more) to `out`.
void PutDigits(char* out, int count, int value) {
  for (int i = count - 1; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
}

}  // namespace

Date Today() {
  if (TodayOverride()) return *TodayOverride();
  return SystemToday();
}

ScopedToday::ScopedToday(Date date)
    : had_previous_(TodayOverride().has_value()), previous_(TodayOverride().value_or(Date{})) {
  TodayOverride() = date;
}

ScopedToday::~ScopedToday() {
  if (had_previous_) {
    TodayOverride() = previous_;
  } else {
    TodayOverride().reset();
  }
}

std::string DateToText(const Date& date) {
  std::string text = "0000/00/00";
  PutDigits(text.data(), 4, date.year);
  PutDigits(text.data() + 5, 2, date.month);
  PutDigits(text.data() + 8, 2, date.day);
  return text;
}

Date TextToDate(std::string_view text) {
  // yyyy, a separator, 1 or 2 digits, the same separator, 1 or 2 digits.
  Date date;
  const bool fits = [&] {
    if (text.size() < 8 || text.size() > 10) return false;
    const char separator = text[4];
    if (separator != '/' && separator != '-') return false;
    if (!ReadDigits(text, 0, 4, date.year)) return false;
    const std::size_t second = text.find(separator, 5);
    if (second == std::string_view::npos || second < 6 || second > 7) return false;
    const std::size_t day_length = text.size() - second - 1;
    if (day_length < 1 || day_length > 2) return false;
    return ReadDigits(text, 5, second - 5, date.month) &&
           ReadDigits(text, second + 1, day_length, date.day);
  }();
  if (!fits || !IsValid(date)) throw RunTimeError::TypeMismatch();
  return date;
}

std::int64_t DayDifference(const Date& from, const Date& to) {
  return DayNumber(to) - DayNumber(from);
}

}  // namespace platform
