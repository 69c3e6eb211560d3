#include "platform/system/output_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/run_time_error.h"
#include "platform/system/system_message.h"

namespace platform {

namespace {

// The error of the call that failed last, for `what` of `path`.
RunTimeError FileError(const std::string& what, const std::string& path) {
  const int code = errno;
  return RunTimeError(
      error::kPathFileAccess,
      what + " '" + path + "': " + SystemErrorText(static_cast<std::uint32_t>(code)) + ".");
}

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw FileError("cannot write", path);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

// The files the program has made and not yet put in place or removed, for the signals that stop
// it to remove. Each slot holds a copy of a path made with strdup; the handler only reads the
// slots and unlinks, which a signal handler may do.
constexpr int kStoppingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT};
std::atomic<char*> made_files[8];

void RemoveMadeFiles(int signal) {
  for (std::atomic<char*>& slot : made_files) {
    if (const char* path = slot.load()) ::unlink(path);
  }
  // The handler was reset on entry: the signal, raised again, stops the program as it would have.
  ::raise(signal);
}

// Installed before the first write; a signal the program was started ignoring (SIGHUP under
// nohup) stays ignored. A file grown past the size limit (ulimit -f) fails its write, with a
// message, rather than stopping the program without one.
void InstallRemoval() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction size_limit {};
    if (::sigaction(SIGXFSZ, nullptr, &size_limit) == 0 && size_limit.sa_handler == SIG_DFL) {
      ::signal(SIGXFSZ, SIG_IGN);
    }
    for (const int signal : kStoppingSignals) {
      struct sigaction current {};
      if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = RemoveMadeFiles;
      sigemptyset(&action.sa_mask);
      action.sa_flags = static_cast<int>(SA_RESETHAND);
      ::sigaction(signal, &action, nullptr);
    }
  });
}

// Keeps the stopping signals waiting while a file is made or removed and its slot set, so that
// no signal finds a file without its slot.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kStoppingSignals) sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &before_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t before_;
};

// Makes a file from the mkstemps template `path` (its last `suffix` characters kept) and gives it
// a slot; call with the signals held. The descriptor, or -1 with errno set.
int MakeFile(std::string& path, int suffix) {
  InstallRemoval();
  const int fd = ::mkstemps(path.data(), suffix);
  if (fd < 0) return fd;
  for (std::atomic<char*>& slot : made_files) {
    char* expected = nullptr;
    char* copy = ::strdup(path.c_str());
    if (copy == nullptr) break;
    if (slot.compare_exchange_strong(expected, copy)) break;
    std::free(copy);
  }
  return fd;
}

// Frees the slot of `path`; call with the signals held.
void Forget(const std::string& path) {
  for (std::atomic<char*>& slot : made_files) {
    char* held = slot.load();
    if (held != nullptr && path == held && slot.compare_exchange_strong(held, nullptr)) {
      std::free(held);
      return;
    }
  }
}

// `path` with every link of its last part followed, a link that points nowhere included: the file
// a write through `path` reaches.
std::string FollowLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) break;
    std::string text(static_cast<std::size_t>(link.st_size > 0 ? link.st_size : PATH_MAX), '\0');
    const ssize_t size = ::readlink(path.c_str(), text.data(), text.size());
    if (size <= 0) break;
    text.resize(static_cast<std::size_t>(size));
    const std::size_t slash = path.rfind('/');
    path =
        text.front() == '/' || slash == std::string::npos ? text : path.substr(0, slash + 1) + text;
  }
  return path;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

