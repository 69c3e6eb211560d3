// What the provider's tests share: the load's two queries, connecting to a table and reading a
// record set's rows, and a folder holding one TRAN table built in the test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/provider.h"
#include "tests/db/db_test_support.h"

namespace provider_test {

using platform::db::DbfProvider;
using platform::db::Recordset;

inline const std::string kStructureQuery =
    "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf as snf,ts_comm,rate,Amount "
    "from TRAN Where ne_date='";
inline const std::string kDayQuery =
    "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf,ts_comm,rate,"
    "Volume_lt*rate as Amount from TRAN Where ne_date='";

inline std::string ConnectionString(const std::filesystem::path& source) {
  return "Provider=vfpoledb;Data Source=" + source.string() + ";Collating Sequence=machine";
}

inline std::shared_ptr<platform::db::Connection> Connect(const std::filesystem::path& source) {
  auto connection = DbfProvider().NewConnection();
  connection->Open(ConnectionString(source), "", "", platform::db::kOptionUnspecified);
  return connection;
}

inline std::shared_ptr<Recordset> Query(const std::shared_ptr<platform::db::Connection>& connection,
                                        const std::string& sql) {
  auto records = DbfProvider().NewRecordset();
  records->SetCursorLocation(platform::db::kUseClient);
  records->Open(sql, connection, platform::db::kOpenForwardOnly, platform::db::kLockOptimistic,
                platform::db::kOptionUnspecified);
  return records;
}

// Every row as its values joined by "|".
inline std::vector<std::string> Rows(Recordset& records) {
  std::vector<std::string> rows;
  for (; !records.AtEof(); records.MoveNext()) {
    std::string row;
    for (std::size_t i = 0; i < records.FieldCount(); ++i) {
      if (i > 0) row += "|";
      row += records.FieldValue(i).text;
    }
    rows.push_back(row);
  }
  return rows;
}

inline std::string DayQuery(const std::string& day_key) {
  return kDayQuery + day_key + "' order by ne_date, Mem_Code";
}

inline std::vector<std::string> Column(const std::shared_ptr<platform::db::Connection>& connection,
                                       const std::string& sql) {
  return Rows(*Query(connection, sql));
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

}  // namespace provider_test
