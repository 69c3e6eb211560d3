// The Windows window tests run against real windows on the desktop they are started on (under
// Wine, an X display of their own). Started with --record-arguments FILE, the program instead
// writes the arguments after FILE to it, one a line, as a program started by the tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/system/path_text.h"
#include "platform/system/windows_api.h"

namespace {

int RecordArguments() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count < 3) return 2;
  const std::filesystem::path record(arguments[2]);
  std::filesystem::path partial = record;
  partial += L".partial";
  {
    std::ofstream out(partial, std::ios::binary);
    for (int i = 3; i < count; ++i) out << platform::Utf8OfWide(arguments[i]) << '\n';
  }
  std::filesystem::rename(partial, record);
  LocalFree(arguments);
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc >= 2 && std::string(argv[1]) == "--record-arguments") return RecordArguments();
  testing::InitGoogleTest(&argc, argv);
  // The list, the edit boxes and buttons, and the tooltips (a bar class).
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);
  const int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
