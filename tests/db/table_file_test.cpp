// The table file as the reader holds it: read while the collection program keeps it open and
// goes on writing it, never in that program's way, and found by UTF-8 names.
#include "platform/db/table_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/system/path_text.h"
#include "tests/db/db_test_support.h"

namespace {

using db_test::TempDir;
using db_test::WriteFile;
using platform::PathFromUtf8;
using platform::Utf8Of;
using platform::db::FindFileIgnoringCase;
using platform::db::TableFileReader;

// The bytes ReadAt copies, or "<failed>".
std::string Read(const TableFileReader& file, std::uint64_t offset, std::size_t length) {
  std::string bytes(length, '\0');
  return file.ReadAt(offset, bytes.data(), length) ? bytes : "<failed>";
}

TEST(SharedTableFile, CopiesSeeWhatTheWriterWritesWhileItHoldsTheFile) {
  TempDir dir;
  const std::filesystem::path path = dir.path() / "TRAN.DBF";
  WriteFile(path, "0123456789");
  std::fstream writer(path, std::ios::in | std::ios::out | std::ios::binary);
  ASSERT_TRUE(writer.is_open());

  const TableFileReader file(path);
  writer.seekp(0, std::ios::end);
  writer << "abcdef";
  writer.seekp(0);
  writer << 'X';
  writer.flush();

  EXPECT_EQ(file.size(), 10u);  // as it was opened
  EXPECT_EQ(file.SizeNow(), 16u);
  EXPECT_EQ(Read(file, 0, 16), "X123456789abcdef");
  EXPECT_EQ(Read(file, 14, 3), "<failed>");
}

TEST(SharedTableFile, TheWriterMayCutRenameAndDeleteTheFileWhileItIsRead) {
  TempDir dir;
  const std::filesystem::path path = dir.path() / "TRAN.DBF";
  WriteFile(path, "0123456789");
  const TableFileReader file(path);
  ASSERT_EQ(Read(file, 0, 10), "0123456789");

  // A table packed in place, then replaced by a fresh copy: none of it may fail because the
  // file is open here, and what is gone reads as a failure, not as a fault.
  std::filesystem::resize_file(path, 4);
  EXPECT_EQ(Read(file, 0, 10), "<failed>");
  EXPECT_EQ(Read(file, 0, 4), "0123");
  std::filesystem::rename(path, dir.path() / "TRAN.BAK");
  // Windows keeps a deleted file's name until its last holder closes it.
  EXPECT_TRUE(std::filesystem::remove(dir.path() / "TRAN.BAK"));
}

// The index pass reads the two halves of a large table on two threads at once.
TEST(SharedTableFile, ReadsFromTwoThreadsAtOnceEachGetTheirOwnBytes) {
  TempDir dir;
  std::string bytes(std::size_t{1} << 22, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  WriteFile(dir.path() / "big.dbf", bytes);
  const TableFileReader file(dir.path() / "big.dbf");
  constexpr std::size_t kPiece = std::size_t{1} << 16;
  auto read_half = [&](std::size_t half, int& wrong) {
    for (std::size_t round = 0; round < 8; ++round) {
      for (std::size_t at = half * bytes.size() / 2; at < (half + 1) * bytes.size() / 2;
           at += kPiece) {
        const std::size_t offset = at + round * 13;
        const std::size_t length = std::min(kPiece, bytes.size() - offset);
        if (Read(file, offset, length) != bytes.substr(offset, length)) ++wrong;
      }
    }
  };
  int wrong_first = 0;
  int wrong_second = 0;
  std::thread second([&] { read_half(1, wrong_second); });
  read_half(0, wrong_first);
  second.join();
  EXPECT_EQ(wrong_first, 0);
  EXPECT_EQ(wrong_second, 0);
}

TEST(SharedTableFile, AnEmptyFileHoldsNothingToRead) {
  TempDir dir;
  WriteFile(dir.path() / "empty.dbf", "");
  const TableFileReader empty(dir.path() / "empty.dbf");
  EXPECT_EQ(empty.size(), 0u);
  EXPECT_EQ(Read(empty, 0, 1), "<failed>");
}

TEST(TableFileNames, AreFoundAndNamedInUtf8WithAsciiLettersInAnyCase) {
  TempDir dir;
  const std::filesystem::path folder = dir.path() / PathFromUtf8("दूध संकलन");
  std::filesystem::create_directory(folder);
  WriteFile(folder / PathFromUtf8("Tran.Dbf"), "tran");
  WriteFile(folder / PathFromUtf8("सदस्य.DBF"), "members");

  EXPECT_EQ(Utf8Of(FindFileIgnoringCase(folder, "TRAN.dbf").filename()), "Tran.Dbf");
  const std::filesystem::path members = FindFileIgnoringCase(folder, "सदस्य.dbf");
  EXPECT_EQ(Utf8Of(members.filename()), "सदस्य.DBF");
  EXPECT_EQ(Read(TableFileReader(members), 0, 7), "members");
  EXPECT_TRUE(FindFileIgnoringCase(folder, "none.dbf").empty());

  const platform::RunTimeError error =
      db_test::ErrorOf([&] { TableFileReader(folder / PathFromUtf8("none.dbf")); });
  EXPECT_EQ(error.number(), platform::error::kFileNotFound);
  EXPECT_NE(std::string(error.what()).find("दूध संकलन"), std::string::npos) << error.what();
}

}  // namespace
