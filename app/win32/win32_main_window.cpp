#include "app/win32/win32_main_window.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "app/window_look.h"
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

// Functions of later Windows versions, looked up where they exist.
template <typename Function>
Function Later(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// The outer size of a window of our style and menu whose inner area is `inner` pixels.
SIZE OuterSize(SIZE inner, unsigned dpi) {
  RECT rect{0, 0, inner.cx, inner.cy};
  using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = Later<Adjust>("AdjustWindowRectExForDpi");
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
  return CreateFontW(platform::win32::FontHeight(look::kNamedFontPoints, dpi), 0, 0, 0, FW_NORMAL,
                     FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, family);
}

// The font Windows gives its message boxes and dialogs at `dpi`, the window system's default; or
// nothing when Windows does not say.
std::optional<LOGFONTW> MessageFont(unsigned dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
  static const auto for_dpi = Later<ForDpi>("SystemParametersInfoForDpi");
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
  static const auto for_dpi = Later<MetricForDpi>("GetSystemMetricsForDpi");
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
    return std::make_unique<platform::win32::Win32MessageBox>(window_, look::kTitle);
  }
  std::unique_ptr<platform::MousePointer> MakeMousePointer() override {
    return std::make_unique<platform::win32::Win32MousePointer>();
  }
  std::unique_ptr<platform::Clipboard> MakeClipboard(
      const platform::ObjectFactory& objects) override {
    // The clipboard's forms follow the program the export starts: Calc gets SYLK, not HTML.
    return std::make_unique<platform::win32::Win32Clipboard>([&objects] {
      const auto* spreadsheet =
          dynamic_cast<const platform::SpreadsheetApplicationFactory*>(&objects);
      return spreadsheet != nullptr && spreadsheet->StartsCalc();
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
      CreateWindowExW(kExtendedStyle, kWindowClass, platform::WideOfUtf8(look::kTitle).c_str(),
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
  for (auto* edit : {file_edit_.get(), from_edit_.get(), to_edit_.get()}) {
    if (edit == nullptr) continue;
    edit->on_got_focus = nullptr;
    edit->on_lost_focus = nullptr;
    edit->on_error = nullptr;
  }
  form_.reset();
  from_box_.reset();
  to_box_.reset();
  file_edit_.reset();
  from_edit_.reset();
  to_edit_.reset();
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
  DeleteFont(arial_);
  DeleteFont(ms_sans_serif_);
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
                        DWORD extended_style, Id id) {
    return CreateWindowExW(extended_style, window_class, platform::WideOfUtf8(caption).c_str(),
                           WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  // Made in the tab order: Windows moves the focus with Tab in the order the controls were made.
  HWND list = make(WC_LISTVIEWW, "",
                   WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                   WS_EX_CLIENTEDGE, kListView1);
  HWND file = make(WC_EDITW, "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kTxtFile);
  HWND label = make(WC_STATICW, "File Name", SS_LEFT | SS_NOPREFIX, 0, kLabel1);
  HWND browse = make(WC_BUTTONW, "Browse Database", WS_TABSTOP | BS_PUSHBUTTON, 0, kCmdBrowse);
  HWND from = make(WC_EDITW, "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kTxtFrom);
  HWND to = make(WC_EDITW, "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kTxtTo);
  // Last, and outside the tab order.
  status_ = CreateWindowExW(
      0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusLine)), instance, nullptr);
  for (HWND control : {list, file, label, browse, from, to, status_}) {
    if (control == nullptr) throw platform::RunTimeError(platform::error::kOutOfMemory);
  }
  status_line_ = std::make_unique<StatusBarLine>(status_);

  list_ = std::make_unique<platform::win32::Win32ListView>(list);
  file_edit_ = std::make_unique<platform::win32::FocusEdit>(file);
  from_edit_ = std::make_unique<platform::win32::FocusEdit>(from);
  to_edit_ = std::make_unique<platform::win32::FocusEdit>(to);
  file_box_ = std::make_unique<platform::win32::Win32TextBox>(file);
  const platform::InputMask date_mask(look::kDateMask, look::kDatePrompt);
  from_box_ = std::make_unique<platform::win32::Win32MaskedBox>(*from_edit_, date_mask);
  to_box_ = std::make_unique<platform::win32::Win32MaskedBox>(*to_edit_, date_mask);

  // In the order of look::kControls.
  const std::pair<HWND, platform::TextBox*> controls[] = {
      {list, nullptr},   {file, file_box_.get()}, {label, nullptr},
      {browse, nullptr}, {from, from_box_.get()}, {to, to_box_.get()}};
  for (std::size_t i = 0; i < std::size(controls); ++i) {
    const auto& [control, text] = controls[i];
    const char* name = look::kControls[i].name;
    AddControl(name, std::make_unique<Win32Control>(control, name, look::StartOf(name), text));
  }

  tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
  for (const auto& [control, tip] : {std::pair{from, look::kFromTip}, std::pair{to, look::kToTip},
                                     std::pair{file, look::kFileTip}}) {
    std::wstring text = platform::WideOfUtf8(tip);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text.data();
    SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Win32MainWindow::BuildMenu() {
  // "&" marks the mnemonic: the menu shows "Data" with the D underlined, and Alt+D opens it.
  // The command's key is shown after a tab, as Windows menus show keys.
  menu_ = CreateMenu();
  HMENU data = CreatePopupMenu();
  AppendMenuW(data, MF_STRING, kMnuExcel, L"Export to Excel\tCtrl+E");
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(data), L"&Data");
  SetMenu(window_, menu_);
  ACCEL command_keys[] = {{FVIRTKEY | FCONTROL, 'E', kMnuExcel}};
  keys_ = CreateAcceleratorTableW(command_keys, static_cast<int>(std::size(command_keys)));
}

void Win32MainWindow::ConnectEvents() {
  const auto report = [this] { ReportAndExit(); };
  from_edit_->on_got_focus = [this] { Guarded([this] { form_->TxtFrom_GotFocus(); }); };
  from_edit_->on_lost_focus = [this] { Guarded([this] { form_->TxtFrom_LostFocus(); }); };
  to_edit_->on_got_focus = [this] { Guarded([this] { form_->TxtTo_GotFocus(); }); };
  to_edit_->on_lost_focus = [this] { Guarded([this] { form_->TxtTo_LostFocus(); }); };
  for (auto* edit : {file_edit_.get(), from_edit_.get(), to_edit_.get()}) edit->on_error = report;
}

void Win32MainWindow::ApplyResolution() {
  const unsigned dpi = platform::win32::DpiOf(window_);
  HFONT old_fonts[] = {window_font_, arial_, ms_sans_serif_};
  window_font_ = WindowSystemFont(dpi);
  arial_ = NamedFont(L"Arial", dpi);
  ms_sans_serif_ = NamedFont(L"MS Sans Serif", dpi);
  const std::pair<const char*, HFONT> fonts[] = {
      {"ListView1", arial_},       {"TxtFile", ms_sans_serif_}, {"Label1", ms_sans_serif_},
      {"CmdBrowse", window_font_}, {"TxtFrom", window_font_},   {"TxtTo", window_font_}};
  for (const auto& [name, font] : fonts) {
    SendMessageW(ControlWindow(name), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  SendMessageW(tooltips_, WM_SETFONT, reinterpret_cast<WPARAM>(window_font_), TRUE);
  SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(window_font_), TRUE);
  SendMessageW(status_, WM_SIZE, 0, 0);  // its height follows its font
  for (HFONT& font : old_fonts) DeleteFont(font);
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
      OuterSize({platform::win32::TwipsToPixels(look::kStartWidth, dpi),
                 platform::win32::TwipsToPixels(look::kStartHeight, dpi) + StatusHeight()},
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
      if (id == kCmdBrowse && code == BN_CLICKED && form_) {
        Guarded([this] { form_->CmdBrowse_Click(); });
      } else if (id == kMnuExcel && lparam == 0 && form_) {  // the menu (0) or its key (1)
        Guarded([this] { form_->MnuExcel_Click(); });
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
