#include "tests/win32/window_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/system/path_text.h"
#include "platform/win32/twips.h"

namespace win32_test {
namespace {

// Key and button messages taken from this thread's queue, by the driver's loop or by any other,
// such as a menu's: each input the driver sends comes back as one of them.
int input_taken = 0;

bool IsKeyOrButton(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK CountInputTaken(int code, WPARAM removed, LPARAM message) {
  if (code == HC_ACTION && removed == PM_REMOVE &&
      IsKeyOrButton(reinterpret_cast<const MSG*>(message)->message)) {
    ++input_taken;
  }
  return CallNextHookEx(nullptr, code, removed, message);
}

bool IsKeyOrButtonInput(const INPUT& input) {
  return input.type == INPUT_KEYBOARD ||
         (input.type == INPUT_MOUSE &&
          (input.mi.dwFlags & (MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP)) != 0);
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

// A mouse input at `at` on the screen: the input carries its own place, so a late report of an
// earlier place of the pointer cannot move where it lands.
INPUT MouseInput(DWORD flags, POINT at) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1, 1);
  const int height = std::max(GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1, 1);
  input.mi.dx = MulDiv(at.x - left, 65535, width);
  input.mi.dy = MulDiv(at.y - top, 65535, height);
  return input;
}

// The width of the control's frame at its left, outside its client area.
int FrameWidth(HWND control) {
  RECT outer{};
  GetWindowRect(control, &outer);
  POINT inner{0, 0};
  ClientToScreen(control, &inner);
  return inner.x - outer.left;
}

bool IsToolTips(HWND window) {
  wchar_t kind[32] = {};
  GetClassNameW(window, kind, 32);
  return std::wstring(kind) == TOOLTIPS_CLASSW;
}

std::vector<std::string> MenuItems(HMENU menu) {
  std::vector<std::string> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    items.push_back(platform::Utf8OfWide(text));
  }
  return items;
}

}  // namespace

std::unique_ptr<contract::WindowDriver> OpenWindow(app::WindowServices services) {
  return std::make_unique<WindowDriver>(std::move(services));
}

WindowDriver::WindowDriver(app::WindowServices services)
    : window_(app::Win32MainWindow::Open(std::move(services), SW_SHOWNORMAL)) {
  static const HHOOK counting =
      SetWindowsHookExW(WH_GETMESSAGE, CountInputTaken, nullptr, GetCurrentThreadId());
  (void)counting;
  if (!window_) return;
  SetForegroundWindow(window_->window());
  Pump();
  AwaitActive();
}

void WindowDriver::AwaitActive() {
  // Under Wine the window becomes the active one when the X server says so, some time after it
  // is asked to: a click before that is taken from it by the activation that follows.
  const ULONGLONG deadline = GetTickCount64() + 10000;
  while (GetForegroundWindow() != window_->window() && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    Pump();
  }
}

void WindowDriver::Send(std::vector<INPUT>& inputs) {
  const int sent =
      static_cast<int>(std::count_if(inputs.begin(), inputs.end(), IsKeyOrButtonInput));
  const int awaited = input_taken + sent;
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  inputs.clear();
  // Under Wine input goes round through the X server and comes back when it will: on a busy
  // machine long after SendInput returns. The loop runs until every key and button is back, so
  // what the test looks at next is what the input did; the deadline only ends a failing test.
  const ULONGLONG deadline = GetTickCount64() + 20000;
  Pump();
  while (input_taken < awaited && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    Pump();
  }
}

