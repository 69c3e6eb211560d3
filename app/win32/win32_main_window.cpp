#include "app/win32/win32_main_window.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/window_design.h"
#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/system/spreadsheet_application.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/control.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/list_view.h"
#include "platform/win32/text_box.h"
#include "platform/win32/twips.h"

namespace app {
namespace {

using platform::win32::Win32Control;

constexpr wchar_t kWindowClass[] = L"KolvexWindow";
// The program's icon in its resources (app/kolvex.rc).
constexpr int kIconResource = 1;
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExtendedStyle = WS_EX_CONTROLPARENT;

// A function of user32.dll that only later Windows versions have, or null where it does not exist.
template <typename Function>
Function LaterUser32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// The outer size of a window of our style and menu whose inner area is `inner` pixels.
SIZE OuterSize(SIZE inner, unsigned dpi) {
  RECT rect{0, 0, inner.cx, inner.cy};
  using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = LaterUser32Function<Adjust>("AdjustWindowRectExForDpi");
  if (adjust != nullptr) {
    adjust(&rect, kStyle, TRUE, kExtendedStyle, dpi);
  } else {
    AdjustWindowRectEx(&rect, kStyle, TRUE, kExtendedStyle);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// The font `family` at the controls' size for `dpi`, in the Western character set, normal weight:
// Windows gives the nearest it has (for the bitmap "MS Sans Serif", its TrueType substitute where
// the system names one).
HFONT NamedFont(const wchar_t* family, unsigned dpi) {
  return CreateFontW(platform::win32::FontHeight(design::kNamedFontPoints, dpi), 0, 0, 0, FW_NORMAL,
                     FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, family);
}

// The font Windows gives its message boxes and dialogs at `dpi`, the window system's default; or
// nothing when Windows does not say.
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
    const unsigned screen = platform::win32::DpiOf(nullptr);
    metrics.lfMessageFont.lfHeight =
        MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(screen));
    found = true;
  }
  if (!found) return std::nullopt;
  return metrics.lfMessageFont;
}

HFONT WindowSystemFont(unsigned dpi) {
  const std::optional<LOGFONTW> font = MessageFont(dpi);
  return font ? CreateFontIndirectW(&*font) : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void DeleteFont(HFONT& font) {
  if (font != nullptr && font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(font);
  font = nullptr;
}

HICON ProgramIcon(int metric, unsigned dpi) {
  using MetricForDpi = int(WINAPI*)(int, UINT);
  static const auto for_dpi = LaterUser32Function<MetricForDpi>("GetSystemMetricsForDpi");
  const int size = for_dpi != nullptr ? for_dpi(metric, dpi) : GetSystemMetrics(metric);
  auto* icon =
      static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResource),
                                    IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  return icon;
}

void RegisterWindowClass(WNDPROC procedure) {
  static const ATOM registered = [procedure] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kWindowClass;
    return RegisterClassExW(&window_class);
  }();
  (void)registered;
}

// The status bar's one part. It may show less than its text when the window is narrow.
class StatusBarLine : public platform::StatusLine {
 public:
  explicit StatusBarLine(HWND status) : status_(status) {}
  void SetText(const std::string& text) override {
    SetWindowTextW(status_, platform::WideOfUtf8(text).c_str());
  }

 private:
  HWND status_;
};

// The services Windows gives the window.
class Win32Services : public SystemServices {
 public:
  explicit Win32Services(HWND window) : window_(window) {}
  std::unique_ptr<platform::FileDialog> MakeFileDialog() override {
    return std::make_unique<platform::win32::Win32FileDialog>(window_);
  }
  std::unique_ptr<platform::MessageBox> MakeMessageBox() override {
    return std::make_unique<platform::win32::Win32MessageBox>(window_, design::kTitle);
  }
  std::unique_ptr<platform::MousePointer> MakeMousePointer() override {
    return std::make_unique<platform::win32::Win32MousePointer>();
  }
  std::unique_ptr<platform::Clipboard> MakeClipboard(
      const platform::ObjectFactory& spreadsheet) override {
    // The clipboard's forms follow the program the export starts: Calc gets SYLK, not HTML.
    return std::make_unique<platform::win32::Win32Clipboard>([&spreadsheet] {
      const auto* application =
          dynamic_cast<const platform::SpreadsheetApplicationFactory*>(&spreadsheet);
      return application != nullptr && application->StartsCalc();
    });
  }
  std::function<void(int)> ExitProgram() override {
    return [](int status) { PostQuitMessage(status); };
  }

