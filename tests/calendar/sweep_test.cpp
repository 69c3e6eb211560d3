#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "calendar/cdn_date.h"
#include "platform/system/date_services.h"

namespace {

// The AD date `days` days after 1443/04/05, counted by hand, day by day.
class AdDays {
 public:
  std::string Text() const { return platform::DateToText(date_); }
  void Next() {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (date_.year % 4 == 0 && date_.year % 100 != 0) || date_.year % 400 == 0;
    const int length = date_.month == 2 && leap ? 29 : kDays[date_.month - 1];
    if (++date_.day > length) {
      date_.day = 1;
      if (++date_.month > 12) {
        date_.month = 1;
        ++date_.year;
      }
    }
  }

 private:
  platform::Date date_{1443, 4, 5};
};

// The BS date `days` days after 1500/01/01, stepped day by day over the month lengths.
class BsDays {
 public:
  std::string Text() const {
    return platform::DateToText({year_, month_, day_});  // the same form, and cheap
  }
  void Next() {
    if (++day_ > cdnDate::MonthLength(year_, month_)) {
      day_ = 1;
      if (++month_ > 12) {
        month_ = 1;
        ++year_;
      }
    }
  }

 private:
  int year_ = 1500;
  int month_ = 1;
  int day_ = 1;
};

// Every day of the table: adding n days to the first day, counting the days back to it, and
// converting the AD day n days after the epoch all give the BS date n days on.
TEST(TableSweep, EveryDayOfTheTable) {
  cdnDate::EnsureMonthTable();
  const std::string kFirstDay = "1500/01/01";
  std::string first = kFirstDay;  // the pairs come in order, so the count writes nothing back
  AdDays ad;
  BsDays bs;
  for (std::int32_t n = 0; n <= 1278771; ++n, ad.Next(), bs.Next()) {
    const std::string expected = bs.Text();
    std::string date = cdnDate::AddBsDays(kFirstDay, n);
    const bool added = date == expected;
    const std::int32_t count = cdnDate::BsDaysBetween(first, date);
    const std::string converted = cdnDate::AdToBs(ad.Text());
    if (!added || count != n || first != kFirstDay || converted != expected) {
      FAIL() << "day " << n << " is " << expected << ": added " << date << ", counted " << count
             << " from " << first << ", AD " << ad.Text() << " gave " << converted;
    }
  }
  EXPECT_EQ(ad.Text(), "4944/06/01");
  EXPECT_EQ(bs.Text(), "5001/01/01");
}

}  // namespace
