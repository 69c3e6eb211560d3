// The "machine" collation of the SQL engine: character values compared as FoxPro compares them
// under its machine collating sequence.
#pragma once

namespace platform::db {

inline constexpr const char* kMachineCollation = "machine";

// An SQLite collation function; `engine` is the SqlEngine whose queries it serves. The collation
// sees UTF-8: values with other than ASCII characters are compared by their stored bytes in the
// engine's collation code page, so the order is the order of the stored bytes.
int MachineCollation(void* engine, int size_a, const void* a, int size_b, const void* b);

}  // namespace platform::db
