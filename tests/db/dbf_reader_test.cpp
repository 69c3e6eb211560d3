#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/db/dbf_table.h"
#include "platform/db/number_format.h"
#include "tests/db/db_test_support.h"

namespace {

using db_test::BuildTable;
using db_test::FieldSpec;
using db_test::Fixture;
using platform::db::Cell;
using platform::db::DbfTable;
using platform::db::FieldKind;

// The text of a value as the engine is handed it and shows it; nulls as "<null>".
std::string Shown(const Cell& cell, const platform::db::DbfField& field) {
  switch (cell.type) {
    case Cell::Type::kNull:
      return "<null>";
    case Cell::Type::kInteger:
      if (field.kind == FieldKind::kLogical) return cell.integer != 0 ? "True" : "False";
      return platform::db::IntegerText(cell.integer);
    case Cell::Type::kReal:
      return platform::db::RealText(cell.real);
    case Cell::Type::kText:
    case Cell::Type::kBlob:
    case Cell::Type::kDecimal:
      return std::string(cell.bytes);
  }
  return "?";
}

// Every record as "state:" and its values joined by "|", read as the engine reads them: through
// a Scan and ReadIn.
std::vector<std::string> Dump(const DbfTable& table) {
  std::vector<std::string> rows;
  std::string scratch;
  for (DbfTable::Scan scan(table); scan.Next();) {
    const bool deleted = DbfTable::StateOf(scan.bytes()) == DbfTable::RecordState::kDeleted;
    std::string row = deleted ? "deleted:" : "live:";
    for (std::size_t i = 0; i < table.fields().size(); ++i) {
      const auto& field = table.fields()[i];
      row += (i > 0 ? "|" : "") + Shown(table.ReadIn(scan.bytes(), field, scratch), field);
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> Names(const DbfTable& table) {
  std::vector<std::string> names;
  for (const auto& field : table.fields()) names.push_back(field.name);
  return names;
}

// Tables written by python3-dbf (see make_fixtures.py).

TEST(IndependentTables, VisualFoxProTypesNullsAndMemoWithUpperCaseName) {
  const DbfTable table(Fixture("types_vfp") / "AllTypes.dbf");
  EXPECT_TRUE(table.has_memo_file());
  EXPECT_EQ(Names(table), (std::vector<std::string>{"NAME", "NUM", "DAY", "NOTE", "FLT", "FLAG",
                                                    "CNT", "DBL", "PRICE", "STAMP", "PIC"}));
  EXPECT_EQ(Dump(table),
            (std::vector<std::string>{
                "live:Café      |12.5|2024/02/29|memo text\r\nline 2|-0.5|True|-7|1.25|12.3456|"
                "2024/01/02 03:04:05|" +
                    std::string("\0\1OLE", 5),
                "live:<null>|<null>|<null>|<null>|3|False|0|0.1|0||",
                "live:last      |0|1999/12/31||0|False|2147483646|-2.5|-12345678.9012|"
                "2000/01/01 23:59:59|",
            }));
}

TEST(IndependentTables, DbaseThreeMemoAndDeletedRecord) {
  const DbfTable table(Fixture("dbase3") / "PEOPLE.DBF");
  EXPECT_EQ(Dump(table), (std::vector<std::string>{
                             "live:Ram         |42|1982/05/17|True|first memo",
                             "deleted:Sita        |39|1985/01/02|False|gone",
                             "live:Hari        |7||False|",
                         }));
}

TEST(IndependentTables, CodePagesOfTheMarkByte) {
  const DbfTable dos(Fixture("foxpro2") / "tran.dbf");
  EXPECT_EQ(dos.code_page().number(), 866);
  EXPECT_EQ(Dump(dos),
            (std::vector<std::string>{"live:Ж1    |01/01/2081|Молоко", "live:A1    |01/01/2081|"}));
  const DbfTable windows(Fixture("cp1251") / "TRAN.DBF");
  EXPECT_EQ(windows.code_page().number(), 1251);
  EXPECT_TRUE(Dump(windows).at(0).starts_with("live:Я1    |")) << Dump(windows).at(0);
}

// Tables built here, byte by byte.

class BuiltTable : public ::testing::Test {
 protected:
  // Written an hour ago, so that a damaged table is called so at once: one written less than a
  // second ago may be a table another program is writing, and is looked at again meanwhile.
  std::filesystem::path Write(const std::string& bytes, const std::string& name = "T.DBF") {
    const auto path = dir_.path() / name;
    db_test::WriteFile(path, bytes);
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    return path;
  }
  db_test::TempDir dir_;
};

TEST_F(BuiltTable, VarcharLengthsAndNullBitsFollowTheNullFlagsOrder) {
  // (c V(6) NULL, i I NULL, b Q(4) NULL): c length 0, c null 1, i null 2, b length 3, b null 4.
  const std::vector<FieldSpec> fields = {{"C", 'V', 6, 0, 0x02},
                                         {"I", 'I', 4, 0, 0x02},
                                         {"B", 'Q', 4, 0, 0x02},
                                         {"_NullFlags", '0', 1, 0, 0x05}};
  auto record = [](const std::string& c, const std::string& b, std::uint8_t flags) {
    return " " + c + std::string("\x05\0\0\0", 4) + b + std::string(1, static_cast<char>(flags));
  };
  const auto path =
      Write(BuildTable(0x32, fields,
                       {
                           record(std::string("ab \0\0\3", 6), "xyz4", 0x00),
                           record(std::string("ab \0\0\3", 6), std::string("xy\0\2", 4), 0x09),
                           record(std::string("\0\0\0\0\0\0", 6), "xyz4", 0x01),
                           record("zzzzzz", "xyz4", 0x16),
                       }));
  const DbfTable table(path);
  EXPECT_EQ(Names(table), (std::vector<std::string>{"C", "I", "B"}));
  EXPECT_EQ(Dump(table), (std::vector<std::string>{
                             std::string("live:ab \0\0\3|5|xyz4", 18),
                             "live:ab |5|xy",
                             "live:|5|xyz4",
                             "live:<null>|<null>|<null>",
                         }));
}

TEST_F(BuiltTable, DbaseFourMemoHasLengthWithItsHeader) {
  std::string memo(512, '\0');
  memo[20] = 0;  // block size 512 when not given
  std::string block = std::string("\xFF\xFF\x08\x00", 4) + std::string(4, '\0') + "four";
  db_test::PutLe32(block, 4, 12);
  block.resize(512, '\0');
  memo += block;
  db_test::WriteFile(dir_.path() / "t.dbt", memo);
  const auto path = Write(BuildTable(0x8B, {{"M", 'M', 10}}, {"          1", "           "}));
  const DbfTable table(path);
  EXPECT_EQ(Dump(table), (std::vector<std::string>{"live:four", "live:"}));
}

// A dBase III memo runs to its end mark, and memos are only ever appended before the next free
// block that the memo file's header names: a memo without its mark there is unknown, however
// large the file behind it.
TEST_F(BuiltTable, DbaseThreeMemoEndsBeforeTheNextFreeBlock) {
  auto block = [](std::string text) {
    text.resize(512, '\0');
    return text;
  };
  std::string memo = block("");
  db_test::PutLe32(memo, 0, 3);  // blocks 1 and 2 are in use
  memo += block("first\x1A\x1A") + block("no end mark") + block("past the used blocks\x1A\x1A");
  db_test::WriteFile(dir_.path() / "t.dbt", memo);
  const auto path = Write(BuildTable(0x83, {{"M", 'M', 10}},
                                     {"          1", "          2", "          3", "           "}));
  const DbfTable table(path);
  EXPECT_EQ(Dump(table),
            (std::vector<std::string>{"live:first", "live:<null>", "live:<null>", "live:"}));
}

// Without its memo file a table's memos are unknown and the rest is read. A memo file that does
// not hold a memo a record points to is damaged, and refused naming the file and the fault: an
// unknown value would be taken for a record without one (a member code, say).
TEST_F(BuiltTable, AMissingMemoFileLeavesMemosUnknownAndADamagedOneIsRefused) {
  const std::vector<FieldSpec> fields = {{"N", 'C', 2}, {"M", 'M', 4}};
  auto record = [](std::uint32_t block) {
    std::string bytes = " ok" + std::string(4, '\0');
    db_test::PutLe32(bytes, 3, block);
    return bytes;
  };
  const auto path = Write(BuildTable(0x30, fields, {record(8), record(100), record(9)}));
  {
    const DbfTable without_memo(path);
    EXPECT_FALSE(without_memo.has_memo_file());
    EXPECT_EQ(Dump(without_memo),
              (std::vector<std::string>{"live:ok|<null>", "live:ok|<null>", "live:ok|<null>"}));
  }
  std::string memo(512, '\0');
  memo[7] = 64;  // block size 64, big-endian
  std::string block = std::string("\0\0\0\1\0\0\0\3", 8) + "abc";
  block.resize(64, '\0');
  memo += block;
  memo += std::string("\0\0\0\1\x7F\xFF\xFF\xFF", 8);  // block 9: runs past the end
  const auto memo_path = Write(memo, "t.FPT");
  const struct {
    std::uint32_t block;
    const char* fault;  // part of the message; none for a memo read
  } cases[] = {
      {8, nullptr},
      {100, "the memo at block 100 lies past the end of the file"},
      {9, "the memo at block 9 runs past the end of the file"},
      {2, "the memo at block 2 lies in the memo file's header"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.block);
    const auto one = Write(BuildTable(0x30, fields, {record(c.block)}));
    const DbfTable table(one);
    if (c.fault == nullptr) {
      EXPECT_EQ(Dump(table), (std::vector<std::string>{"live:ok|abc"}));
      continue;
    }
    const platform::RunTimeError error = db_test::ErrorOf([&] { Dump(table); });
    EXPECT_EQ(error.number(), platform::error::kDatabaseError);
    const std::string said = error.what();
    EXPECT_NE(said.find(memo_path.string()), std::string::npos) << said;
    EXPECT_NE(said.find(c.fault), std::string::npos) << said;
  }
}

// Another program may shorten the memo file while the table is open: the memos it no longer
// holds read as unknown, and nothing is read past the file's end.
TEST_F(BuiltTable, MemoFileCutShortAfterOpeningGivesUnknownMemos) {
  const std::vector<FieldSpec> fields = {{"M", 'M', 4}};
  std::string record = " " + std::string(4, '\0');
  db_test::PutLe32(record, 1, 200);  // block 200 of 64 bytes: well past the first pages
  const auto path = Write(BuildTable(0x30, fields, {record}));
  std::string memo(512, '\0');
  memo[7] = 64;
  memo.resize(200 * 64, '\0');
  memo += std::string("\0\0\0\1\0\0\0\3", 8) + "abc";
  memo.resize(memo.size() + 53, '\0');
  const auto memo_path = dir_.path() / "t.fpt";
  db_test::WriteFile(memo_path, memo);

  const DbfTable table(path);
  EXPECT_EQ(Dump(table), (std::vector<std::string>{"live:abc"}));
  std::filesystem::resize_file(memo_path, 512);
  EXPECT_EQ(Dump(table), (std::vector<std::string>{"live:<null>"}));
}

// What another program may do to a table and its memo file after a load has read them: append
// (the load goes on), or change what was read (the load is told to load again).
TEST_F(BuiltTable, ChangesAfterReadingFailTheCheckUnlessTheyOnlyAppend) {
  const std::vector<FieldSpec> fields = {{"N", 'C', 2}, {"M", 'M', 4}};
  auto record = [](const char* name, std::uint32_t block) {
    std::string bytes = std::string(" ") + name + std::string(4, '\0');
    db_test::PutLe32(bytes, 3, block);
    return bytes;
  };
  auto memo_block = [](const std::string& text) {
    std::string block = std::string("\0\0\0\1\0\0\0", 7) + static_cast<char>(text.size()) + text;
    block.resize(64, '\0');
    return block;
  };
  const std::string table = BuildTable(0x30, fields, {record("ab", 8), record("cd", 9)});
  std::string memo(512, '\0');
  memo[3] = 10;  // the next free block
  memo[7] = 64;  // block size 64, big-endian
  memo += memo_block("first") + memo_block("second");
  const std::uint64_t second_record = table.size() - 1 - 7;

  struct ChangeCase {
    const char* name;
    std::function<void(const DbfTable&, std::fstream& dbf, std::fstream& fpt)> change;
    bool load_again;
  };
  auto put = [](std::fstream& file, std::uint64_t at, const std::string& bytes) {
    file.seekp(static_cast<std::streamoff>(at));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush();
  };
  const ChangeCase cases[] = {
      {"a record appended and counted",
       [&](const DbfTable&, std::fstream& dbf, std::fstream&) {
         put(dbf, table.size() - 1, record("ef", 0) + "\x1A");
         std::string count(4, '\0');
         db_test::PutLe32(count, 0, 3);
         put(dbf, 4, count);
       },
       false},
      {"a memo appended",
       [&](const DbfTable&, std::fstream&, std::fstream& fpt) {
         put(fpt, memo.size(), memo_block("third"));
         put(fpt, 3, "\x0B");
       },
       false},
      {"a record changed in place",
       [&](const DbfTable&, std::fstream& dbf, std::fstream&) {
         put(dbf, second_record + 1, "xy");
       },
       true},
      {"a memo changed in place",
       [&](const DbfTable&, std::fstream&, std::fstream& fpt) {
         put(fpt, 9 * 64, memo_block("SECOND"));
       },
       true},
      {"the memo file's block size changed",
       [&](const DbfTable&, std::fstream&, std::fstream& fpt) { put(fpt, 7, "\x20"); }, true},
      // Each look finds what was read, but the file was once seen longer than it is now.
      {"a record appended, looked at, and cut off again",
       [&](const DbfTable& opened, std::fstream& dbf, std::fstream&) {
         put(dbf, table.size() - 1, record("ef", 0) + "\x1A");
         opened.CheckUnchanged([] { return true; });
         std::filesystem::resize_file(dir_.path() / "T.DBF", table.size());
       },
       true},
  };
  for (const ChangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto path = Write(table);
    db_test::WriteFile(dir_.path() / "T.FPT", memo);
    const DbfTable opened(path);
    ASSERT_EQ(Dump(opened), (std::vector<std::string>{"live:ab|first", "live:cd|second"}));
    std::fstream dbf(path, std::ios::in | std::ios::out | std::ios::binary);
    std::fstream fpt(dir_.path() / "T.FPT", std::ios::in | std::ios::out | std::ios::binary);
    c.change(opened, dbf, fpt);
    if (!c.load_again) {
      opened.CheckUnchanged([] { return true; });
      continue;
    }
    const platform::RunTimeError error =
        db_test::ErrorOf([&] { opened.CheckUnchanged([] { return true; }); });
    EXPECT_NE(std::string(error.what())
                  .find("rewritten by another program while it was read. "
                        "Load it again."),
              std::string::npos)
        << error.what();
  }
}

TEST_F(BuiltTable, BadStoredValuesAreUnknownNotGuessed) {
  const std::vector<FieldSpec> fields = {{"N", 'N', 6, 2}, {"D", 'D', 8}, {"L", 'L', 1}};
  const auto path = Write(
      BuildTable(0x03, fields,
                 {" 12a.5020241301X", "  1.2.3abcdefgh?", "  *****00000000 ", "   -.50        t"}));
  const DbfTable table(path);
  EXPECT_EQ(Dump(table),
            (std::vector<std::string>{"live:<null>|<null>|<null>", "live:<null>|<null>|False",
                                      "live:<null>||False", "live:-0.5||True"}));
}

TEST_F(BuiltTable, UnmarkedTableIsReadAsWindows1252AndEveryByteHasALetter) {
  const auto path =
      Write(BuildTable(0x03, {{"C", 'C', 4}}, {" \x80\xE0\x81\xFF"}, /*code_page_mark=*/0));
  const DbfTable table(path);
  EXPECT_EQ(Dump(table), std::vector<std::string>{"live:€à\xC2\x81ÿ"});
}

TEST_F(BuiltTable, LongCharacterFieldKeepsItsHighLengthByteInDecimals) {
  std::string value(300, 'x');
  const auto path = Write(BuildTable(0x03, {{"C", 'C', 300 % 256, 1}}, {" " + value}));
  std::string bytes = db_test::ReadFile(path);
  db_test::PutLe16(bytes, 10, 301);
  bytes.resize(bytes.size() - 1);
  bytes += std::string(300 - 44, 'x') + "\x1A";
  db_test::WriteFile(path, bytes);
  const DbfTable table(path);
  ASSERT_EQ(table.fields().size(), 1u);
  EXPECT_EQ(table.fields()[0].length, 300u);
}

TEST_F(BuiltTable, CountSmallerThanTheDataReadsTheCountedRecords) {
  std::string bytes = BuildTable(0x30, db_test::TranFields(),
                                 {db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00"),
                                  db_test::TranRecord("A2", "01/01/2081", "2.00", "40.00")});
  db_test::PutLe32(bytes, 4, 1);  // an append in progress: the count is written last
  const DbfTable table(Write(bytes));
  EXPECT_EQ(table.record_count(), 1u);
}

TEST_F(BuiltTable, DescriptorsWithoutTerminatorEndAtTheHeaderLength) {
  std::string bytes = BuildTable(0x03, {{"A", 'C', 2}, {"B", 'C', 3}}, {" abxyz"});
  // Move the records up over the terminator: header length 96, no 0x0D.
  bytes.erase(96, 1);
  db_test::PutLe16(bytes, 8, 96);
  const DbfTable table(Write(bytes));
  EXPECT_EQ(Dump(table), (std::vector<std::string>{"live:ab|xyz"}));
}

TEST_F(BuiltTable, ContinuesOverRecordLengthLongerThanTheFields) {
  std::string bytes = BuildTable(0x03, {{"A", 'C', 2}}, {});
  db_test::PutLe16(bytes, 10, 5);
  db_test::PutLe32(bytes, 4, 2);
  bytes.pop_back();
  bytes += " ab.. cd..\x1A";
  const DbfTable table(Write(bytes));
  EXPECT_EQ(Dump(table), (std::vector<std::string>{"live:ab", "live:cd"}));
}

// Damaged tables: refused with the file and the fault named.
struct DamageCase {
  const char* name;
  void (*damage)(std::string& bytes);
  const char* fault;  // part of the description
};

const DamageCase kDamage[] = {
    {"shorter than a header", [](std::string& b) { b.resize(31); }, "shorter than a table header"},
    {"empty file", [](std::string& b) { b.clear(); }, "shorter than a table header"},
    {"unknown version", [](std::string& b) { b[0] = 0x41; }, "unknown version byte 0x41"},
    {"header length 0", [](std::string& b) { db_test::PutLe16(b, 8, 0); }, "header length 0"},
    {"header length past the file", [](std::string& b) { db_test::PutLe16(b, 8, 60000); },
     "header length 60000"},
    {"record length 0", [](std::string& b) { db_test::PutLe16(b, 10, 0); }, "record length is 0"},
    {"record length too short", [](std::string& b) { db_test::PutLe16(b, 10, 40); },
     "record length 40 is shorter than its fields' 64 bytes"},
    {"descriptors past the header", [](std::string& b) { db_test::PutLe16(b, 8, 300); },
     "field descriptors run past the header length 300"},
    {"descriptors filling the header", [](std::string& b) { db_test::PutLe16(b, 8, 288); },
     "field descriptors run past the header length 288"},
    {"truncated inside a record", [](std::string& b) { b.resize(b.size() - 10); },
     "header counts 3 records but the file holds 2"},
    {"count beyond the data", [](std::string& b) { db_test::PutLe32(b, 4, 4); },
     "header counts 4 records but the file holds 3"},
    {"absurd count", [](std::string& b) { db_test::PutLe32(b, 4, 0xFFFFFFF0); },
     "header counts 4294967280 records but the file holds 3"},
    {"no fields", [](std::string& b) { b[32] = 0x0D; }, "has no fields"},
    // The third field's descriptor, COLL_TIME, with a type byte no table format has.
    {"unknown field type", [](std::string& b) { b[32 + 2 * 32 + 11] = 'Z'; },
     "has type 'Z' (0x5A) and length 1, which this program cannot read"},
    {"unknown field type byte", [](std::string& b) { b[32 + 2 * 32 + 11] = 0x7F; },
     "field COLL_TIME of"},
    {"date field of the wrong length", [](std::string& b) { b[32 + 2 * 32 + 11] = 'D'; },
     "has type 'D' (0x44) and length 1"},
};

TEST_F(BuiltTable, DamagedTablesAreRefusedNamingFileAndFault) {
  const std::string good = BuildTable(0x30, db_test::TranFields(),
                                      {db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00"),
                                       db_test::TranRecord("A2", "01/01/2081", "2.00", "40.00"),
                                       db_test::TranRecord("A3", "01/01/2081", "3.00", "40.00")});
  for (const DamageCase& c : kDamage) {
    SCOPED_TRACE(c.name);
    std::string bytes = good;
    c.damage(bytes);
    const auto path = Write(bytes);
    const platform::RunTimeError error = db_test::ErrorOf([&] { DbfTable table(path); });
    EXPECT_EQ(error.number(), platform::error::kDatabaseError);
    EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find(c.fault), std::string::npos) << error.what();
  }
}

TEST_F(BuiltTable, MoreFieldsThanATableHasIsDamage) {
  struct FieldCountCase {
    std::uint8_t version;
    std::size_t fields;
    bool readable;
  };
  const FieldCountCase cases[] = {
      {0x30, 255, true},  {0x03, 255, true},   {0x30, 256, false},
      {0xF5, 300, false}, {0x03, 2001, false},  // past what the SQL engine takes in one table
  };
  for (const FieldCountCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.fields) + " fields");
    std::vector<FieldSpec> fields;
    for (std::size_t i = 0; i < c.fields; ++i) fields.push_back({"F" + std::to_string(i), 'C', 1});
    const auto path = Write(BuildTable(c.version, fields, {" " + std::string(c.fields, 'x')}));
    if (c.readable) {
      const DbfTable table(path);
      EXPECT_EQ(table.fields().size(), c.fields);
      continue;
    }
    const platform::RunTimeError error = db_test::ErrorOf([&] { DbfTable table(path); });
    EXPECT_EQ(error.number(), platform::error::kDatabaseError);
    EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("it has " + std::to_string(c.fields) + " fields"),
              std::string::npos)
        << error.what();
  }
}

