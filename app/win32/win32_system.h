// The services Windows gives a window of the programs: its dialogs and message box (titled with
// the program's name), the mouse pointer, the clipboard, and the end of the message loop.
#pragma once

#include <memory>

#include "app/window_frame.h"
#include "platform/system/windows_api.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/dialogs.h"

namespace app {

class Win32System : public SystemServices {
 public:
  Win32System(HWND window, const char* title) : window_(window), title_(title) {}
  std::unique_ptr<platform::FileDialog> MakeFileDialog() override {
    return std::make_unique<platform::win32::Win32FileDialog>(window_);
  }
  std::unique_ptr<platform::SaveDialog> MakeSaveDialog() override {
    return std::make_unique<platform::win32::Win32SaveDialog>(window_);
  }
  std::unique_ptr<platform::MessageBox> MakeMessageBox() override {
    return std::make_unique<platform::win32::Win32MessageBox>(window_, title_);
  }
  std::unique_ptr<platform::MousePointer> MakeMousePointer() override {
    return std::make_unique<platform::win32::Win32MousePointer>();
  }
  std::unique_ptr<platform::Clipboard> MakeClipboard() override {
    return std::make_unique<platform::win32::Win32Clipboard>();
  }
  std::function<void(int)> ExitProgram() override {
    return [](int status) { PostQuitMessage(status); };
  }

 private:
  HWND window_;
  const char* title_;
};

}  // namespace app
