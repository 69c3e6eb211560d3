// Kolvex Bills' workbook as the spreadsheet programs themselves open it: LibreOffice Calc and
// Gnumeric each open the saved workbook and write every sheet as comma-separated text, each cell
// as the program shows it, which Python's csv reads back. The programs run without a display,
// with a home, profile and temporary folder of the test's own, and are waited for until they end.
// A program that is missing or fails fails the test, saying so.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/system/date_services.h"
#include "platform/system/path_text.h"
#include "tests/cli/read_back.h"
#include "tests/fakes/fake_bills_window.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

std::string Quoted(const std::string& arg) {
  std::string quoted = "'";
  for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::string Loud(const std::string& message) {
  const std::string bar(78, '!');
  return "\n" + bar + "\n!! " + message + "\n" + bar + "\n";
}

// Runs `command` with nothing of this process's environment but the search path: its home,
// settings, caches and temporary files in `home`, no display, no session bus, a fixed locale, so
// numbers are written with a decimal point. Fails the test, with what the program said, unless it
// ends with status 0 within the time limit.
void RunProgram(const std::string& name, const std::string& command, const fs::path& home) {
  const fs::path run = home / "run";
  fs::create_directories(run);
  fs::permissions(run, fs::perms::owner_all);
  const std::string h = home.string();
  const std::string log = (home / (name + ".log")).string();
  const std::string line =
      "env -i PATH=/usr/bin:/bin HOME=" + Quoted(h) + " TMPDIR=" + Quoted(h) +
      " XDG_RUNTIME_DIR=" + Quoted(run.string()) + " XDG_CONFIG_HOME=" + Quoted(h + "/.config") +
      " XDG_CACHE_HOME=" + Quoted(h + "/.cache") + " XDG_DATA_HOME=" + Quoted(h + "/.local") +
      " LC_ALL=C.UTF-8 GSETTINGS_BACKEND=memory timeout --kill-after=10 240 " + command + " >" +
      Quoted(log) + " 2>&1";
  const int raw = std::system(line.c_str());
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  EXPECT_EQ(status, 0) << Loud(name + " FAILED (status " + std::to_string(status) +
                               "): THE WORKBOOK WAS NOT READ BY IT")
                       << line << "\n"
                       << ReadFile(log);
}

// The texts of a csv file that a program wrote; fails the test when it wrote none.
Rows CsvRows(const std::string& program, const fs::path& path) {
  if (!fs::exists(path)) {
    ADD_FAILURE() << Loud(program + " WROTE NO " + path.string());
    return {};
  }
  return read_back::GridTexts(read_back::ReadSheet(platform::Utf8Of(path)));
}

// The row of `item` of the list as it shows it, without trailing empty texts.
std::vector<std::string> ListRow(const platform::ListView& list, std::size_t item) {
  return read_back::Normalized(read_back::ListRows(list)).at(item + 1);
}

TEST(BillsWorkbook, CalcAndGnumericShowTheTitlesTheBillsAndTheTotalAsListed) {
  for (const char* program : {"/usr/bin/soffice", "/usr/bin/ssconvert"}) {
    ASSERT_EQ(::access(program, X_OK), 0)
        << Loud(std::string(program) +
                " CANNOT BE RUN: install LibreOffice Calc and Gnumeric (libreoffice-calc, "
                "gnumeric), which this test opens the workbook in");
  }
  // AD 2024-05-03 is BS 2081/01/21: the window opens on the first half of Baisakh 2081.
  const platform::ScopedToday today({2024, 5, 3});
  const test_support::TempDir folder;
  fs::copy_file(KOLVEX_SOURCE_DIR "/samples/TRAN.dbf", folder.path() / "TRAN.dbf");
  fakes::FakeFileDialog open_dialog;
  fakes::FakeSaveDialog save_dialog;
  fakes::FakeMessageBox message_box;
  fakes::FakeMousePointer pointer;
  fakes::FakeClipboard clipboard;
  bills::BillsWindowServices services;
  services.open_dialog = &open_dialog;
  services.save_dialog = &save_dialog;
  services.message_box = &message_box;
  services.pointer = &pointer;
  services.clipboard = &clipboard;
  services.open_document = [](const std::string&) {};
  services.start_folder = platform::Utf8Of(folder.path());
  services.exit_program = [](int status) { ADD_FAILURE() << "the program ended with " << status; };
  fakes::FakeBillsDriver window(services);
  ASSERT_TRUE(window.Opened());
  window.Choose("CboCommission", "Commission taken");
  const fs::path book = folder.path() / "bills.xlsx";
  save_dialog.Answer(platform::Utf8Of(book));
  window.Click("CmdWorkbook");
  ASSERT_TRUE(message_box.shown().empty()) << message_box.shown().front();

  const fs::path home = folder.path() / "home";
  fs::create_directories(home);
  // Calc writes each sheet as it shows it (the cells' formats applied), every text quoted;
  // Gnumeric's "preserve" writes its cells as shown too.
  RunProgram("LibreOffice Calc",
             "/usr/bin/soffice -env:UserInstallation=file://" + (home / "profile").string() +
                 " --headless --norestore --convert-to "
                 "'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,true,false,false,-1' "
                 "--outdir " +
                 Quoted((folder.path() / "calc").string()) + " " + Quoted(book.string()),
             home);
  RunProgram("Gnumeric",
             "/usr/bin/ssconvert -S -T Gnumeric_stf:stf_assistant -O 'separator=, "
             "format=preserve' " +
                 Quoted(book.string()) + " " + Quoted((folder.path() / "gnumeric.csv").string()),
             home);

  const platform::ListView& bills = window.Bills();
  ASSERT_EQ(bills.ItemCount(), 301u);
  const std::string period = ", Baisakh 2081, first half: 2081/01/01 to 2081/01/15";
  const std::string table = "Read from the table " + platform::Utf8Of(folder.path() / "TRAN.dbf");
  const struct {
    const char* program;
    const char* bills;
    const char* days;
    const char* records;
  } programs[] = {
      {"LibreOffice Calc", "calc/bills-Member Bills.csv", "calc/bills-Day Sheet.csv",
       "calc/bills-Records.csv"},
      {"Gnumeric", "gnumeric.csv.0", "gnumeric.csv.1", "gnumeric.csv.2"},
  };
  for (const auto& program : programs) {
    SCOPED_TRACE(program.program);
    const Rows sheet = CsvRows(program.program, folder.path() / program.bills);
    ASSERT_EQ(sheet.size(), 2 + 1 + bills.ItemCount());
    EXPECT_EQ(sheet[0], std::vector<std::string>{"Member bills" + period});
    EXPECT_EQ(sheet[1], std::vector<std::string>{table});
    EXPECT_EQ(sheet[2], read_back::ListRows(bills)[0]);
    // A member's figures and the Total row as the window lists them: money with two decimals,
    // litres as read.
    EXPECT_EQ(sheet[3], ListRow(bills, 0));
    EXPECT_EQ(sheet.back(), ListRow(bills, bills.ItemCount() - 1));
    EXPECT_EQ(sheet.back().front(), "Total");
    for (const auto& [file, title] :
         {std::pair{program.days, "Day sheet"}, std::pair{program.records, "Records"}}) {
      const Rows other = CsvRows(program.program, folder.path() / file);
      ASSERT_GT(other.size(), 2u);
      EXPECT_EQ(other[0], std::vector<std::string>{title + period});
      EXPECT_EQ(other[1], std::vector<std::string>{table});
    }
  }
}

}  // namespace
