#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "calendar/cdn_date.h"
#include "platform/system/date_services.h"
#include "tests/calendar/outcome.h"
#include "tests/fakes/fake_text_box.h"

namespace {

constexpr std::uint8_t kBs = 2;

// The box's text after the check, or the error it raised.
Outcome Check(const std::string& typed) {
  fakes::FakeTextBox box(typed);
  const Outcome outcome = Capture([&] {
    cdnDate::CheckDateBox(box, kBs);
    return std::string();
  });
  return outcome.error != 0 ? outcome : Outcome{box.Text()};
}

struct BoxCase {
  std::string typed;
  std::string after;
};

// Today being BS 2079/05/12.
const BoxCase kBoxCases[] = {
    {"2079/05/12", "2079/05/12"},
    // Fields completed from their leading number; a leading prompt reads as 0.
    {"2079/5_/3_", "2079/05/03"},
    {"2079/__/__", "2079/01/01"},
    {"2079/00/00", "2079/01/01"},
    {"2079/_5/1_", "2079/01/01"},
    // Month and day clamped to the calendar.
    {"2079/13/05", "2079/12/05"},
    {"4999/99/99", "4999/12/31"},
    {"2079/12/31", "2079/12/30"},
    {"2079/12/32", "2079/12/30"},
    {"2079/05/32", "2079/05/31"},
    {"2079/03/32", "2079/03/32"},
    // Outside the range or empty: the no-date marker.
    {"____/__/__", "0000/00/00"},
    {"1499/12/30", "0000/00/00"},
    {"5001/01/01", "0000/00/00"},
    {"0000/00/00", "0000/00/00"},
    {"____/05/12", "0000/00/00"},
    {"5000/12/32", "0000/00/00"},
    {"5000/13/01", "0000/00/00"},
    {"1500/00/05", "0000/00/00"},  // the range is tested before the month is clamped
    {"1500/01/01", "1500/01/01"},
    {"5000/12/31", "5000/12/31"},
    {"5000/12/3_", "5000/12/03"},  // the day is completed before the range test
    // A partly typed year stays; the day limit comes from this year's calendar.
    {"2___/05/32", "2___/05/31"},
    {"207_/12/31", "207_/12/30"},
    {"2___/__/__", "2___/01/01"},
    {"20__/02/32", "20__/02/31"},
};

TEST(DateBoxCheck, CompletesClampsOrRefuses) {
  const platform::ScopedToday today({2022, 8, 28});  // BS 2079/05/12
  for (const BoxCase& c : kBoxCases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(Check(c.typed), Outcome{c.after});
  }
}

// A date given without a box, as the command takes FROM and TO, is the text the box would hold.
TEST(DateBoxCheck, ATextCheckedWithoutABoxIsWhatTheBoxWouldHold) {
  const platform::ScopedToday today({2022, 8, 28});
  for (const BoxCase& c : kBoxCases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(cdnDate::CheckedDateText(c.typed, kBs), c.after);
  }
  EXPECT_EQ(cdnDate::CheckedDateText("2079/13/32", 0), "2079/13/32");
  EXPECT_EQ(Capture([] { return cdnDate::CheckedDateText("2079/-1/05", kBs); }), Error(6));
}

TEST(DateBoxCheck, PartlyTypedYearTakesTodaysBsYear) {
  const platform::ScopedToday today({2023, 4, 14});  // BS 2080/01/01; month 2 of 2080 has 32 days
  EXPECT_EQ(Check("20__/02/32"), Outcome{"20__/02/32"});
  EXPECT_EQ(Check("20__/02/33"), Outcome{"20__/02/32"});
}

TEST(DateBoxCheck, EditsFieldsThroughTheSelection) {
  const platform::ScopedToday today({2022, 8, 28});
  fakes::CallLog log;
  fakes::FakeTextBox box("2079/13/32", &log);
  cdnDate::CheckDateBox(box, kBs);
  EXPECT_EQ(box.Text(), "2079/12/30");
  const std::vector<std::string> expected = {"SetSelStart 5", "SetSelLength 2", "SetSelText 13",
                                             "SetSelStart 8", "SetSelLength 2", "SetSelText 32",
                                             "SetSelStart 5", "SetSelLength 2", "SetSelText 12",
                                             "SetSelStart 8", "SetSelLength 2", "SetSelText 30"};
  EXPECT_EQ(log.calls(), expected);
}

TEST(DateBoxCheck, RefusalReplacesTheWholeText) {
  fakes::CallLog log;
  fakes::FakeTextBox box("5001/1_/__", &log);
  cdnDate::CheckDateBox(box, kBs);
  EXPECT_EQ(box.Text(), "0000/00/00");
  ASSERT_FALSE(log.calls().empty());
  EXPECT_EQ(log.calls().back(), "SetText 0000/00/00");
  EXPECT_EQ(std::count(log.calls().begin(), log.calls().end(), "SetText 0000/00/00"), 1);
}

TEST(DateBoxCheck, OtherSelectorsLeaveTheBoxAlone) {
  for (const std::uint8_t selector : {0, 1, 3, 255}) {
    fakes::CallLog log;
    fakes::FakeTextBox box("2079/13/32", &log);
    cdnDate::CheckDateBox(box, selector);
    EXPECT_EQ(box.Text(), "2079/13/32");
    EXPECT_TRUE(log.calls().empty());
  }
}

TEST(DateBoxCheck, ErrorsLeaveTheEditsMadeSoFar) {
  const platform::ScopedToday today({2022, 8, 28});
  // A field below 0 does not fit a byte: nothing is edited yet.
  EXPECT_EQ(Check("2079/-1/05"), Error(6));
  EXPECT_EQ(Check("2079/05/-5"), Error(6));

  // The box's own failure passes up; the fields rewritten before it stay.
  fakes::FakeTextBox box("5001/1_/__");
  box.FailAt("SetText", platform::RunTimeError(platform::error::kInvalidPropertyValue));
  EXPECT_EQ(Capture([&] {
              cdnDate::CheckDateBox(box, kBs);
              return std::string();
            }),
            Error(380));
  EXPECT_EQ(box.Text(), "5001/01/00");

  // Today's BS year is needed only for a year outside the table; a today past it fails.
  const platform::ScopedToday far({9000, 1, 1});
  EXPECT_EQ(Check("2___/05/32"), Error(9));
  EXPECT_EQ(Check("2079/05/32"), Outcome{"2079/05/31"});
}

}  // namespace
