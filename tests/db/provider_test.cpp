#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/db/ado.h"
#include "platform/db/number_format.h"
#include "tests/db/db_test_support.h"

namespace {

using platform::db::DbfProvider;
using platform::db::Recordset;

const std::string kStructureQuery =
    "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf as snf,ts_comm,rate,Amount "
    "from TRAN Where ne_date='";
const std::string kDayQuery =
    "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf,ts_comm,rate,"
    "Volume_lt*rate as Amount from TRAN Where ne_date='";

std::string ConnectionString(const std::filesystem::path& source) {
  return "Provider=vfpoledb;Data Source=" + source.string() + ";Collating Sequence=machine";
}

std::shared_ptr<platform::db::Connection> Connect(const std::filesystem::path& source) {
  auto connection = DbfProvider().NewConnection();
  connection->Open(ConnectionString(source), "", "", platform::db::kOptionUnspecified);
  return connection;
}

std::shared_ptr<Recordset> Query(const std::shared_ptr<platform::db::Connection>& connection,
                                 const std::string& sql) {
  auto records = DbfProvider().NewRecordset();
  records->SetCursorLocation(platform::db::kUseClient);
  records->Open(sql, connection, platform::db::kOpenForwardOnly, platform::db::kLockOptimistic,
                platform::db::kOptionUnspecified);
  return records;
}

// Every row as its values joined by "|".
std::vector<std::string> Rows(Recordset& records) {
  std::vector<std::string> rows;
  for (; !records.AtEof(); records.MoveNext()) {
    std::string row;
    for (std::size_t i = 0; i < records.FieldCount(); ++i) {
      if (i > 0) row += "|";
      row += platform::db::ValueToText(records.FieldValue(i));
    }
    rows.push_back(row);
  }
  return rows;
}

std::string DayQuery(const std::string& day_key) {
  return kDayQuery + day_key + "' order by ne_date, Mem_Code";
}

TEST(LoadQueries, StructureQueryReportsLowerCaseNamesInSelectOrder) {
  auto connection = Connect(db_test::Fixture("tran_vfp") / "TRAN.DBF");
  auto records = Query(connection, kStructureQuery + "2081/01/01'");
  std::vector<std::string> names;
  for (std::size_t i = 0; i < records->FieldCount(); ++i) names.push_back(records->FieldName(i));
  EXPECT_EQ(names, (std::vector<std::string>{"mem_code", "ne_date", "coll_time", "volume_lt", "fat",
                                             "snf", "ts_comm", "rate", "amount"}));
  EXPECT_TRUE(records->AtEof());
}

TEST(LoadQueries, FieldTypesComeFromTheTableAndComputedColumnsHaveNone) {
  using Type = platform::db::DataType;
  auto connection = Connect(db_test::Fixture("types_vfp") / "AllTypes.dbf");
  auto records = Query(connection,
                       "select name, num, day, note, flt, flag, cnt, dbl, price, stamp, pic, "
                       "num as alias, num * 2 as twice, 'x' as constant from alltypes");
  const std::vector<Type> expected = {Type::kText,    Type::kNumber,   Type::kDate,   Type::kText,
                                      Type::kNumber,  Type::kLogical,  Type::kNumber, Type::kNumber,
                                      Type::kNumber,  Type::kDateTime, Type::kBinary, Type::kNumber,
                                      Type::kUnknown, Type::kUnknown};
  ASSERT_EQ(records->FieldCount(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(records->FieldName(i));
    EXPECT_EQ(records->FieldType(i), expected[i]);
  }
  EXPECT_RUN_TIME_ERROR(records->FieldType(expected.size()), platform::error::kItemNotFound);
}

TEST(LoadQueries, DayQueryListsTheDaysLiveRecordsByMemberCodeBytes) {
  auto connection = Connect(db_test::Fixture("tran_vfp") / "TRAN.DBF");
  auto records = Query(connection, DayQuery("01/01/2081"));
  EXPECT_EQ(Rows(*records), (std::vector<std::string>{
                                "10    |01/01/2081|M|1.5|4|8.1|0|40|60",
                                "9     |01/01/2081|M|7.25|4.1|8.2|0|65.1|471.975",
                                "A1    |01/01/2081|E|2|4.2|8.3|0|45.5|91",
                                "B7    |01/01/2081|E|3|3.9|8|0.25|50|150",
                            }));
}

TEST(LoadQueries, ProductIsExactDecimalAndBlankVolumeCountsAsZero) {
  auto connection = Connect(db_test::Fixture("tran_vfp"));
  auto records = Query(connection, DayQuery("02/01/2081"));
  EXPECT_EQ(Rows(*records), (std::vector<std::string>{
                                "A1    |02/01/2081|M|0|4.2|8.3|0|45.5|0",
                                "A12   |02/01/2081|M|12.35|4.5|8.5|0.5|38.25|472.3875",
                            }));
}

// Queries that differ only in their literals, run one after another on one connection, give
// what each gives on a connection of its own: names, rows, order and failures.
TEST(LoadQueries, QueriesOfOneShapeRunAsEachDoesAlone) {
  const std::string path = (db_test::Fixture("tran_vfp") / "TRAN.DBF").string();
  const std::string queries[] = {
      DayQuery("01/01/2081"),
      DayQuery("02/01/2081"),
      DayQuery("09/09/2099"),  // no records
      DayQuery("01/01/2081"),
      DayQuery("0'1/01/2081"),  // not a text the query can hold: a syntax error
      DayQuery("01/01/2081' or ne_date='02/01/2081"),
      DayQuery("O''Brien"),
      kDayQuery + "01/01/2081' order by ne_date, Mem_Code collate nocase",
      "Select 'x' as k, Mem_Code from TRAN Where ne_date = '01/01/2081' and Coll_Time>'E'",
      "Select 'x' as k, Mem_Code from TRAN Where ne_date = '02/01/2081' and Coll_Time>'E'",
      "Select Mem_Code from TRAN Where ne_date='01/01/2081' and nothing='x'",  // no such column
      DayQuery("02/01/2081"),
  };
  auto shared = Connect(path);
  for (const std::string& query : queries) {
    SCOPED_TRACE(query);
    auto outcome = [&](const std::shared_ptr<platform::db::Connection>& connection) {
      try {
        auto records = Query(connection, query);
        std::vector<std::string> names;
        for (std::size_t i = 0; i < records->FieldCount(); ++i) {
          names.push_back(records->FieldName(i));
        }
        std::vector<std::string> rows = Rows(*records);
        rows.insert(rows.begin(), names.begin(), names.end());
        return rows;
      } catch (const platform::RunTimeError& error) {
        return std::vector<std::string>{error.Prompt()};
      }
    };
    EXPECT_EQ(outcome(shared), outcome(Connect(path)));
  }
}

using db_test::ErrorOf;
using db_test::TempDir;
namespace error = platform::error;

// A folder holding one TRAN table built from `records`.
class TranFolder : public ::testing::Test {
 protected:
  std::filesystem::path WriteTran(const std::vector<std::string>& records,
                                  const std::string& name = "TRAN.DBF",
                                  std::uint8_t code_page_mark = 0x03) {
    const auto path = dir_.path() / name;
    db_test::WriteFile(path,
                       db_test::BuildTable(0x30, db_test::TranFields(), records, code_page_mark));
    return path;
  }
  TempDir dir_;
};

TEST(ConnectionOpen, ConnectionStringsThatOpen) {
  const auto file = (db_test::Fixture("tran_vfp") / "TRAN.DBF").string();
  const std::string folder = db_test::Fixture("tran_vfp").string();
  const std::string cases[] = {
      "Provider=vfpoledb;Data Source=" + file + ";Collating Sequence=machine",
      "provider = VFPOLEDB ; data source = " + file,
      "PROVIDER=VfpOleDb.1;DATA SOURCE=" + folder,
      "Data Source=\"" + file + "\";Provider=vfpoledb",
      "Provider=vfpoledb;Data Source=" + folder + "/",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    auto connection = DbfProvider().NewConnection();
    connection->Open(text);
    auto records = Query(connection, DayQuery("03/01/2081"));
    EXPECT_EQ(Rows(*records).size(), 1u);
  }
}

TEST(ConnectionOpen, FailuresNameTheProviderOrTheSource) {
  const std::string file = (db_test::Fixture("tran_vfp") / "TRAN.DBF").string();
  const struct {
    std::string text;
    int number;
    std::string named;
  } cases[] = {
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file, error::kProviderNotFound,
       "Microsoft.Jet.OLEDB.4.0"},
      {"Data Source=" + file, error::kProviderNotFound, "Provider"},
      {"Provider=vfpoledbx;Data Source=" + file, error::kProviderNotFound, "vfpoledbx"},
      {"Provider=vfpoledb;Data Source=/no/such/folder/TRAN.DBF", error::kFileNotFound,
       "/no/such/folder/TRAN.DBF"},
      {"Provider=vfpoledb", error::kFileNotFound, "Data Source"},
      {"Provider=vfpoledb;Data Source=", error::kFileNotFound, "Data Source"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto failure = ErrorOf([&] { DbfProvider().NewConnection()->Open(c.text); });
    EXPECT_EQ(failure.number(), c.number);
    EXPECT_NE(std::string(failure.what()).find(c.named), std::string::npos) << failure.what();
  }
}

TEST_F(TranFolder, TableIsFoundInAnyLetterCaseBesideAnyPickedFile) {
  WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")}, "tran.dbf");
  db_test::WriteFile(dir_.path() / "other.dbf", "not even a table");
  auto connection = Connect(dir_.path() / "other.dbf");
  EXPECT_EQ(Rows(*Query(connection, DayQuery("01/01/2081"))).size(), 1u);
}

TEST_F(TranFolder, QueryFailuresNameTableColumnOrFile) {
  auto connection = Connect(dir_.path());
  auto missing_table = ErrorOf([&] { Query(connection, kStructureQuery + "2081/01/01'"); });
  EXPECT_EQ(missing_table.number(), error::kTableNotFound);
  EXPECT_NE(std::string(missing_table.what()).find("TRAN"), std::string::npos);

  std::vector<db_test::FieldSpec> fields = db_test::TranFields();
  fields.pop_back();  // no AMOUNT
  db_test::WriteFile(dir_.path() / "TRAN.DBF", db_test::BuildTable(0x30, fields, {}));
  auto missing_column = ErrorOf([&] { Query(connection, kStructureQuery + "2081/01/01'"); });
  EXPECT_EQ(missing_column.number(), error::kCommandError);
  EXPECT_NE(std::string(missing_column.what()).find("'Amount'"), std::string::npos)
      << missing_column.what();
  EXPECT_NE(std::string(missing_column.what()).find("TRAN"), std::string::npos);

  db_test::WriteFile(dir_.path() / "TRAN.DBF", "this is a text file, not a table");
  auto fresh = Connect(dir_.path());
  auto not_a_table = ErrorOf([&] { Query(fresh, kStructureQuery + "2081/01/01'"); });
  EXPECT_EQ(not_a_table.number(), error::kDatabaseError);
  EXPECT_NE(std::string(not_a_table.what())
                .find("TRAN.DBF' is not a FoxPro table, or it is damaged (unknown version byte "
                      "0x74)"),
            std::string::npos)
      << not_a_table.what();
}

TEST_F(TranFolder, EndMarkInsideTheRecordsFailsTheQuery) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00"),
                               db_test::TranRecord("A2", "01/01/2081", "1.00", "40.00", '\x1A')});
  auto connection = Connect(path);
  auto damaged = ErrorOf([&] { Query(connection, DayQuery("01/01/2081")); });
  EXPECT_EQ(damaged.number(), error::kDatabaseError);
  EXPECT_NE(std::string(damaged.what()).find("record 2 of 2"), std::string::npos);
  EXPECT_RUN_TIME_ERROR(Query(connection, "select * from tran"), error::kDatabaseError);
}

