// Turns a fuzz input into files: a table and, when the input goes on past it, a memo file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace fuzz {

// Writes `<folder>/<stem>.DBF`, and `<stem>.FPT` and `<stem>.DBT` when memo bytes follow, in a
// folder made once per process; stale memo files of earlier inputs are removed. Returns the table
// path.
std::filesystem::path WriteInput(const std::uint8_t* data, std::size_t size, const char* stem);

}  // namespace fuzz
