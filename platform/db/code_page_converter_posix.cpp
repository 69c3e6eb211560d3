#include "platform/db/code_page_converter.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace platform::db {

namespace {

const char* IconvName(int number) {
  switch (number) {
    case 932:
      return "CP932";
    case 936:
      return "CP936";
    case 949:
      return "CP949";
    case 950:
      return "CP950";
    default:
      return "";
  }
}

bool Usable(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

// Converts all of `in` through `cd`; false, with errno set, at the first byte it cannot convert.
bool Run(iconv_t cd, std::string_view in, std::string& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char buffer[256];
  while (src_left > 0) {
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    const std::size_t result = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    return false;
  }
  return true;
}

// Decodes `bytes` through `decode_` one character at a time, a character HoldsUnsharedCharacter
// finds read as a byte that starts none.
void DecodeByCharacter(iconv_t decode, std::string_view bytes, std::string& out) {
  std::string character;
  for (std::size_t pos = 0; pos < bytes.size();) {
    // A character of these pages is one byte or two.
    std::size_t length = 1;
    bool read = false;
    for (; length <= 2 && pos + length <= bytes.size(); ++length) {
      character.clear();
      if (Run(decode, bytes.substr(pos, length), character)) {
        read = !HoldsUnsharedCharacter(character);
        break;
      }
      if (errno != EINVAL) break;  // not the start of a longer character
    }
    if (read) {
      out += character;
      pos += length;
    } else {
      AppendUtf8(0xFFFD, out);
      ++pos;
    }
  }
}

}  // namespace

// An iconv descriptor keeps the state of the conversion it is in: each is used by one thread at a
// time, under its mutex. One descriptor each way, kept for the life of the code page.
struct CodePage::Converter::System {
  iconv_t decode;
  iconv_t encode;
  std::mutex decode_mutex;
  std::mutex encode_mutex;
};

CodePage::Converter::Converter(int number)
    : system_(new System{
          iconv_open("UTF-8", IconvName(number)), iconv_open(IconvName(number), "UTF-8"), {}, {}}) {
}

CodePage::Converter::~Converter() {
  if (Usable(system_->decode)) iconv_close(system_->decode);
  if (Usable(system_->encode)) iconv_close(system_->encode);
}

bool CodePage::Converter::usable() const {
  return Usable(system_->decode) && Usable(system_->encode);
}

void CodePage::Converter::Decode(std::string_view bytes, std::string& out) const {
  const std::lock_guard<std::mutex> lock(system_->decode_mutex);
  const std::size_t at = out.size();
  // Bad bytes are read again one character at a time, as Windows reads them: iconv may pass over
  // more than the byte it cannot read.
  if (Run(system_->decode, bytes, out) &&
      !HoldsUnsharedCharacter(std::string_view(out).substr(at))) {
    return;
  }
  out.resize(at);
  DecodeByCharacter(system_->decode, bytes, out);
}

bool CodePage::Converter::Encode(std::string_view text, std::string& out) const {
  const std::lock_guard<std::mutex> lock(system_->encode_mutex);
  return Run(system_->encode, text, out);
}

}  // namespace platform::db
