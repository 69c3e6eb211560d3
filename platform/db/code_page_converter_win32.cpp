#include "platform/db/code_page_converter.h"

#include <windows.h>

#include <climits>

namespace platform::db {

namespace {

// `in` as UTF-16, read in code page `page`; false when a byte is not valid there.
bool ToWide(UINT page, std::string_view in, std::wstring& wide) {
  wide.clear();
  if (in.empty()) return true;
  if (in.size() > static_cast<std::size_t>(INT_MAX)) return false;
  const int in_size = static_cast<int>(in.size());
  const int size = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), in_size, nullptr, 0);
  if (size <= 0) return false;
  wide.resize(static_cast<std::size_t>(size));
  return MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(), in_size, wide.data(), size) ==
         size;
}

// Appends `wide` to `out` in code page `page`; false when a character has no bytes there.
bool AppendIn(UINT page, const std::wstring& wide, std::string& out) {
  if (wide.empty()) return true;
  if (wide.size() > static_cast<std::size_t>(INT_MAX)) return false;
  const int wide_size = static_cast<int>(wide.size());
  // UTF-8 takes no flags and reports no default character; the double-byte pages must not put
  // a look-alike (best fit) or "?" where a character is missing.
  const DWORD flags = page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* used = page == CP_UTF8 ? nullptr : &used_default;
  const int size =
      WideCharToMultiByte(page, flags, wide.data(), wide_size, nullptr, 0, nullptr, used);
  if (size <= 0 || used_default) return false;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(size));
  return WideCharToMultiByte(page, flags, wide.data(), wide_size, out.data() + at, size, nullptr,
                             used) == size &&
         !used_default;
}

}  // namespace

// The code page functions keep no state: the page's number is all there is.
struct CodePage::Converter::System {
  UINT number;
};

CodePage::Converter::Converter(int number) : system_(new System{static_cast<UINT>(number)}) {}

CodePage::Converter::~Converter() = default;

bool CodePage::Converter::usable() const { return IsValidCodePage(system_->number) != 0; }

void CodePage::Converter::Decode(std::string_view bytes, std::string& out) const {
  const UINT page = system_->number;
  std::wstring wide;
  const std::size_t at = out.size();
  if (ToWide(page, bytes, wide)) {
    AppendIn(CP_UTF8, wide, out);
    if (!HoldsUnsharedCharacter(std::string_view(out).substr(at))) return;
    out.resize(at);
  }
  // Character by character: a lead byte and the byte after it, or a single byte.
  std::string character;
  for (std::size_t pos = 0; pos < bytes.size();) {
    const auto lead = static_cast<BYTE>(bytes[pos]);
    const std::size_t length = IsDBCSLeadByteEx(page, lead) && pos + 1 < bytes.size() ? 2 : 1;
    character.clear();
    if (ToWide(page, bytes.substr(pos, length), wide) && AppendIn(CP_UTF8, wide, character) &&
        !HoldsUnsharedCharacter(character)) {
      out += character;
      pos += length;
    } else {
      AppendUtf8(0xFFFD, out);
      ++pos;
    }
  }
}

bool CodePage::Converter::Encode(std::string_view text, std::string& out) const {
  std::wstring wide;
  return ToWide(CP_UTF8, text, wide) && AppendIn(system_->number, wide, out);
}

}  // namespace platform::db
