#include "tests/win32/host_window.h"

#include <map>
#include <utility>

#include "platform/system/path_text.h"

namespace win32_test {
namespace {

constexpr wchar_t kHostClass[] = L"KolvexTestHost";

std::map<UINT_PTR, std::function<void(HWND)>>& Answers() {
  static std::map<UINT_PTR, std::function<void(HWND)>> answers;
  return answers;
}

HWND FindDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM result) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void CALLBACK AnswerWhenUp(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindDialog();
  if (dialog == nullptr) return;
  KillTimer(nullptr, timer);
  auto answer = std::move(Answers()[timer]);
  Answers().erase(timer);
  answer(dialog);
}

}  // namespace

HostWindow::HostWindow() {
  static const ATOM registered = [] {
    WNDCLASSEXW host{};
    host.cbSize = sizeof host;
    host.lpfnWndProc = &HostWindow::Procedure;
    host.hInstance = GetModuleHandleW(nullptr);
    host.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    host.lpszClassName = kHostClass;
    return RegisterClassExW(&host);
  }();
  (void)registered;
  window_ =
      CreateWindowExW(0, kHostClass, L"Kolvex test", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 800, 400, nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

HostWindow::~HostWindow() {
  on_message = nullptr;
  DestroyWindow(window_);
}

HWND HostWindow::AddChild(const wchar_t* window_class, DWORD style, DWORD extended_style) {
  return CreateWindowExW(extended_style, window_class, L"", WS_CHILD | WS_VISIBLE | style, 10, 10,
                         600, 300, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
}

LRESULT CALLBACK HostWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* host = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (host != nullptr && host->on_message) {
    if (const std::optional<LRESULT> result = host->on_message(message, wparam, lparam)) {
      return *result;
    }
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void WhenDialogShows(std::function<void(HWND dialog)> answer) {
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, &AnswerWhenUp);
  Answers()[timer] = std::move(answer);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::string TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int size = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(size > 0 ? size : 0));
  return platform::Utf8OfWide(text);
}

}  // namespace win32_test
