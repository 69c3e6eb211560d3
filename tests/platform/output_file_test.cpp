// The files the headless command writes: a destination replaced only by a complete file, written
// in place when it is a device or a pipe, followed when it is a link, and never left behind as a
// half-made file; and the check that keeps it from writing over the table it reads.
#include "platform/system/output_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "tests/support/temp_dir.h"
#ifndef _WIN32
#include "tests/support/own_terminal.h"
#endif

namespace {

using platform::OutputFile;
using platform::PathFromUtf8;
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

TEST(OutputFile, TakesTheDestinationsPlaceOnlyWhenCommitted) {
  TempDir dir;
  const std::filesystem::path folder = dir.path() / PathFromUtf8("दूध");
  std::filesystem::create_directory(folder);
  const std::filesystem::path destination = folder / PathFromUtf8("संकलन.tsv");
  Write(destination, "old");

  {
    OutputFile file(Utf8Of(destination));
    EXPECT_FALSE(file.in_place());
    file.Write("half\r\n");
    EXPECT_EQ(FileCount(folder), 2u);
  }  // dropped: a failed export
  EXPECT_EQ(Read(destination), "old");
  EXPECT_EQ(FileCount(folder), 1u);

  OutputFile file(Utf8Of(destination));
  file.Write("a\tb\r\n");
  file.Write("1\t2");
  EXPECT_EQ(Read(destination), "old");
  file.Commit();
  EXPECT_EQ(Read(destination), "a\tb\r\n1\t2");  // bytes as written, line ends untouched
  EXPECT_EQ(FileCount(folder), 1u);
}

TEST(OutputFile, CanBeFilledByAWriterThatOpensItByName) {
  TempDir dir;
  const std::string destination = Utf8Of(dir.path() / "book.xlsx");
  OutputFile file(destination);
  Write(PathFromUtf8(file.path()), "PK workbook");
  file.Commit();
  EXPECT_EQ(Read(PathFromUtf8(destination)), "PK workbook");
}

TEST(OutputFile, AMissingFolderOrAFolderIsAPathFileAccessError) {
  TempDir dir;
  for (const std::filesystem::path& path : {dir.path() / "none" / "out.tsv", dir.path()}) {
    const std::string destination = Utf8Of(path);
    SCOPED_TRACE(destination);
    try {
      OutputFile file(destination);
      ADD_FAILURE() << "no error";
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), platform::error::kPathFileAccess);
      EXPECT_NE(std::string(error.what()).find(destination), std::string::npos) << error.what();
    }
  }
  EXPECT_EQ(FileCount(dir.path()), 0u);
}

TEST(TemporaryFile, HoldsWhatAWriterWroteByNameAndGoesWhenDropped) {
  std::string path;
  {
    const platform::TemporaryFile file(".xlsx");
    path = file.path();
    EXPECT_TRUE(path.ends_with(".xlsx")) << path;
    EXPECT_TRUE(path.starts_with(platform::TemporaryFolder())) << path;
    std::string book(150000, '\0');  // more than one piece
    for (std::size_t i = 0; i < book.size(); ++i) book[i] = static_cast<char>(i % 251);
    Write(PathFromUtf8(path), book);
    std::string read;
    file.ReadInPieces([&](std::string_view piece) { read += piece; });
    EXPECT_EQ(read, book);
  }
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(path)));
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
#ifdef _WIN32
  // Names Windows takes for the same file: trailing dots and blanks dropped, any letter case, the
  // short name.
  for (const char* name : {"TRAN.DBF.", "TRAN.DBF ", "TRAN.DBF. .", "tran.dbf..", "Tran.Dbf"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(platform::IsSameFile(table, Utf8Of(dir.path() / name)));
  }
  wchar_t short_name[MAX_PATH];
  const std::wstring long_name = (dir.path() / "a table with a long name.dbf").wstring();
  Write(long_name, "table");
  const DWORD size = GetShortPathNameW(long_name.c_str(), short_name, MAX_PATH);
  if (size > 0 && size < MAX_PATH && std::wstring(short_name) != long_name) {
    EXPECT_TRUE(platform::IsSameFile(Utf8Of(long_name), platform::Utf8OfWide(short_name)));
  } else {
    std::printf("no short name here: not tried\n");
  }
#endif
}

