#include "platform/db/file_map.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/path_text.h"

namespace platform::db {

std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder,
                                           const std::string& name) {
  // ASCII letters only, whatever the locale: other bytes are parts of UTF-8 characters.
  auto lower = [](std::string text) {
    for (char& c : text) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
  };
  if (name.empty() || name.find_first_of("/\\") != std::string::npos) return {};
  const std::filesystem::path exact = folder / PathFromUtf8(name);
  auto exact_exists = [&] {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(exact, ignored));
  };
#ifndef _WIN32
  // Names differ by letter case here: a file of exactly that name is the one, found without
  // listing. (Windows finds it in any case, and the listing gives its name as it is written.)
  if (exact_exists()) return exact;
#endif
  const std::string wanted = lower(name);
  // Matches are kept by their UTF-8 names, so "the first in byte order" means the same bytes on
  // every system.
  std::set<std::pair<std::string, std::filesystem::path>> matches;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string found = Utf8Of(it->path().filename());
    if (lower(found) == wanted) matches.emplace(found, it->path());
  }
  if (error == std::errc::permission_denied) {
    if (exact_exists()) return exact;
    throw PermissionDenied(folder);
  }
  return matches.empty() ? std::filesystem::path() : matches.begin()->second;
}

namespace {

std::mutex files_opened_mutex;
std::vector<std::filesystem::path> files_opened;

}  // namespace

void RememberFileOpened(const std::filesystem::path& path) {
  const std::lock_guard<std::mutex> lock(files_opened_mutex);
  if (std::find(files_opened.begin(), files_opened.end(), path) == files_opened.end()) {
    files_opened.push_back(path);
  }
}

std::vector<std::filesystem::path> FilesOpened() {
  const std::lock_guard<std::mutex> lock(files_opened_mutex);
  return files_opened;
}

RunTimeError PermissionDenied(const std::filesystem::path& path) {
  return RunTimeError(error::kPermissionDenied,
                      "this user may not read '" + Utf8Of(path) +
                          "'. Ask for read access to it and to the folders it is in.");
}

}  // namespace platform::db
