#include "app/win32/win32_main_window.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/win32/win32_system.h"
#include "app/window_design.h"
#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/win32/control.h"
#include "platform/win32/list_view.h"
#include "platform/win32/text_box.h"
#include "platform/win32/twips.h"
#include "platform/win32/window_parts.h"

namespace app {
namespace {

using platform::win32::DeleteFont;
using platform::win32::Win32Control;

constexpr wchar_t kWindowClass[] = L"KolvexWindow";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExtendedStyle = WS_EX_CONTROLPARENT;

// The font `family` at the controls' size for `dpi`, in the Western character set, normal weight:
// Windows gives the nearest it has (for the bitmap "MS Sans Serif", its TrueType substitute where
// the system names one).
HFONT NamedFont(const wchar_t* family, unsigned dpi) {
  return CreateFontW(platform::win32::FontHeight(design::kNamedFontPoints, dpi), 0, 0, 0, FW_NORMAL,
                     FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, family);
}

}  // namespace

Win32MainWindow::Win32MainWindow(WindowServices services) : CommonWindow(std::move(services)) {
  platform::win32::RegisterWindowClass(kWindowClass, &Win32MainWindow::Procedure);
  window_ =
      CreateWindowExW(kExtendedStyle, kWindowClass, platform::WideOfUtf8(design::kTitle).c_str(),
                      kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                      nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) {
    throw platform::RunTimeError(platform::error::kOutOfMemory);
  }
  Win32System system(window_, design::kTitle);
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
  return platform::win32::InnerArea(window_, status_).width;
}

float Win32MainWindow::ScaleHeight() const {
  return platform::win32::InnerArea(window_, status_).height;
}

bool Win32MainWindow::PreTranslate(MSG& message) {
  if (window_ == nullptr) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (TranslateAcceleratorW(window_, keys_, &message)) return true;
  return IsDialogMessageW(window_, &message) != FALSE;
}

void Win32MainWindow::BuildControls() {
  const auto make = [this](const wchar_t* window_class, const char* caption, DWORD style,
                           DWORD extended_style, int id) {
    return platform::win32::MakeChild(window_, window_class, caption, style, extended_style, id);
  };
  tooltips_ = platform::win32::MakeToolTips(window_);
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
      platform::win32::AddToolTip(tooltips_, window_, control, design.tip);
    }
  }
  // Last, and outside the tab order.
  status_ = make(STATUSCLASSNAMEW, "", SBARS_SIZEGRIP, 0, kStatusLine);
  status_line_ = std::make_unique<platform::win32::StatusBarLine>(status_);
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
  window_font_ = platform::win32::WindowSystemFont(dpi);
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

  icons_.Apply(window_, dpi);
}

void Win32MainWindow::SizeToStart() {
  const unsigned dpi = platform::win32::DpiOf(window_);
  SendMessageW(status_, WM_SIZE, 0, 0);
  const SIZE outer =
      platform::win32::OuterSize({platform::win32::TwipsToPixels(design::kStartWidth, dpi),
                                  platform::win32::TwipsToPixels(design::kStartHeight, dpi) +
                                      platform::win32::StatusHeight(status_)},
                                 kStyle, kExtendedStyle, true, dpi);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32MainWindow::Procedure(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  auto* self = platform::win32::WindowObject<Win32MainWindow>(window, message, lparam);
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  try {
    return self->Handle(message, wparam, lparam);
  } catch (...) {
    self->ReportAndExit();
    return 0;
  }
}

LRESULT Win32MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (shared_.Handle(window_, message, wparam, lparam, ControlWindow("ListView1"), result)) {
    return result;
  }
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
      if (list_ && list_->Notify(*reinterpret_cast<const NMHDR*>(lparam), result)) return result;
      break;
    }
    case WM_DPICHANGED:  // the window has taken the place Windows suggests
      ApplyResolution();
      return 0;
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