TEST_F(TranFolder, OnlyReadingIsAllowed) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")});
  auto connection = Connect(path);
  const std::string attempts[] = {
      "delete from TRAN",
      "update TRAN set rate = 0",
      "insert into TRAN (mem_code) values ('x')",
      "drop table TRAN",
      "create table x (a)",
      "attach database '" + (dir_.path() / "new.db").string() + "' as other",
      "pragma writable_schema = 1",
      "vacuum into '" + (dir_.path() / "copy.db").string() + "'",
      "select 1; delete from TRAN",
      "select load_extension('x')",
      "",
  };
  const std::string before = db_test::ReadFile(path);
  for (const std::string& sql : attempts) {
    SCOPED_TRACE(sql);
    EXPECT_RUN_TIME_ERROR(Query(connection, sql), error::kCommandError);
  }
  EXPECT_EQ(db_test::ReadFile(path), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(Rows(*Query(connection, "select count(*) from tran")), std::vector<std::string>{"1"});
}

TEST_F(TranFolder, LoadLeavesBytesAndModificationTimeAsTheyWere) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")});
  const auto time = std::filesystem::last_write_time(path);
  const std::string before = db_test::ReadFile(path);
  {
    auto connection = Connect(path);
    Query(connection, kStructureQuery + "2081/01/01'");
    Rows(*Query(connection, DayQuery("01/01/2081")));
  }
  EXPECT_EQ(db_test::ReadFile(path), before);
  EXPECT_EQ(std::filesystem::last_write_time(path), time);
}

