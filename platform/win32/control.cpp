#include "platform/win32/control.h"

#include <utility>

#include "platform/win32/twips.h"

namespace platform::win32 {

Win32Control::Win32Control(HWND window, std::string name, Twips twips, TextBox* text)
    : PlacedControl(twips, text), window_(window), name_(std::move(name)) {
  Place();
}

void Win32Control::Place() {
  const unsigned dpi = DpiOf(window_);
  MoveWindow(window_, TwipsToPixels(twips().left, dpi), TwipsToPixels(twips().top, dpi),
             TwipsToPixels(twips().width, dpi), TwipsToPixels(twips().height, dpi), TRUE);
}

}  // namespace platform::win32
