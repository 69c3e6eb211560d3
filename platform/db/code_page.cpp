#include "platform/db/code_page.h"

#include <cstring>

#include "platform/db/code_page_converter.h"

namespace platform::db {

namespace {

struct MarkEntry {
  std::uint8_t mark;
  int code_page;
};

// Visual FoxPro's marks, then the dBase language driver numbers that name the same pages.
constexpr MarkEntry kMarks[] = {
    {0x01, 437},  {0x02, 850},  {0x03, 1252},  {0x04, 10000}, {0x57, 1252},  {0x58, 1252},
    {0x59, 1252}, {0x64, 852},  {0x65, 866},   {0x66, 865},   {0x67, 861},   {0x6A, 737},
    {0x6B, 857},  {0x78, 950},  {0x79, 949},   {0x7A, 936},   {0x7B, 932},   {0x7C, 874},
    {0x7D, 1255}, {0x7E, 1256}, {0x96, 10007}, {0x97, 10029}, {0x98, 10006}, {0xC8, 1250},
    {0xC9, 1251}, {0xCA, 1254}, {0xCB, 1253},  {0x08, 865},   {0x09, 437},   {0x0A, 850},
    {0x0B, 437},  {0x0D, 437},  {0x0E, 850},   {0x0F, 437},   {0x10, 850},   {0x11, 437},
    {0x12, 850},  {0x13, 932},  {0x14, 850},   {0x15, 437},   {0x16, 850},   {0x17, 865},
    {0x18, 437},  {0x19, 437},  {0x1A, 850},   {0x1B, 437},   {0x1C, 863},   {0x1D, 850},
    {0x1F, 852},  {0x22, 852},  {0x23, 852},   {0x24, 860},   {0x25, 850},   {0x26, 866},
    {0x37, 850},  {0x40, 852},  {0x4D, 936},   {0x4E, 949},   {0x4F, 950},   {0x50, 874},
};

const std::uint16_t* SingleByteChars(int number) {
  for (std::size_t i = 0; i < internal::kSingleBytePageCount; ++i) {
    if (internal::kSingleBytePages[i].number == number) return internal::kSingleBytePages[i].chars;
  }
  return nullptr;
}

// The pages whose characters take one or two bytes, read by the system's converters.
bool IsDoubleByte(int number) {
  return number == 932 || number == 936 || number == 949 || number == 950;
}

// Reads one UTF-8 character at `pos`; false for a malformed sequence.
bool NextUtf8(std::string_view text, std::size_t& pos, char32_t& c) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  int extra = 0;
  if (lead < 0x80) {
    c = lead;
  } else if ((lead & 0xE0) == 0xC0) {
    c = lead & 0x1Fu;
    extra = 1;
  } else if ((lead & 0xF0) == 0xE0) {
    c = lead & 0x0Fu;
    extra = 2;
  } else if ((lead & 0xF8) == 0xF0) {
    c = lead & 0x07u;
    extra = 3;
  } else {
    return false;
  }
  if (text.size() - pos <= static_cast<std::size_t>(extra)) return false;
  for (int i = 1; i <= extra; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
    if ((next & 0xC0) != 0x80) return false;
    c = (c << 6) | (next & 0x3Fu);
  }
  pos += static_cast<std::size_t>(extra) + 1;
  return true;
}

}  // namespace

int CodePageOfMark(std::uint8_t mark, int fallback) {
  for (const MarkEntry& entry : kMarks) {
    if (entry.mark == mark) return entry.code_page;
  }
  return fallback;
}

CodePage::CodePage(int number) {
  if (IsDoubleByte(number)) {
    auto converter = std::make_unique<Converter>(number);
    if (converter->usable()) {
      number_ = number;
      converter_ = std::move(converter);
      return;
    }
  }
  chars_ = SingleByteChars(number);
  number_ = chars_ != nullptr ? number : 1252;
  if (chars_ == nullptr) chars_ = SingleByteChars(1252);
  for (int b = 0x80; b < 256; ++b) bytes_.emplace(chars_[b], static_cast<std::uint8_t>(b));
}

CodePage::~CodePage() = default;

bool IsAscii(std::string_view bytes) {
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes.data() + i, 8);
    if ((word & 0x8080808080808080u) != 0) return false;
  }
  for (; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
  }
  return true;
}

bool HoldsUnsharedCharacter(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    // As lead bytes: C2 80-9F is U+0080-U+009F, EE is U+E000-U+EFFF, EF 80-A3 U+F000-U+F8FF.
    if ((lead == 0xC2 && next >= 0x80 && next <= 0x9F) || lead == 0xEE ||
        (lead == 0xEF && next >= 0x80 && next <= 0xA3)) {
      return true;
    }
  }
  return false;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void CodePage::Decode(std::string_view bytes, std::string& out) const {
  if (converter_) {
    converter_->Decode(bytes, out);
    return;
  }
  for (const char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    if (b < 0x80) {
      out.push_back(byte);
    } else {
      AppendUtf8(chars_[b], out);
    }
  }
}

bool CodePage::Encode(std::string_view text, std::string& out) const {
  if (converter_) return converter_->Encode(text, out);
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = 0;
    if (!NextUtf8(text, pos, c)) return false;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    const auto found = bytes_.find(c);
    if (found == bytes_.end()) return false;
    out.push_back(static_cast<char>(found->second));
  }
  return true;
}

}  // namespace platform::db