TEST_F(TranFolder, TrailingBlanksDoNotMatterToEqualityButStayInValues) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00"),
                               db_test::TranRecord("A1", "01/01/20", "1.00", "40.00")});
  auto connection = Connect(path);
  EXPECT_EQ(Rows(*Query(connection, "select mem_code from tran where ne_date = '01/01/2081   '")),
            std::vector<std::string>{"A1    "});
  EXPECT_EQ(Rows(*Query(connection, "select mem_code from tran where mem_code = 'A1'")).size(), 2u);
  EXPECT_EQ(Rows(*Query(connection, "select ne_date from tran where ne_date = '01/01/20'")),
            std::vector<std::string>{"01/01/20  "});
}

TEST_F(TranFolder, MemberOrderIsTheOrderOfTheStoredBytes) {
  // 1252: "€" is 0x80 and "à" 0xE0, while their Unicode order is the other way round.
  const auto path = WriteTran({db_test::TranRecord("\xE0", "01/01/2081", "1", "1"),
                               db_test::TranRecord("\x80", "01/01/2081", "1", "1"),
                               db_test::TranRecord("z", "01/01/2081", "1", "1"),
                               db_test::TranRecord("Z", "01/01/2081", "1", "1"),
                               db_test::TranRecord("1", "01/01/2081", "1", "1")});
  auto connection = Connect(path);
  std::vector<std::string> codes;
  for (const std::string& row : Rows(*Query(connection, DayQuery("01/01/2081")))) {
    codes.push_back(row.substr(0, row.find(' ')));
  }
  EXPECT_EQ(codes, (std::vector<std::string>{"1", "Z", "z", "€", "à"}));
}

TEST_F(TranFolder, CursorsServerSideStreamAndBothReportTheirMisuse) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00"),
                               db_test::TranRecord("A2", "01/01/2081", "2.00", "40.00")});
  auto connection = Connect(path);
  auto records = DbfProvider().NewRecordset();
  EXPECT_RUN_TIME_ERROR(records->FieldCount(), platform::error::kObjectClosed);
  EXPECT_RUN_TIME_ERROR(records->Open("select 1", DbfProvider().NewConnection(), 0, 3, -1),
                        platform::error::kConnectionClosed);
  records->Open(DayQuery("01/01/2081"), connection, 0, 3, -1);  // server-side by default
  EXPECT_EQ(Rows(*records).size(), 2u);
  EXPECT_RUN_TIME_ERROR(records->FieldValue(0), platform::error::kNoCurrentRecord);
  EXPECT_RUN_TIME_ERROR(records->MoveNext(), platform::error::kNoCurrentRecord);
  auto client = Query(connection, DayQuery("01/01/2081"));
  EXPECT_RUN_TIME_ERROR(client->FieldName(9), platform::error::kItemNotFound);
  EXPECT_RUN_TIME_ERROR(client->FieldValue(9), platform::error::kItemNotFound);
}

