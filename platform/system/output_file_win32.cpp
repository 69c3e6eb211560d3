#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
// The C runtime's descriptors, which a library's fprintf(stderr) writes through.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <random>

#include "platform/run_time_error.h"
#include "platform/system/output_file.h"
#include "platform/system/path_text.h"
#include "platform/system/system_message.h"

namespace platform {

namespace {

HANDLE HandleOf(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

// The error of the call that failed last, for `what` of `path`.
RunTimeError FileError(const std::string& what, const std::string& path) {
  const DWORD code = GetLastError();
  return RunTimeError(error::kPathFileAccess,
                      what + " '" + path + "': " + SystemErrorText(code) + ".");
}

void WriteAll(HANDLE file, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
      throw FileError("cannot write", path);
    }
    bytes.remove_prefix(written);
  }
}

// A handle on the file at `path` that only reads what the file is, following links; a folder
// too. INVALID_HANDLE_VALUE when there is none.
HANDLE Look(const std::wstring& path) {
  return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The identity of the file at `path`: its volume and its number there.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE file = Look(SystemPath(PathFromUtf8(path)));
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// The files the program has made and not yet put in place or removed, for Ctrl+C and the other
// console events that stop it to remove. Each slot holds a copy of a path.
std::atomic<wchar_t*> made_files[8];

BOOL WINAPI RemoveMadeFiles(DWORD) {
  for (std::atomic<wchar_t*>& slot : made_files) {
    if (const wchar_t* path = slot.load()) DeleteFileW(path);
  }
  return FALSE;  // and the event goes on to stop the program
}

void Remember(const std::string& path) {
  static std::once_flag once;
  std::call_once(once, [] { SetConsoleCtrlHandler(RemoveMadeFiles, TRUE); });
  const std::wstring wide = SystemPath(PathFromUtf8(path));
  for (std::atomic<wchar_t*>& slot : made_files) {
    wchar_t* expected = nullptr;
    wchar_t* copy = _wcsdup(wide.c_str());
    if (copy == nullptr) return;
    if (slot.compare_exchange_strong(expected, copy)) return;
    std::free(copy);
  }
}

void Forget(const std::string& path) {
  const std::wstring wide = SystemPath(PathFromUtf8(path));
  for (std::atomic<wchar_t*>& slot : made_files) {
    wchar_t* held = slot.load();
    if (held != nullptr && wide == held && slot.compare_exchange_strong(held, nullptr)) {
      std::free(held);
      return;
    }
  }
}

// Makes a new file named `prefix`, a unique ending and `suffix`; sets `path` to its name. The
// file is shared for reading and writing, so that a writer that opens it by name (the workbook
// library) can fill it while it is held here. INVALID_HANDLE_VALUE when none can be made.
HANDLE MakeFile(const std::string& prefix, const std::string& suffix, std::string& path) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char ending[16];
    std::snprintf(ending, sizeof ending, ".%08x", static_cast<unsigned>(random()));
    path = prefix + ending + suffix;
    HANDLE file = CreateFileW(SystemPath(PathFromUtf8(path)).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      Remember(path);
      return file;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

// The file that `path` reaches, for replacing it in its own folder: the target of a link, a
// Windows link or a POSIX one as Wine shows it (which carries no reparse point); `path` itself
// when its final name cannot be found.
std::string FollowLink(const std::string& path) {
  HANDLE file = Look(SystemPath(PathFromUtf8(path)));
  if (file == INVALID_HANDLE_VALUE) return path;
  wchar_t buffer[32768];
  const DWORD size = GetFinalPathNameByHandleW(file, buffer, 32768, FILE_NAME_NORMALIZED);
  CloseHandle(file);
  if (size == 0 || size >= 32768) return path;
  return Utf8OfWide(std::wstring_view(buffer, size));
}

}  // namespace

OutputFile::OutputFile(const std::string& destination) : destination_(destination) {
  HANDLE found = Look(SystemPath(PathFromUtf8(destination)));
  bool exists = false;
  if (found != INVALID_HANDLE_VALUE) {
    exists = true;
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD type = GetFileType(found);
    const bool known = GetFileInformationByHandle(found, &info) != 0;
    CloseHandle(found);
    if (known && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      throw RunTimeError(error::kPathFileAccess,
                         "'" + destination + "' is a folder. Give the name of a file in it.");
    }
    BY_HANDLE_FILE_INFORMATION out{};
    HANDLE standard_output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (known && GetFileType(standard_output) == FILE_TYPE_DISK &&
        GetFileInformationByHandle(standard_output, &out) != 0 && SameFile(out, info)) {
      in_place_ = standard_output_ = true;
      return;
    }
    if (type != FILE_TYPE_DISK) {
      HANDLE file = CreateFileW(SystemPath(PathFromUtf8(destination)).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) throw FileError("cannot open", destination);
      file_ = reinterpret_cast<std::intptr_t>(file);
      in_place_ = true;
      return;
    }
  }
  target_ = exists ? FollowLink(destination) : destination;
  HANDLE file = MakeFile(ReplacementPrefix(target_), "", path_);
  if (file == INVALID_HANDLE_VALUE) {
    const RunTimeError error = FileError("cannot make a file in the folder of", destination);
    path_.clear();
    throw error;
  }
  file_ = reinterpret_cast<std::intptr_t>(file);
}

OutputFile::~OutputFile() {
  Close();
  if (!path_.empty()) {
    DeleteFileW(SystemPath(PathFromUtf8(path_)).c_str());
    Forget(path_);
  }
}

void OutputFile::Close() {
  if (file_ != -1 && HandleOf(file_) != INVALID_HANDLE_VALUE) CloseHandle(HandleOf(file_));
  file_ = -1;
}

void OutputFile::Write(std::string_view bytes) {
  if (standard_output_) return WriteStandardOutput(bytes);
  WriteAll(HandleOf(file_), bytes, destination_);
}

void OutputFile::Commit() {
  if (standard_output_) return;
  const HANDLE file = HandleOf(file_);
  file_ = -1;
  if (!CloseHandle(file)) throw FileError("cannot write", destination_);
  if (in_place_) return;
  const std::wstring made = SystemPath(PathFromUtf8(path_));
  const std::wstring target = SystemPath(PathFromUtf8(target_));
  // ReplaceFile gives the new file the old one's security; a destination that is not there yet
  // is moved into place. The attributes are given back as they were, whichever way it went.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (!ReplaceFileW(target.c_str(), made.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                    nullptr) &&
      !MoveFileExW(made.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw FileError("cannot replace", destination_);
  }
  Forget(path_);
  path_.clear();
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKept) != 0) {
    SetFileAttributesW(target.c_str(), attributes & kKept);
  }
}

