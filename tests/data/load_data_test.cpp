#include "data/load_data.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "calendar/cdn_date.h"
#include "platform/controls/memory_list_view.h"
#include "platform/run_time_error.h"
#include "tests/fakes/fake_provider.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::MemoryListView;
using platform::RunTimeError;
using platform::db::Value;
using Kind = platform::db::Value::Kind;

const std::string kStructurePrefix =
    "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf as snf,ts_comm,rate,Amount "
    "from TRAN Where ne_date='";

std::string StructureQuery(const std::string& date) { return kStructurePrefix + date + "'"; }

std::string DayQuery(const std::string& key) {
  return "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf,ts_comm,rate,"
         "Volume_lt*rate as Amount from TRAN Where ne_date='" +
         key + "' order by ne_date, Mem_Code";
}

Value Text(const std::string& text) { return Value::Of(Kind::kText, text); }
Value Number(const std::string& text) { return Value::Of(Kind::kNumber, text); }

std::vector<Value> Record(const std::string& member, const std::string& stored_date) {
  return {Text(member),  Text(stored_date), Text("M"),       Number("12.35"),   Number("4.5"),
          Number("8.2"), Number("0.5"),     Number("38.25"), Number("472.3875")};
}

// The first column's text of every item.
std::vector<std::string> Members(const MemoryListView& list) {
  std::vector<std::string> texts;
  for (const auto& item : list.items()) texts.push_back(item.text);
  return texts;
}

// A list that already shows something, to see whether a load replaced it.
MemoryListView PreviousList() {
  MemoryListView list;
  list.AddColumnHeader("old", 99, platform::ColumnKind::kNumber);
  list.SetItemText(list.AddItem(), "old row");
  return list;
}

// "yyyy/mm/dd" dates from `first`, `count` days, stepped with the month lengths alone.
std::vector<std::string> DayKeysFrom(int year, int month, int day, int count) {
  cdnDate::EnsureMonthTable();
  std::vector<std::string> keys;
  for (int i = 0; i < count; ++i) {
    char key[40];
    std::snprintf(key, sizeof key, "%02d/%02d/%04d", day, month, year);
    keys.push_back(key);
    if (++day > cdnDate::MonthLength(year, month)) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
  return keys;
}

TEST(LoadCalls, ConnectionStringAndBothQueriesAreExact) {
  fakes::FakeProvider provider;
  MemoryListView list;
  data::LoadData(list, "/data/Dairy Folder/tran.dbf", "2079/05/12", "2079/05/12", provider);

  ASSERT_EQ(provider.connection_strings().size(), 1u);
  EXPECT_EQ(provider.connection_strings()[0],
            "Provider=vfpoledb;Data Source=/data/Dairy Folder/tran.dbf;Collating Sequence=machine");
  EXPECT_EQ(provider.sources(),
            (std::vector<std::string>{StructureQuery("2079/05/12"), DayQuery("12/05/2079")}));
  EXPECT_EQ(provider.live_connections(), 0);
  EXPECT_EQ(provider.live_recordsets(), 0);

  // A path that holds what would end or change the value is passed quoted, so it stays one value.
  const struct {
    const char* path;
    const char* data_source;
  } quoted[] = {
      {"/data/z;Data Source=/other/tran.dbf", "\"/data/z;Data Source=/other/tran.dbf\""},
      {"/data/say \"hi\"/tran.dbf", "\"/data/say \"\"hi\"\"/tran.dbf\""},
      {"/data/Ram's/tran.dbf", "\"/data/Ram's/tran.dbf\""},
      {" /data/tran.dbf", "\" /data/tran.dbf\""},
      {"/data/a=b/tran.dbf", "/data/a=b/tran.dbf"},
  };
  for (const auto& c : quoted) {
    SCOPED_TRACE(c.path);
    fakes::FakeProvider quoting;
    data::LoadData(list, c.path, "2079/05/12", "2079/05/12", quoting);
    EXPECT_EQ(quoting.connection_strings().at(0), std::string("Provider=vfpoledb;Data Source=") +
                                                      c.data_source +
                                                      ";Collating Sequence=machine");
  }
}

// A folder whose name holds what a connection string gives a meaning to loads its own table, and
// never the table its name seems to name.
TEST(LoadCalls, FoldersWithSeparatorsQuotesOrBlanksInTheirNamesLoadTheirOwnTable) {
  test_support::TempDir dir;
  const std::filesystem::path other = dir.path() / "other";
  std::filesystem::create_directory(other);
  std::ofstream(other / "TRAN.dbf") << "not a table";
#ifdef _WIN32
  // Windows names hold no quote, colon or slash, and lose blanks at their end.
  const std::string names[] = {"z;Data Source=other", "Ram's; x=y", " blank at the start"};
#else
  const std::string names[] = {"z;Data Source=" + other.string(), "say \"hi\"", "Ram's; x=y",
                               " blank at each end "};
#endif
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::filesystem::path folder = dir.path() / name;
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(KOLVEX_SOURCE_DIR "/samples/TRAN.dbf", folder / "TRAN.dbf");
    MemoryListView list;
    data::LoadData(list, (folder / "TRAN.dbf").string(), "2081/01/01", "2081/01/01");
    EXPECT_GT(list.ItemCount(), 300u);
  }
}

