// The files the headless command writes: a destination replaced only by a complete file, and
// the check that keeps it from writing over the table it reads.
#include "platform/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/path_text.h"
#include "platform/run_time_error.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::PathFromUtf8;
using platform::ReplacingFile;
using platform::Utf8Of;
using test_support::TempDir;

std::string Read(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::size_t FileCount(const std::filesystem::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

TEST(ReplacingFile, TakesTheDestinationsPlaceOnlyWhenCommitted) {
  TempDir dir;
  const std::filesystem::path folder = dir.path() / PathFromUtf8("दूध");
  std::filesystem::create_directory(folder);
  const std::filesystem::path destination = folder / PathFromUtf8("संकलन.tsv");
  Write(destination, "old");

  {
    ReplacingFile file(Utf8Of(destination));
    file.Write("half\r\n");
    EXPECT_EQ(FileCount(folder), 2u);
  }  // dropped: a failed export
  EXPECT_EQ(Read(destination), "old");
  EXPECT_EQ(FileCount(folder), 1u);

  ReplacingFile file(Utf8Of(destination));
  file.Write("a\tb\r\n");
  file.Write("1\t2");
  EXPECT_EQ(Read(destination), "old");
  file.Commit();
  EXPECT_EQ(Read(destination), "a\tb\r\n1\t2");  // bytes as written, line ends untouched
  EXPECT_EQ(FileCount(folder), 1u);
}

TEST(ReplacingFile, CanBeFilledByAWriterThatOpensItByName) {
  TempDir dir;
  const std::string destination = Utf8Of(dir.path() / "book.xlsx");
  ReplacingFile file(destination);
  Write(PathFromUtf8(file.path()), "PK workbook");
  file.Commit();
  EXPECT_EQ(Read(PathFromUtf8(destination)), "PK workbook");
}

TEST(ReplacingFile, AFolderThatIsNotThereIsAPathFileAccessError) {
  TempDir dir;
  const std::string destination = Utf8Of(dir.path() / "none" / "out.tsv");
  try {
    ReplacingFile file(destination);
    ADD_FAILURE() << "no error";
  } catch (const platform::RunTimeError& error) {
    EXPECT_EQ(error.number(), platform::error::kPathFileAccess);
    EXPECT_NE(std::string(error.what()).find(destination), std::string::npos) << error.what();
  }
}

TEST(SameFile, IsTheFileHoweverItsPathIsWritten) {
  TempDir dir;
  Write(dir.path() / "TRAN.DBF", "table");
  Write(dir.path() / "other.dbf", "table");
  const std::string table = Utf8Of(dir.path() / "TRAN.DBF");
  EXPECT_TRUE(platform::IsSameFile(table, table));
  EXPECT_TRUE(platform::IsSameFile(table, Utf8Of(dir.path() / "." / "TRAN.DBF")));
  EXPECT_FALSE(platform::IsSameFile(table, Utf8Of(dir.path() / "other.dbf")));
  EXPECT_FALSE(platform::IsSameFile(table, Utf8Of(dir.path() / "none.dbf")));

  std::error_code error;
  std::filesystem::create_hard_link(dir.path() / "TRAN.DBF", dir.path() / "linked.tsv", error);
  if (!error) {
    EXPECT_TRUE(platform::IsSameFile(table, Utf8Of(dir.path() / "linked.tsv")));
  }
}

TEST(TemporaryFolder, IsAFolderAndEndsInItsSeparator) {
  const std::string folder = platform::TemporaryFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.back() == '/' || folder.back() == '\\') << folder;
  EXPECT_TRUE(std::filesystem::is_directory(PathFromUtf8(folder))) << folder;
}

}  // namespace
