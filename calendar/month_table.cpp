#include <cstddef>
#include <string_view>

#include "calendar/cdn_date.h"
#include "calendar/day_index.h"
#include "calendar/month_table_texts.h"
#include "calendar/number_text.h"
#include "platform/run_time_error.h"

namespace cdnDate {

std::array<std::array<std::uint8_t, 12>, kLastYear - kFirstYear + 1> MonthDays{};
bool MonthTableReady = false;

namespace detail {

std::array<std::int32_t, kMonthCount + 1> MonthStart{};

void BuildDayIndex() {
  std::int32_t day = 0;
  std::size_t k = 0;
  for (const auto& row : MonthDays) {
    for (const std::uint8_t length : row) {
      MonthStart[k++] = day;
      day += length;
    }
  }
  MonthStart[k] = day;
}

}  // namespace detail

namespace {

void CheckSubscripts(int year, int month) {
  if (year < kFirstYear || year > kLastYear || month < 1 || month > 12) {
    throw platform::RunTimeError::SubscriptOutOfRange();
  }
}

// Calls `take` with each piece of a comma-separated text, in order.
template <typename Take>
void ForEachItem(std::string_view list, Take take) {
  while (true) {
    const std::size_t comma = list.find(',');
    take(list.substr(0, comma));
    if (comma == std::string_view::npos) return;
    list.remove_prefix(comma + 1);
  }
}

std::uint8_t ByteValue(std::string_view text) {
  const std::int16_t value = platform::StrictInteger(text);
  if (value < 0 || value > 255) throw platform::RunTimeError::Overflow();
  return static_cast<std::uint8_t>(value);
}

}  // namespace

int MonthLength(int year, int month) {
  EnsureMonthTable();
  CheckSubscripts(year, month);
  return MonthDays[static_cast<std::size_t>(year - kFirstYear)]
                  [static_cast<std::size_t>(month - 1)];
}

void EnsureMonthTable() {
  if (MonthTableReady) return;
  BuildMonthTable();
  MonthTableReady = true;
}

void BuildMonthTable() {
  for (int pattern = 0; pattern < detail::kPatternCount; ++pattern) {
    std::array<std::uint8_t, 12> lengths{};
    std::size_t count = 0;
    ForEachItem(detail::kPatternTexts[static_cast<std::size_t>(pattern)],
                [&](std::string_view item) {
                  if (count >= lengths.size()) throw platform::RunTimeError::SubscriptOutOfRange();
                  lengths[count++] = ByteValue(item);
                });
    if (count != lengths.size()) throw platform::RunTimeError::SubscriptOutOfRange();
    ForEachItem(detail::kYearListTexts[static_cast<std::size_t>(pattern)],
                [&](std::string_view item) {
                  const int year = platform::StrictInteger(item);
                  for (int month = 1; month <= 12; ++month) {
                    CheckSubscripts(year, month);
                    MonthDays[static_cast<std::size_t>(year - kFirstYear)]
                             [static_cast<std::size_t>(month - 1)] =
                                 lengths[static_cast<std::size_t>(month - 1)];
                  }
                });
  }
  detail::BuildDayIndex();
}

}  // namespace cdnDate
