// The Windows program Kolvex Bills: its window and message loop.
#include "app/bills/bills_design.h"
#include "app/bills/win32/win32_bills_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  return platform::win32::RunWindowProgram(
      bills::design::kTitle, [show] { return bills::Win32BillsWindow::Open({}, show); });
}
