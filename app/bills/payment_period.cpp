#include "app/bills/payment_period.h"

#include <cstdio>

#include "calendar/cdn_date.h"

namespace bills {
namespace {

std::string DateText(int year, int month, int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", year, month, day);
  return text;
}

int Digits(const std::string& text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count && i < text.size(); ++i)
    value = value * 10 + (text[i] - '0');
  return value;
}

}  // namespace

std::string FirstDate(const PaymentPeriod& period) {
  // The month table's check, so an impossible period fails here as it would at its last day.
  cdnDate::MonthLength(period.year, period.month);
  return DateText(period.year, period.month, period.part == MonthPart::kSecondHalf ? 16 : 1);
}

std::string LastDate(const PaymentPeriod& period) {
  const int length = cdnDate::MonthLength(period.year, period.month);
  return DateText(period.year, period.month, period.part == MonthPart::kFirstHalf ? 15 : length);
}

std::string PeriodTitle(const PaymentPeriod& period) {
  static constexpr const char* kParts[] = {"first half", "second half", "whole month"};
  return std::string(kMonthNames[period.month - 1]) + " " + std::to_string(period.year) + ", " +
         kParts[static_cast<int>(period.part)] + ": " +
         DatesTitle(FirstDate(period), LastDate(period));
}

std::string DatesTitle(const std::string& first, const std::string& last) {
  return first <= last ? first + " to " + last : last + " to " + first;
}

std::vector<std::string> SheetTitle(const std::string& what, const std::string& when,
                                    const std::string& table) {
  return {what + ", " + when, "Read from the table " + table};
}

PaymentPeriod LastEndedHalf(const std::string& today) {
  const int year = Digits(today, 0, 4);
  const int month = Digits(today, 5, 2);
  const int day = Digits(today, 8, 2);
  if (day > 15) return {year, month, MonthPart::kFirstHalf};
  if (month == 1) return {year - 1, 12, MonthPart::kSecondHalf};
  return {year, month - 1, MonthPart::kSecondHalf};
}

}  // namespace bills
