// What a window of either window system takes from outside: the services it would otherwise make
// itself, so tests can give fakes.
#pragma once

#include <functional>

#include "platform/automation.h"
#include "platform/clipboard.h"
#include "platform/db/provider.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/mouse_pointer.h"

namespace app {

// Any service left null is the real one: the system's Open dialog, message box and pointer, the
// system clipboard, the spreadsheet program and the .dbf provider. Whatever is given must outlive
// the window.
struct WindowServices {
  platform::FileDialog* CD = nullptr;
  platform::MessageBox* message_box = nullptr;
  platform::MousePointer* pointer = nullptr;
  platform::Clipboard* clipboard = nullptr;
  platform::ObjectFactory* spreadsheet = nullptr;
  platform::db::Provider* provider = nullptr;
  // Ends the program's event loop with a status: after an error no handler took, and on Windows
  // when the user closes the window. Empty: the window system's own (QCoreApplication::exit,
  // PostQuitMessage).
  std::function<void(int)> exit_program;
};

}  // namespace app
