#include "platform/system/system_message.h"

#include <windows.h>

#include <string>
#include <utility>

#include "platform/system/path_text.h"

namespace platform {

std::string SystemErrorText(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD size = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = size > 0 && buffer != nullptr ? Utf8OfWide(std::wstring_view(buffer, size))
                                                   : "system error " + std::to_string(code);
  if (buffer != nullptr) LocalFree(buffer);
  return WithoutClosingStop(std::move(text));
}

}  // namespace platform
