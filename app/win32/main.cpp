// The Windows program: the window Kolvex and its message loop.
#include "app/win32/win32_main_window.h"
#include "app/window_design.h"
#include "platform/current_error.h"
#include "platform/system/path_text.h"
#include "platform/win32/twips.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  platform::win32::BecomeDpiAware();
  OleInitialize(nullptr);  // the clipboard, the dialogs and automation, on this thread
  // The list, the edit boxes and buttons, and the tooltips (a bar class).
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  int status = 1;
  try {
    if (const auto window = app::Win32MainWindow::Open({}, show)) {
      MSG message{};
      int got = 0;
      while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (window->PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      status = got == 0 ? static_cast<int>(message.wParam) : 1;
    }
  } catch (...) {
    MessageBoxW(nullptr, platform::WideOfUtf8(platform::CurrentError().Prompt()).c_str(),
                platform::WideOfUtf8(app::design::kTitle).c_str(), MB_OK | MB_ICONERROR);
  }
  OleUninitialize();
  return status;
}
