#include "fuzz/fuzz_input.h"

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

namespace fuzz {

namespace {

// Removed with its files when the process ends.
struct OwnFolder {
  std::filesystem::path path;
  ~OwnFolder() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
  }
};

const std::filesystem::path& Folder() {
  static const OwnFolder folder{[] {
    // Memory-backed when the system has it: each input is written as files.
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "kolvex-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return std::filesystem::path(pattern);
  }()};
  return folder.path;
}

// Written as an hour old: the reader waits a second before it calls a table just written damaged
// (it may be one another program is writing), which no input of a fuzzer needs.
void Write(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::error_code error;
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1), error);
}

}  // namespace

std::filesystem::path WriteInput(const std::uint8_t* data, std::size_t size, const char* stem) {
  std::size_t table_size = size;
  if (size >= 2) {
    table_size = static_cast<std::size_t>(data[0] | (data[1] << 8));
    data += 2;
    size -= 2;
    if (table_size > size) table_size = size;
  }
  const std::filesystem::path table = Folder() / (std::string(stem) + ".DBF");
  Write(table, data, table_size);
  for (const char* extension : {".FPT", ".DBT"}) {
    const std::filesystem::path memo = Folder() / (std::string(stem) + extension);
    if (table_size < size) {
      Write(memo, data + table_size, size - table_size);
    } else {
      std::error_code error;
      std::filesystem::remove(memo, error);
    }
  }
  return table;
}

}  // namespace fuzz
