#include "platform/db/table_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/system/system_message.h"

namespace platform::db {

namespace {

HANDLE HandleOf(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

[[noreturn]] void Fail(const std::filesystem::path& path, const char* what, DWORD code) {
  if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME ||
      code == ERROR_BAD_NETPATH || code == ERROR_BAD_NET_NAME) {
    throw RunTimeError(error::kFileNotFound, "'" + Utf8Of(path) + "' does not exist.");
  }
  if (code == ERROR_ACCESS_DENIED) throw PermissionDenied(path);
  throw RunTimeError(error::kDatabaseError, "'" + Utf8Of(path) + "' cannot be " + what + ": " +
                                                SystemErrorText(code) + ".");
}

[[noreturn]] void NotATable(const std::filesystem::path& path, const char* kind) {
  throw RunTimeError(error::kDatabaseError,
                     "'" + Utf8Of(path) + "' is " + kind + ", not a FoxPro table.");
}

// Closes the handle unless the constructor succeeds and keeps it.
struct FileHandle {
  HANDLE handle;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

// 100-nanosecond units since 1601 to nanoseconds since 1970.
std::int64_t Nanoseconds(std::int64_t file_time) {
  constexpr std::int64_t k1601To1970 = 116444736000000000;
  return (file_time - k1601To1970) * 100;
}

// The stamp of an open file; false when the system cannot tell.
bool StampOf(HANDLE handle, FileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION information{};
  FILE_BASIC_INFO times{};
  if (!GetFileInformationByHandle(handle, &information) ||
      !GetFileInformationByHandleEx(handle, FileBasicInfo, &times, sizeof times)) {
    return false;
  }
  stamp.volume = information.dwVolumeSerialNumber;
  stamp.file =
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  stamp.size =
      (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
  stamp.written_ns = Nanoseconds(times.LastWriteTime.QuadPart);
  stamp.changed_ns = Nanoseconds(times.ChangeTime.QuadPart);
  return true;
}

std::atomic<unsigned long (*)(std::uint64_t, std::size_t)> refuse_reads{nullptr};

// Reads `length` bytes from `offset` of `file` into `bytes`, with the event `done`: 0 when all
// were read, else the system's error (ERROR_HANDLE_EOF past the end of the file, now or when the
// read completes).
DWORD ReadInto(HANDLE file, HANDLE done, std::uint64_t offset, char* bytes, std::size_t length) {
  while (length > 0) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(length, std::size_t{1} << 30));
    if (auto* refuse = refuse_reads.load()) {
      if (const unsigned long refused = refuse(offset, chunk)) return refused;
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    at.hEvent = done;
    DWORD got = 0;
    const bool started =
        ReadFile(file, bytes, chunk, nullptr, &at) || GetLastError() == ERROR_IO_PENDING;
    if (!started || !GetOverlappedResult(file, &at, &got, TRUE)) {
      const DWORD code = GetLastError();
      return code != 0 ? code : ERROR_READ_FAULT;
    }
    if (got == 0) return ERROR_HANDLE_EOF;
    bytes += got;
    length -= got;
    offset += got;
  }
  return 0;
}

}  // namespace

void RefuseReadsForTests(unsigned long (*refuse)(std::uint64_t offset, std::size_t length)) {
  refuse_reads.store(refuse);
}

// Every sharing mode is granted, so the program that keeps the table open for writing goes on
// writing it, and may even rename or delete it, while it is read here. The handle is opened for
// overlapped reads: Windows puts the reads of a handle opened for plain reads one after another,
// and the index pass reads the two halves of a large table on two threads at once.
TableFileReader::TableFileReader(const std::filesystem::path& path) : path_(path) {
  const std::wstring system_path = SystemPath(path);
  const DWORD attributes = GetFileAttributesW(system_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) Fail(path, "opened", GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) NotATable(path, "a folder");
  FileHandle file{CreateFileW(
      system_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) Fail(path, "opened", GetLastError());
  if (GetFileType(file.handle) != FILE_TYPE_DISK) NotATable(path, "a device");  // NUL, say
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.handle, &size)) Fail(path, "read", GetLastError());
  size_ = static_cast<std::uint64_t>(size.QuadPart);
  if (!StampOf(file.handle, opened_stamp_)) Fail(path, "read", GetLastError());
  file_ = reinterpret_cast<std::intptr_t>(file.handle);
  file.handle = INVALID_HANDLE_VALUE;
  RememberFileOpened(path);
}

bool ListFolder(const std::filesystem::path& folder,
                const std::function<void(const std::filesystem::path&)>& found) {
  WIN32_FIND_DATAW entry{};
  const HANDLE search = FindFirstFileExW(SystemPath(folder / L"*").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_ACCESS_DENIED;
  do {
    const std::wstring_view name = entry.cFileName;
    if (name != L"." && name != L"..") found(folder / std::wstring(name));
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return true;
}

bool EntryExists(const std::filesystem::path& path) {
  return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TableFileReader::~TableFileReader() {
  if (HandleOf(file_) != INVALID_HANDLE_VALUE) CloseHandle(HandleOf(file_));
}

std::uint64_t TableFileReader::SizeNow() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(HandleOf(file_), &size)) Fail(path_, "read", GetLastError());
  return static_cast<std::uint64_t>(size.QuadPart);
}

FileStamp TableFileReader::StampNow() const {
  FileStamp stamp;
  if (!StampOf(HandleOf(file_), stamp)) Fail(path_, "read", GetLastError());
  return stamp;
}

bool TableFileReader::StillAtPath() const {
  FileHandle file{CreateFileW(path_.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
  FileStamp stamp;
  return file.handle != INVALID_HANDLE_VALUE && StampOf(file.handle, stamp) &&
         stamp.volume == opened_stamp_.volume && stamp.file == opened_stamp_.file;
}

// Each read names its offset and waits on an event of its own, so reads from several threads
// never share a file position or a completion.
bool TableFileReader::ReadAt(std::uint64_t offset, void* out, std::size_t length) const {
  if (HandleOf(file_) == INVALID_HANDLE_VALUE) return length == 0;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (done == nullptr) return false;
  // A lock is held a while by a writer, as FoxPro holds a record's or the header's while it
  // writes them: the read is tried again meanwhile, from its start.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  DWORD failure = 0;
  for (int wait_ms = 1;; wait_ms = std::min(wait_ms * 2, 64)) {
    failure = ReadInto(HandleOf(file_), done, offset, static_cast<char*>(out), length);
    if (failure != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() > give_up) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
  }
  CloseHandle(done);
  if (failure == ERROR_LOCK_VIOLATION) {
    throw RunTimeError(error::kDatabaseError,
                       "'" + Utf8Of(path_) +
                           "' is locked by another program, which may be writing it, and cannot "
                           "be read at this moment. Load it again.");
  }
  return failure == 0;
}

}  // namespace platform::db
