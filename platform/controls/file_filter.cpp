#include "platform/controls/file_filter.h"

#include <utility>

namespace platform {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = text.find(separator, begin);
    parts.push_back(text.substr(begin, end - begin));
    if (end == std::string::npos) return parts;
    begin = end + 1;
  }
}

}  // namespace

std::vector<FileType> ParseFilter(const std::string& filter) {
  std::vector<FileType> types;
  if (filter.empty()) return types;
  const std::vector<std::string> parts = Split(filter, '|');
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    FileType type{parts[i], {}};
    if (i + 1 < parts.size()) {
      for (std::string& pattern : Split(parts[i + 1], ';')) {
        if (!pattern.empty()) type.patterns.push_back(std::move(pattern));
      }
    }
    if (type.patterns.empty()) type.patterns.push_back("*");
    types.push_back(std::move(type));
  }
  return types;
}

}  // namespace platform
