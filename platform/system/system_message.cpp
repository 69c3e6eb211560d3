#include "platform/system/system_message.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/system/path_text.h"
#else
#include <cstring>
#endif

namespace platform {

std::string SystemErrorText(std::uint32_t code) {
#ifdef _WIN32
  wchar_t* buffer = nullptr;
  const DWORD size = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = size > 0 && buffer != nullptr ? Utf8OfWide(std::wstring_view(buffer, size))
                                                   : "system error " + std::to_string(code);
  if (buffer != nullptr) LocalFree(buffer);
#else
  std::string text = std::strerror(static_cast<int>(code));
#endif
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

}  // namespace platform