 private:
  HWND window_;
};

}  // namespace

Win32MainWindow::Win32MainWindow(WindowServices services) : CommonWindow(std::move(services)) {
  RegisterWindowClass(&Win32MainWindow::Procedure);
  window_ =
      CreateWindowExW(kExtendedStyle, kWindowClass, platform::WideOfUtf8(design::kTitle).c_str(),
                      kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                      nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) {
    throw platform::RunTimeError(platform::error::kOutOfMemory);
  }
  Win32Services system(window_);
  MakeMissingServices(system);

  BuildControls();
  BuildMenu();
  MakeForm(*list_, status_line_.get());
  ConnectEvents();
  ApplyResolution();
  SizeToStart();
}

Win32MainWindow::~Win32MainWindow() {
  // The controls' adapters go before their windows; keep their messages away from the form.
  for (const std::unique_ptr<platform::win32::FocusEdit>& edit : edits_) {
    edit->on_got_focus = nullptr;
    edit->on_lost_focus = nullptr;
    edit->on_error = nullptr;
  }
  form_.reset();
  texts_.clear();
  edits_.clear();
  list_.reset();
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (tooltips_ != nullptr) DestroyWindow(tooltips_);
  if (keys_ != nullptr) DestroyAcceleratorTable(keys_);
  for (HICON icon : {big_icon_, small_icon_}) {
    if (icon != nullptr) DestroyIcon(icon);
  }
  DeleteFont(window_font_);
  for (auto& [family, font] : named_fonts_) DeleteFont(font);
}

std::unique_ptr<Win32MainWindow> Win32MainWindow::Open(WindowServices services, int show) {
  auto window = std::make_unique<Win32MainWindow>(std::move(services));
  if (!window->Load()) return nullptr;
  ShowWindow(window->window_, show);
  UpdateWindow(window->window_);
  SetFocus(window->ControlWindow("ListView1"));
  return window;
}

platform::ListView& Win32MainWindow::list() { return *list_; }

HWND Win32MainWindow::ControlWindow(const std::string& name) const {
  const auto* control = static_cast<const Win32Control*>(FindControl(name));
  return control == nullptr ? nullptr : control->window();
}

float Win32MainWindow::ScaleWidth() const {
  RECT inner{};
  if (IsIconic(window_) || !GetClientRect(window_, &inner)) return 0;
  return platform::win32::PixelsToTwips(inner.right, platform::win32::DpiOf(window_));
}

float Win32MainWindow::ScaleHeight() const {
  RECT inner{};
  if (IsIconic(window_) || !GetClientRect(window_, &inner)) return 0;
  // The status bar is drawn in the window's client area; the inner area ends above it.
  const LONG height = std::max<LONG>(inner.bottom - StatusHeight(), 0);
  return platform::win32::PixelsToTwips(height, platform::win32::DpiOf(window_));
}

int Win32MainWindow::StatusHeight() const {
  RECT bar{};
  if (status_ == nullptr || (GetWindowLongW(status_, GWL_STYLE) & WS_VISIBLE) == 0) return 0;
  if (!GetWindowRect(status_, &bar)) return 0;
  return bar.bottom - bar.top;
}

bool Win32MainWindow::PreTranslate(MSG& message) {
  if (window_ == nullptr) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (TranslateAcceleratorW(window_, keys_, &message)) return true;
  return IsDialogMessageW(window_, &message) != FALSE;
}

