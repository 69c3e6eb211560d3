// What the Windows tests share: a hidden top-level window that holds the controls under test and
// passes their notifications on, and the real modal dialogs answered as soon as they are up.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/system/windows_api.h"

namespace win32_test {

// A top-level window, hidden unless shown, whose messages go to `on_message` first.
class HostWindow {
 public:
  HostWindow();
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND window() const { return window_; }
  // A child control of `window_class` with `style` besides WS_CHILD | WS_VISIBLE.
  HWND AddChild(const wchar_t* window_class, DWORD style, DWORD extended_style = 0);

  std::function<std::optional<LRESULT>(UINT message, WPARAM, LPARAM)> on_message;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  HWND window_;
};

// Runs `answer` with the next dialog of this thread (a message box or a common dialog) once it
// is up, from inside the dialog's own message loop.
void WhenDialogShows(std::function<void(HWND dialog)> answer);

// Handles the messages waiting for this thread's windows, then returns.
void PumpMessages();

// The window's text and a dialog control's text, as UTF-8.
std::string TextOf(HWND window);

}  // namespace win32_test
