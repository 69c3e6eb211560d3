// kolvex-probe: what the end-to-end test asks of the running Windows program, from outside it as
// another program on the same desktop. Each command waits for its condition up to a time limit
// and fails, saying what it waited for, when the time is up.
//   kolvex-probe window TITLE                the top-level window TITLE is up
//   kolvex-probe rows N                      the Kolvex window's list has N rows
//   kolvex-probe message                     prints the text of the Kolvex message box that is up
//   kolvex-probe press-ok                    presses OK on the Kolvex message box that is up
//   kolvex-probe clipboard FILE              writes the clipboard's text to FILE as UTF-8
//   kolvex-probe format NAME FILE            writes the clipboard's registered format NAME to FILE
//   kolvex-probe screenshot FILE.bmp         writes a picture of the Kolvex window
//   kolvex-probe text ID                     prints the text of control ID of the Kolvex window
//   kolvex-probe today                       prints today's BS date, as the calendar gives it
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "calendar/cdn_date.h"
#include "platform/system/date_services.h"
#include "platform/system/path_text.h"
#include "platform/system/windows_api.h"
#include "tests/win32/window_picture.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(120);

// Waits until `ready` gives true; false when the time is up.
template <typename Condition>
bool WaitFor(Condition ready) {
  const auto deadline = Clock::now() + kPatience;
  while (!ready()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// Asked of the window itself: GetWindowText gives only a caption for another program's window.
std::wstring TextOf(HWND window) {
  wchar_t text[4096] = {};
  SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
  return text;
}

// The visible top-level window of class `window_class` (any when empty) titled `title`.
HWND TopLevel(const std::wstring& title, const std::wstring& window_class = L"") {
  struct Search {
    std::wstring title, window_class;
    HWND found = nullptr;
  } search{title, window_class};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        if (!IsWindowVisible(window) || TextOf(window) != s.title) return TRUE;
        if (!s.window_class.empty() && ClassOf(window) != s.window_class) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Kolvex() { return TopLevel(L"Kolvex", L"KolvexWindow"); }
HWND MessageBoxUp() { return TopLevel(L"Kolvex", L"#32770"); }

int Fail(const std::string& what) {
  std::fprintf(stderr, "kolvex-probe: %s\n", what.c_str());
  return 1;
}

int Rows(int expected) {
  int rows = -1;
  const bool done = WaitFor([&] {
    HWND window = Kolvex();
    HWND list = window != nullptr ? GetDlgItem(window, 100) : nullptr;
    rows = list != nullptr ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
    return rows == expected;
  });
  if (!done) {
    return Fail("the list has " + std::to_string(rows) + " rows, not " + std::to_string(expected));
  }
  return 0;
}

int Clipboard(const std::wstring& file) {
  std::wstring text;
  const bool done = WaitFor([&] {
    if (!OpenClipboard(nullptr)) return false;
    HANDLE memory = GetClipboardData(CF_UNICODETEXT);
    const auto* locked =
        memory != nullptr ? static_cast<const wchar_t*>(GlobalLock(memory)) : nullptr;
    if (locked != nullptr) {
      text.assign(locked, wcsnlen(locked, GlobalSize(memory) / sizeof(wchar_t)));
      GlobalUnlock(memory);
    }
    CloseClipboard();
    return locked != nullptr;
  });
  if (!done) return Fail("the clipboard holds no text");
  std::ofstream(std::filesystem::path(file), std::ios::binary) << platform::Utf8OfWide(text);
  return 0;
}

int Format(const std::wstring& name, const std::wstring& file) {
  const UINT format = RegisterClipboardFormatW(name.c_str());
  std::string bytes;
  const bool done = WaitFor([&] {
    if (!OpenClipboard(nullptr)) return false;
    HANDLE memory = GetClipboardData(format);
    const auto* locked = memory != nullptr ? static_cast<const char*>(GlobalLock(memory)) : nullptr;
    if (locked != nullptr) {
      bytes.assign(locked, GlobalSize(memory));
      GlobalUnlock(memory);
    }
    CloseClipboard();
    return locked != nullptr;
  });
  if (!done) return Fail("the clipboard holds no " + platform::Utf8OfWide(name));
  std::ofstream(std::filesystem::path(file), std::ios::binary) << bytes;
  return 0;
}

int Screenshot(const std::wstring& file) {
  HWND window = Kolvex();
  if (window == nullptr) return Fail("no Kolvex window");
  return win32_test::SaveWindowPicture(window, file) ? 0 : Fail("the picture could not be written");
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  const std::vector<std::wstring> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == L"window") {
    return WaitFor([&] { return TopLevel(args[1]) != nullptr; })
               ? 0
               : Fail("no window " + platform::Utf8OfWide(args[1]));
  }
  if (args.size() == 2 && args[0] == L"rows") return Rows(std::stoi(args[1]));
  if (args.size() == 1 && (args[0] == L"message" || args[0] == L"press-ok")) {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = MessageBoxUp()) != nullptr; })) return Fail("no message box");
    if (args[0] == L"press-ok") {
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
      return WaitFor([&] { return !IsWindow(box); }) ? 0 : Fail("the message box stays");
    }
    std::printf("%s\n", platform::Utf8OfWide(TextOf(GetDlgItem(box, 0xFFFF))).c_str());
    return 0;
  }
  if (args.size() == 2 && args[0] == L"clipboard") return Clipboard(args[1]);
  if (args.size() == 3 && args[0] == L"format") return Format(args[1], args[2]);
  if (args.size() == 2 && args[0] == L"text") {
    HWND window = Kolvex();
    if (window == nullptr) return Fail("no Kolvex window");
    std::printf("%s\n",
                platform::Utf8OfWide(TextOf(GetDlgItem(window, std::stoi(args[1])))).c_str());
    return 0;
  }
  if (args.size() == 1 && args[0] == L"today") {
    std::printf("%s\n", cdnDate::AdToBs(platform::DateToText(platform::Today())).c_str());
    return 0;
  }
  if (args.size() == 2 && args[0] == L"screenshot") return Screenshot(args[1]);
  return Fail(
      "usage: kolvex-probe window TITLE | rows N | message | press-ok | clipboard FILE | "
      "format NAME FILE | screenshot FILE.bmp | text ID | today");
}
