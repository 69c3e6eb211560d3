// Code pages of .dbf tables: the mark byte in a table's header, and the text of stored bytes as
// UTF-8. Every byte has a character, so a wrong code page gives wrong letters, never an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace platform::db {

namespace internal {
struct SingleBytePage {
  int number;
  std::uint16_t chars[256];
};
extern const SingleBytePage kSingleBytePages[];
extern const std::size_t kSingleBytePageCount;
}  // namespace internal

// The code page that a table's mark byte names; 0 (not marked) and unknown marks give `fallback`.
int CodePageOfMark(std::uint8_t mark, int fallback = 1252);

class CodePage {
 public:
  // Code pages this program does not know are read as 1252.
  explicit CodePage(int number);
  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  int number() const { return number_; }
  // True when every byte is one character and back, so stored bytes order as their text does.
  bool single_byte() const { return converter_ == nullptr; }

  // Appends the UTF-8 text of `bytes` to `out`. This and Encode may be called from several
  // threads at once.
  void Decode(std::string_view bytes, std::string& out) const;

  // Appends the stored bytes of the UTF-8 text `text` to `out`. Returns false, leaving `out`
  // unspecified, when the text is not UTF-8 or holds a character this code page cannot store.
  bool Encode(std::string_view text, std::string& out) const;

 private:
  class Converter;

  int number_ = 1252;
  const std::uint16_t* chars_ = nullptr;              // single-byte pages
  std::unordered_map<char32_t, std::uint8_t> bytes_;  // non-ASCII characters back to bytes
  std::unique_ptr<Converter> converter_;              // double-byte pages (932, 936, 949, 950)
};

// True when no byte of `bytes` is above 0x7F: such text reads the same in every code page.
bool IsAscii(std::string_view bytes);

// Appends the UTF-8 form of `c` to `out`.
void AppendUtf8(char32_t c, std::string& out);

}  // namespace platform::db