// Any name the folder takes can be replaced: the file made beside it has a short name of its own.
TEST(OutputFile, ReplacesADestinationOfTheLongestNameTheFolderTakes) {
  TempDir dir;
  const std::string name = std::string(251, 'a') + ".tsv";
  const std::filesystem::path destination = dir.path() / name;
  for (const char* bytes : {"new", "replaced"}) {
    OutputFile file(Utf8Of(destination));
    file.Write(bytes);
    file.Commit();
    EXPECT_EQ(Read(destination), bytes);
  }
  EXPECT_EQ(FileCount(dir.path()), 1u);
}

// Watches a replacement's steps while alive: records each, and fails the one named with a disk's
// failure.
class StepWatch {
 public:
  explicit StepWatch(std::optional<platform::ReplaceStep> failing = std::nullopt) {
    failing_ = failing;
    taken_.clear();
    platform::WatchReplaceSteps(&Take);
  }
  ~StepWatch() { platform::WatchReplaceSteps(nullptr); }
  StepWatch(const StepWatch&) = delete;
  StepWatch& operator=(const StepWatch&) = delete;
  const std::vector<platform::ReplaceStep>& taken() const { return taken_; }

 private:
  static int Take(platform::ReplaceStep step) {
    taken_.push_back(step);
#ifdef _WIN32
    return step == failing_ ? ERROR_WRITE_FAULT : 0;
#else
    return step == failing_ ? EIO : 0;
#endif
  }
  static inline std::optional<platform::ReplaceStep> failing_;
  static inline std::vector<platform::ReplaceStep> taken_;
};

// A replaced file outlasts a power cut: its bytes reach the disk before its name takes the old
// file's place, and the folder holding that name after it.
TEST(OutputFile, IsFlushedBeforeItTakesTheDestinationsPlaceAndTheFolderAfter) {
  TempDir dir;
  const std::filesystem::path destination = dir.path() / "out.tsv";
  for (const char* bytes : {"new", "replaced"}) {
    SCOPED_TRACE(bytes);
    const StepWatch watch;
    OutputFile file(Utf8Of(destination));
    file.Write(bytes);
    EXPECT_TRUE(watch.taken().empty()) << "nothing is flushed before the end";
    file.Commit();
    using Step = platform::ReplaceStep;
#ifdef _WIN32
    // The move writes through: no flush of the folder follows it.
    EXPECT_EQ(watch.taken(), (std::vector<Step>{Step::kFlushFile, Step::kReplace}));
#else
    EXPECT_EQ(watch.taken(),
              (std::vector<Step>{Step::kFlushFile, Step::kReplace, Step::kFlushFolder}));
#endif
    EXPECT_EQ(Read(destination), bytes);
  }
}

// A flush that fails is a 75 naming the destination. Before the new file took the old one's place
// the old one stays, and nothing made for it is left; after, the new one stays, and the message
// says what a power cut may do.
TEST(OutputFile, AFailingFlushIsAPathFileAccessError) {
  using Step = platform::ReplaceStep;
  const struct {
    Step failing;
    const char* left;  // the destination's bytes after the failure
    const char* said;  // part of the message
  } cases[] = {
      {Step::kFlushFile, "old", "cannot write"},
      {Step::kReplace, "old", "cannot replace"},
#ifndef _WIN32
      {Step::kFlushFolder, "new", "a power cut may still lose it"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    TempDir dir;
    const std::filesystem::path destination = dir.path() / "out.tsv";
    Write(destination, "old");
    const StepWatch watch(c.failing);
    try {
      OutputFile file(Utf8Of(destination));
      file.Write("new");
      file.Commit();
      ADD_FAILURE() << "no error";
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), platform::error::kPathFileAccess);
      const std::string said = error.what();
      EXPECT_NE(said.find(Utf8Of(destination)), std::string::npos) << said;
      EXPECT_NE(said.find(c.said), std::string::npos) << said;
    }
    EXPECT_EQ(Read(destination), c.left);
    EXPECT_EQ(FileCount(dir.path()), 1u);
  }
}

TEST(TemporaryFolder, IsAFolderAndEndsInItsSeparator) {
  const std::string folder = platform::TemporaryFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.back() == '/' || folder.back() == '\\') << folder;
  EXPECT_TRUE(std::filesystem::is_directory(PathFromUtf8(folder))) << folder;
}

