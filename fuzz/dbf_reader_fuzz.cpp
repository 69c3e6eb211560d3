// Reads every value of every record of a table made from the input, as the engine reads them: a
// Scan over the records and ReadIn for each field. A damaged table may be refused with a
// RunTimeError; anything else (a crash, a read outside the file) is a fault.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "platform/db/dbf_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto path = fuzz::WriteInput(data, size, "T");
  try {
    const platform::db::DbfTable table(path);
    std::string scratch;
    for (platform::db::DbfTable::Scan scan(table); scan.Next();) {
      if (platform::db::DbfTable::StateOf(scan.bytes()) ==
          platform::db::DbfTable::RecordState::kDamaged) {
        (void)table.DamagedRecord(scan.record());
        continue;
      }
      for (const auto& field : table.fields()) (void)table.ReadIn(scan.bytes(), field, scratch);
    }
  } catch (const platform::RunTimeError&) {
  }
  return 0;
}
