#include "export/zip_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/run_time_error.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace {

#ifndef _WIN32
// What Python's zipfile finds in the archive: each entry's name, size and the CRC-32 of its bytes
// as it computes them, after checking every entry's stored CRC-32 (testzip).
std::string PythonListing(const std::string& archive, const std::string& folder) {
  const std::string script =
      "import sys, zipfile, zlib\n"
      "with zipfile.ZipFile(sys.argv[1]) as z:\n"
      "    assert z.testzip() is None\n"
      "    for i in z.infolist():\n"
      "        crc = 0\n"
      "        with z.open(i) as f:\n"
      "            while block := f.read(1 << 24):\n"
      "                crc = zlib.crc32(block, crc)\n"
      "        print(i.filename, i.file_size, format(crc, '08x'))\n";
  std::ofstream(folder + "/list.py") << script;
  const std::string command =
      "/usr/bin/python3 '" + folder + "/list.py' '" + archive + "' >'" + folder + "/listing' 2>&1";
  if (std::system(command.c_str()) != 0) return "python failed";
  std::ifstream file(folder + "/listing");
  std::ostringstream listing;
  listing << file.rdbuf();
  return listing.str();
}

// Entries whose size was bounded past 4 GiB carry the zip64 sizes; the others the plain ones,
// side by side in one archive.
TEST(ZipFile, EntriesWithAndWithoutZip64SizesReadBack) {
  test_support::TempDir dir;
  const std::string folder = dir.path().string();
  const std::string archive = folder + "/a.zip";
  exporter::ZipFile zip(archive, "a.zip");
  zip.StartEntry("empty.xml", 0);
  zip.StartEntry("xl/big.xml", std::uint64_t{5} << 30);
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += std::to_string(i * 7919 % 100003) + ",";
  zip.Write(bytes);
  zip.Write("end");
  zip.StartEntry("small.xml", 3);
  zip.Write("abc");
  zip.Close();
  EXPECT_EQ(PythonListing(archive, folder), "empty.xml 0 00000000\nxl/big.xml " +
                                                std::to_string(bytes.size() + 3) +
                                                " 7671743e\nsmall.xml 3 352441c2\n");
}

// An entry of more than 4 GiB, as the sheet of a list with long texts becomes. Writes and reads
// 4.5 GiB, so it runs only when asked for.
TEST(ZipFile, AnEntryPastFourGibibytesReadsBack) {
  if (std::getenv("KOLVEX_LARGE_TESTS") == nullptr) {
    GTEST_SKIP() << "writes and reads 4.5 GiB: set KOLVEX_LARGE_TESTS=1 to run it";
  }
  test_support::TempDir dir;
  const std::string folder = dir.path().string();
  const std::string archive = folder + "/a.zip";
  exporter::ZipFile zip(archive, "a.zip");
  zip.StartEntry("first.xml", 1);
  zip.Write("1");
  constexpr std::uint64_t kBlocks = 4608;  // of 1 MiB
  zip.StartEntry("xl/huge.xml", kBlocks << 20);
  std::string block;
  for (int i = 0; block.size() < (1 << 20); ++i) block += std::to_string(i);
  block.resize(1 << 20);
  for (std::uint64_t i = 0; i < kBlocks; ++i) zip.Write(block);
  zip.StartEntry("last.xml", 1);
  zip.Write("2");
  zip.Close();
  const std::string listing = PythonListing(archive, folder);
  EXPECT_NE(listing.find("xl/huge.xml " + std::to_string(kBlocks << 20) + " "), std::string::npos)
      << listing;
  EXPECT_NE(listing.find("last.xml 1 "), std::string::npos) << listing;
}

// Writes a large entry into `archive` with the process's files limited to 1 MiB and exits: 0
// when the archive fails with RunTimeError 75, printing its description.
[[noreturn]] void WriteBeyondAFileSizeLimit(const std::string& archive) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{1 << 20, 1 << 20};
  setrlimit(RLIMIT_FSIZE, &limit);
  // Bytes deflate cannot shrink, so the file outgrows its limit early in the entry.
  std::string block(1 << 20, '\0');
  std::uint32_t state = 1;
  for (char& byte : block) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<char>(state >> 24);
  }
  try {
    exporter::ZipFile zip(archive, "a.zip");
    zip.StartEntry("big.xml", std::uint64_t{64} << 20);
    for (int i = 0; i < 64; ++i) zip.Write(block);
    zip.Close();
  } catch (const platform::RunTimeError& error) {
    std::fprintf(stderr, "%s\n", error.description().c_str());
    std::exit(error.number() == platform::error::kPathFileAccess ? 0 : 1);
  }
  std::exit(2);
}

// A file that stops taking bytes in the middle of an entry: the failure comes back from the
// thread that deflates as the workbook's error, at the latest when the archive is closed, and
// nothing waits for ever.
TEST(ZipFileDeathTest, AWriteThatFailsInTheMiddleOfAnEntryIsTheWorkbooksError) {
  test_support::TempDir dir;
  EXPECT_EXIT(WriteBeyondAFileSizeLimit(dir.path().string() + "/a.zip"),
              ::testing::ExitedWithCode(0), "cannot write the workbook 'a.zip': File too large");
}
#endif

TEST(ZipFile, AFileThatCannotBeMadeIsAnErrorNamingWhereItIsBoundFor) {
  try {
    exporter::ZipFile zip("/nonexistent-folder/x.zip", "the destination");
    ADD_FAILURE() << "no error";
  } catch (const platform::RunTimeError& error) {
    EXPECT_EQ(error.number(), platform::error::kPathFileAccess);
    EXPECT_NE(error.description().find("'the destination'"), std::string::npos)
        << error.description();
  }
}

}  // namespace
