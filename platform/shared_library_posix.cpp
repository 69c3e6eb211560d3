#include <dlfcn.h>

#include "platform/shared_library.h"

namespace platform {

void* SharedLibrary::Open(const std::string& name, std::string& reason) {
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* text = dlerror();
    reason = text != nullptr ? text : "unknown reason";
  }
  return handle;
}

void* SharedLibrary::Find(void* handle, const char* symbol) { return dlsym(handle, symbol); }

}  // namespace platform
