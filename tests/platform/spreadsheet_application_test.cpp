// The desktop's spreadsheet program behind "excel.application": which program is found, when it
// starts and with what, and how it is started. Only stand-in scripts are ever started here.
#ifdef _WIN32
#include <gtest/gtest.h>

// On Windows "excel.application" is reached through automation by the window's own platform
// layer; finding a desktop program on the PATH and starting it with fork and exec is Linux's.
constexpr char kLinuxOnly[] =
    "the desktop's spreadsheet program found on the PATH and started apart from us is Linux's; "
    "Windows reaches \"excel.application\" through automation";
TEST(SpreadsheetProgram, FoundOnThePath) { GTEST_SKIP() << kLinuxOnly; }
TEST(SpreadsheetApplication, StartsAProgramFoundOnThePath) { GTEST_SKIP() << kLinuxOnly; }
TEST(DetachedStart, ForksAndExecs) { GTEST_SKIP() << kLinuxOnly; }
#else
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/run_time_error.h"
#include "platform/system/program_start.h"
#include "platform/system/spreadsheet_application.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using platform::RunTimeError;
using platform::SpreadsheetApplicationFactory;
using Command = std::vector<std::string>;

constexpr char kNotFound[] =
    "The spreadsheet program cannot be started: none was found on the PATH (looked for localc, "
    "soffice, libreoffice and gnumeric). Install LibreOffice Calc or Gnumeric; the list is on the "
    "clipboard to paste anywhere.";
constexpr char kNotSupported[] = "Object doesn't support this property or method";

// A fresh folder of its own for each test, removed afterwards.
class Folder {
 public:
  // Writes `name` with `content` and the given permissions; returns its path.
  std::string Write(const std::string& name, const std::string& content,
                    fs::perms permissions = fs::perms::owner_all) const {
    fs::path file = dir_.path() / name;
    std::ofstream(file) << content;
    fs::permissions(file, permissions);
    return file.string();
  }
  std::string Path() const { return dir_.path().string(); }
  std::string operator/(const std::string& name) const { return (dir_.path() / name).string(); }

 private:
  test_support::TempDir dir_;
};

constexpr char kScript[] = "#!/bin/sh\nexit 0\n";

template <typename Statement>
void ExpectRunTimeError(Statement statement, std::int32_t number, const std::string& description) {
  try {
    statement();
    ADD_FAILURE() << "no error, expected " << number;
  } catch (const RunTimeError& error) {
    EXPECT_EQ(error.number(), number);
    EXPECT_EQ(error.description(), description);
  }
}

// A factory over `folder` that records the commands instead of starting them.
struct Recording {
  std::vector<Command> started;
  SpreadsheetApplicationFactory factory;
  explicit Recording(const std::string& search_path)
      : factory(search_path, [this](const Command& command) { started.push_back(command); }) {}
};

