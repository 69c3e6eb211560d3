#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "platform/output_file.h"
#include "platform/path_text.h"
#include "platform/run_time_error.h"
#include "platform/system_message.h"

namespace platform {

namespace {

HANDLE HandleOf(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

// The error of the call that failed last, for `what` of `path`.
RunTimeError FileError(const std::string& what, const std::string& path) {
  const DWORD code = GetLastError();
  return {error::kPathFileAccess, what + " " + path + ": " + SystemErrorText(code)};
}

void WriteAll(HANDLE file, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
      throw FileError("Cannot write", path);
    }
    bytes.remove_prefix(written);
  }
}

// The identity of the file at `path`: its volume and its number there.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  // No access asked for, and a folder allowed: only the file's identity is read.
  HANDLE file = CreateFileW(PathFromUtf8(path).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}

}  // namespace

// The file is shared for reading and writing, so that a writer that opens it by name (the
// workbook library) can fill it while it is held here.
ReplacingFile::ReplacingFile(const std::string& destination) : destination_(destination) {
  const std::string prefix = ReplacementPrefix(destination);
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    path_ = prefix + suffix;
    HANDLE file = CreateFileW(PathFromUtf8(path_).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      file_ = reinterpret_cast<std::intptr_t>(file);
      return;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  const RunTimeError error = FileError("Cannot create a file in the folder of", destination);
  path_.clear();
  throw error;
}

ReplacingFile::~ReplacingFile() {
  Close();
  if (!path_.empty()) DeleteFileW(PathFromUtf8(path_).c_str());
}

void ReplacingFile::Close() {
  if (HandleOf(file_) != INVALID_HANDLE_VALUE) CloseHandle(HandleOf(file_));
  file_ = -1;
}

void ReplacingFile::Write(std::string_view bytes) {
  WriteAll(HandleOf(file_), bytes, destination_);
}

void ReplacingFile::Commit() {
  const HANDLE file = HandleOf(file_);
  file_ = -1;
  if (!CloseHandle(file)) throw FileError("Cannot write", destination_);
  if (!MoveFileExW(PathFromUtf8(path_).c_str(), PathFromUtf8(destination_).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw FileError("Cannot replace", destination_);
  }
  path_.clear();
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

bool IsSameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION a_info{};
  BY_HANDLE_FILE_INFORMATION b_info{};
  return FileIdentity(a, a_info) && FileIdentity(b, b_info) &&
         a_info.dwVolumeSerialNumber == b_info.dwVolumeSerialNumber &&
         a_info.nFileIndexHigh == b_info.nFileIndexHigh &&
         a_info.nFileIndexLow == b_info.nFileIndexLow;
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