#ifdef _WIN32

TEST(OutputFile, TheNullDeviceIsWrittenInPlace) {
  OutputFile file("NUL");
  EXPECT_TRUE(file.in_place());
  EXPECT_TRUE(file.path().empty());
  file.Write("nothing to keep");
  file.Commit();
  EXPECT_FALSE(platform::NamesTerminal("NUL"));
}

TEST(OutputFile, AReplacedFileKeepsItsAttributes) {
  TempDir dir;
  const std::filesystem::path kept = dir.path() / "kept.tsv";
  Write(kept, "old");
  ASSERT_TRUE(SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_HIDDEN));
  if ((GetFileAttributesW(kept.c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0) {
    GTEST_SKIP() << "this file system keeps no hidden attribute (Wine without extended "
                    "attributes)";
  }
  OutputFile file(Utf8Of(kept));
  file.Write("new");
  file.Commit();
  EXPECT_EQ(Read(kept), "new");
  EXPECT_NE(GetFileAttributesW(kept.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(FileCount(dir.path()), 1u);
}

// As a rename replaces a file of mode 444 on Linux and keeps its mode: the export takes the
// read-only file's place and is read-only itself; when it cannot, the old file keeps its
// attribute.
TEST(OutputFile, AReadOnlyFileIsReplacedByAReadOnlyOne) {
  TempDir dir;
  const std::filesystem::path kept = dir.path() / "ro.tsv";
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "the replacement fails" : "replaced");
    Write(kept, "old");
    ASSERT_TRUE(SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_READONLY));
    {
      const StepWatch watch(fails ? std::optional(platform::ReplaceStep::kReplace) : std::nullopt);
      OutputFile file(Utf8Of(kept));
      file.Write("new");
      if (fails) {
        EXPECT_THROW(file.Commit(), platform::RunTimeError);
      } else {
        file.Commit();
      }
    }
    EXPECT_EQ(Read(kept), fails ? "old" : "new");
    EXPECT_NE(GetFileAttributesW(kept.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(FileCount(dir.path()), 1u);
    ASSERT_TRUE(SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_NORMAL));
  }
}

#else

TEST(OutputFile, ATerminalIsWrittenInPlaceAndStaysADevice) {
  test_support::OwnTerminal terminal;
  if (terminal.device().empty()) GTEST_SKIP() << "no pseudo-terminal can be made here";
  TempDir dir;
  const std::filesystem::path link = dir.path() / "screen";
  std::filesystem::create_symlink(terminal.device(), link);
  EXPECT_TRUE(platform::NamesTerminal(Utf8Of(link)));
  EXPECT_FALSE(platform::NamesTerminal(Utf8Of(dir.path())));
  for (const std::string& destination : {terminal.device(), Utf8Of(link)}) {
    SCOPED_TRACE(destination);
    OutputFile file(destination);
    EXPECT_TRUE(file.in_place());
    file.Write("a\tb\r\n");
    file.Commit();
    EXPECT_EQ(terminal.Take(5), "a\tb\r\n");
  }
  struct stat device {};
  ASSERT_EQ(::stat(terminal.device().c_str(), &device), 0);
  EXPECT_TRUE(S_ISCHR(device.st_mode));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(FileCount(dir.path()), 1u);
}

TEST(OutputFile, APipeIsWrittenInPlaceForItsReader) {
  TempDir dir;
  const std::filesystem::path pipe = dir.path() / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = Read(pipe); });
  {
    OutputFile file(Utf8Of(pipe));  // waits for the reader, as the shell's ">" would
    EXPECT_TRUE(file.in_place());
    file.Write("mem_code\r\n");
    file.Commit();
  }
  reader.join();
  EXPECT_EQ(received, "mem_code\r\n");
  struct stat still {};
  ASSERT_EQ(::stat(pipe.c_str(), &still), 0);
  EXPECT_TRUE(S_ISFIFO(still.st_mode));
  EXPECT_EQ(FileCount(dir.path()), 1u);
}