// Another program writing the table as it opens: it first leaves it as it looks damaged, and
// writes the rest a moment later (a busy machine may hold a writer up that long). The table
// opens as written, never called damaged.
TEST_F(BuiltTable, TableLookingDamagedWhileWrittenOpensOnceWritten) {
  const std::string good = BuildTable(0x03, {{"A", 'C', 2}}, {" ab", " cd", " ef"});
  struct WriterCase {
    const char* name;
    std::string first;  // what the file holds for a while
  };
  const WriterCase cases[] = {
      {"cut to nothing", ""},
      {"header written alone", good.substr(0, 32)},
      {"count raised before the record is written", good.substr(0, good.size() - 4)},
  };
  for (const WriterCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto path = dir_.path() / "W.DBF";
    db_test::WriteFile(path, c.first);
    std::thread writer([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      db_test::WriteFile(path, good);
    });
    try {
      const DbfTable table(path);
      EXPECT_EQ(Dump(table), (std::vector<std::string>{"live:ab", "live:cd", "live:ef"}));
    } catch (const platform::RunTimeError& error) {
      ADD_FAILURE() << error.what();
    }
    writer.join();
  }
}

TEST_F(BuiltTable, EndMarkWhereARecordShouldStartIsDamage) {
  std::string bytes = BuildTable(0x03, {{"A", 'C', 2}}, {" ab", " cd", " ef"});
  bytes[bytes.size() - 4] = 0x1A;
  const DbfTable table(Write(bytes));
  DbfTable::Scan scan(table, 2);
  ASSERT_TRUE(scan.Next());
  EXPECT_EQ(DbfTable::StateOf(scan.bytes()), DbfTable::RecordState::kDamaged);
  EXPECT_NE(std::string(table.DamagedRecord(2).what()).find("record 3 of 3"), std::string::npos);
}

TEST_F(BuiltTable, MissingFileIsNotFound) {
  EXPECT_RUN_TIME_ERROR(DbfTable(dir_.path() / "none.dbf"), platform::error::kFileNotFound);
  EXPECT_RUN_TIME_ERROR(DbfTable{dir_.path()}, platform::error::kDatabaseError);
}

}  // namespace