TEST(SpreadsheetProgram, PreferredOneOnThePathIsChosen) {
  struct Case {
    std::vector<std::string> installed;
    std::vector<std::string> expected;  // the program's name, then its arguments
  };
  const Case cases[] = {
      {{"localc"}, {"localc"}},
      {{"soffice"}, {"soffice", "--calc"}},
      {{"libreoffice"}, {"libreoffice", "--calc"}},
      {{"gnumeric"}, {"gnumeric"}},
      {{"gnumeric", "libreoffice"}, {"libreoffice", "--calc"}},
      {{"gnumeric", "libreoffice", "soffice", "localc"}, {"localc"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.expected.front());
    Folder bin;
    for (const std::string& name : test.installed) bin.Write(name, kScript);
    Recording recording(bin.Path());
    auto excel = recording.factory.CreateObject("excel.application");
    excel->Call("Workbooks")->Call("Add");
    excel->Call("Workbooks")->Call("Application")->Set("Visible", true);
    Command expected = test.expected;
    expected.front() = bin / expected.front();
    EXPECT_EQ(recording.started, std::vector<Command>{expected});
  }
}

TEST(SpreadsheetProgram, OnlyExecutableFilesInAbsoluteFoldersCount) {
  Folder first;
  Folder second;
  first.Write("localc", kScript, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_directory(first / "soffice");
  second.Write("gnumeric", kScript);
  EXPECT_EQ(platform::FindProgram("localc", first.Path()), "");
  EXPECT_EQ(platform::FindProgram("soffice", first.Path()), "");
  const std::string relative = fs::relative(second.Path()).string();
  EXPECT_EQ(platform::FindProgram("gnumeric", "::" + relative + ":"), "");
  EXPECT_EQ(platform::FindProgram("gnumeric", first.Path() + ":" + second.Path() + "/"),
            second / "gnumeric");
}

TEST(SpreadsheetProgram, NoneInstalledFailsAtCreation) {
  Folder empty;
  for (const std::string& search_path : {std::string(), empty.Path(), std::string("relative")}) {
    SCOPED_TRACE(search_path);
    Recording recording(search_path);
    ExpectRunTimeError([&] { recording.factory.CreateObject("excel.application"); },
                       platform::error::kCannotCreateObject, kNotFound);
  }
}

TEST(SpreadsheetApplication, ProgramIdInAnyLetterCase) {
  Folder bin;
  bin.Write("gnumeric", kScript);
  Recording recording(bin.Path());
  for (const char* prog_id : {"excel.application", "Excel.Application", "EXCEL.APPLICATION"}) {
    EXPECT_NE(recording.factory.CreateObject(prog_id), nullptr) << prog_id;
  }
  for (const char* prog_id : {"word.application", "excel.application ", "excel", ""}) {
    SCOPED_TRACE(prog_id);
    ExpectRunTimeError(
        [&] { recording.factory.CreateObject(prog_id); }, platform::error::kCannotCreateObject,
        std::string(
            "The spreadsheet program cannot be started: no program is known by the name \"") +
            prog_id + "\".");
  }
}

TEST(SpreadsheetApplication, StartsOnlyWhenMadeVisible) {
  Folder bin;
  bin.Write("soffice", kScript);
  const Command new_workbook = {bin / "soffice", "--calc"};
  Recording recording(bin.Path());
  auto excel = recording.factory.CreateObject("Excel.Application");
  excel->Call("WORKBOOKS")->Call("add");
  excel->Set("Visible", false);
  EXPECT_TRUE(recording.started.empty());

  excel->Call("Workbooks")->Call("Application")->Set("visible", true);
  excel->Set("Visible", true);
  excel->Set("Visible", false);
  EXPECT_EQ(recording.started, std::vector<Command>{new_workbook}) << "started once";

  excel.reset();
  EXPECT_EQ(recording.started.size(), 1u) << "releasing it does not close or restart it";
}

TEST(SpreadsheetApplication, WorkbookAddedWhileVisibleOpensAnother) {
  Folder bin;
  bin.Write("soffice", kScript);
  const Command bare = {bin / "soffice"};
  const Command new_workbook = {bin / "soffice", "--calc"};
  Recording recording(bin.Path());
  auto excel = recording.factory.CreateObject("excel.application");
  excel->Set("Visible", true);
  excel->Call("Workbooks")->Call("Add");
  EXPECT_EQ(recording.started, (std::vector<Command>{bare, new_workbook}));
}

TEST(SpreadsheetApplication, FailedStartCanBeRetried) {
  Folder bin;
  bin.Write("localc", kScript);
  int attempts = 0;
  SpreadsheetApplicationFactory factory(bin.Path(), [&](const Command&) {
    if (++attempts == 1) throw RunTimeError(platform::error::kCannotCreateObject, "busy");
  });
  auto excel = factory.CreateObject("excel.application");
  EXPECT_THROW(excel->Set("Visible", true), RunTimeError);
  excel->Set("Visible", true);
  EXPECT_EQ(attempts, 2);
}

TEST(SpreadsheetApplication, UnknownMembersAreRefused) {
  Folder bin;
  bin.Write("localc", kScript);
  Recording recording(bin.Path());
  auto excel = recording.factory.CreateObject("excel.application");
  auto workbooks = excel->Call("Workbooks");
  auto workbook = workbooks->Call("Add");
  const std::function<void()> refused[] = {
      [&] { excel->Call("Quit"); },
      [&] { excel->Call("Add"); },
      [&] { excel->Set("ScreenUpdating", true); },
      [&] { workbooks->Call("Visible"); },
      [&] { workbooks->Set("Visible", true); },
      [&] { workbook->Call("Workbooks"); },
      [&] { workbook->Set("Visible", true); },
      [&] { excel->Call(""); },
  };
  for (const auto& statement : refused) {
    ExpectRunTimeError(statement, platform::error::kObjectDoesNotSupport, kNotSupported);
  }
  workbook->Call("Application")->Set("Visible", true);
  EXPECT_EQ(recording.started.size(), 1u);
}

// Waits for a file the started program writes; the deadline only ends a failing test.
std::string ReadWhenThere(const std::string& path) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!fs::exists(path) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::ifstream file(path);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

TEST(DetachedStart, ProgramGetsItsArgumentsAndIsNotOurChild) {
  Folder bin;
  // Written under another name and moved into place, so the file is whole once it is there.
  bin.Write("soffice",
            "#!/bin/sh\n"
            "printf '%s\\n' \"$@\" > \"$0.tmp\"\n"
            "mv \"$0.tmp\" \"$0.args\"\n");
  SpreadsheetApplicationFactory factory(bin.Path());
  auto excel = factory.CreateObject("excel.application");
  excel->Call("Workbooks")->Call("Add");
  excel->Call("Workbooks")->Call("Application")->Set("Visible", true);
  excel.reset();

  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "no child of ours is left, not even a zombie";
  EXPECT_EQ(errno, ECHILD);
  EXPECT_EQ(ReadWhenThere(bin / "soffice.args"), "--calc\n");
}

TEST(DetachedStart, ProgramThatCannotRunIsReported) {
  Folder bin;
  const std::string no_format = bin.Write("localc", "not a program\n");
  const std::string not_allowed =
      bin.Write("soffice", kScript, fs::perms::owner_read | fs::perms::owner_write);
  struct Case {
    std::string path;
    std::string reason;
  };
  const Case cases[] = {
      {bin / "missing", "No such file or directory"},
      {no_format, "Exec format error"},
      {not_allowed, "Permission denied"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.path);
    const Command command = {test.path, "--calc"};
    ExpectRunTimeError([&] { platform::StartProgram(command); },
                       platform::error::kCannotCreateObject,
                       "The spreadsheet program cannot be started: '" + test.path +
                           "' did not start: " + test.reason + ".");
  }
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
#endif
