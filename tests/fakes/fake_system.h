// Fakes for the services a window's test leaves out, as a window system makes its own.
#pragma once

#include <functional>
#include <memory>

#include "app/window_frame.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_mouse_pointer.h"
#include "tests/fakes/fake_save_dialog.h"

namespace fakes {

struct FakeSystem : app::SystemServices {
  std::unique_ptr<platform::FileDialog> MakeFileDialog() override {
    return std::make_unique<FakeFileDialog>();
  }
  std::unique_ptr<platform::SaveDialog> MakeSaveDialog() override {
    return std::make_unique<FakeSaveDialog>();
  }
  std::unique_ptr<platform::MessageBox> MakeMessageBox() override {
    return std::make_unique<FakeMessageBox>();
  }
  std::unique_ptr<platform::MousePointer> MakeMousePointer() override {
    return std::make_unique<FakeMousePointer>();
  }
  std::unique_ptr<platform::Clipboard> MakeClipboard() override {
    return std::make_unique<FakeClipboard>();
  }
  std::function<void(int)> ExitProgram() override {
    return [](int) {};
  }
};

}  // namespace fakes
