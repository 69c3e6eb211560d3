#include "platform/db/table_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <functional>
#include <system_error>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/system/system_message.h"

namespace platform::db {

namespace {

// Closes the descriptor unless the constructor succeeds and keeps it.
struct FileDescriptor {
  int fd;
  ~FileDescriptor() {
    if (fd >= 0) close(fd);
  }
};

[[noreturn]] void Fail(const std::filesystem::path& path, const char* what, int err) {
  if (err == ENOENT || err == ENOTDIR) {
    throw RunTimeError(error::kFileNotFound, "'" + Utf8Of(path) + "' does not exist.");
  }
  if (err == EACCES || err == EPERM) throw PermissionDenied(path);
  throw RunTimeError(error::kDatabaseError, "'" + Utf8Of(path) + "' cannot be " + what + ": " +
                                                SystemErrorText(static_cast<std::uint32_t>(err)) +
                                                ".");
}

std::int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileStamp StampOf(const struct stat& status) {
  FileStamp stamp;
  stamp.volume = static_cast<std::uint64_t>(status.st_dev);
  stamp.file = static_cast<std::uint64_t>(status.st_ino);
  stamp.size = static_cast<std::uint64_t>(status.st_size);
  stamp.written_ns = Nanoseconds(status.st_mtim);
  stamp.changed_ns = Nanoseconds(status.st_ctim);
  return stamp;
}

}  // namespace

TableFileReader::TableFileReader(const std::filesystem::path& path) : path_(path) {
  FileDescriptor file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
  if (file.fd < 0) Fail(path, "opened", errno);
  struct stat status {};
  if (fstat(file.fd, &status) != 0) Fail(path, "read", errno);
  if (!S_ISREG(status.st_mode)) {
    throw RunTimeError(error::kDatabaseError,
                       "'" + Utf8Of(path) + "' is " +
                           (S_ISDIR(status.st_mode) ? "a folder" : "a device") +
                           ", not a FoxPro table.");
  }
  size_ = static_cast<std::uint64_t>(status.st_size);
  opened_stamp_ = StampOf(status);
  file_ = file.fd;
  file.fd = -1;
  RememberFileOpened(path);
}

bool ListFolder(const std::filesystem::path& folder,
                const std::function<void(const std::filesystem::path&)>& found) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    found(it->path());
  }
  return error != std::errc::permission_denied;
}

bool EntryExists(const std::filesystem::path& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

TableFileReader::~TableFileReader() {
  if (file_ >= 0) close(static_cast<int>(file_));
}

std::uint64_t TableFileReader::SizeNow() const {
  struct stat status {};
  if (fstat(static_cast<int>(file_), &status) != 0) Fail(path_, "read", errno);
  return static_cast<std::uint64_t>(status.st_size);
}

FileStamp TableFileReader::StampNow() const {
  struct stat status {};
  if (fstat(static_cast<int>(file_), &status) != 0) Fail(path_, "read", errno);
  return StampOf(status);
}

bool TableFileReader::StillAtPath() const {
  struct stat status {};
  return stat(path_.c_str(), &status) == 0 &&
         static_cast<std::uint64_t>(status.st_dev) == opened_stamp_.volume &&
         static_cast<std::uint64_t>(status.st_ino) == opened_stamp_.file;
}

bool TableFileReader::ReadAt(std::uint64_t offset, void* out, std::size_t length) const {
  auto* bytes = static_cast<char*>(out);
  while (length > 0) {
    if (file_ < 0 || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    const ssize_t got = pread(static_cast<int>(file_), bytes, length, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    length -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

}  // namespace platform::db
