// The file types an Open-file dialog offers, written as its filter text: pairs of a description
// and patterns, each part ended by "|", as in "DBF File|*.dbf".
#pragma once

#include <string>
#include <vector>

namespace platform {

// One file type of a dialog filter: "DBF File" with the patterns {"*.dbf"}.
struct FileType {
  std::string description;
  std::vector<std::string> patterns;
  bool operator==(const FileType&) const = default;
};

// "Description|pattern;pattern|..." as file types; a description without a pattern matches
// every file.
std::vector<FileType> ParseFilter(const std::string& filter);

}  // namespace platform
