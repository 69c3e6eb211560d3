// Helpers for the provider's tests: temporary folders, files from bytes, .dbf images built in the
// test, and error checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/run_time_error.h"
#include "tests/support/temp_dir.h"

// Runs `statement`, expecting a RunTimeError with `number`; yields the error's text for more
// checks through the variable `error_text`.
#define EXPECT_RUN_TIME_ERROR(statement, expected_number)           \
  do {                                                              \
    try {                                                           \
      statement;                                                    \
      ADD_FAILURE() << "no RunTimeError from " #statement;          \
    } catch (const platform::RunTimeError& error_) {                \
      EXPECT_EQ(error_.number(), expected_number) << error_.what(); \
    }                                                               \
  } while (false)

namespace db_test {

// The RunTimeError `action` throws; fails the test when it throws none.
template <typename Action>
platform::RunTimeError ErrorOf(Action action) {
  try {
    action();
  } catch (const platform::RunTimeError& error) {
    return error;
  }
  ADD_FAILURE() << "no RunTimeError";
  return platform::RunTimeError(platform::error::kInternalError, "no error was raised");
}

using TempDir = test_support::TempDir;

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// The folder of a committed fixture table.
std::filesystem::path Fixture(const std::string& folder);

// A field of a table built in a test.
struct FieldSpec {
  std::string name;
  char type;
  std::uint8_t length;
  std::uint8_t decimals = 0;
  std::uint8_t flags = 0;
};

// The bytes of a .dbf table: header, descriptors, 0x0D, the 263-byte backlink for the Visual
// FoxPro versions, then each record (deletion flag included) and the 0x1A end mark. Offsets and
// lengths are computed from the fields; tests damage the result afterwards.
std::string BuildTable(std::uint8_t version, const std::vector<FieldSpec>& fields,
                       const std::vector<std::string>& records, std::uint8_t code_page_mark = 0x03);

// The common columns of TRAN: MEM_CODE C(6), NE_DATE C(10), COLL_TIME C(1), VOLUME_LT N(8,2),
// FAT_PER N(6,2), SNF N(6,2), TS_COMM N(8,2), RATE N(8,2), AMOUNT N(10,2).
std::vector<FieldSpec> TranFields();
// One live TRAN record from its values, each padded to its field's width.
std::string TranRecord(const std::string& mem_code, const std::string& ne_date,
                       const std::string& volume, const std::string& rate, char flag = ' ');

void PutLe16(std::string& bytes, std::size_t offset, std::uint16_t value);
void PutLe32(std::string& bytes, std::size_t offset, std::uint32_t value);

}  // namespace db_test