// A loader opens the next days' record sets on other threads while it reads a day's rows; a
// server-side cursor keeps its engine busy meanwhile, so those opens need engines of their own.
// A table of a double-byte code page has its texts converted on every thread, and ordered by
// their stored bytes through the same converter.
TEST_F(TranFolder, RecordSetsOpenedOnSeveralThreadsAtOnceEachHoldTheirOwnDay) {
  constexpr int kDays = 8;
  const struct {
    std::uint8_t mark;
    std::string prefix;                          // of every member code
  } pages[] = {{0x03, ""}, {0x7A, "\xC4\xE3"}};  // 1252; 936, whose "\xC4\xE3" is one character
  for (const auto& page : pages) {
    SCOPED_TRACE(static_cast<int>(page.mark));
    std::vector<std::string> records;
    for (int member = 0; member < 400; ++member) {
      for (int day = 1; day <= kDays; ++day) {
        const std::string code = page.prefix + std::to_string(997 - member * 3 % 997);
        records.push_back(db_test::TranRecord(
            code, "0" + std::to_string(day) + "/01/2081", std::to_string(member % 7) + ".25",
            std::to_string(40 + day) + ".10", member % 11 == 0 ? '*' : ' '));
      }
    }
    const auto path = WriteTran(records, "TRAN.DBF", page.mark);
    auto DayKey = [](int day) { return "0" + std::to_string(day) + "/01/2081"; };
    std::map<int, std::vector<std::string>> expected;
    {
      auto alone = Connect(path);
      for (int day = 1; day <= kDays; ++day) {
        expected[day] = Rows(*Query(alone, DayQuery(DayKey(day))));
        ASSERT_EQ(expected[day].size(), 363u);
      }
    }
    if (!page.prefix.empty()) {
      ASSERT_TRUE(expected[1][0].starts_with("你")) << expected[1][0];
    }

    auto connection = Connect(path);
    auto held = DbfProvider().NewRecordset();
    held->Open(DayQuery(DayKey(1)), connection, 0, 3, -1);  // server-side: rows still to come
    std::map<int, std::vector<std::vector<std::string>>> seen;
    for (int day = 1; day <= kDays; ++day) seen[day].resize(5);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
      threads.emplace_back([&, thread] {
        for (int round = 0; round < 5; ++round) {
          for (int day = 1 + thread; day <= kDays; day += 4) {
            seen[day][static_cast<std::size_t>(round)] =
                Rows(*Query(connection, DayQuery(DayKey(day))));
          }
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    for (int day = 1; day <= kDays; ++day) {
      for (const auto& rows : seen[day]) EXPECT_EQ(rows, expected[day]) << "day " << day;
    }
    EXPECT_EQ(Rows(*held), expected[1]);
  }
}

// The collection software appends a record, with the end mark after it, and then raises the
// count in the header. Loads made meanwhile read the records counted when they opened the table,
// every one whole, and never find the table damaged.
TEST_F(TranFolder, LoadsWhileAnotherProgramAppendsReadWholeRecordsOnly) {
  constexpr std::uint32_t kDays = 9;
  auto day_key = [](std::uint32_t n) { return "0" + std::to_string(n % kDays + 1) + "/01/2081"; };
  auto record = [&](std::uint32_t n) {
    return db_test::TranRecord(std::to_string(n), day_key(n), std::to_string(n % 97) + ".5",
                               "40.00");
  };
  auto row = [&](std::uint32_t n) {
    return std::to_string(n) + std::string(6 - std::to_string(n).size(), ' ') + "|" + day_key(n) +
           "|M|" + std::to_string(n % 97) + ".5|4.5|8.5|0|40|" + std::to_string(n % 97 * 40 + 20);
  };
  std::vector<std::string> first;
  for (std::uint32_t n = 0; n < 90; ++n) first.push_back(record(n));
  const auto path = WriteTran(first);
  const std::string bytes = db_test::ReadFile(path);
  const auto header_length = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[8]) |
                                                        static_cast<unsigned char>(bytes[9]) << 8);
  const auto record_length = static_cast<std::uint32_t>(record(0).size());

  std::atomic<bool> done{false};
  std::thread appender([&] {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    for (std::uint32_t count = 90; file && !done && count < 30000; ++count) {
      const std::string appended = record(count) + "\x1A";
      std::string counted(4, '\0');
      db_test::PutLe32(counted, 0, count + 1);
      file.seekp(header_length + static_cast<std::streamoff>(count) * record_length);
      file.write(appended.data(), static_cast<std::streamsize>(appended.size())).flush();
      file.seekp(4);
      file.write(counted.data(), static_cast<std::streamsize>(counted.size())).flush();
      std::this_thread::yield();
    }
  });

  std::vector<std::string> failures;
  for (std::uint32_t load = 0; load < 200 && failures.empty(); ++load) {
    try {
      auto connection = Connect(path);
      Query(connection, kStructureQuery + "2081/01/01'");
      const std::uint32_t day = load % kDays;
      // Member codes are texts, so the rows come in text order: 1, 10, 100, ...
      std::set<std::uint32_t> members;
      for (const std::string& text : Rows(*Query(connection, DayQuery(day_key(day))))) {
        const std::uint32_t n = static_cast<std::uint32_t>(std::stoul(text));
        if (text != row(n)) failures.push_back("a record read half: " + text);
        members.insert(n);
      }
      // The day's records of one count: no record missing before the last one read.
      const std::size_t count = members.empty() ? 0 : (*members.rbegin() - day) / kDays + 1;
      if (members.size() != count || members.size() < 10) {
        failures.push_back("records missing on day " + day_key(day));
      }
    } catch (const platform::RunTimeError& error) {
      failures.push_back(error.what());
    }
  }
  done = true;
  appender.join();
  EXPECT_TRUE(failures.empty()) << failures.front();
}

TEST_F(TranFolder, RecordSetOutlivesItsConnection) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")});
  std::shared_ptr<Recordset> records;
  {
    auto connection = Connect(path);
    records = DbfProvider().NewRecordset();
    records->Open(DayQuery("01/01/2081"), connection, 0, 3, -1);
  }
  EXPECT_EQ(Rows(*records).size(), 1u);
}

TEST_F(TranFolder, ValueKindsFollowTheFieldTypes) {
  const auto path = dir_.path() / "TRAN.DBF";
  std::string stamp(8, '\0');
  db_test::PutLe32(stamp, 0, 2451545);  // 2000/01/01
  db_test::PutLe32(stamp, 4, 3723000);  // 01:02:03
  std::string currency(8, '\xFF');
  currency[7] = '\x7F';  // the largest currency value
  db_test::WriteFile(path, db_test::BuildTable(0x30,
                                               {{"D", 'D', 8},
                                                {"L", 'L', 1},
                                                {"N", 'N', 4},
                                                {"BIG", 'N', 20},
                                                {"SMALL", 'N', 20, 18},
                                                {"T", 'T', 8},
                                                {"Y", 'Y', 8},
                                                {"B", 'C', 4, 0, 0x04}},
                                               {" 20240229T  -199999999999999999999"
                                                "0.123456789012345678" +
                                                stamp + currency + std::string("ab\0c", 4)}));
  auto connection = Connect(path);
  auto records = Query(connection,
                       "select d, l, n, n * 2 as twice, l + 0 as sum, big, small, big * 1 as "
                       "product, t, y, b from tran");
  using Kind = platform::db::Value::Kind;
  // Numbers with more digits than a double holds keep them all; what the engine computes from
  // them has fifteen.
  const std::vector<std::pair<Kind, std::string>> expected = {
      {Kind::kDate, "2024/02/29"},
      {Kind::kLogical, "True"},
      {Kind::kNumber, "-1"},
      {Kind::kNumber, "-2"},
      {Kind::kNumber, "1"},
      {Kind::kNumber, "99999999999999999999"},
      {Kind::kNumber, "0.123456789012345678"},
      {Kind::kNumber, "100000000000000000000"},
      {Kind::kDateTime, "2000/01/01 01:02:03"},
      {Kind::kNumber, "922337203685477.5807"},
      {Kind::kBinary, std::string("ab\0c", 4)}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(records->FieldValue(i).kind, expected[i].first);
    EXPECT_EQ(records->FieldValue(i).text, expected[i].second);
  }
}

