#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/output_file.h"
#include "platform/run_time_error.h"
#include "platform/system_message.h"

namespace platform {

namespace {

// The error of the call that failed last, for `what` of `path`.
RunTimeError FileError(const std::string& what, const std::string& path) {
  const int code = errno;
  return {error::kPathFileAccess,
          what + " " + path + ": " + SystemErrorText(static_cast<std::uint32_t>(code))};
}

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw FileError("Cannot write", path);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

ReplacingFile::ReplacingFile(const std::string& destination) : destination_(destination) {
  path_ = ReplacementPrefix(destination) + ".XXXXXX";
  const int fd = ::mkstemp(path_.data());
  if (fd < 0) {
    path_.clear();
    throw FileError("Cannot create a file in the folder of", destination);
  }
  file_ = fd;
  // mkstemp makes the file for its owner alone; the destination gets what a new file would.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, static_cast<mode_t>(0666 & ~mask));
}

ReplacingFile::~ReplacingFile() {
  Close();
  if (!path_.empty()) ::unlink(path_.c_str());
}

void ReplacingFile::Close() {
  if (file_ >= 0) ::close(static_cast<int>(file_));
  file_ = -1;
}

void ReplacingFile::Write(std::string_view bytes) {
  WriteAll(static_cast<int>(file_), bytes, destination_);
}

void ReplacingFile::Commit() {
  const int fd = static_cast<int>(file_);
  file_ = -1;
  if (::close(fd) != 0) throw FileError("Cannot write", destination_);
  if (::rename(path_.c_str(), destination_.c_str()) != 0) {
    throw FileError("Cannot replace", destination_);
  }
  path_.clear();
}

void WriteStandardOutput(std::string_view bytes) {
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

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat a_stat = {};
  struct stat b_stat = {};
  return ::stat(a.c_str(), &a_stat) == 0 && ::stat(b.c_str(), &b_stat) == 0 &&
         a_stat.st_dev == b_stat.st_dev && a_stat.st_ino == b_stat.st_ino;
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
