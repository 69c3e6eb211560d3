#include "platform/db/file_map.h"

#include <algorithm>
#include <chrono>
#include <set>
#include <system_error>
#include <utility>

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
  if (error == std::errc::permission_denied) throw PermissionDenied(folder);
  return matches.empty() ? std::filesystem::path() : matches.begin()->second;
}

bool FileMap::Settled(const FileStamp& stamp) {
  // A tick of the clock that stamps files is at most 10 ms on the systems this runs on. A stamp
  // far ahead of this machine's clock (a file server's clock that runs ahead) is taken as settled,
  // so such a server never makes every load wait.
  constexpr std::int64_t kTick = 50'000'000;
  constexpr std::int64_t kAhead = 1'000'000'000;
  const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  const std::int64_t age = now - std::max(stamp.written_ns, stamp.changed_ns);
  return age >= kTick || age <= -kAhead;
}

RunTimeError PermissionDenied(const std::filesystem::path& path) {
  return RunTimeError(error::kPermissionDenied,
                      "this user may not read '" + Utf8Of(path) +
                          "'. Ask for read access to it and to the folders it is in.");
}

}  // namespace platform::db