std::vector<std::string> Column(const std::shared_ptr<platform::db::Connection>& connection,
                                const std::string& sql) {
  return Rows(*Query(connection, sql));
}

TEST_F(TranFolder, OrderIsStoredBytesUnlessTheQueryAsksOtherwise) {
  const auto path = WriteTran({db_test::TranRecord("b", "01/01/2081", "10", "1"),
                               db_test::TranRecord("C", "01/01/2081", "9", "1"),
                               db_test::TranRecord("a", "02/01/2081", "1", "1"),
                               db_test::TranRecord("a", "01/01/2081", "100", "1")});
  auto connection = Connect(path);
  const std::string day = "select trim(mem_code) from tran where ne_date = '01/01/2081' ";
  const struct {
    std::string order;
    std::vector<std::string> codes;
  } cases[] = {
      {"order by ne_date, mem_code", {"C", "a", "b"}},
      {"order by mem_code desc", {"b", "a", "C"}},
      {"order by mem_code collate nocase", {"a", "b", "C"}},
      {"order by volume_lt", {"C", "b", "a"}},
      {"order by volume_lt desc", {"a", "b", "C"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.order);
    EXPECT_EQ(Column(connection, day + c.order), c.codes);
  }
}

TEST_F(TranFolder, NullMemberCodesComeFirst) {
  std::vector<db_test::FieldSpec> fields = {
      {"MEM_CODE", 'C', 2, 0, 0x02}, {"NE_DATE", 'C', 10}, {"_NullFlags", '0', 1, 0, 0x05}};
  db_test::WriteFile(dir_.path() / "TRAN.DBF",
                     db_test::BuildTable(0x30, fields,
                                         {" B 01/01/2081\0", std::string(" A 01/01/2081\1", 14),
                                          std::string(" A 01/01/2081\0", 14)}));
  auto connection = Connect(dir_.path());
  EXPECT_EQ(
      Column(connection, "select mem_code from tran where ne_date='01/01/2081' order by mem_code"),
      (std::vector<std::string>{"", "A ", "B "}));
}

TEST_F(TranFolder, EqualityAgreesWithAFullScan) {
  const auto path =
      WriteTran({db_test::TranRecord("5", "5", "1", "1"), db_test::TranRecord("5 ", "05", "1", "1"),
                 db_test::TranRecord("x", "01/01/2081", "1", "1", '*')});
  auto connection = Connect(path);
  const struct {
    std::string where;
    std::size_t rows;
  } cases[] = {
      {"ne_date = 5", 1},
      {"ne_date = '5 '", 1},
      {"ne_date = ' 5'", 0},
      {"ne_date = null", 0},
      {"ne_date = x'35'", 0},
      {"ne_date = '01/01/2081'", 0},
      {"mem_code = '5'", 2},
      {"ne_date = '05' collate binary", 0},
      {"ne_date = '05        ' collate nocase", 1},
      {"ne_date = '05 ' collate nocase", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    EXPECT_EQ(Column(connection, "select 1 from tran where " + c.where).size(), c.rows);
    EXPECT_EQ(Column(connection, "select 1 from tran where +(" + c.where + ")").size(), c.rows);
  }
}

TEST_F(TranFolder, ReadsWhileAnotherProgramHoldsTheTableLocked) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")});
#ifdef _WIN32
  // A Windows lock keeps every other program from the locked bytes, so FoxPro locks bytes past
  // the end of the data, counting down from 0x7ffffffe; the writer shares the file for reading and
  // writing.
  HANDLE holder =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  OVERLAPPED table_lock = {};
  table_lock.Offset = 0x7ffffffe - 1000;
  ASSERT_TRUE(LockFileEx(holder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1001, 0,
                         &table_lock));
#else
  const int holder = open(path.c_str(), O_RDWR);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  ASSERT_EQ(fcntl(holder, F_SETLK, &range), 0);
#endif
  auto connection = Connect(path);
  EXPECT_EQ(Rows(*Query(connection, DayQuery("01/01/2081"))).size(), 1u);
#ifdef _WIN32
  CloseHandle(holder);
#else
  close(holder);
#endif
}

#ifndef _WIN32
// Runs the checks of `check` as a user without root's rights, in a child process: root reads any
// file whatever its mode. The child exits with 0 when every check holds.
template <typename Check>
[[noreturn]] void AsOrdinaryUser(Check check) {
  if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
    std::fprintf(stderr, "root's rights cannot be given up here\n");
    std::_Exit(2);
  }
  std::_Exit(check() ? 0 : 1);
}

