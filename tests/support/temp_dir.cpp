#include "tests/support/temp_dir.h"

#include <cstdio>
#include <random>
#include <stdexcept>
#include <system_error>

namespace test_support {

TempDir::TempDir() {
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "kolvex-test-%08x", static_cast<unsigned>(random()));
    path_ = base / name;
    if (std::filesystem::create_directory(path_)) return;
  }
  throw std::runtime_error("no temporary folder could be made");
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

}  // namespace test_support
