#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>

#include "calendar/cdn_date.h"
#include "tests/calendar/outcome.h"
#include "tests/calendar/reference_walk.h"

namespace {

struct CountCase {
  std::string first;
  std::string second;
  Outcome count;
  std::string first_after;
  std::string second_after;
};

TEST(DayCount, CountsAndOrdersTheDates) {
  const CountCase cases[] = {
      {"2079/01/01", "2079/01/01", {"0"}, "2079/01/01", "2079/01/01"},
      {"2079/01/01", "2079/01/02", {"1"}, "2079/01/01", "2079/01/02"},
      {"2080/01/01", "2079/12/30", {"1"}, "2079/12/30", "2080/01/01"},
      {"2079/03/15", "2079/05/10", {"58"}, "2079/03/15", "2079/05/10"},
      {"2078/11/29", "2081/02/03", {"795"}, "2078/11/29", "2081/02/03"},
      {"1500/01/01", "5000/12/31", {"1278771"}, "1500/01/01", "5000/12/31"},
      // Blank dates sort first, are emptied, and the count then reads year 0.
      {"2079/05/12", "0000/00/00", Error(9), "", "2079/05/12"},
      {"", "2079/05/12", Error(9), "", "2079/05/12"},
      {"0000/00/00", "0000/00/00", {"0"}, "", "0000/00/00"},
      {"", "", {"0"}, "", ""},
      {"0000/00/00", "", {"0"}, "", "0000/00/00"},
      // The prompt character sorts after the digits: exchanged, then a lower second year.
      {"207_/01/01", "2079/01/01", {"0"}, "2079/01/01", "207_/01/01"},
      // A day field past the month's end counts on as if the month were longer.
      {"2079/05/32", "2079/06/01", {"0"}, "2079/05/32", "2079/06/01"},
      // Months between the two that lie outside the table.
      {"2079/01/01", "2079/14/01", Error(9), "2079/01/01", "2079/14/01"},
      {"2079/01/01", "2079/13/01", {"365"}, "2079/01/01", "2079/13/01"},
      {"2079/00/05", "2079/02/01", Error(9), "2079/00/05", "2079/02/01"},
      // The year after the table is read only for its months before the second date's.
      {"5000/12/31", "5001/01/05", {"5"}, "5000/12/31", "5001/01/05"},
      {"4999/12/31", "5001/01/05", {"370"}, "4999/12/31", "5001/01/05"},
      {"5000/12/31", "5001/02/05", Error(9), "5000/12/31", "5001/02/05"},
      {"5000/12/31", "5002/01/01", Error(9), "5000/12/31", "5002/01/01"},
      {"1499/12/30", "1500/01/01", Error(9), "1499/12/30", "1500/01/01"},
      // A field whose number does not fit 16 bits.
      {"2079/01/01", "9e99/01/01", Error(6), "2079/01/01", "9e99/01/01"},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.first + " .. " + c.second);
    std::string first = c.first;
    std::string second = c.second;
    EXPECT_EQ(Capture([&] { return cdnDate::BsDaysBetween(first, second); }), c.count);
    EXPECT_EQ(first, c.first_after);
    EXPECT_EQ(second, c.second_after);
  }
}

struct AddCase {
  std::string date;
  std::int32_t days;
  Outcome result;
};

TEST(DayAddition, MovesByDays) {
  const AddCase cases[] = {
      {"2079/12/30", 1, {"2080/01/01"}},
      {"2079/12/29", 1, {"2079/12/30"}},
      {"1500/01/01", 0, {"1500/01/01"}},
      {"1500/01/01", 1278771, {"5000/12/31"}},
      {"5000/12/31", 1, Error(9)},
      {"1500/01/01", 1278772, Error(9)},
      {"2079/05/10", -3, {"2079/05/07"}},
      {"2079/05/32", 0, {"2079/06/01"}},
      {"2079/05/99", 0, {"2079/08/07"}},
      {"", 1, Error(13)},
      {"207_/05/01", 1, Error(13)},
      {"2079/5_/01", 1, Error(13)},
      {"2079/05/_1", 1, Error(13)},
      // Blanks around a field are allowed.
      {"2079/ 5/ 1", 0, {"2079/05/01"}},
      // Month 00 is month 12 of the same year, a month above 12 month 1 of the next.
      {"2079/00/05", 0, {"2079/12/05"}},
      {"2079/13/05", 0, {"2080/01/05"}},
      {"2079/99/31", 1, {"2080/02/01"}},
      {"5000/13/01", 0, Error(9)},
      // Before the 1st of the month the count goes back into the months before.
      {"2079/05/00", 0, {"2079/04/31"}},
      {"2079/05/01", -32, {"2079/03/32"}},
      {"2080/01/01", -1, {"2079/12/30"}},
      {"1500/01/01", -1, Error(9)},
      {"1499/12/31", 1, Error(9)},
      {"2079/05/10", INT32_MAX, Error(6)},
      {"2079/05/10", INT32_MIN, Error(9)},
  };
  for (const AddCase& c : cases) {
    SCOPED_TRACE(c.date + " + " + std::to_string(c.days));
    EXPECT_EQ(Capture([&] { return cdnDate::AddBsDays(c.date, c.days); }), c.result);
  }
}

