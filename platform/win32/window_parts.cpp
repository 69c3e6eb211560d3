#include "platform/win32/window_parts.h"

#include <algorithm>
#include <optional>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/twips.h"

namespace platform::win32 {
namespace {

// The program's icon in its resources (app/kolvex.rc).
constexpr int kIconResource = 1;

std::optional<LOGFONTW> MessageFont(unsigned dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
  static const auto for_dpi = LaterUser32Function<ForDpi>("SystemParametersInfoForDpi");
  bool found = false;
  if (for_dpi != nullptr) {
    found = for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi) != FALSE;
  }
  if (!found && SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    const unsigned screen = DpiOf(nullptr);
    metrics.lfMessageFont.lfHeight =
        MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(screen));
    found = true;
  }
  if (!found) return std::nullopt;
  return metrics.lfMessageFont;
}

HICON ProgramIcon(int metric, unsigned dpi) {
  using MetricForDpi = int(WINAPI*)(int, UINT);
  static const auto for_dpi = LaterUser32Function<MetricForDpi>("GetSystemMetricsForDpi");
  const int size = for_dpi != nullptr ? for_dpi(metric, dpi) : GetSystemMetrics(metric);
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResource),
                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &window_class)) return;
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name;
  RegisterClassExW(&window_class);
}

HWND MakeChild(HWND parent, const wchar_t* window_class, const std::string& caption, DWORD style,
               DWORD extended_style, int id) {
  HWND control = CreateWindowExW(extended_style, window_class, WideOfUtf8(caption).c_str(),
                                 WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) throw RunTimeError(error::kOutOfMemory);
  return control;
}

HWND MakeToolTips(HWND owner) {
  return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr),
                         nullptr);
}

void AddToolTip(HWND tooltips, HWND owner, HWND control, const std::string& tip) {
  std::wstring text = WideOfUtf8(tip);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

SIZE OuterSize(SIZE inner, DWORD style, DWORD extended_style, bool menu, unsigned dpi) {
  RECT rect{0, 0, inner.cx, inner.cy};
  using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = LaterUser32Function<Adjust>("AdjustWindowRectExForDpi");
  if (adjust != nullptr) {
    adjust(&rect, style, menu, extended_style, dpi);
  } else {
    AdjustWindowRectEx(&rect, style, menu, extended_style);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

HFONT WindowSystemFont(unsigned dpi) {
  const std::optional<LOGFONTW> font = MessageFont(dpi);
  return font ? CreateFontIndirectW(&*font) : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void DeleteFont(HFONT& font) {
  if (font != nullptr && font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(font);
  font = nullptr;
}

ProgramIcons::~ProgramIcons() {
  for (HICON icon : {large_icon, small_icon}) {
    if (icon != nullptr) DestroyIcon(icon);
  }
}

void ProgramIcons::Apply(HWND window, unsigned dpi) {
  const HICON old_large = large_icon;
  const HICON old_small = small_icon;
  large_icon = ProgramIcon(SM_CXICON, dpi);
  small_icon = ProgramIcon(SM_CXSMICON, dpi);
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large_icon));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
  for (HICON icon : {old_large, old_small}) {
    if (icon != nullptr) DestroyIcon(icon);
  }
}

void StatusBarLine::SetText(const std::string& text) {
  SetWindowTextW(status_, WideOfUtf8(text).c_str());
}

int StatusHeight(HWND status) {
  RECT bar{};
  if (status == nullptr || (GetWindowLongW(status, GWL_STYLE) & WS_VISIBLE) == 0) return 0;
  if (!GetWindowRect(status, &bar)) return 0;
  return bar.bottom - bar.top;
}

InnerTwips InnerArea(HWND window, HWND status) {
  RECT inner{};
  if (IsIconic(window) || !GetClientRect(window, &inner)) return {};
  const unsigned dpi = DpiOf(window);
  // The status bar is drawn in the window's client area; the inner area ends above it.
  const LONG height = std::max<LONG>(inner.bottom - StatusHeight(status), 0);
  return {PixelsToTwips(inner.right, dpi), PixelsToTwips(height, dpi)};
}

bool SharedMessages::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam, HWND first,
                            LRESULT& result) {
  switch (message) {
    case WM_SETCURSOR:
      if (HCURSOR pointer = PointerOverride()) {
        SetCursor(pointer);
        result = TRUE;
        return true;
      }
      return false;
    case WM_ACTIVATE:
      // The focus goes back to the control that had it, without telling the form: activating
      // the window moves no focus within it.
      result = 0;
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) focus_before_deactivation_ = focus;
        return true;
      }
      // A control that already has the focus keeps it: under Wine the activation may come after
      // the click that caused it, which has put the focus where the click went.
      if (!HIWORD(wparam) && !IsChild(window, GetFocus())) {  // not minimised
        SetFocus(focus_before_deactivation_ != nullptr && IsWindow(focus_before_deactivation_)
                     ? focus_before_deactivation_
                     : first);
      }
      return true;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return false;  // the window lays itself out for the new resolution
    }
    default:
      return false;
  }
}

void StartWindowProgram() {
  BecomeDpiAware();
  OleInitialize(nullptr);
  // The list, the edit boxes, buttons and drop-down lists, and the status bar and tooltips (bar
  // classes).
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
}

int MessageLoop(bool (*pre_translate)(void* window, MSG& message), void* window) {
  MSG message{};
  int got = 0;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (pre_translate(window, message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

}  // namespace platform::win32