TEST(LoadCalls, ReversedDatesWalkFromTheEarlierAndFilterTheStructureOnTheFirst) {
  fakes::FakeProvider provider;
  MemoryListView list;
  data::LoadData(list, "t.dbf", "2081/01/03", "2081/01/01", provider);
  EXPECT_EQ(provider.sources(),
            (std::vector<std::string>{StructureQuery("2081/01/03"), DayQuery("01/01/2081"),
                                      DayQuery("02/01/2081"), DayQuery("03/01/2081")}));
}

TEST(LoadCalls, EveryDayAcrossMonthAndYearEndsIsQueriedOnce) {
  // From the fifth-last day of 2080 into 2081.
  cdnDate::EnsureMonthTable();
  const int last_day = cdnDate::MonthLength(2080, 12);
  const std::string first = "2080/12/" + std::to_string(last_day - 4);
  const std::vector<std::string> keys = DayKeysFrom(2080, 12, last_day - 4, 40);

  fakes::FakeProvider provider;
  MemoryListView list;
  data::LoadData(list, "t.dbf", first, "2081/02/" + keys.back().substr(0, 2), provider);

  std::vector<std::string> expected = {StructureQuery(first)};
  for (const std::string& key : keys) expected.push_back(DayQuery(key));
  EXPECT_EQ(provider.sources(), expected);
}

// A load is one event of the window's: it starts no thread, and holds one record set at a time.
TEST(LoadCalls, EveryQueryRunsOnTheCallingThreadOneRecordSetAtATime) {
  fakes::FakeProvider provider;
  for (const std::string day : {"2081/01/01", "2081/01/02", "2081/01/15"}) {
    provider.SetDay(day, {Record("0001", day.substr(8, 2) + "/01/2081")});
  }
  MemoryListView list;
  data::LoadData(list, "t.dbf", "2081/01/01", "2081/01/15", provider);

  EXPECT_EQ(list.ItemCount(), 3u);
  ASSERT_EQ(provider.opens().size(), 16u);
  for (const fakes::FakeOpen& open : provider.opens()) {
    EXPECT_EQ(open.thread, std::this_thread::get_id()) << open.source;
  }
  EXPECT_EQ(provider.peak_recordsets(), 1);
}

TEST(LoadList, HeadersAndKindsComeFromTheStructureQueryEvenWithoutRows) {
  fakes::FakeProvider provider;
  const std::vector<std::string> names = {"MEM_CODE", "ne_date", "Coll_Time", "volume_lt", "fat",
                                          "snf",      "ts_comm", "rate",      "Amount"};
  // Only number fields make number columns: a date or logical field is text, and so is a
  // column whose type is not known. The day queries' types do not count.
  using Type = platform::db::DataType;
  const std::vector<Type> types = {Type::kText,   Type::kDate,    Type::kLogical,
                                   Type::kNumber, Type::kUnknown, Type::kNumber,
                                   Type::kBinary, Type::kNumber,  Type::kNumber};
  provider.SetResult(StructureQuery("2081/01/01"), {names, {}, types});
  provider.SetResult(DayQuery("01/01/2081"), {names, {Record("1", "01/01/2081")}, {}});
  MemoryListView list = PreviousList();
  data::LoadData(list, "t.dbf", "2081/01/01", "2081/01/02", provider);

  using platform::ColumnKind;
  const std::vector<ColumnKind> kinds = {
      ColumnKind::kText,   ColumnKind::kText,   ColumnKind::kText,
      ColumnKind::kNumber, ColumnKind::kText,   ColumnKind::kNumber,
      ColumnKind::kText,   ColumnKind::kNumber, ColumnKind::kNumber};
  ASSERT_EQ(list.columns().size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(list.columns()[i].text, names[i]);
    EXPECT_EQ(list.columns()[i].width_twips, 1400);
    EXPECT_EQ(list.columns()[i].kind, kinds[i]);
  }
  EXPECT_EQ(list.items().size(), 1u);
}

