#include "platform/system/program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/run_time_error.h"

namespace platform {
namespace {

constexpr char kDefaultSearchPath[] = "/usr/local/bin:/usr/bin:/bin";

// Not retried on EINTR: Linux has closed the file by then, and the number may be reused.
void CloseQuietly(int fd) { close(fd); }

RunTimeError StartFailure(const std::string& program, int error_number) {
  return RunTimeError(
      error::kCannotCreateObject,
      "'" + program + "' did not start: " + std::generic_category().message(error_number) + ".");
}

// The rest runs in the forked processes, where only async-signal-safe calls are allowed: the
// window's process has other threads, and their locks may be held at the moment of the fork.

[[noreturn]] void ReportAndExit(int report_fd, int error_number) {
  ssize_t written;
  do {
    written = write(report_fd, &error_number, sizeof error_number);
  } while (written < 0 && errno == EINTR);
  _exit(127);
}

// Gives the program the null device as its standard streams, a clean signal mask and none of our
// other files: the window's sockets and the database file must not outlive us in another program.
void PrepareForExec(int max_fd) {
  int null_fd = open("/dev/null", O_RDWR);
  if (null_fd >= 0) {
    for (int fd = 0; fd <= 2; ++fd) dup2(null_fd, fd);
    if (null_fd > 2) close(null_fd);
  }
  sigset_t all_signals;
  sigemptyset(&all_signals);
  sigprocmask(SIG_SETMASK, &all_signals, nullptr);
  signal(SIGPIPE, SIG_DFL);
#if defined(__linux__)
  if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
#endif
  for (int fd = 3; fd <= max_fd; ++fd) fcntl(fd, F_SETFD, FD_CLOEXEC);
}

}  // namespace

std::string FindProgram(std::string_view name, std::string_view search_path) {
  while (true) {
    std::size_t end = std::min(search_path.find(':'), search_path.size());
    std::string_view folder = search_path.substr(0, end);
    if (!folder.empty() && folder.front() == '/') {
      std::string candidate(folder);
      if (candidate.back() != '/') candidate += '/';
      candidate += name;
      struct stat status;
      if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
          access(candidate.c_str(), X_OK) == 0) {
        return candidate;
      }
    }
    if (end == search_path.size()) return "";
    search_path.remove_prefix(end + 1);
  }
}

std::string ProgramSearchPath() {
  const char* path = std::getenv("PATH");
  return path != nullptr ? path : kDefaultSearchPath;
}

void StartProgram(const std::vector<std::string>& argv) {
  if (argv.empty()) throw RunTimeError(error::kInvalidArgument, "no program to start.");
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  long open_max = sysconf(_SC_OPEN_MAX);
  int max_fd = open_max > 0 ? static_cast<int>(std::min(open_max, 65536L)) - 1 : 1023;

  // The started program reports a failed exec through this pipe; a successful exec closes it.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) throw StartFailure(argv[0], errno);
  pid_t child = fork();
  if (child < 0) {
    int fork_error = errno;
    CloseQuietly(report[0]);
    CloseQuietly(report[1]);
    throw StartFailure(argv[0], fork_error);
  }
  if (child == 0) {
    // The child only starts a new session and forks the program, which init then adopts.
    close(report[0]);
    if (setsid() < 0) ReportAndExit(report[1], errno);
    pid_t grandchild = fork();
    if (grandchild < 0) ReportAndExit(report[1], errno);
    if (grandchild > 0) _exit(0);
    PrepareForExec(max_fd);
    execv(args[0], args.data());
    ReportAndExit(report[1], errno);
  }

  CloseQuietly(report[1]);
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  int exec_error = 0;
  ssize_t got;
  do {
    got = read(report[0], &exec_error, sizeof exec_error);
  } while (got < 0 && errno == EINTR);
  CloseQuietly(report[0]);
  if (got > 0) throw StartFailure(argv[0], exec_error);
}

}  // namespace platform
