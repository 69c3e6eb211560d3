// The day arithmetic done the slow, plain way: month by month over MonthLength, as the calendar is
// defined. The module's own code jumps through day numbers instead; the tests hold it to these
// results and errors.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "calendar/cdn_date.h"
#include "calendar/number_text.h"
#include "platform/run_time_error.h"
#include "platform/system/date_services.h"

namespace reference {

inline std::string Year(const std::string& d) { return d.substr(0, 4); }
inline std::string Month(const std::string& d) { return d.size() < 6 ? "" : d.substr(5, 2); }
inline std::string Day(const std::string& d) {
  return d.substr(d.size() - std::min<size_t>(2, d.size()));
}

inline std::int32_t Checked(std::int64_t v) {
  if (v < INT32_MIN || v > INT32_MAX) throw platform::RunTimeError::Overflow();
  return static_cast<std::int32_t>(v);
}

inline std::string Format(int y, int m, int d) {
  std::string mm = std::to_string(m), dd = std::to_string(d);
  if (mm.size() < 2) mm = "0" + mm;
  if (dd.size() < 2) dd = "0" + dd;
  return std::to_string(y) + "/" + mm + "/" + dd;
}

inline std::int32_t BsDaysBetween(std::string& first, std::string& second) {
  using cdnDate::MonthLength;
  cdnDate::EnsureMonthTable();
  if (first > second) std::swap(first, second);
  if (first == "0000/00/00" || first.empty()) first = "";
  const int y1 = platform::LenientInteger(Year(first));
  const int m1 = platform::LenientInteger(Month(first));
  const int d1 = platform::LenientInteger(Day(first));
  const int y2 = platform::LenientInteger(Year(second));
  const int m2 = platform::LenientInteger(Month(second));
  const int d2 = platform::LenientInteger(Day(second));
  std::int32_t n = 0;
  if (y2 == y1 && m2 == m1) return Checked(d2 - d1);
  if (y2 == y1 && (m2 - m1 == 1 || m2 - m1 == -1)) return Checked(MonthLength(y1, m1) - d1 + d2);
  if (y2 == y1) {
    n = Checked(MonthLength(y1, m1) - d1);
    for (int m = m1 + 1; m <= m2 - 1; ++m) n = Checked(std::int64_t{n} + MonthLength(y1, m));
    return Checked(std::int64_t{n} + d2);
  }
  if (y2 < y1) return 0;
  n = Checked(MonthLength(y1, m1) - d1);
  for (int m = m1 + 1; m <= 12; ++m) n = Checked(std::int64_t{n} + MonthLength(y1, m));
  for (int y = y1 + 1; y <= y2 - 1; ++y) {
    for (int m = 1; m <= 12; ++m) n = Checked(std::int64_t{n} + MonthLength(y, m));
  }
  for (int m = 1; m <= m2 - 1; ++m) n = Checked(std::int64_t{n} + MonthLength(y2, m));
  return Checked(std::int64_t{n} + d2);
}

// Walks forward for a day of 1 or more, and back through the months before for a day of 0 or
// less. A month of 00 starts at month 12 of the same year, one above 12 at month 1 of the next.
inline std::string AddBsDays(const std::string& date, std::int32_t days) {
  using cdnDate::MonthLength;
  cdnDate::EnsureMonthTable();
  int y = platform::StrictInteger(Year(date));
  int m = platform::StrictInteger(Month(date));
  const int d = platform::StrictInteger(Day(date));
  std::int32_t n = Checked(std::int64_t{d} + days);
  if (m > 12) {
    m = 1;
    ++y;
  } else if (m == 0) {
    m = 12;
  }
  while (n > MonthLength(y, m)) {
    n -= MonthLength(y, m);
    if (++m > 12) {
      m = 1;
      ++y;
    }
  }
  while (n < 1) {
    if (--m < 1) {
      m = 12;
      --y;
    }
    n += MonthLength(y, m);
  }
  return Format(y, m, n);
}

inline std::string AdToBs(const std::string& ad) {
  cdnDate::EnsureMonthTable();
  const auto epoch = platform::TextToDate("1443/04/05");
  const auto date = platform::TextToDate(ad);
  const std::int32_t n = Checked(std::llabs(platform::DayDifference(epoch, date)));
  return AddBsDays("1500/01/01", n);
}

}  // namespace reference
