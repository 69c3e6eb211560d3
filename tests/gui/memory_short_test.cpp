// The window when memory runs short: a load that outgrows the memory the program may have ends in
// "7: Out of memory" with the rows read so far shown, and the window goes on working. The loads
// run in this test program started once more, its address space limited, so that what the limit
// kills is that run, which the test then reports.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/gui/when_shown.h"
#include "tests/gui/window_fixture.h"
#include "tests/support/temp_dir.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KOLVEX_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KOLVEX_SANITIZED 1
#endif
#endif

extern char** environ;

namespace gui_test {
namespace {

constexpr int kMembers = 700;
constexpr int kDays = 1000;  // two shifts a day: 1,400,000 records
constexpr char kFirstDay[] = "2081/01/01";
constexpr char kLastDay[] = "2084/12/30";  // past the table's last day

// The address space the process holds now, in bytes.
std::size_t AddressSpace() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmSize:", 0) == 0) return std::stoul(line.substr(7)) * 1024;
  }
  return 0;
}

using MemoryShort = WindowTest;

// In the limited run: the loads, and what they show. A failure here fails that run.
void LoadWithLittleMemory(app::WindowServices services, fakes::FakeFileDialog& dialog,
                          const std::string& limited) {
  const std::size_t headroom_mb = std::stoul(limited);
  const std::string table = limited.substr(limited.find(':') + 1);
  const rlim_t limit = AddressSpace() + (headroom_mb << 20);
  const rlimit address_space{limit, limit};
  ASSERT_EQ(setrlimit(RLIMIT_AS, &address_space), 0);
  services.provider = nullptr;
  services.message_box = nullptr;
  auto window = app::QtMainWindow::Open(services);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  std::vector<std::string> messages;
  const auto load = [&](const char* to) {
    window->Controls("TxtFrom").Text().SetText(kFirstDay);
    window->Controls("TxtTo").Text().SetText(to);
    dialog.Answer(table);
    WhenDialogShows<QMessageBox>([&](QMessageBox& box) {
      messages.push_back(box.text().toStdString());
      box.button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("CmdBrowse")), Qt::LeftButton);
    // The list laid out and painted with all its rows.
    EXPECT_FALSE(window->grab().isNull());
    return window->list().ItemCount();
  };
  const std::size_t rows = load(kLastDay);
  EXPECT_EQ(messages, std::vector<std::string>{"7: Out of memory"});
  EXPECT_GT(rows, 0u);
  EXPECT_LT(rows, std::size_t{2} * kMembers * kDays) << "the load was not cut short";
  EXPECT_EQ(load(kFirstDay), std::size_t{2} * kMembers) << "the next load: one day's records";
  EXPECT_EQ(messages.size(), 1u);
}

struct ChildRun {
  int status = 0;  // as waitpid gives it
  std::string out;
};

// This test once more, in a program of its own, with `variable` added to its environment.
ChildRun RunThisTestWith(const std::string& variable) {
  const testing::TestInfo& test = *testing::UnitTest::GetInstance()->current_test_info();
  std::vector<std::string> args = {
      "/proc/self/exe",
      std::string("--gtest_filter=") + test.test_suite_name() + "." + test.name()};
  std::vector<std::string> variables = {variable};
  for (char** other = environ; *other != nullptr; ++other) variables.emplace_back(*other);
  const auto pointers = [](std::vector<std::string>& texts) {
    std::vector<char*> list;
    for (std::string& text : texts) list.push_back(text.data());
    list.push_back(nullptr);
    return list;
  };
  ChildRun run;
  int out[2];
  if (pipe(out) != 0) return {-1, "no pipe"};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, args[0].c_str(), &actions, nullptr, pointers(args).data(),
                                  pointers(variables).data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  char buffer[4096];
  for (ssize_t got; spawned == 0 && (got = read(out[0], buffer, sizeof buffer)) > 0;) {
    run.out.append(buffer, static_cast<std::size_t>(got));
  }
  close(out[0]);
  if (spawned != 0 || waitpid(child, &run.status, 0) != child) return {-1, "not started"};
  return run;
}

TEST_F(MemoryShort, ALoadPastTheMemoryLeftEndsInOutOfMemoryWithItsRowsShownAndTheWindowWorking) {
  if (const char* limited = std::getenv("KOLVEX_LIMITED_LOAD")) {
    LoadWithLittleMemory(Services(), dialog_, limited);
    return;
  }
#ifdef KOLVEX_SANITIZED
  GTEST_SKIP() << "NOT RUN: a sanitizer's shadow memory takes the address space this test limits";
#endif
  const test_support::TempDir folder;
  const std::string table = (folder.path() / "TRAN.dbf").string();
  const std::string make = std::string(MAKE_TRAN_TABLE) + " '" + table + "' --days " +
                           std::to_string(kDays) + " --members " + std::to_string(kMembers) +
                           " > /dev/null";
  ASSERT_EQ(std::system(make.c_str()), 0) << make;

  // Room for two hundred thousand rows, then for half a million: the list runs out at different
  // points of its growth and of the view's.
  for (const int headroom_mb : {64, 160}) {
    SCOPED_TRACE(headroom_mb);
    const ChildRun run =
        RunThisTestWith("KOLVEX_LIMITED_LOAD=" + std::to_string(headroom_mb) + ":" + table);
    ASSERT_FALSE(WIFSIGNALED(run.status))
        << "the window died of signal " << WTERMSIG(run.status) << "\n"
        << run.out;
    EXPECT_EQ(run.status, 0) << run.out;
  }
}

}  // namespace
}  // namespace gui_test
