#include "platform/shared_library.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/run_time_error.h"

namespace platform {

const SharedLibrary& SharedLibrary::Get(const std::string& name) {
  static std::mutex mutex;
  // Never unloaded: the functions found in a library stay valid for the whole run.
  static std::map<std::string, std::unique_ptr<SharedLibrary>> loaded;
  const std::lock_guard<std::mutex> lock(mutex);
  std::unique_ptr<SharedLibrary>& library = loaded[name];
  if (!library) {
    std::string reason;
    void* handle = Open(name, reason);
    if (handle == nullptr) {
      loaded.erase(name);
      throw RunTimeError(error::kCannotLoadLibrary,
                         "The library " + name + " cannot be loaded: " + reason);
    }
    library.reset(new SharedLibrary(name, handle));
  }
  return *library;
}

void* SharedLibrary::Function(const char* symbol) const {
  void* function = Find(handle_, symbol);
  if (function == nullptr) {
    const std::string missing = "The library " + name_ + " has no function " + symbol;
    throw RunTimeError(error::kCannotLoadLibrary,
                       missing + ": it is not a version this program can use");
  }
  return function;
}

}  // namespace platform
