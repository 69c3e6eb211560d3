#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/db/ado.h"
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

}  // namespace