TEST(LoadList, RowsKeepTheirTextsAndShowTheStoredDateYearFirst) {
  fakes::FakeProvider provider;
  std::vector<Value> record = {Text("00123 "), Text("05/03/2079"), Text("E "),
                               Number("7.25"), Number("3"),        Value::Null(),
                               Number("-0.5"), Number("65.1"),     Number("471.975")};
  provider.SetRows(DayQuery("05/03/2079"), {record});
  MemoryListView list;
  data::LoadData(list, "t.dbf", "2079/03/05", "2079/03/05", provider);

  ASSERT_EQ(list.items().size(), 1u);
  EXPECT_EQ(list.items()[0].text, "00123 ");
  EXPECT_EQ(list.items()[0].sub_items, (std::vector<std::string>{"2079/03/05", "E ", "7.25", "3",
                                                                 "", "-0.5", "65.1", "471.975"}));
}

TEST(LoadList, DaysFollowEachOtherInDateOrderAndDaysWithoutRowsAddNothing) {
  fakes::FakeProvider provider;
  provider.SetRows(DayQuery("01/01/2081"), {Record("2", "01/01/2081"), Record("1", "01/01/2081")});
  provider.SetRows(DayQuery("03/01/2081"), {Record("3", "03/01/2081")});
  MemoryListView list;
  data::LoadData(list, "t.dbf", "2081/01/03", "2081/01/01", provider);
  // The provider's order within a day is kept: the loader never sorts.
  EXPECT_EQ(Members(list), (std::vector<std::string>{"2", "1", "3"}));
}

TEST(LoadList, ASecondLoadReplacesEveryColumnAndItem) {
  fakes::FakeProvider provider;
  provider.SetRows(DayQuery("01/01/2081"), {Record("1", "01/01/2081")});
  provider.SetRows(DayQuery("02/01/2081"), {Record("2", "02/01/2081")});
  MemoryListView list;
  data::LoadData(list, "t.dbf", "2081/01/01", "2081/01/01", provider);
  data::LoadData(list, "t.dbf", "2081/01/02", "2081/01/02", provider);
  EXPECT_EQ(Members(list), std::vector<std::string>{"2"});
  EXPECT_EQ(list.columns().size(), 9u);
}