OutputFile::OutputFile(const std::string& destination) : destination_(destination) {
  InstallRemoval();
  struct stat found {};
  const bool exists = ::stat(destination.c_str(), &found) == 0;
  if (!exists && errno != ENOENT) throw FileError("cannot write", destination);
  if (exists) {
    if (S_ISDIR(found.st_mode)) {
      throw RunTimeError(error::kPathFileAccess,
                         "'" + destination + "' is a folder. Give the name of a file in it.");
    }
    struct stat out {};
    if (::fstat(STDOUT_FILENO, &out) == 0 && SameFile(out, found)) {
      in_place_ = standard_output_ = true;
      return;
    }
    if (!S_ISREG(found.st_mode)) {
      const int fd = ::open(destination.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (fd < 0) throw FileError("cannot open", destination);
      file_ = fd;
      in_place_ = true;
      return;
    }
  }

  target_ = FollowLinks(destination);
  path_ = ReplacementPrefix(target_) + ".XXXXXX";
  {
    const SignalsHeld held;
    file_ = MakeFile(path_, 0);
  }
  if (file_ < 0) {
    path_.clear();
    throw FileError("cannot make a file in the folder of", destination);
  }
  const int fd = static_cast<int>(file_);
  if (exists) {
    // The owner first: giving a file away clears its set-user and set-group bits. A process that
    // may not give it to its owner gives it the group where it can.
    if (::fchown(fd, found.st_uid, found.st_gid) != 0) {
      (void)::fchown(fd, static_cast<uid_t>(-1), found.st_gid);
    }
    ::fchmod(fd, found.st_mode & 07777);
  } else {
    // mkstemps makes the file for its owner alone; a new destination gets what new files get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, static_cast<mode_t>(0666 & ~mask));
  }
}

OutputFile::~OutputFile() {
  Close();
  if (!path_.empty()) {
    const SignalsHeld held;
    ::unlink(path_.c_str());
    Forget(path_);
  }
}

void OutputFile::Close() {
  if (file_ >= 0) ::close(static_cast<int>(file_));
  file_ = -1;
}

void OutputFile::Write(std::string_view bytes) {
  if (standard_output_) return WriteStandardOutput(bytes);
  WriteAll(static_cast<int>(file_), bytes, destination_);
}

void OutputFile::Commit() {
  if (standard_output_) return;
  const int fd = static_cast<int>(file_);
  file_ = -1;
  if (::close(fd) != 0) throw FileError("cannot write", destination_);
  if (in_place_) return;
  const SignalsHeld held;
  if (::rename(path_.c_str(), target_.c_str()) != 0) {
    throw FileError("cannot replace", destination_);
  }
  Forget(path_);
  path_.clear();
}

TemporaryFile::TemporaryFile(const std::string& suffix) {
  path_ = TemporaryFolder() + "kolvex-export-XXXXXX" + suffix;
  {
    const SignalsHeld held;
    file_ = MakeFile(path_, static_cast<int>(suffix.size()));
  }
  if (file_ < 0) {
    const RunTimeError error = FileError("cannot make a file in", TemporaryFolder());
    path_.clear();
    throw error;
  }
}

TemporaryFile::~TemporaryFile() {
  if (file_ >= 0) ::close(static_cast<int>(file_));
  if (!path_.empty()) {
    const SignalsHeld held;
    ::unlink(path_.c_str());
    Forget(path_);
  }
}

void TemporaryFile::ReadInPieces(const std::function<void(std::string_view)>& take) const {
  char buffer[1 << 16];
  for (off_t offset = 0;;) {
    const ssize_t got = ::pread(static_cast<int>(file_), buffer, sizeof buffer, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw FileError("cannot read", path_);
    if (got == 0) return;
    take(std::string_view(buffer, static_cast<std::size_t>(got)));
    offset += got;
  }
}

void WriteStandardOutput(std::string_view bytes) {
  InstallRemoval();
  WriteAll(STDOUT_FILENO, bytes, "standard output");
}

void WriteStandardError(std::string_view text) noexcept {
  try {
    WriteAll(STDERR_FILENO, text, "standard error");
  } catch (...) {
    // Nowhere left to say it.
  }
}

bool StandardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) != 0; }

bool NamesTerminal(const std::string& path) {
  struct stat found {};
  if (::stat(path.c_str(), &found) != 0 || !S_ISCHR(found.st_mode)) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const bool terminal = ::isatty(fd) != 0;
  ::close(fd);
  return terminal;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat a_stat = {};
  struct stat b_stat = {};
  return ::stat(a.c_str(), &a_stat) == 0 && ::stat(b.c_str(), &b_stat) == 0 &&
         SameFile(a_stat, b_stat);
}

std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  std::string path = (folder != nullptr && *folder != '\0') ? folder : "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

}  // namespace platform
