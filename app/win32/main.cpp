// The Windows program: the window Kolvex and its message loop.
#include "app/win32/win32_main_window.h"
#include "app/window_design.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  return platform::win32::RunWindowProgram(app::design::kTitle,
                                           [show] { return app::Win32MainWindow::Open({}, show); });
}
