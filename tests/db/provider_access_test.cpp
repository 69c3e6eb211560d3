// The provider only reads: it writes nothing, reads a table another program holds locked, and
// says so when this user may not read a table or folder.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/db/provider.h"
#include "platform/db/table_file.h"
#include "tests/db/db_test_support.h"
#include "tests/db/provider_test_support.h"

namespace provider_test {
namespace {

TEST_F(TranFolder, OnlyReadingIsAllowed) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")});
  auto connection = Connect(path);
  const std::string attempts[] = {
      "delete from TRAN",
      "update TRAN set rate = 0",
      "insert into TRAN (mem_code) values ('x')",
      "drop table TRAN",
      "create table x (a)",
      "attach database '" + (dir_.path() / "new.db").string() + "' as other",
      "pragma writable_schema = 1",
      "vacuum into '" + (dir_.path() / "copy.db").string() + "'",
      "select 1; delete from TRAN",
      "select load_extension('x')",
      "",
  };
  const std::string before = db_test::ReadFile(path);
  for (const std::string& sql : attempts) {
    SCOPED_TRACE(sql);
    EXPECT_RUN_TIME_ERROR(Query(connection, sql), error::kCommandError);
  }
  EXPECT_EQ(db_test::ReadFile(path), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(Rows(*Query(connection, "select count(*) from tran")), std::vector<std::string>{"1"});
}

TEST_F(TranFolder, LoadLeavesBytesAndModificationTimeAsTheyWere) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")});
  const auto time = std::filesystem::last_write_time(path);
  const std::string before = db_test::ReadFile(path);
  {
    auto connection = Connect(path);
    Query(connection, kStructureQuery + "2081/01/01'");
    Rows(*Query(connection, DayQuery("01/01/2081")));
  }
  EXPECT_EQ(db_test::ReadFile(path), before);
  EXPECT_EQ(std::filesystem::last_write_time(path), time);
}

TEST_F(TranFolder, ReadsWhileAnotherProgramHoldsTheTableLocked) {
  const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")});
#ifdef _WIN32
  // A Windows lock keeps every other program from the locked bytes, so FoxPro locks bytes past
  // the end of the data, counting down from 0x7ffffffe; the writer shares the file for reading and
  // writing.
  HANDLE holder =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  OVERLAPPED table_lock = {};
  table_lock.Offset = 0x7ffffffe - 1000;
  ASSERT_TRUE(LockFileEx(holder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1001, 0,
                         &table_lock));
#else
  const int holder = open(path.c_str(), O_RDWR);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  ASSERT_EQ(fcntl(holder, F_SETLK, &range), 0);
#endif
  auto connection = Connect(path);
  EXPECT_EQ(Rows(*Query(connection, DayQuery("01/01/2081"))).size(), 1u);
#ifdef _WIN32
  CloseHandle(holder);
#else
  close(holder);
#endif
}

#ifdef _WIN32
// Windows refuses a read of bytes another handle holds an exclusive lock on (Wine lets it
// through): the reader's seam refuses the reads that meet `locked`, as Windows would, `times`
// times or, with -1, for good.
struct LockedRange {
  std::uint64_t begin;
  std::uint64_t end;
  int times;
};
LockedRange locked;
unsigned long RefuseLocked(std::uint64_t offset, std::size_t length) {
  if (offset >= locked.end || offset + length <= locked.begin || locked.times == 0) return 0;
  if (locked.times > 0) --locked.times;
  return ERROR_LOCK_VIOLATION;
}

// A lock is no damage: a table locked a moment is read whole once the lock goes, one locked
// longer than a load waits is said to be locked, and to load again.
TEST_F(TranFolder, ALockedTableIsWaitedForAndNeverCalledDamaged) {
  constexpr std::uint64_t kFirstRecord = 296 + 32 * 9;  // the header and descriptors of TRAN
  const struct {
    const char* what;
    LockedRange range;
    bool read;  // whether the load gives the row
  } cases[] = {
      {"the header, a moment", {0, 32, 5}, true},
      {"the first record, a moment", {kFirstRecord, kFirstRecord + 64, 5}, true},
      {"past the end, as FoxPro locks", {0x7ffffffe - 1000, 0x7fffffff, -1}, true},
      {"the header, for good", {0, 32, -1}, false},
      {"the first record, for good", {kFirstRecord, kFirstRecord + 64, -1}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto path = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")});
    locked = c.range;
    platform::db::RefuseReadsForTests(&RefuseLocked);
    try {
      auto connection = Connect(path);
      const std::vector<std::string> rows = Rows(*Query(connection, DayQuery("01/01/2081")));
      EXPECT_TRUE(c.read);
      EXPECT_EQ(rows.size(), 1u);
    } catch (const platform::RunTimeError& error) {
      const std::string said = error.what();
      EXPECT_FALSE(c.read) << said;
      EXPECT_EQ(error.number(), error::kDatabaseError);
      EXPECT_NE(said.find("is locked by another program"), std::string::npos) << said;
      EXPECT_NE(said.find("Load it again."), std::string::npos) << said;
      EXPECT_EQ(said.find("damaged"), std::string::npos) << said;
    }
    platform::db::RefuseReadsForTests(nullptr);
  }
}
#endif

#ifndef _WIN32
// Runs the checks of `check` as a user without root's rights, in a child process: root reads any
// file whatever its mode. The child exits with 0 when every check holds.
template <typename Check>
[[noreturn]] void AsOrdinaryUser(Check check) {
  if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
    std::fprintf(stderr, "root's rights cannot be given up here\n");
    std::_Exit(2);
  }
  std::_Exit(check() ? 0 : 1);
}

// A table or folder this user may not read is error 70, naming it, not a table or file that is
// not there.
TEST_F(TranFolder, WhatThisUserMayNotReadIsPermissionDenied) {
  const auto table = WriteTran({db_test::TranRecord("A1", "01/01/2081", "1.00", "40.00")});
  const auto unsearchable = dir_.path() / "unsearchable";
  const auto unlisted = dir_.path() / "unlisted";
  for (const auto& folder : {unsearchable, unlisted}) {
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(table, folder / "TRAN.DBF");
  }
  ASSERT_EQ(chmod(unsearchable.c_str(), 0644), 0);  // listed, but nothing in it can be opened
  ASSERT_EQ(chmod(unlisted.c_str(), 0711), 0);      // opened by name, but not listed
  ASSERT_EQ(chmod(table.c_str(), 0), 0);
  const struct {
    std::filesystem::path source;
    std::filesystem::path named;
  } cases[] = {
      {table, table},
      {unsearchable / "TRAN.DBF", unsearchable / "TRAN.DBF"},
      {unsearchable, unsearchable / "TRAN.DBF"},
      {unlisted / "TRAN.DBF", unlisted},
  };
  EXPECT_EXIT(AsOrdinaryUser([&] {
                bool held = true;
                for (const auto& c : cases) {
                  try {
                    Query(Connect(c.source), kStructureQuery + "2081/01/01'");
                    std::fprintf(stderr, "%s: read\n", c.source.c_str());
                    held = false;
                  } catch (const platform::RunTimeError& failure) {
                    const std::string text = failure.what();
                    if (failure.number() != error::kPermissionDenied ||
                        text.find("'" + c.named.string() + "'") == std::string::npos) {
                      std::fprintf(stderr, "%s: %s\n", c.source.c_str(), failure.Prompt().c_str());
                      held = false;
                    }
                  }
                }
                return held;
              }),
              testing::ExitedWithCode(0), "");
}
// A folder that may be searched but not listed gives a table named exactly as asked, as it is
// opened by its name; only a table in another letter case needs the listing.
TEST_F(TranFolder, AnExactlyNamedTableIsReadInAFolderThatCannotBeListed) {
  const auto unlisted = dir_.path() / "unlisted";
  std::filesystem::create_directory(unlisted);
  db_test::WriteFile(unlisted / "TRAN.dbf",
                     db_test::BuildTable(0x30, db_test::TranFields(),
                                         {db_test::TranRecord("A1", "01/01/2081", "1", "1")}));
  ASSERT_EQ(chmod(unlisted.c_str(), 0711), 0);
  EXPECT_EXIT(AsOrdinaryUser([&] {
                bool held = true;
                for (const auto& source : {unlisted, unlisted / "TRAN.dbf"}) {
                  try {
                    if (Rows(*Query(Connect(source), DayQuery("01/01/2081"))).size() != 1) {
                      held = false;
                    }
                  } catch (const platform::RunTimeError& failure) {
                    std::fprintf(stderr, "%s: %s\n", source.c_str(), failure.Prompt().c_str());
                    held = false;
                  }
                }
                return held;
              }),
              testing::ExitedWithCode(0), "");
}

// A data source that cannot be followed says why, not that it does not exist.
TEST_F(TranFolder, APathThatLeadsNowhereSaysWhy) {
  const auto loop = dir_.path() / "loop";
  ASSERT_EQ(symlink("loop", loop.c_str()), 0);
  std::string deep = dir_.path().string();
  while (deep.size() <= PATH_MAX) deep += "/" + std::string(200, 'd');
  const struct {
    std::filesystem::path source;
    const char* says;
  } cases[] = {
      {loop, "loop"},
      {loop / "TRAN.DBF", "loop"},
      {deep, "longer than"},
      {dir_.path() / (std::string(300, 'n') + ".dbf"), "longer than"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source.string().substr(0, 80));
    const auto failure = ErrorOf([&] { Connect(c.source); });
    EXPECT_EQ(failure.number(), error::kPathFileAccess);
    EXPECT_NE(std::string(failure.what()).find(c.says), std::string::npos) << failure.what();
  }
}
#endif

}  // namespace
}  // namespace provider_test
