#include "platform/system/path_text.h"

#include <windows.h>

#include <climits>

namespace platform {

// Conversions that replace what they cannot read rather than fail: a name is shown or looked up,
// never refused, for one bad character.
std::wstring WideOfUtf8(std::string_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int size = static_cast<int>(text.size());
  const int wide_size = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), wide_size);
  return wide;
}

std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(WideOfUtf8(text));
}

std::string Utf8OfWide(std::wstring_view wide) {
  if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int size = static_cast<int>(wide.size());
  const int text_size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(text_size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), text_size, nullptr, nullptr);
  return text;
}

std::string Utf8Of(const std::filesystem::path& path) { return Utf8OfWide(path.native()); }

std::wstring SystemPath(const std::filesystem::path& path) {
  const std::wstring& native = path.native();
  if (native.size() < MAX_PATH || native.starts_with(L"\\\\?\\")) return native;
  const DWORD size = GetFullPathNameW(native.c_str(), 0, nullptr, nullptr);
  if (size == 0) return native;
  std::wstring full(size, L'\0');
  const DWORD written = GetFullPathNameW(native.c_str(), size, full.data(), nullptr);
  if (written == 0 || written >= size) return native;
  full.resize(written);
  // A share, \\server\share\..., is \\?\UNC\server\share\...
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace platform
