// The services Qt gives a window of the programs: its dialogs and message box, the mouse pointer,
// the clipboard, and the end of the event loop.
#pragma once

#include <QCoreApplication>
#include <QWidget>
#include <memory>

#include "app/window_frame.h"
#include "platform/qt/clipboard.h"
#include "platform/qt/dialogs.h"

namespace app {

class QtSystem : public SystemServices {
 public:
  explicit QtSystem(QWidget& window) : window_(window) {}
  std::unique_ptr<platform::FileDialog> MakeFileDialog() override {
    return std::make_unique<platform::qt::QtFileDialog>(&window_);
  }
  std::unique_ptr<platform::SaveDialog> MakeSaveDialog() override {
    return std::make_unique<platform::qt::QtSaveDialog>(&window_);
  }
  std::unique_ptr<platform::MessageBox> MakeMessageBox() override {
    return std::make_unique<platform::qt::QtMessageBox>(&window_);
  }
  std::unique_ptr<platform::MousePointer> MakeMousePointer() override {
    return std::make_unique<platform::qt::QtMousePointer>();
  }
  std::unique_ptr<platform::Clipboard> MakeClipboard() override {
    return std::make_unique<platform::qt::QtClipboard>();
  }
  std::function<void(int)> ExitProgram() override { return &QCoreApplication::exit; }

 private:
  QWidget& window_;
};

}  // namespace app
