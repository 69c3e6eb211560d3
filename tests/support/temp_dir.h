// A folder of the tests' own under the system's temporary folder, removed with everything in it
// when the object goes. Portable, so the tests that use it also run on Windows.
#pragma once

#include <filesystem>

namespace test_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace test_support