TEST(LoadList, OnlyFieldsNamedNeDateAfterTheFirstAreRewritten) {
  struct Case {
    std::string name;
    std::string stored;
    std::string shown;
  };
  const Case cases[] = {
      {"ne_date", "12/05/2079", "2079/05/12"},
      {"NE_DATE", "12/05/2079", "2079/05/12"},
      {"Ne_Date2", "12/05/2079", "2079/05/12"},
      {"date", "12/05/2079", "12/05/2079"},
      {"x_ne_date", "12/05/2079", "12/05/2079"},
      {"ne_dat", "12/05/2079", "12/05/2079"},
      // Texts too short for the positions give what they hold, never an error.
      {"ne_date", "", "//"},
      {"ne_date", "1/5", "1/5//1/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " " + c.stored);
    fakes::FakeProvider provider;
    provider.SetResult(DayQuery("01/01/2081"),
                       {{"ne_date", c.name}, {{Text("x"), Text(c.stored)}}});
    MemoryListView list;
    data::LoadData(list, "t.dbf", "2081/01/01", "2081/01/01", provider);
    ASSERT_EQ(list.items().size(), 1u);
    EXPECT_EQ(list.items()[0].text, "x");
    EXPECT_EQ(list.items()[0].sub_items, std::vector<std::string>{c.shown});
  }
}

// Where a load fails and what the list holds afterwards.
TEST(LoadFailure, TheListHoldsWhatWasReadBeforeTheFault) {
  const RunTimeError kTableError(platform::error::kTableNotFound, "TRAN is missing");
  struct Case {
    const char* where;
    std::optional<RunTimeError> connect_error;
    std::optional<std::size_t> failing_query;  // 0 = structure query, k = day k
    std::string from;
    std::string to;
    bool null_member_on_day_2 = false;
    std::int32_t number;
    bool unchanged;
    std::vector<std::string> members;  // items afterwards when the list was replaced
    std::string says = {};             // the end of the description, when the load's own
  };
  const Case cases[] = {
      {"connect",
       kTableError,
       {},
       "2081/01/01",
       "2081/01/03",
       false,
       kTableError.number(),
       true,
       {}},
      {"structure query", {}, 0, "2081/01/01", "2081/01/03", false, kTableError.number(), true, {}},
      {"first day query",
       {},
       1,
       "2081/01/01",
       "2081/01/03",
       false,
       kTableError.number(),
       false,
       {}},
      {"third day query",
       {},
       3,
       "2081/01/01",
       "2081/01/03",
       false,
       kTableError.number(),
       false,
       {"a1", "b1", "a2", "b2"}},
      {"blank first date",
       {},
       {},
       "0000/00/00",
       "2081/01/03",
       false,
       9,
       false,
       {},
       "The first date is not a BS date from 1500/01/01 to 5000/12/31: type a date as "
       "yyyy/mm/dd."},
      {"blank last date",
       {},
       {},
       "2081/01/03",
       "0000/00/00",
       false,
       9,
       false,
       {},
       "The last date is not a BS date"},
      {"year before the table",
       {},
       {},
       "1499/01/01",
       "2081/01/03",
       false,
       9,
       false,
       {},
       "The first date is not a BS date"},
      {"a digit not typed",
       {},
       {},
       "2081/01/0_",
       "2081/01/1_",
       false,
       13,
       false,
       {},
       "The first date is not a BS date"},
      {"null member code",
       {},
       {},
       "2081/01/01",
       "2081/01/03",
       true,
       platform::error::kInvalidUseOfNull,
       false,
       {"a1", "b1", "a2", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    fakes::FakeProvider provider;
    for (int day = 1; day <= 3; ++day) {
      const std::string key = "0" + std::to_string(day) + "/01/2081";
      std::vector<Value> second = Record("b" + std::to_string(day), key);
      if (c.null_member_on_day_2 && day == 2) second[0] = Value::Null();
      provider.SetRows(DayQuery(key), {Record("a" + std::to_string(day), key), second});
    }
    if (c.connect_error) provider.FailConnect(*c.connect_error);
    if (c.failing_query) provider.FailQuery(*c.failing_query, kTableError);

    MemoryListView list = PreviousList();
    try {
      data::LoadData(list, "t.dbf", c.from, c.to, provider);
      ADD_FAILURE() << "no error";
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.number(), c.number);
      if (c.number == kTableError.number()) {
        EXPECT_NE(error.description().find(c.says), std::string::npos) << error.description();
      } else {
        // The error keeps its own words; which value to mend goes beside them.
        EXPECT_EQ(error.description(),
                  platform::error::Title(static_cast<platform::error::Number>(c.number)));
        EXPECT_FALSE(error.advice().empty());
        EXPECT_NE(error.advice().find(c.says), std::string::npos) << error.advice();
      }
    }

    if (c.unchanged) {
      ASSERT_EQ(list.columns().size(), 1u);
      EXPECT_EQ(list.columns()[0].text, "old");
      EXPECT_EQ(Members(list), std::vector<std::string>{"old row"});
    } else {
      EXPECT_EQ(list.columns().size(), 9u);
      EXPECT_EQ(Members(list), c.members);
    }
    if (c.null_member_on_day_2) {
      EXPECT_TRUE(list.items().back().sub_items.empty());
    }
    EXPECT_EQ(provider.live_connections(), 0);
    EXPECT_EQ(provider.live_recordsets(), 0);
  }
}

TEST(LoadFailure, ARangeEndingOnTheLastDayListsItsRowsThenFails) {
  fakes::FakeProvider provider;
  provider.SetRows(DayQuery("30/12/5000"), {Record("a", "30/12/5000")});
  provider.SetRows(DayQuery("31/12/5000"), {Record("b", "31/12/5000")});
  cdnDate::EnsureMonthTable();
  const std::string last = "5000/12/" + std::to_string(cdnDate::MonthLength(5000, 12));
  ASSERT_EQ(last, "5000/12/31");
  MemoryListView list;
  try {
    data::LoadData(list, "t.dbf", "5000/12/30", last, provider);
    ADD_FAILURE() << "no error";
  } catch (const RunTimeError& error) {
    EXPECT_EQ(error.number(), platform::error::kSubscriptOutOfRange);
    EXPECT_EQ(error.description(), "Subscript out of range");
    EXPECT_EQ(error.advice(), "The calendar ends on 5000/12/31: end the range a day earlier.");
  }
  EXPECT_EQ(Members(list), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