TemporaryFile::TemporaryFile(const std::string& suffix) {
  HANDLE file = MakeFile(TemporaryFolder() + "kolvex-export", suffix, path_);
  if (file == INVALID_HANDLE_VALUE) {
    const RunTimeError error = FileError("cannot make a file in", TemporaryFolder());
    path_.clear();
    throw error;
  }
  file_ = reinterpret_cast<std::intptr_t>(file);
}

TemporaryFile::~TemporaryFile() {
  if (file_ != -1) CloseHandle(HandleOf(file_));
  if (!path_.empty()) {
    DeleteFileW(SystemPath(PathFromUtf8(path_)).c_str());
    Forget(path_);
  }
}

void TemporaryFile::ReadInPieces(const std::function<void(std::string_view)>& take) const {
  char buffer[1 << 16];
  for (std::uint64_t offset = 0;;) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(HandleOf(file_), buffer, sizeof buffer, &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) return;
      throw FileError("cannot read", path_);
    }
    if (got == 0) return;
    take(std::string_view(buffer, got));
    offset += got;
  }
}

void WriteStandardOutput(std::string_view bytes) {
  WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes, "standard output");
}

void WriteStandardError(std::string_view text) noexcept {
  try {
    std::string lines;
    for (const char c : text) {
      if (c == '\n') lines += '\r';
      lines += c;
    }
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(handle, &mode)) return WriteAll(handle, lines, "standard error");
    const std::wstring wide = WideOfUtf8(lines);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } catch (...) {
    // Out of memory: the bytes as they are.
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
  }
}

// A console, not any character device: the null device "NUL" takes a workbook as well as a file.
bool StandardOutputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

bool NamesTerminal(const std::string& path) {
  HANDLE file = CreateFileW(SystemPath(PathFromUtf8(path)).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  const bool console = GetFileType(file) == FILE_TYPE_CHAR && GetConsoleMode(file, &mode) != 0;
  CloseHandle(file);
  return console;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION a_info{};
  BY_HANDLE_FILE_INFORMATION b_info{};
  return FileIdentity(a, a_info) && FileIdentity(b, b_info) && SameFile(a_info, b_info);
}

std::string TemporaryFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD size = GetTempPathW(MAX_PATH + 1, buffer);
  if (size == 0 || size > MAX_PATH) return ".\\";
  return Utf8OfWide(std::wstring_view(buffer, size));
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
  }
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8OfWide(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace platform
