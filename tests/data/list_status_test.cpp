// The status line's words after a load and after a failure.
#include "data/list_status.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using data::ListContent;

const ListContent kMilk = {R"(C:\Milk\TRAN.dbf)", 5840, "2081/01/01", "2081/01/15", true};

TEST(StatusLine, SaysTheTableReadTheRecordsAndTheRange) {
  struct Case {
    ListContent content;
    std::string picked;
    std::string says;
  };
  const Case cases[] = {
      {kMilk, R"(C:\Milk\TRAN.dbf)",
       "C:\\Milk\\TRAN.dbf \u2014 5,840 records, 2081/01/01 to 2081/01/15"},
      {{"/srv/tran.DBF", 1, "2081/01/01", "2081/01/01", true},
       "/srv/TRAN.dbf",
       "/srv/tran.DBF \u2014 1 record, 2081/01/01"},
      {{"/srv/TRAN.dbf", 0, "2081/01/01", "2081/01/02", true},
       "/srv/TRAN_2080_backup.dbf",
       "/srv/TRAN.dbf \u2014 0 records, 2081/01/01 to 2081/01/02. TRAN_2080_backup.dbf was "
       "picked; the folder's TRAN.dbf was read."},
      {{R"(C:\M\TRAN.dbf)", 1234567, "2081/01/01", "2081/12/30", true},
       R"(C:\M\old\x.dbf)",
       "C:\\M\\TRAN.dbf \u2014 1,234,567 records, 2081/01/01 to 2081/12/30. x.dbf was picked; "
       "the folder's TRAN.dbf was read."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    EXPECT_EQ(data::StatusAfterLoad(c.content, c.picked), c.says);
  }
}

TEST(StatusLine, AfterAFailureSaysWhatTheListHoldsNow) {
  ListContent partial = kMilk;
  partial.records = 120;
  partial.complete = false;
  struct Case {
    std::string advice;
    std::optional<ListContent> content;
    bool unchanged;
    std::string says;
  };
  const Case cases[] = {
      {"", kMilk, true,
       "The list still holds 5,840 records of C:\\Milk\\TRAN.dbf, 2081/01/01 to 2081/01/15."},
      {"", partial, false,
       "The list holds the 120 records of C:\\Milk\\TRAN.dbf read before the failure, "
       "2081/01/01 to 2081/01/15 asked."},
      {"", partial, true,
       "The list still holds the 120 records of C:\\Milk\\TRAN.dbf read before an earlier "
       "failure, 2081/01/01 to 2081/01/15 asked."},
      {"Mend the date.", std::nullopt, true,
       "Mend the date. The list is empty: nothing has been loaded."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    EXPECT_EQ(data::StatusAfterFailure(c.advice, c.content, c.unchanged), c.says);
  }
}

}  // namespace