TEST(OutputFile, ALinkIsFollowedAndItsTargetReplacedInItsOwnFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "links");
  std::filesystem::create_directory(dir.path() / "files");
  Write(dir.path() / "files" / "june.tsv", "old");
  std::filesystem::create_symlink("../files/june.tsv", dir.path() / "links" / "latest.tsv");
  std::filesystem::create_symlink("../files/july.tsv", dir.path() / "links" / "next.tsv");

  for (const char* name : {"latest.tsv", "next.tsv"}) {
    SCOPED_TRACE(name);
    OutputFile file(Utf8Of(dir.path() / "links" / name));
    EXPECT_FALSE(file.in_place());
    EXPECT_EQ(PathFromUtf8(file.path()).parent_path(), dir.path() / "links" / ".." / "files");
    file.Write(name);
    file.Commit();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "links" / name));
  }
  EXPECT_EQ(Read(dir.path() / "files" / "june.tsv"), "latest.tsv");
  EXPECT_EQ(Read(dir.path() / "files" / "july.tsv"), "next.tsv");  // a link to nothing yet
  EXPECT_EQ(FileCount(dir.path() / "links"), 2u);
  EXPECT_EQ(FileCount(dir.path() / "files"), 2u);
}

TEST(OutputFile, AReplacedFileKeepsItsModeAndOwnerAndANewOneFollowsTheUmask) {
  TempDir dir;
  const std::filesystem::path kept = dir.path() / "kept.tsv";
  Write(kept, "old");
  ASSERT_EQ(::chmod(kept.c_str(), 0600), 0);
  // Another owner can only be given by root; anyone else checks that the file stays theirs.
  const bool root = ::geteuid() == 0;
  const uid_t owner = root ? 65534 : ::geteuid();
  const gid_t group = root ? 65534 : ::getegid();
  if (root) {
    ASSERT_EQ(::chown(kept.c_str(), owner, group), 0);
  }

  const mode_t before = ::umask(027);
  {
    OutputFile file(Utf8Of(kept));
    file.Write("new");
    file.Commit();
    OutputFile fresh(Utf8Of(dir.path() / "fresh.tsv"));
    fresh.Write("new");
    fresh.Commit();
  }
  ::umask(before);

  struct stat replaced {};
  ASSERT_EQ(::stat(kept.c_str(), &replaced), 0);
  EXPECT_EQ(replaced.st_mode & 07777, 0600u);
  EXPECT_EQ(replaced.st_uid, owner);
  EXPECT_EQ(replaced.st_gid, group);
  EXPECT_EQ(Read(kept), "new");
  struct stat fresh {};
  ASSERT_EQ(::stat((dir.path() / "fresh.tsv").c_str(), &fresh), 0);
  EXPECT_EQ(fresh.st_mode & 07777, 0640u);
}

// Makes a file for `destination` and a temporary one in `folder`, then is stopped by `signal`.
[[noreturn]] void StopWhileMakingFiles(const std::filesystem::path& destination,
                                       const std::filesystem::path& folder, int signal) {
  ::setenv("TMPDIR", folder.c_str(), 1);
  const struct rlimit no_core = {0, 0};  // SIGQUIT would leave one
  ::setrlimit(RLIMIT_CORE, &no_core);
  OutputFile file(Utf8Of(destination));
  file.Write("half");
  const platform::TemporaryFile workbook(".xlsx");
  if (FileCount(folder) != 3) std::_Exit(3);
  ::raise(signal);
  std::_Exit(4);
}

// A signal that stops the program while a file is made for the destination, or a workbook is
// being written to a temporary file, leaves neither behind. (A signal the program was started
// ignoring stays ignored and stops nothing: a shell's background job ignores SIGINT.)
TEST(OutputFile, ASignalThatStopsTheProgramRemovesTheFilesItWasMaking) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT}) {
    SCOPED_TRACE(signal);
    struct sigaction now {};
    ASSERT_EQ(::sigaction(signal, nullptr, &now), 0);
    if (now.sa_handler == SIG_IGN) {
      std::printf("signal %d is ignored by what started the tests: not tried\n", signal);
      continue;
    }
    TempDir dir;
    const std::filesystem::path destination = dir.path() / "out.tsv";
    Write(destination, "old");
    EXPECT_EXIT(StopWhileMakingFiles(destination, dir.path(), signal),
                testing::KilledBySignal(signal), "");
    EXPECT_EQ(FileCount(dir.path()), 1u);
    EXPECT_EQ(Read(destination), "old");
  }
}

#endif

}  // namespace
