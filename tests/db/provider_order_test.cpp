// Equality and order: the field index and the order of the stored bytes agree with a full scan.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/db/provider.h"
#include "tests/db/db_test_support.h"
#include "tests/db/provider_test_support.h"

namespace provider_test {
namespace {

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

}  // namespace
}  // namespace provider_test
