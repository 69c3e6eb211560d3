#include "calendar/cdn_date.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <utility>

#include "calendar/day_index.h"
#include "calendar/number_text.h"
#include "platform/run_time_error.h"
#include "platform/system/date_services.h"

namespace cdnDate {
namespace {

using platform::RunTimeError;

constexpr std::string_view kNoDate = "0000/00/00";
constexpr std::string_view kEmptyBox = "____/__/__";
constexpr std::string_view kFirstDate = "1500/01/01";
constexpr std::string_view kLastDate = "5000/12/31";
constexpr std::string_view kEpochAdText = "1443/04/05";

// Fields are taken by position, never by the separators: the first four characters, the two
// from the sixth on, and the last two, each cut short where the text is.
std::string_view YearField(std::string_view date) { return date.substr(0, 4); }
std::string_view MonthField(std::string_view date) {
  return date.size() < 6 ? std::string_view() : date.substr(5, 2);
}
std::string_view DayField(std::string_view date) {
  return date.substr(date.size() - std::min<std::size_t>(date.size(), 2));
}

// Day counts are 32-bit: 6 for one that does not fit.
std::int32_t CheckedInt32(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw RunTimeError::Overflow();
  }
  return static_cast<std::int32_t>(value);
}

// At least two digits, a leading zero below 10.
std::string TwoDigitText(int value) {
  std::string text = std::to_string(value);
  if (text.size() < 2) text.insert(0, 1, '0');
  return text;
}

// The date of day number `day` (0 is 1500/01/01) as "yyyy/mm/dd"; 9 outside the table, which is
// where a walk from month to month would read a year before 1500 or after 5000.
std::string TextOfDay(std::int64_t day) {
  if (day < 0 || day >= detail::TableDayCount()) throw RunTimeError::SubscriptOutOfRange();
  const std::int32_t* const starts = detail::MonthStart.data();
  // Spreading the days evenly over the years lands within a year of the answer.
  std::int64_t year_index = day * detail::kYearCount / detail::TableDayCount();
  while (year_index > 0 && starts[year_index * 12] > day) --year_index;
  while (year_index + 1 < detail::kYearCount && starts[(year_index + 1) * 12] <= day) ++year_index;
  std::int64_t k = year_index * 12;
  while (starts[k + 1] <= day) ++k;
  const int year = static_cast<int>(year_index) + kFirstYear;
  const int month = static_cast<int>(k % 12) + 1;
  const int day_of_month = static_cast<int>(day - starts[k]) + 1;

  const char text[10] = {static_cast<char>('0' + year / 1000),
                         static_cast<char>('0' + year / 100 % 10),
                         static_cast<char>('0' + year / 10 % 10),
                         static_cast<char>('0' + year % 10),
                         '/',
                         static_cast<char>('0' + month / 10),
                         static_cast<char>('0' + month % 10),
                         '/',
                         static_cast<char>('0' + day_of_month / 10),
                         static_cast<char>('0' + day_of_month % 10)};
  return std::string(text, sizeof text);
}

// A lenient field read into a byte; 6 outside 0 to 255.
int LenientByte(std::string_view field) {
  const int value = platform::LenientInteger(field);
  if (value < 0 || value > 255) throw RunTimeError::Overflow();
  return value;
}

void ReplaceField(platform::TextBox& box, int start, const std::string& text) {
  box.SetSelStart(start);
  box.SetSelLength(2);
  box.SetSelText(text);
}

constexpr int kMonthStart = 5;
constexpr int kDayStart = 8;

// A box that is only its text, for a date typed with no window: the command's FROM and TO.
class PlainTextBox : public platform::TextBox {
 public:
  explicit PlainTextBox(std::string text) : text_(std::move(text)) {}
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }
  int SelStart() const override { return start_; }
  int SelLength() const override { return length_; }
  void SetSelStart(int start) override {
    start_ = std::clamp(start, 0, static_cast<int>(text_.size()));
    length_ = 0;
  }
  void SetSelLength(int length) override {
    length_ = std::clamp(length, 0, static_cast<int>(text_.size()) - start_);
  }
  void SetSelText(const std::string& text) override {
    text_.replace(static_cast<std::size_t>(start_), static_cast<std::size_t>(length_), text);
    length_ = 0;
  }

 private:
  std::string text_;
  int start_ = 0;
  int length_ = 0;
};

}  // namespace