void Win32MainWindow::BuildControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto make = [&](const wchar_t* window_class, const char* caption, DWORD style,
                        DWORD extended_style, int id) {
    HWND control =
        CreateWindowExW(extended_style, window_class, platform::WideOfUtf8(caption).c_str(),
                        WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (control == nullptr) throw platform::RunTimeError(platform::error::kOutOfMemory);
    return control;
  };
  tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
  const platform::InputMask date_mask(design::kDateMask, design::kDatePrompt);
  // Made in the tab order: Windows moves the focus with Tab in the order the controls were made.
  int id = kFirstControl;
  for (const design::ControlDesign& design : design::kControls) {
    HWND control = nullptr;
    platform::TextBox* text = nullptr;
    switch (design.kind) {
      case design::ControlKind::kListView:
        control = make(WC_LISTVIEWW, "",
                       WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                       WS_EX_CLIENTEDGE, id);
        list_ = std::make_unique<platform::win32::Win32ListView>(control);
        break;
      case design::ControlKind::kTextBox:
      case design::ControlKind::kMaskedBox:
        control = make(WC_EDITW, "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, id);
        edits_.push_back(std::make_unique<platform::win32::FocusEdit>(control));
        if (design.kind == design::ControlKind::kTextBox) {
          texts_.push_back(std::make_unique<platform::win32::Win32TextBox>(control));
        } else {
          texts_.push_back(
              std::make_unique<platform::win32::Win32MaskedBox>(*edits_.back(), date_mask));
        }
        text = texts_.back().get();
        break;
      case design::ControlKind::kLabel:
        control = make(WC_STATICW, design.caption, SS_LEFT | SS_NOPREFIX, 0, id);
        break;
      case design::ControlKind::kButton:
        control = make(WC_BUTTONW, design.caption, WS_TABSTOP | BS_PUSHBUTTON, 0, id);
        break;
    }
    ++id;
    AddControl(design.name,
               std::make_unique<Win32Control>(control, design.name, design.twips, text));
    if (design.tip != nullptr) {
      std::wstring tip = platform::WideOfUtf8(design.tip);
      TTTOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      tool.hwnd = window_;
      tool.uId = reinterpret_cast<UINT_PTR>(control);
      tool.lpszText = tip.data();
      SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
  // Last, and outside the tab order.
  status_ = make(STATUSCLASSNAMEW, "", SBARS_SIZEGRIP, 0, kStatusLine);
  status_line_ = std::make_unique<StatusBarLine>(status_);
}

void Win32MainWindow::BuildMenu() {
  // The menu shows "Data" with the D underlined, and Alt+D opens it. Each command's key is shown
  // after a tab, as Windows menus show keys.
  menu_ = CreateMenu();
  HMENU data = CreatePopupMenu();
  std::vector<ACCEL> command_keys;
  int id = kFirstCommand;
  for (const design::MenuItemDesign& item : design::kDataMenu) {
    const std::string shown = std::string(item.caption) + "\tCtrl+" + item.ctrl_key;
    AppendMenuW(data, MF_STRING, static_cast<UINT_PTR>(id), platform::WideOfUtf8(shown).c_str());
    command_keys.push_back(
        {FVIRTKEY | FCONTROL, static_cast<WORD>(item.ctrl_key), static_cast<WORD>(id)});
    ++id;
  }
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(data),
              platform::WideOfUtf8(design::kMenuCaption).c_str());
  SetMenu(window_, menu_);
  keys_ = CreateAcceleratorTableW(command_keys.data(), static_cast<int>(command_keys.size()));
}

void Win32MainWindow::ConnectEvents() {
  const auto report = [this] { ReportAndExit(); };
  // Runs the form's `handler`, inside the guard.
  const auto run = [this](design::Handler handler) -> std::function<void()> {
    if (handler == nullptr) return nullptr;
    return [this, handler] { Guarded([this, handler] { (form_.get()->*handler)(); }); };
  };
  std::size_t edit = 0;
  for (const design::ControlDesign& design : design::kControls) {
    if (design.kind != design::ControlKind::kTextBox &&
        design.kind != design::ControlKind::kMaskedBox) {
      continue;
    }
    platform::win32::FocusEdit& box = *edits_[edit++];
    box.on_got_focus = run(design.got_focus);
    box.on_lost_focus = run(design.lost_focus);
    box.on_error = report;
  }
}

void Win32MainWindow::ApplyResolution() {
  const unsigned dpi = platform::win32::DpiOf(window_);
  HFONT old_window_font = window_font_;
  std::map<std::string, HFONT> old_fonts = std::move(named_fonts_);
  named_fonts_.clear();
  window_font_ = WindowSystemFont(dpi);
  for (const design::ControlDesign& design : design::kControls) {
    HFONT font = window_font_;
    if (design.font != nullptr) {
      HFONT& named = named_fonts_[design.font];
      if (named == nullptr) named = NamedFont(platform::WideOfUtf8(design.font).c_str(), dpi);
      font = named;
    }
    SendMessageW(ControlWindow(design.name), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  SendMessageW(tooltips_, WM_SETFONT, reinterpret_cast<WPARAM>(window_font_), TRUE);
  SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(window_font_), TRUE);
  SendMessageW(status_, WM_SIZE, 0, 0);  // its height follows its font
  DeleteFont(old_window_font);
  for (auto& [family, font] : old_fonts) DeleteFont(font);
  PlaceControls();
  list_->Rescale();

  for (HICON icon : {big_icon_, small_icon_}) {
    if (icon != nullptr) DestroyIcon(icon);
  }
  big_icon_ = ProgramIcon(SM_CXICON, dpi);
  small_icon_ = ProgramIcon(SM_CXSMICON, dpi);
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
}

void Win32MainWindow::SizeToStart() {
  const unsigned dpi = platform::win32::DpiOf(window_);
  SendMessageW(status_, WM_SIZE, 0, 0);
  const SIZE outer =
      OuterSize({platform::win32::TwipsToPixels(design::kStartWidth, dpi),
                 platform::win32::TwipsToPixels(design::kStartHeight, dpi) + StatusHeight()},
                dpi);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32MainWindow::Procedure(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    auto* self = static_cast<Win32MainWindow*>(create->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  try {
    return self->Handle(message, wparam, lparam);
  } catch (...) {
    self->ReportAndExit();
    return 0;
  }
}

LRESULT Win32MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      // The status bar takes its place along the bottom first, so the inner area is known.
      if (status_ != nullptr) SendMessageW(status_, WM_SIZE, 0, 0);
      // Minimising sends a size too: the layout hears of it, with 0 x 0, and lays out the
      // restored size when the window comes back. The window may be made as small as Windows
      // allows: the layout does what it can.
      if (form_) Guarded([this] { form_->Form_Resize(); });
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (!form_) return 0;
      const int control = id - kFirstControl;
      const int command = id - kFirstCommand;
      if (control >= 0 && control < static_cast<int>(std::size(design::kControls)) &&
          code == BN_CLICKED && lparam != 0) {
        const design::Handler click = design::kControls[control].click;
        if (click != nullptr) Guarded([this, click] { (form_.get()->*click)(); });
      } else if (command >= 0 && command < static_cast<int>(std::size(design::kDataMenu)) &&
                 lparam == 0) {  // the menu (0) or its key (1)
        const design::Handler click = design::kDataMenu[command].click;
        Guarded([this, click] { (form_.get()->*click)(); });
      }
      return 0;
    }
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (list_ && list_->Notify(*reinterpret_cast<const NMHDR*>(lparam), result)) return result;
      break;
    }
    case WM_SETCURSOR:
      if (HCURSOR pointer = platform::win32::PointerOverride()) {
        SetCursor(pointer);
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      // The focus goes back to the control that had it, without telling the form: activating
      // the window moves no focus within it.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) focus_before_deactivation_ = focus;
        return 0;
      }
      // A control that already has the focus keeps it: under Wine the activation may come after
      // the click that caused it, which has put the focus where the click went.
      if (!HIWORD(wparam) && !IsChild(window_, GetFocus())) {  // not minimised
        HWND focus = focus_before_deactivation_ != nullptr && IsWindow(focus_before_deactivation_)
                         ? focus_before_deactivation_
                         : ControlWindow("ListView1");
        SetFocus(focus);
      }
      return 0;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyResolution();
      return 0;
    }
    case WM_CLOSE:
      services_.exit_program(0);
      ShowWindow(window_, SW_HIDE);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

void Win32MainWindow::ExitAnyway(int status) noexcept { PostQuitMessage(status); }

}  // namespace app
