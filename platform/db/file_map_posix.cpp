#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <set>

#include "platform/db/file_map.h"
#include "platform/run_time_error.h"

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
    throw RunTimeError(error::kFileNotFound, "File not found: '" + path.string() + "'");
  }
  throw RunTimeError(error::kDatabaseError, "Cannot " + std::string(what) + " '" + path.string() +
                                                "': " + std::strerror(err));
}

}  // namespace

FileMap::FileMap(const std::filesystem::path& path) {
  FileDescriptor file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
  if (file.fd < 0) Fail(path, "open", errno);
  struct stat status {};
  if (fstat(file.fd, &status) != 0) Fail(path, "read", errno);
  if (!S_ISREG(status.st_mode)) {
    throw RunTimeError(error::kDatabaseError, "'" + path.string() + "' is not a table file");
  }
  size_ = static_cast<std::uint64_t>(status.st_size);
  if (size_ == 0) return;
  if (size_ > SIZE_MAX) Fail(path, "map", EFBIG);
  void* mapping = mmap(nullptr, static_cast<std::size_t>(size_), PROT_READ, MAP_SHARED, file.fd, 0);
  if (mapping == MAP_FAILED) Fail(path, "map", errno);
  mapping_ = mapping;
  data_ = static_cast<const std::uint8_t*>(mapping);
  descriptor_ = file.fd;
  file.fd = -1;
}

FileMap::~FileMap() {
  if (mapping_ != nullptr) munmap(mapping_, static_cast<std::size_t>(size_));
  if (descriptor_ >= 0) close(descriptor_);
}

bool FileMap::ReadAt(std::uint64_t offset, void* out, std::size_t length) const {
  auto* bytes = static_cast<char*>(out);
  while (length > 0) {
    if (descriptor_ < 0 || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    const ssize_t got = pread(descriptor_, bytes, length, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    length -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder,
                                           const std::string& name) {
  auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  if (name.empty() || name.find_first_of("/\\") != std::string::npos) return {};
  const std::string wanted = lower(name);
  std::set<std::filesystem::path> matches;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (lower(it->path().filename().string()) == wanted) matches.insert(it->path());
  }
  return matches.empty() ? std::filesystem::path() : *matches.begin();
}

}  // namespace platform::db
