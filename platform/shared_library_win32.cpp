#include <windows.h>

#include "platform/path_text.h"
#include "platform/shared_library.h"
#include "platform/system_message.h"

namespace platform {

void* SharedLibrary::Open(const std::string& name, std::string& reason) {
  HMODULE module = LoadLibraryW(PathFromUtf8(name).c_str());
  if (module == nullptr) reason = SystemErrorText(GetLastError());
  return reinterpret_cast<void*>(module);
}

void* SharedLibrary::Find(void* handle, const char* symbol) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), symbol));
}

}  // namespace platform
