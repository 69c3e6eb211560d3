// A control of a window: its name, its position and size in twips as set, and its text when it
// has one. The child window's pixel geometry follows from the twips at the resolution of the
// monitor the window is on, so reading back gives exactly what was set.
#pragma once

#include <string>

#include "platform/controls/placed_control.h"
#include "platform/system/windows_api.h"

namespace platform::win32 {

class Win32Control : public PlacedControl {
 public:
  // `text` may be null for a control without text. The window is placed at once.
  Win32Control(HWND window, std::string name, Twips twips, TextBox* text = nullptr);

  std::string Name() const override { return name_; }
  void Place() override;

  HWND window() const { return window_; }

 private:
  HWND window_;
  std::string name_;
};

}  // namespace platform::win32
