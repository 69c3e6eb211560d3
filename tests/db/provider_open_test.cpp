// Opening a connection and a table, and the failures that name what is at fault.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/db/provider.h"
#include "tests/db/db_test_support.h"
#include "tests/db/provider_test_support.h"

namespace provider_test {
namespace {

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

// A date of the table held in a field of another type than text: FoxPro does not compare a
// number, a date or a logical with a text, and neither does the provider. Finding no record
// equal would make an empty list of a table full of records.
TEST_F(TranFolder, AFieldOfAnotherTypeComparedWithTextIsRefusedNamingItsType) {
  const struct {
    db_test::FieldSpec ne_date;
    std::string stored;  // NE_DATE of the one record
    const char* type;    // as the message names it
  } cases[] = {
      {{"NE_DATE", 'D', 8}, "20810101", "Date (D)"},
      {{"NE_DATE", 'N', 8}, "20810101", "Numeric (N)"},
      {{"NE_DATE", 'L', 1}, "T", "Logical (L)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    std::vector<db_test::FieldSpec> fields = db_test::TranFields();
    fields[1] = c.ne_date;
    std::string record = db_test::TranRecord("A1", "", "1.00", "40.00");
    record.replace(7, 10, c.stored);
    db_test::WriteFile(dir_.path() / "TRAN.DBF", db_test::BuildTable(0x30, fields, {record}));
    auto connection = Connect(dir_.path());
    for (const std::string& query : {DayQuery("01/01/2081"), kStructureQuery + "2081/01/01'",
                                     std::string("select * from tran where '1' < ne_date")}) {
      SCOPED_TRACE(query);
      const auto refused = ErrorOf([&] { Query(connection, query); });
      EXPECT_EQ(refused.number(), error::kCommandError);
      const std::string said = refused.what();
      EXPECT_NE(said.find("NE_DATE"), std::string::npos) << said;
      EXPECT_NE(said.find(c.type), std::string::npos) << said;
      EXPECT_NE(said.find("TRAN.DBF"), std::string::npos) << said;
    }
    // Compared with its own kind, or not at all, the field is read.
    EXPECT_EQ(Column(connection, "select mem_code from tran where ne_date is not null").size(), 1u);
    EXPECT_EQ(Column(connection, "select mem_code from tran where mem_code = 'A1'").size(), 1u);
  }
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

TEST_F(TranFolder, DataSourceFolderMayHoldASemicolon) {
  const auto folder = dir_.path() / "Milk;2081";
  std::filesystem::create_directory(folder);
  db_test::WriteFile(folder / "TRAN.DBF",
                     db_test::BuildTable(0x30, db_test::TranFields(),
                                         {db_test::TranRecord("A1", "01/01/2081", "1", "1")}));
  auto connection = Connect(folder / "TRAN.DBF");
  EXPECT_EQ(Rows(*Query(connection, DayQuery("01/01/2081"))).size(), 1u);
}

}  // namespace
}  // namespace provider_test
