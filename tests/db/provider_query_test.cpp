// The provider's answers to queries: the load's queries, the kinds and texts of values, record
// sets and their cursors.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/db/number_format.h"
#include "platform/db/provider.h"
#include "tests/db/db_test_support.h"
#include "tests/db/provider_test_support.h"

namespace provider_test {
namespace {

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
      DayQuery("02/01/2081"),
      DayQuery("02/01'2081"),  // as long as the day before, with a quote: a syntax error
      DayQuery("collate001"),  // as long, naming a collation inside the literal
      DayQuery("01/01/2081"),
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
}  // namespace provider_test
