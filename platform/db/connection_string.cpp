#include "platform/db/connection_string.h"

#include <cctype>

namespace platform::db {

namespace {

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// Lower case with runs of blanks made one space: "Data  Source" is "data source".
std::string Key(const std::string& text) {
  std::string key;
  for (const char c : Trim(text)) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (key.back() != ' ') key += ' ';
    } else {
      key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return key;
}

}  // namespace

ConnectionSettings ParseConnectionString(const std::string& text) {
  ConnectionSettings settings;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t equals = text.find('=', pos);
    const std::size_t semicolon = text.find(';', pos);
    if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
      if (semicolon == std::string::npos) break;
      pos = semicolon + 1;  // a part without "=" says nothing
      continue;
    }
    const std::string key = Key(text.substr(pos, equals - pos));
    pos = equals + 1;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    std::string value;
    if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
      const char quote = text[pos++];
      while (pos < text.size()) {
        if (text[pos] == quote) {
          if (pos + 1 < text.size() && text[pos + 1] == quote) {
            value += quote;
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        value += text[pos++];
      }
      const std::size_t next = text.find(';', pos);
      pos = next == std::string::npos ? text.size() : next + 1;
    } else {
      const std::size_t next = text.find(';', pos);
      value = Trim(text.substr(pos, next == std::string::npos ? std::string::npos : next - pos));
      if (key == "data source") {
        settings.longer_data_sources.clear();
        for (std::size_t more = next; more != std::string::npos;) {
          more = text.find(';', more + 1);
          settings.longer_data_sources.push_back(Trim(text.substr(pos, more - pos)));
        }
      }
      pos = next == std::string::npos ? text.size() : next + 1;
    }
    if (key == "provider") settings.provider = value;
    if (key == "data source") settings.data_source = value;
  }
  return settings;
}

}  // namespace platform::db
