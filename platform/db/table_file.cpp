#include "platform/db/table_file.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "platform/system/path_text.h"

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
#ifndef _WIN32
  // Names differ by letter case here: a file of exactly that name is the one, found without
  // listing. (Windows finds it in any case, and the listing gives its name as it is written.)
  if (EntryExists(exact)) return exact;
#endif
  const std::string wanted = lower(name);
  // Matches are kept by their UTF-8 names, so "the first in byte order" means the same bytes on
  // every system.
  std::set<std::pair<std::string, std::filesystem::path>> matches;
  const bool listed = ListFolder(folder, [&](const std::filesystem::path& entry) {
    const std::string found = Utf8Of(entry.filename());
    if (lower(found) == wanted) matches.emplace(found, entry);
  });
  if (!listed) {
    if (EntryExists(exact)) return exact;
    throw PermissionDenied(folder);
  }
  return matches.empty() ? std::filesystem::path() : matches.begin()->second;
}

namespace {

std::mutex files_opened_mutex;
std::vector<std::filesystem::path> files_opened;

// The system's clock, as it stamps files.
std::int64_t NanosecondsNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

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

bool TableFileReader::Settled(const FileStamp& stamp) {
  // A tick of the clock that stamps files is at most 10 ms on the systems this runs on. A stamp
  // far ahead of this machine's clock (a file server's clock that runs ahead) is taken as settled,
  // so such a server never makes every load wait.
  constexpr std::int64_t kTick = 50'000'000;
  constexpr std::int64_t kAhead = 1'000'000'000;
  const std::int64_t age = NanosecondsNow() - std::max(stamp.written_ns, stamp.changed_ns);
  return age >= kTick || age <= -kAhead;
}

bool TableFileReader::LeftAlone(const FileStamp& stamp) {
  // A writer held up by a busy machine between cutting the file and writing it again leaves it
  // alone for a moment, never for a second. Only the time of the last write counts: the time of
  // the last change also moves when a file is renamed or its times are set. A stamp far ahead of
  // this machine's clock counts as left alone, as in Settled.
  constexpr std::int64_t kQuiet = 1'000'000'000;
  constexpr std::int64_t kAhead = 1'000'000'000;
  const std::int64_t age = NanosecondsNow() - stamp.written_ns;
  return age >= kQuiet || age <= -kAhead;
}

std::uint64_t Digest(const std::uint8_t* bytes, std::size_t length) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15;
  std::uint64_t digest = length;
  std::size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes + i, 8);
    digest = (digest ^ word) * kMultiplier;
    digest ^= digest >> 29;
  }
  for (; i < length; ++i) digest = (digest ^ bytes[i]) * kMultiplier;
  return digest;
}

RunTimeError PermissionDenied(const std::filesystem::path& path) {
  return RunTimeError(error::kPermissionDenied,
                      "this user may not read '" + Utf8Of(path) +
                          "'. Ask for read access to it and to the folders it is in.");
}

}  // namespace platform::db
