// Reads every value of every record of a table made from the input. A damaged table may be
// refused with a RunTimeError; anything else (a crash, a read outside the file) is a fault.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "platform/db/dbf_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto path = fuzz::WriteInput(data, size, "T");
  try {
    const platform::db::DbfTable table(path);
    std::string scratch;
    for (std::uint32_t record = 0; record < table.record_count(); ++record) {
      if (table.State(record) == platform::db::DbfTable::RecordState::kDamaged) {
        (void)table.DamagedRecord(record);
        continue;
      }
      for (const auto& field : table.fields()) {
        (void)table.Read(record, field, scratch);
        (void)table.ReadValue(record, field);
      }
    }
  } catch (const platform::RunTimeError&) {
  }
  return 0;
}
