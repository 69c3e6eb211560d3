// Shared libraries loaded when a run first needs them, for services that only some runs use:
// linking them to the program would make every run pay for loading them at its start.
#pragma once

#include <string>
#include <utility>

namespace platform {

// The library named `name`, a file name the system's loader looks for in its usual places
// ("libxlsxwriter.so.4", "xlsxwriter.dll"), loaded the first time it is asked for and kept for
// the rest of the run. Safe to call from several threads. Throws RunTimeError
// error::kCannotLoadLibrary, naming the library and giving the system's reason, when it cannot be
// loaded; a later call tries again.
class SharedLibrary {
 public:
  static const SharedLibrary& Get(const std::string& name);

  // The address of the function called `symbol`. Throws RunTimeError error::kCannotLoadLibrary
  // when the library has none.
  void* Function(const char* symbol) const;

 private:
  SharedLibrary(std::string name, void* handle) : name_(std::move(name)), handle_(handle) {}
  // The system's handle of the library `name`, or null with `reason` set. (per system)
  static void* Open(const std::string& name, std::string& reason);
  static void* Find(void* handle, const char* symbol);

  std::string name_;
  void* handle_;
};

}  // namespace platform
