#include "platform/system/date_services.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/run_time_error.h"

namespace {

using platform::Date;

TEST(DateText, WritesYearMonthDay) {
  EXPECT_EQ(platform::DateToText({2022, 8, 28}), "2022/08/28");
  EXPECT_EQ(platform::DateToText({1443, 4, 5}), "1443/04/05");
  EXPECT_EQ(platform::DateToText({1, 1, 1}), "0001/01/01");
  EXPECT_EQ(platform::DateToText({9999, 12, 31}), "9999/12/31");
}

TEST(DateText, ReadsDates) {
  const std::pair<std::string, Date> cases[] = {
      {"2022/08/28", {2022, 8, 28}}, {"2022-08-28", {2022, 8, 28}},  {"2022/8/28", {2022, 8, 28}},
      {"2022/08/2", {2022, 8, 2}},   {"2022/8/2", {2022, 8, 2}},     {"1443/04/05", {1443, 4, 5}},
      {"0001/01/01", {1, 1, 1}},     {"9999/12/31", {9999, 12, 31}}, {"2024/02/29", {2024, 2, 29}},
      {"2000/02/29", {2000, 2, 29}},
  };
  for (const auto& [text, date] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(platform::TextToDate(text), date);
  }
}

TEST(DateText, RefusesWhatIsNotADate) {
  const std::string cases[] = {
      "",           "2022",       "2022/08",     "2022/02/30",  "2023/02/29",  "1900/02/29",
      "2022/13/01", "2022/00/10", "2022/08/00",  "2022/08/32",  "0000/01/01",  "22/08/28",
      "2022/08-28", "2022.08.28", "2022/08/28 ", " 2022/08/28", "2022/008/28", "2022/08/028",
      "2022//28",   "2022/08/",   "2O22/08/28",  "-022/08/28",  "2022/+8/28",  "12022/08/28",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    try {
      platform::TextToDate(text);
      ADD_FAILURE() << "accepted";
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), 13);
    }
  }
}

TEST(DayDifference, CountsCalendarDays) {
  EXPECT_EQ(platform::DayDifference({1443, 4, 5}, {2022, 8, 28}), 211621);
  EXPECT_EQ(platform::DayDifference({2022, 8, 28}, {1443, 4, 5}), -211621);
  EXPECT_EQ(platform::DayDifference({2024, 2, 28}, {2024, 3, 1}), 2);
  EXPECT_EQ(platform::DayDifference({2023, 2, 28}, {2023, 3, 1}), 1);
  EXPECT_EQ(platform::DayDifference({1, 1, 1}, {9999, 12, 31}), 3652058);
}

// Against the standard library's civil calendar, over every day of some centuries and the first
// of every month of the whole range.
TEST(DayDifference, AgreesWithTheCivilCalendar) {
  using namespace std::chrono;
  const auto day_number = [](const Date& d) {
    return sys_days(year_month_day(year(d.year), month(static_cast<unsigned>(d.month)),
                                   day(static_cast<unsigned>(d.day))))
        .time_since_epoch()
        .count();
  };
  const Date origin{1443, 4, 5};
  for (int y = 1; y <= 9999; ++y) {
    for (int m = 1; m <= 12; ++m) {
      const Date d{y, m, 1};
      ASSERT_EQ(platform::DayDifference(origin, d), day_number(d) - day_number(origin))
          << platform::DateToText(d);
    }
  }
  for (sys_days t = sys_days(year(1896) / 1 / 1); t < sys_days(year(2104) / 1 / 1); t += days(1)) {
    const year_month_day ymd(t);
    const Date d{static_cast<int>(ymd.year()), static_cast<int>(unsigned(ymd.month())),
                 static_cast<int>(unsigned(ymd.day()))};
    ASSERT_EQ(platform::DayDifference(origin, d), day_number(d) - day_number(origin))
        << platform::DateToText(d);
    ASSERT_EQ(platform::TextToDate(platform::DateToText(d)), d);
  }
}

TEST(Today, TestsCanSetIt) {
  const Date real = platform::Today();
  EXPECT_NO_THROW(platform::TextToDate(platform::DateToText(real)));
  {
    const platform::ScopedToday outer({2022, 8, 28});
    EXPECT_EQ(platform::Today(), (Date{2022, 8, 28}));
    {
      const platform::ScopedToday inner({2023, 4, 14});
      EXPECT_EQ(platform::Today(), (Date{2023, 4, 14}));
    }
    EXPECT_EQ(platform::Today(), (Date{2022, 8, 28}));
  }
  const Date after = platform::Today();
  EXPECT_TRUE(after == real || platform::DayDifference(real, after) == 1);
}

}  // namespace