std::int32_t BsDaysBetween(std::string& first, std::string& second) {
  EnsureMonthTable();
  if (first > second) std::swap(first, second);
  if (first == kNoDate || first.empty()) first.clear();

  const std::string_view low = first;
  const std::string_view high = second;
  const int y1 = platform::LenientInteger(YearField(low));
  const int m1 = platform::LenientInteger(MonthField(low));
  const int d1 = platform::LenientInteger(DayField(low));
  const int y2 = platform::LenientInteger(YearField(high));
  const int m2 = platform::LenientInteger(MonthField(high));
  const int d2 = platform::LenientInteger(DayField(high));

  // The count is the days left in the first month, the whole months and years between, and the
  // days into the last month. Only the months that count are looked up, so only they can raise
  // 9: a year or month outside the table that the count does not cross is never read. With
  // 16-bit fields and at most the table's days between, the sums stay far inside 32 bits.
  if (y2 == y1) {
    if (m2 == m1) return d2 - d1;
    const int first_month_length = MonthLength(y1, m1);
    if (m2 <= m1 + 1) return first_month_length - d1 + d2;
    if (m2 - 1 > 12) throw RunTimeError::SubscriptOutOfRange();
    return detail::FirstDayOf(y1, m2) - detail::FirstDayOf(y1, m1) - d1 + d2;
  }
  if (y2 < y1) return 0;
  MonthLength(y1, m1);  // the first month is always read
  if (y2 - 1 > kLastYear && y2 >= y1 + 2) throw RunTimeError::SubscriptOutOfRange();
  const bool reads_last_year = m2 >= 2;
  if (reads_last_year && (y2 > kLastYear || m2 - 1 > 12)) {
    throw RunTimeError::SubscriptOutOfRange();
  }
  const std::int32_t last_start = detail::FirstDayOf(y2, reads_last_year ? m2 : 1);
  return last_start - detail::FirstDayOf(y1, m1) - d1 + d2;
}

std::string AddBsDays(const std::string& date, const std::int32_t& days) {
  EnsureMonthTable();
  int year = platform::StrictInteger(YearField(date));
  int month = platform::StrictInteger(MonthField(date));
  const int day = platform::StrictInteger(DayField(date));
  const std::int32_t n = CheckedInt32(std::int64_t{day} + days);

  // A month of 00 counts as month 12 of the same year, one above 12 as month 1 of the next.
  if (month > 12) {
    month = 1;
    ++year;
  } else if (month == 0) {
    month = 12;
  }
  MonthLength(year, month);  // the month the count starts from is always read
  // Day n of the month, counted on into the following months when it lies beyond the month's
  // end; a day of 0 or below counts back into the months before.
  return TextOfDay(std::int64_t{detail::FirstDayOf(year, month)} + n - 1);
}

std::string AdToBs(const std::string& ad_date) {
  EnsureMonthTable();
  static const platform::Date epoch = platform::TextToDate(kEpochAdText);
  const platform::Date date = platform::TextToDate(ad_date);
  const std::int32_t n = CheckedInt32(std::llabs(platform::DayDifference(epoch, date)));
  // The same as adding n days to 1500/01/01, the epoch's BS date.
  return TextOfDay(n);
}

void CheckDateBox(platform::TextBox& box, const std::uint8_t& calendar) {
  if (calendar != 2) return;
  EnsureMonthTable();

  int year = platform::LenientInteger(YearField(box.Text()));
  int month = LenientByte(MonthField(box.Text()));
  const int day = LenientByte(DayField(box.Text()));

  // A year outside the table takes this year's BS year for the day limit; the year as typed stays.
  if (year < kFirstYear || year > kLastYear) {
    const std::string today = AdToBs(platform::DateToText(platform::Today()));
    year = platform::StrictInteger(YearField(today));
  }

  ReplaceField(box, kMonthStart, TwoDigitText(month));
  ReplaceField(box, kDayStart, TwoDigitText(day));

  // Compared as texts, so a prompt character, which sorts after the digits, lands above the range.
  if (box.Text() > kLastDate || box.Text() < kFirstDate || box.Text() == kEmptyBox ||
      box.Text() == kNoDate) {
    box.SetText(std::string(kNoDate));
    return;
  }

  if (month == 0) {
    ReplaceField(box, kMonthStart, "01");
    month = 1;
  } else if (month > 12) {
    ReplaceField(box, kMonthStart, "12");
    month = 12;
  }
  const int length = MonthLength(year, month);
  if (day == 0) {
    ReplaceField(box, kDayStart, "01");
  } else if (day > length) {
    ReplaceField(box, kDayStart, std::to_string(length));
  }
}

std::string CheckedDateText(const std::string& typed, const std::uint8_t& calendar) {
  PlainTextBox box(typed);
  CheckDateBox(box, calendar);
  return box.Text();
}

}  // namespace cdnDate