// A table or folder this user may not read is error 70, naming it, not a table or file that is
// not there.
TEST_F(TranFolder, WhatThisUserMayNotReadIsPermissionDenied) {
  const auto table = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")});
  const auto unsearchable = dir_.path() / "unsearchable";
  const auto unlisted = dir_.path() / "unlisted";
  for (const auto& folder : {unsearchable, unlisted}) {
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(table, folder / "TRAN.DBF");
  }
  ASSERT_EQ(chmod(unsearchable.c_str(), 0644), 0);  // listed, but nothing in it can be opened
  ASSERT_EQ(chmod(unlisted.c_str(), 0711), 0);      // opened by name, but not listed
  ASSERT_EQ(chmod(table.c_str(), 0), 0);
  const struct {
    std::filesystem::path source;
    std::filesystem::path named;
  } cases[] = {
      {table, table},
      {unsearchable / "TRAN.DBF", unsearchable / "TRAN.DBF"},
      {unsearchable, unsearchable / "TRAN.DBF"},
      {unlisted / "TRAN.DBF", unlisted},
  };
  EXPECT_EXIT(AsOrdinaryUser([&] {
                bool held = true;
                for (const auto& c : cases) {
                  try {
                    Query(Connect(c.source), kStructureQuery + "2081/01/01'");
                    std::fprintf(stderr, "%s: read\n", c.source.c_str());
                    held = false;
                  } catch (const platform::RunTimeError& failure) {
                    const std::string text = failure.what();
                    if (failure.number() != error::kPermissionDenied ||
                        text.find("'" + c.named.string() + "'") == std::string::npos) {
                      std::fprintf(stderr, "%s: %s\n", c.source.c_str(), failure.Prompt().c_str());
                      held = false;
                    }
                  }
                }
                return held;
              }),
              testing::ExitedWithCode(0), "");
}
// A folder that may be searched but not listed gives a table named exactly as asked, as it is
// opened by its name; only a table in another letter case needs the listing.
TEST_F(TranFolder, AnExactlyNamedTableIsReadInAFolderThatCannotBeListed) {
  const auto unlisted = dir_.path() / "unlisted";
  std::filesystem::create_directory(unlisted);
  db_test::WriteFile(unlisted / "TRAN.dbf",
                     db_test::BuildTable(0x30, db_test::TranFields(),
                                         {db_test::TranRecord("A1", "01/01/2081", "1", "1")}));
  ASSERT_EQ(chmod(unlisted.c_str(), 0711), 0);
  EXPECT_EXIT(AsOrdinaryUser([&] {
                bool held = true;
                for (const auto& source : {unlisted, unlisted / "TRAN.dbf"}) {
                  try {
                    if (Rows(*Query(Connect(source), DayQuery("01/01/2081"))).size() != 1) {
                      held = false;
                    }
                  } catch (const platform::RunTimeError& failure) {
                    std::fprintf(stderr, "%s: %s\n", source.c_str(), failure.Prompt().c_str());
                    held = false;
                  }
                }
                return held;
              }),
              testing::ExitedWithCode(0), "");
}

// A data source that cannot be followed says why, not that it does not exist.
TEST_F(TranFolder, APathThatLeadsNowhereSaysWhy) {
  const auto loop = dir_.path() / "loop";
  ASSERT_EQ(symlink("loop", loop.c_str()), 0);
  std::string deep = dir_.path().string();
  while (deep.size() <= PATH_MAX) deep += "/" + std::string(200, 'd');
  const struct {
    std::filesystem::path source;
    const char* says;
  } cases[] = {
      {loop, "loop"},
      {loop / "TRAN.DBF", "loop"},
      {deep, "longer than"},
      {dir_.path() / (std::string(300, 'n') + ".dbf"), "longer than"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source.string().substr(0, 80));
    const auto failure = ErrorOf([&] { Connect(c.source); });
    EXPECT_EQ(failure.number(), error::kPathFileAccess);
    EXPECT_NE(std::string(failure.what()).find(c.says), std::string::npos) << failure.what();
  }
}
#endif

TEST_F(TranFolder, DataSourceFolderMayHoldASemicolon) {
  const auto folder = dir_.path() / "Milk;2081";
  std::filesystem::create_directory(folder);
  db_test::WriteFile(folder / "TRAN.DBF",
                     db_test::BuildTable(0x30, db_test::TranFields(),
                                         {db_test::TranRecord("A1", "01/01/2081", "1", "1")}));
  auto connection = Connect(folder / "TRAN.DBF");
  EXPECT_EQ(Rows(*Query(connection, DayQuery("01/01/2081"))).size(), 1u);
}

// A table whose character fields have every width the index and the ordering treat apart, with
// values that differ only at the start, the middle or the end, runs broken by deleted records,
// and nulls. Answers through the index, and orders by stored bytes, must be those SQLite gives
// from a full scan with its own sorting ("+(...)" keeps the index out).
TEST_F(TranFolder, IndexAndStoredOrderAgreeWithAFullScanForEveryFieldWidth) {
  const std::vector<std::uint8_t> widths = {1, 3, 6, 8, 12, 16, 17, 24};
  std::vector<db_test::FieldSpec> fields = {{"ID", 'C', 4}};
  for (const std::uint8_t width : widths)
    fields.push_back({"F" + std::to_string(width), 'C', width});
  fields.push_back({"N5", 'C', 5, 0, 0x02});
  fields.push_back({"_NullFlags", '0', 1, 0, 0x05});
  std::uint32_t state = 12345;
  auto next = [&](std::uint32_t below) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % below;
  };
  // Variant 0 is all "a"; 1 to 3 put a "b" first, in the middle or last; 4 is "a" and blanks.
  auto value = [](std::size_t width, std::uint32_t variant) {
    std::string text(width, 'a');
    if (variant == 1) text.front() = 'b';
    if (variant == 2) text[width / 2] = 'b';
    if (variant == 3) text.back() = 'b';
    if (variant == 4) text = "a" + std::string(width - 1, ' ');
    return text;
  };
  std::vector<std::string> records;
  std::vector<std::uint32_t> variants(widths.size() + 1);
  for (int i = 0; i < 400; ++i) {
    for (std::uint32_t& variant : variants) {
      if (next(4) == 0) variant = next(5);  // values mostly run on from record to record
    }
    std::string record(1, next(10) == 0 ? '*' : ' ');
    const std::string id = std::to_string(1000 + i);
    record += id;
    for (std::size_t f = 0; f < widths.size(); ++f) record += value(widths[f], variants[f]);
    record += value(5, variants.back());
    record += next(5) == 0 ? '\1' : '\0';
    records.push_back(record);
  }
  db_test::WriteFile(dir_.path() / "TRAN.DBF", db_test::BuildTable(0x30, fields, records));
  auto connection = Connect(dir_.path());

  const std::string orders[] = {"order by id desc", "order by f3, id", "order by n5 desc, f1, id",
                                "order by f1 desc, f17, n5, id", "order by f6, f8 desc, f24, id"};
  std::vector<std::string> names;
  for (const std::uint8_t width : widths) names.push_back("f" + std::to_string(width));
  names.push_back("n5");
  for (const std::string& name : names) {
    const std::size_t width = name == "n5" ? 5 : std::stoul(name.substr(1));
    for (std::uint32_t variant = 0; variant < 5; ++variant) {
      const std::string where = name + " = '" + value(width, variant) + "'";
      for (const std::string& order : orders) {
        SCOPED_TRACE(where + " " + order);
        const auto indexed = Column(connection, "select id from tran where " + where + " " + order);
        EXPECT_EQ(indexed,
                  Column(connection, "select id from tran where +(" + where + ") " + order));
        EXPECT_FALSE(indexed.empty());
      }
    }
  }
}

