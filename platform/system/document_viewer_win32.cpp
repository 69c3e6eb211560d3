#include "platform/system/document_viewer.h"

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/system/windows_api.h"

namespace platform {

void OpenDocument(const std::string& path) {
  const std::wstring file = WideOfUtf8(path);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // ShellExecute's results above 32 are successes.
  if (result <= 32) {
    throw RunTimeError(error::kFileNotFound, "no program to show " + path +
                                                 " was found. The file is saved; open it with a "
                                                 "PDF viewer to print it.");
  }
}

}  // namespace platform
