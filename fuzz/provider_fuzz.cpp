// Opens a table made from the input as TRAN through a connection and runs the load's structure
// query and a day query, reading every row; a table without the columns fails with a
// RunTimeError, as does a damaged one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/db/provider.h"
#include "platform/run_time_error.h"

namespace {

void Run(const std::shared_ptr<platform::db::Connection>& connection, const std::string& sql) {
  auto records = platform::db::DbfProvider().NewRecordset();
  records->SetCursorLocation(platform::db::kUseClient);
  records->Open(sql, connection, platform::db::kOpenForwardOnly, platform::db::kLockOptimistic,
                platform::db::kOptionUnspecified);
  for (; !records->AtEof(); records->MoveNext()) {
    for (std::size_t i = 0; i < records->FieldCount(); ++i) {
      (void)records->FieldName(i);
      (void)records->FieldValue(i).text.size();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto path = fuzz::WriteInput(data, size, "TRAN");
  try {
    auto connection = platform::db::DbfProvider().NewConnection();
    connection->Open("Provider=vfpoledb;Data Source=" + path.string() +
                     ";Collating Sequence=machine");
    Run(connection,
        "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf as snf,ts_comm,rate,"
        "Amount from TRAN Where ne_date='2081/01/01'");
    Run(connection,
        "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf,ts_comm,rate,"
        "Volume_lt*rate as Amount from TRAN Where ne_date='01/01/2081' order by ne_date, "
        "Mem_Code");
  } catch (const platform::RunTimeError&) {
  }
  return 0;
}