// A table large enough to be indexed in two halves at once, with a run of one value across the
// middle and deleted records here and there.
class LargeTable : public TranFolder {
 protected:
  static constexpr int kRecords = 300000;
  static std::string ValueOf(int record) {
    const int run = record >= 149000 && record < 151000 ? 0 : record / 1000 % 40;
    return {static_cast<char>('A' + run % 20), static_cast<char>('a' + run / 20)};
  }
  std::vector<std::string> Records() const {
    std::vector<std::string> records;
    for (int i = 0; i < kRecords; ++i) records.push_back((i % 997 == 0 ? "*" : " ") + ValueOf(i));
    return records;
  }
  void Write(const std::vector<std::string>& records) {
    db_test::WriteFile(dir_.path() / "TRAN.DBF",
                       db_test::BuildTable(0x30, {{"V", 'C', 2}}, records));
  }
};

TEST_F(LargeTable, HalvesIndexedAtOnceFindWhatAFullScanFinds) {
  Write(Records());
  auto connection = Connect(dir_.path());
  std::map<std::string, std::vector<std::string>> expected;
  for (const std::string& row : Column(connection, "select v, rowid from tran")) {
    expected[row.substr(0, 2)].push_back(row.substr(3));
  }
  ASSERT_EQ(expected.size(), 40u);
  for (const auto& [value, rowids] : expected) {
    SCOPED_TRACE(value);
    EXPECT_EQ(Column(connection, "select rowid from tran where v = '" + value + "'"), rowids);
  }
}

TEST_F(LargeTable, EndMarkInEitherHalfFailsNamingTheFirstOne) {
  std::vector<std::string> records = Records();
  records[200000][0] = '\x1A';
  Write(records);
  auto later = ErrorOf([&] { Query(Connect(dir_.path()), "select 1 from tran where v = 'Aa'"); });
  EXPECT_NE(std::string(later.what()).find("record 200001 of"), std::string::npos) << later.what();
  records[100000][0] = '\x1A';
  Write(records);
  auto first = ErrorOf([&] { Query(Connect(dir_.path()), "select 1 from tran where v = 'Aa'"); });
  EXPECT_NE(std::string(first.what()).find("record 100001 of"), std::string::npos) << first.what();
}

// SQLite computes a constant column once and hands the same value out on every row; reading it
// must leave it as it was for the next row.
TEST_F(TranFolder, ConstantColumnsKeepTheirKindOnEveryRow) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1", "2"),
                               db_test::TranRecord("A2", "01/01/2081", "1", "2"),
                               db_test::TranRecord("A3", "01/01/2081", "1", "2")});
  auto records = Query(Connect(path),
                       "select 'abc' as t, x'4142' as b, 7 as i, 2.5 as r, null as n from tran");
  using Kind = platform::db::Value::Kind;
  int rows = 0;
  for (; !records->AtEof(); records->MoveNext(), ++rows) {
    SCOPED_TRACE(rows);
    const std::pair<Kind, std::string> expected[] = {{Kind::kText, "abc"},
                                                     {Kind::kBinary, "AB"},
                                                     {Kind::kNumber, "7"},
                                                     {Kind::kNumber, "2.5"},
                                                     {Kind::kNull, ""}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
      EXPECT_EQ(records->FieldValue(i).kind, expected[i].first);
      EXPECT_EQ(records->FieldValue(i).text, expected[i].second);
    }
  }
  EXPECT_EQ(rows, 3);
}

TEST_F(TranFolder, EmptyCharacterFieldIsIndexedAndOrderedAsBlank) {
  db_test::WriteFile(
      dir_.path() / "TRAN.DBF",
      db_test::BuildTable(0x30, {{"ID", 'C', 1}, {"E", 'C', 0}}, {" b", " a", "*c", " d"}));
  auto connection = Connect(dir_.path());
  for (const std::string order : {"order by e, id", "order by e desc, id desc"}) {
    SCOPED_TRACE(order);
    const auto indexed = Column(connection, "select id from tran where e = '' " + order);
    EXPECT_EQ(indexed.size(), 3u);
    EXPECT_EQ(indexed, Column(connection, "select id from tran where +(e = '') " + order));
  }
}