void WindowDriver::Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (StaleMove(message)) continue;
    if (window_ && window_->PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::string WindowDriver::Focused() {
  HWND focus = GetFocus();
  for (const char* name : {"ListView1", "TxtFile", "Label1", "CmdBrowse", "TxtFrom", "TxtTo"}) {
    if (Hwnd(name) == focus) return name;
  }
  return "";
}

void WindowDriver::Enter(const char* name) {
  SetFocus(Hwnd(name));
  Pump();
}

std::vector<std::string> WindowDriver::DataMenu() {
  return MenuItems(GetSubMenu(GetMenu(window_->window()), 0));
}

void WindowDriver::ChooseDataItem(const std::string& shown) {
  const std::vector<std::string> items = DataMenu();
  const auto found = std::find(items.begin(), items.end(), shown);
  ASSERT_NE(found, items.end()) << shown;
  std::vector<Key> keys = {{'D', false, false, true}};
  keys.insert(keys.end(), static_cast<std::size_t>(found - items.begin()), Key{VK_DOWN});
  keys.push_back({VK_RETURN});
  PressKeys(keys);
}

void WindowDriver::Press(std::initializer_list<Key> keys) { PressKeys(keys); }

void WindowDriver::PressKeys(const std::vector<Key>& keys) {
  std::vector<INPUT> inputs;
  for (const Key& key : keys) {
    const std::pair<bool, WORD> modifiers[] = {
        {key.control, VK_CONTROL}, {key.shift, VK_SHIFT}, {key.alt, VK_MENU}};
    for (const auto& [held, modifier] : modifiers) {
      if (held) inputs.push_back(KeyInput(modifier, false));
    }
    inputs.push_back(KeyInput(key.key, false));
    inputs.push_back(KeyInput(key.key, true));
    for (const auto& [held, modifier] : modifiers) {
      if (held) inputs.push_back(KeyInput(modifier, true));
    }
  }
  Send(inputs);
  Pump();
}

void WindowDriver::Type(std::string_view text) {
  std::vector<INPUT> inputs;
  for (const wchar_t c : platform::WideOfUtf8(text)) {
    for (const bool up : {false, true}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(input);
    }
  }
  Send(inputs);
  Pump();
}

bool WindowDriver::StaleMove(const MSG& message) const {
  return (message.message == WM_MOUSEMOVE || message.message == WM_NCMOUSEMOVE) && pointer_ &&
         (message.pt.x != pointer_->x || message.pt.y != pointer_->y);
}

void WindowDriver::Click(const char* name, int x, int to_x) {
  HWND control = Hwnd(name);
  RECT area{};
  GetClientRect(control, &area);
  const int y = area.bottom / 2;
  // The pointer is put in place, then moved on the spot, so the control hears of it as of a move.
  const auto move_to = [control, y, this](int at_x) {
    POINT at{at_x - FrameWidth(control), y};
    ClientToScreen(control, &at);
    pointer_ = at;
    SetCursorPos(at.x, at.y);
    std::vector<INPUT> moved{MouseInput(MOUSEEVENTF_MOVE, at)};
    Send(moved);
    Pump();
  };
  // A button goes down or up where the driver put the pointer, even when a late report of an
  // earlier place has moved Windows' pointer since: the input moves the pointer there itself
  // (Windows takes an input's place only with MOUSEEVENTF_MOVE). Without it, a press could land
  // where the last click landed, and Windows would make a double click of the two.
  const auto button = [this](DWORD flags) {
    std::vector<INPUT> inputs{MouseInput(flags | MOUSEEVENTF_MOVE, *pointer_)};
    Send(inputs);
    Pump();
  };
  // A tip the pointer's rest brings up over a box would take the click, as it does in Wine: on a
  // busy machine the rest between the move and the button can be long enough for one. The tips
  // are put away and kept from coming up until the click is done.
  const auto tips = [](BOOL active) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND tip, LPARAM on) -> BOOL {
          if (IsToolTips(tip)) {
            SendMessageW(tip, TTM_POP, 0, 0);
            SendMessageW(tip, TTM_ACTIVATE, static_cast<WPARAM>(on), 0);
          }
          return TRUE;
        },
        active);
  };
  tips(FALSE);
  AwaitActive();
  move_to(x);
  button(MOUSEEVENTF_LEFTDOWN);
  if (to_x >= 0) {
    for (int step = 1; step <= 4; ++step) move_to(x + (to_x - x) * step / 4);
  }
  button(MOUSEEVENTF_LEFTUP);
  tips(TRUE);
  // The control clicked takes the focus; under Wine the click may reach the window some time
  // after its button messages were taken, so the loop runs until it has.
  const ULONGLONG deadline = GetTickCount64() + 10000;
  while (GetFocus() != control && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    Pump();
  }
}

void WindowDriver::ClickBrowse() { Click("CmdBrowse", Pixels("CmdBrowse")[2] / 2); }

int WindowDriver::Before(const char* name, int position) {
  const auto at = static_cast<DWORD>(SendMessageW(Hwnd(name), EM_POSFROMCHAR, position, 0));
  return static_cast<short>(LOWORD(at)) + 1 + FrameWidth(Hwnd(name));
}

void WindowDriver::ActivateOtherWindow() {
  other_.emplace();
  ShowWindow(other_->window(), SW_SHOW);
  SetForegroundWindow(other_->window());
  Pump();
}

void WindowDriver::ActivateWindow() {
  SetForegroundWindow(window_->window());
  Pump();
  other_.reset();
}

std::string WindowDriver::Title() { return TextOf(window_->window()); }

std::string WindowDriver::Caption(const char* name) { return TextOf(Hwnd(name)); }

std::string WindowDriver::ToolTip(const char* name) {
  HWND tips = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND candidate, LPARAM found) -> BOOL {
        if (!IsToolTips(candidate)) return TRUE;
        *reinterpret_cast<HWND*>(found) = candidate;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&tips));
  if (tips == nullptr) return "";
  wchar_t text[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window_->window();
  tool.uId = reinterpret_cast<UINT_PTR>(Hwnd(name));
  tool.lpszText = text;
  SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
  return platform::Utf8OfWide(text);
}

std::vector<std::string> WindowDriver::MenuBar() { return MenuItems(GetMenu(window_->window())); }

std::pair<int, int> WindowDriver::Inner() {
  // The status bar along the bottom of the client area lies outside the inner area.
  RECT inner{}, status{};
  GetClientRect(window_->window(), &inner);
  GetWindowRect(window_->StatusWindow(), &status);
  return {inner.right, inner.bottom - (status.bottom - status.top)};
}

void WindowDriver::SetInner(int width, int height) {
  RECT outer{};
  GetWindowRect(window_->window(), &outer);
  const auto [inner_width, inner_height] = Inner();
  SetWindowPos(window_->window(), nullptr, 0, 0, outer.right - outer.left + width - inner_width,
               outer.bottom - outer.top + height - inner_height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
}

void WindowDriver::Minimise() {
  ShowWindow(window_->window(), SW_MINIMIZE);
  Pump();
}

void WindowDriver::Restore() {
  ShowWindow(window_->window(), SW_RESTORE);
  Pump();
}

std::string WindowDriver::StatusLine() {
  wchar_t text[1024] = {};
  GetWindowTextW(window_->StatusWindow(), text, 1024);
  return platform::Utf8OfWide(text);
}

double WindowDriver::TwipsPerPixel() {
  return platform::win32::TwipsPerPixel(platform::win32::DpiOf(window_->window()));
}

std::array<int, 4> WindowDriver::Pixels(const char* name) {
  RECT place{};
  GetWindowRect(Hwnd(name), &place);
  MapWindowPoints(nullptr, window_->window(), reinterpret_cast<POINT*>(&place), 2);
  return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

}  // namespace win32_test