TEST(AdConversion, ConvertsAdDates) {
  const std::pair<std::string, Outcome> cases[] = {
      {"2022/08/28", {"2079/05/12"}},
      {"2023/04/14", {"2080/01/01"}},
      {"2024/04/13", {"2081/01/01"}},
      {"2022-08-28", {"2079/05/12"}},
      {"1443/04/05", {"1500/01/01"}},
      {"1443/04/06", {"1500/01/02"}},
      {"1443/04/04", {"1500/01/02"}},  // days before the epoch count as days after it
      {"4944/05/31", {"5000/12/31"}},
      {"4944/06/01", Error(9)},
      {"9999/12/31", Error(9)},
      {"2022/02/30", Error(13)},
      {"", Error(13)},
      {"yesterday", Error(13)},
  };
  for (const auto& [ad, expected] : cases) {
    SCOPED_TRACE(ad);
    EXPECT_EQ(Capture([&ad = ad] { return cdnDate::AdToBs(ad); }), expected);
  }
}

TEST(AdConversion, AgreesWithTheWalkBeforeTheEpoch) {
  for (const std::string ad : {"0001/01/01", "0100/03/01", "1200/02/29", "1443/04/01"}) {
    SCOPED_TRACE(ad);
    EXPECT_EQ(Capture([&] { return cdnDate::AdToBs(ad); }),
              Capture([&] { return reference::AdToBs(ad); }));
  }
}

// Dates of every kind the callers can hand over, and odder ones: years and months at and past
// the table's edges, days past the month's end, prompt characters, blanks and short texts. The
// dates of a pair mostly lie in one stretch of years, which keeps the walk short.
class DateMaker {
 public:
  explicit DateMaker(unsigned seed) : random_(seed) {}

  // Picks the stretch of years that the next dates come from.
  void NewStretch() {
    static constexpr std::pair<int, int> kStretches[] = {
        {2070, 2090}, {2070, 2090}, {1495, 1505}, {4995, 5005}, {1500, 5000}};
    stretch_ = kStretches[Pick(0, 4)];
  }

  std::string Next() {
    switch (Pick(0, 19)) {
      case 0:
        return Pick(0, 1) == 0 ? "" : "0000/00/00";
      case 1:
        return Damage(Plain());
      case 2:
        return Plain().substr(0, static_cast<std::size_t>(Pick(0, 9)));
      default:
        return Plain();
    }
  }

  std::int32_t Count() {
    switch (Pick(0, 19)) {
      case 0:
        return Pick(0, 1278771);
      case 1:
        return Pick(1278772 - 5000, 1278772 + 40);
      case 2:
      case 3:
        return Pick(-40, 0);
      default:
        return Pick(0, 3000);
    }
  }

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

 private:
  std::string Plain() {
    const int year = Pick(stretch_.first, stretch_.second);
    const int month = Pick(0, 9) == 0 ? Pick(0, 20) : Pick(1, 12);
    const int day = Pick(0, 9) == 0 ? Pick(0, 40) : Pick(1, 32);
    return reference::Format(year, month, day);
  }

  std::string Damage(std::string date) {
    if (date.empty()) return date;
    const char odd[] = {'_', ' ', '-', '.', '+', 'e'};
    date[static_cast<std::size_t>(Pick(0, static_cast<int>(date.size()) - 1))] = odd[Pick(0, 5)];
    return date;
  }

  std::mt19937 random_;
  std::pair<int, int> stretch_{2070, 2090};
};

TEST(DayCount, AgreesWithTheWalk) {
  DateMaker maker(20790512);
  std::map<std::int32_t, int> errors;  // how often each kind of outcome came up
  for (int i = 0; i < 10000; ++i) {
    maker.NewStretch();
    const std::string first = maker.Next();
    const std::string second = maker.Next();
    std::string fast_first = first, fast_second = second;
    std::string walk_first = first, walk_second = second;
    const Outcome walked =
        Capture([&] { return reference::BsDaysBetween(walk_first, walk_second); });
    ASSERT_EQ(Capture([&] { return cdnDate::BsDaysBetween(fast_first, fast_second); }), walked)
        << first << " .. " << second;
    ASSERT_EQ(fast_first, walk_first);
    ASSERT_EQ(fast_second, walk_second);
    ++errors[walked.error];
  }
  EXPECT_GT(errors[0], 5000);
  EXPECT_GT(errors[9], 500);
  EXPECT_GT(errors[6], 10);
}

TEST(DayAddition, AgreesWithTheWalk) {
  DateMaker maker(20800101);
  std::map<std::int32_t, int> errors;
  for (int i = 0; i < 10000; ++i) {
    maker.NewStretch();
    const std::string date = maker.Next();
    const std::int32_t days = maker.Count();
    const Outcome walked = Capture([&] { return reference::AddBsDays(date, days); });
    ASSERT_EQ(Capture([&] { return cdnDate::AddBsDays(date, days); }), walked)
        << date << " + " << days;
    ++errors[walked.error];
  }
  EXPECT_GT(errors[0], 5000);
  EXPECT_GT(errors[9], 500);
  EXPECT_GT(errors[13], 500);
  EXPECT_GT(errors[6], 10);
}

TEST(DayAddition, UndoesTheDayCount) {
  DateMaker maker(4944);
  for (int i = 0; i < 5000; ++i) {
    std::string a = cdnDate::AddBsDays("1500/01/01", maker.Pick(0, 1278771));
    std::string b = cdnDate::AddBsDays("1500/01/01", maker.Pick(0, 1278771));
    const std::string later = std::max(a, b);
    const std::int32_t count = cdnDate::BsDaysBetween(a, b);
    ASSERT_EQ(cdnDate::AddBsDays(a, count), later) << a << " + " << count;
  }
}

}  // namespace