// A query reads a column again each time it names it; every reading gives the current record's
// value, whichever way the records are found and in whatever order they come.
TEST_F(TranFolder, AColumnNamedSeveralTimesGivesEachRecordItsOwnValue) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.50", "40.00"),
                               db_test::TranRecord("B2", "01/01/2081", "", "2.25"),
                               db_test::TranRecord("C3", "02/01/2081", "1..5", "3.00"),
                               db_test::TranRecord("D4", "01/01/2081", "12.35", "38.25")});
  auto connection = Connect(path);
  const std::string columns =
      "select mem_code, volume_lt, volume_lt*rate, rate, volume_lt+rate, volume_lt from tran";
  const std::string a1 = "A1    |1.5|60|40|41.5|1.5";
  const std::string b2 = "B2    |0|0|2.25|2.25|0";
  const std::string c3 = "C3    |||3||";
  const std::string d4 = "D4    |12.35|472.3875|38.25|50.6|12.35";
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    EXPECT_EQ(Rows(*Query(connection, columns)), (std::vector<std::string>{a1, b2, c3, d4}));
    EXPECT_EQ(
        Rows(*Query(connection, columns + " where ne_date='01/01/2081' order by mem_code desc")),
        (std::vector<std::string>{d4, b2, a1}));
    EXPECT_EQ(Rows(*Query(connection, columns + " where ne_date='02/01/2081'")),
              std::vector<std::string>{c3});
  }
}

// Numbers are read from what is kept of the values read before. More distinct values than are
// kept, repeated and read twice, in fields of every width (those of 4 to 16 bytes are kept, by
// two words that overlap from 9 bytes on), give each record its own value, told apart by their
// first, middle or last byte; so do blank and bad texts, and a nullable field, whose value is
// never kept.
TEST_F(TranFolder, ManyRepeatedNumbersEachReadAsStored) {
  const std::vector<std::uint8_t> widths = {3, 4, 5, 7, 8, 9, 12, 16, 17};
  std::vector<db_test::FieldSpec> fields;
  for (const std::uint8_t width : widths) {
    fields.push_back({"N" + std::to_string(width), 'N', width, 1});
  }
  fields.push_back({"NULLABLE", 'N', 8, 1, 0x02});
  fields.push_back({"_NullFlags", '0', 1, 0, 0x05});
  auto right = [](const std::string& text, std::size_t width) {
    return std::string(width - std::min(width, text.size()), ' ') + text;
  };
  std::vector<std::string> records;
  std::vector<std::string> expected;
  for (int i = 0; i < 3000; ++i) {
    // Values that differ in their first, middle or last byte.
    const int value = (i * 7919) % (i % 3 == 0 ? 10 : 2500);
    std::string record = " ";
    std::string row;
    for (const std::uint8_t width : widths) {
      std::string stored = std::to_string(value % 10);
      if (width >= 4) {
        // Up to 14 digits, which every value shows as stored.
        stored = std::string(std::min(width - 2u, 13u), '1') + ".0";
        stored.front() = static_cast<char>('1' + value % 9);
        stored[stored.size() / 2 - 1] = static_cast<char>('0' + value / 9 % 10);
        stored.back() = static_cast<char>('0' + value / 90 % 10);
      }
      record += right(stored, width);
      row += platform::db::ExactDecimalText(stored) + "|";
    }
    const bool null = i % 5 == 0;
    record += right(std::to_string(value) + ".5", 8) + std::string(1, null ? '\x01' : '\0');
    row += null ? "" : std::to_string(value) + ".5";
    records.push_back(record);
    expected.push_back(row);
  }
  records.push_back(" " + std::string(3, ' ') + std::string(4, '*') + right("1..5", 5) +
                    std::string(7 + 8 + 9 + 12 + 16 + 17 + 8, ' ') + std::string(1, '\0'));
  expected.push_back("0|||0|0|0|0|0|0|0");
  db_test::WriteFile(dir_.path() / "TRAN.DBF", db_test::BuildTable(0x30, fields, records));
  auto connection = Connect(dir_.path() / "TRAN.DBF");
  std::string columns;
  for (const db_test::FieldSpec& field : fields) {
    if (field.name != "_NullFlags") columns += (columns.empty() ? "" : ", ") + field.name;
  }
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    EXPECT_EQ(Rows(*Query(connection, "select " + columns + " from tran")), expected);
  }
}

// Numbers read again are found by all their stored bytes. For each width the kept numbers serve,
// 900 values that share every byte but their first three digits, then 900 that share every byte
// but their last three, in shuffled order: more values than the kept numbers have places, so
// values that differ only there meet in one place, where a look-up that skipped those bytes
// would give one value for the other.
TEST_F(TranFolder, NumbersThatDifferOnlyAtOneEndAreToldApart) {
  std::vector<std::uint8_t> widths;
  for (std::uint8_t width = 5; width <= 16; ++width) widths.push_back(width);
  std::vector<std::pair<std::string, std::string>> rows;  // record, expected texts
  for (const bool first_digits : {true, false}) {
    for (int varying = 100; varying < 1000; ++varying) {
      std::string record = " ";
      std::string texts;
      for (const std::uint8_t width : widths) {
        std::string stored = std::string(width - 2u, '5') + ".5";
        stored.replace(first_digits ? 0 : width - 5u, 3, std::to_string(varying));
        record += stored;
        texts += (texts.empty() ? "" : "|") + platform::db::ExactDecimalText(stored);
      }
      rows.emplace_back(record, texts);
    }
  }
  std::uint32_t state = 2081;
  for (std::size_t i = rows.size() - 1; i > 0; --i) {
    state = state * 1103515245u + 12345u;
    std::swap(rows[i], rows[(state >> 8) % (i + 1)]);
  }
  std::vector<db_test::FieldSpec> fields;
  std::vector<std::string> records;
  std::vector<std::string> expected;
  std::string columns;
  for (const std::uint8_t width : widths) {
    fields.push_back({"N" + std::to_string(width), 'N', width, 1});
    columns += (columns.empty() ? "" : ", ") + fields.back().name;
  }
  for (const auto& [record, texts] : rows) {
    records.push_back(record);
    expected.push_back(texts);
  }
  db_test::WriteFile(dir_.path() / "TRAN.DBF", db_test::BuildTable(0x03, fields, records));
  auto connection = Connect(dir_.path());
  EXPECT_EQ(Rows(*Query(connection, "select " + columns + " from tran")), expected);
}

}  // namespace
