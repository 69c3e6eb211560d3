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

// The font `family` at the controls' size for `dpi`, in the Western character set, normal weight:
// Windows gives the nearest it has (for the bitmap "MS Sans Serif", its TrueType substitute where
// the system names one).
HFONT NamedFont(const wchar_t* family, unsigned dpi) {
  return CreateFontW(platform::win32::FontHeight(design::kNamedFontPoints, dpi), 0, 0, 0, FW_NORMAL,
                     FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, family);
}

}  // namespace

Win32MainWindow::Win32MainWindow(WindowServices services) : Win32Window(std::move(services)) {
  Create(kWindowClass, design::kTitle, "ListView1");
  Win32System system(window_, design::kTitle);
  MakeMissingServices(system);

  BuildControls();
  BuildMenu();
  MakeForm(*list_, status_line_.get());
  ConnectEvents();
  ApplyResolution();
  SizeToStart(design::kStartWidth, design::kStartHeight, true);
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
  Destroy();
  DeleteFont(window_font_);
  for (auto& [family, font] : named_fonts_) DeleteFont(font);
}

std::unique_ptr<Win32MainWindow> Win32MainWindow::Open(WindowServices services, int show) {
  auto window = std::make_unique<Win32MainWindow>(std::move(services));
  if (!window->LoadAndShow(show)) return nullptr;
  return window;
}

void Win32MainWindow::BuildControls() {
  const auto make = [this](const wchar_t* window_class, const char* caption, DWORD style,
                           DWORD extended_style, int id) {
    return platform::win32::MakeChild(window_, window_class, caption, style, extended_style, id);
  };
  const platform::InputMask date_mask(design::kDateMask, design::kDatePrompt);
  // Made in the tab order: Windows moves the focus with Tab in the order the controls were made.
  int id = kFirstControl;
  for (const design::ControlDesign& design : design::kControls) {
    HWND control = nullptr;
    platform::TextBox* text = nullptr;
    switch (design.kind) {
      case design::ControlKind::kListView:
        control = MakeList(id);
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
  MakeStatusBar(kStatusLine);
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
  ApplyToFrame(window_font_, dpi);
  DeleteFont(old_window_font);
  for (auto& [family, font] : old_fonts) DeleteFont(font);
}

bool Win32MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (message != WM_COMMAND) return false;
  result = 0;
  if (!form_) return true;
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
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
  return true;
}

}  // namespace app
