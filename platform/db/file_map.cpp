#include "platform/db/file_map.h"

#include <set>
#include <utility>

#include "platform/path_text.h"

namespace platform::db {

// A mutex rather than std::call_once: a failed mapping throws, and is tried again next time.
const std::uint8_t* FileMap::data() const {
  if (size_ == 0) return nullptr;
  const std::lock_guard<std::mutex> lock(mapping_mutex_);
  if (data_ == nullptr) Map();
  return data_;
}

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
  return matches.empty() ? std::filesystem::path() : matches.begin()->second;
}

}  // namespace platform::db
