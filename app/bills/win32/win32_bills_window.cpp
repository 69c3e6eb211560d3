#include "app/bills/win32/win32_bills_window.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "app/win32/win32_system.h"
#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/win32/choice_box.h"
#include "platform/win32/control.h"
#include "platform/win32/list_view.h"
#include "platform/win32/text_box.h"
#include "platform/win32/twips.h"

namespace bills {
namespace {

using platform::win32::Win32Control;

constexpr wchar_t kWindowClass[] = L"KolvexBillsWindow";

}  // namespace

Win32BillsWindow::Win32BillsWindow(BillsWindowServices services)
    : Win32Window(std::move(services)) {
  Create(kWindowClass, design::kTitle, "CmdOpen");
  app::Win32System system(window_, design::kTitle);
  MakeMissingServices(system);
  BuildControls();
  MakeForm(*list_, *status_line_);
  ApplyResolution();
  SizeToStart(design::kStartWidth, design::kStartHeight, false);
}

Win32BillsWindow::~Win32BillsWindow() {
  form_.reset();
  texts_.clear();
  choices_.clear();
  Destroy();
  platform::win32::DeleteFont(font_);
}

std::unique_ptr<Win32BillsWindow> Win32BillsWindow::Open(BillsWindowServices services, int show) {
  auto window = std::make_unique<Win32BillsWindow>(std::move(services));
  if (!window->LoadAndShow(show)) return nullptr;
  return window;
}

void Win32BillsWindow::BuildControls() {
  // Made in the tab order: Windows moves the focus with Tab in the order the controls were made.
  int id = kFirstControl;
  for (const design::ControlDesign& design : design::kControls) {
    HWND control = nullptr;
    platform::TextBox* text = nullptr;
    std::unique_ptr<platform::PlacedControl> placed;
    const auto make = [&](const wchar_t* window_class, DWORD style, DWORD extended_style) {
      return platform::win32::MakeChild(window_, window_class, design.caption, style,
                                        extended_style, id);
    };
    switch (design.kind) {
      case design::ControlKind::kListView:
        control = MakeList(id);
        break;
      case design::ControlKind::kTextBox:
        control = make(WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL | (design.read_only ? ES_READONLY : 0),
                       WS_EX_CLIENTEDGE);
        texts_.push_back(std::make_unique<platform::win32::Win32TextBox>(control));
        text = texts_.back().get();
        break;
      case design::ControlKind::kLabel:
        // The "&" letter is underlined, and Alt with it moves to the control after the label.
        control = make(WC_STATICW, SS_LEFT, 0);
        break;
      case design::ControlKind::kButton:
        control = make(WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0);
        break;
      case design::ControlKind::kChoiceBox:
        control = make(WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0);
        choices_.push_back(std::make_unique<platform::win32::Win32ChoiceBox>(control));
        AddChoiceBox(design.name, *choices_.back());
        placed = std::make_unique<platform::win32::Win32ChoiceControl>(control, design.name,
                                                                       design.twips);
        break;
    }
    ++id;
    if (!placed) placed = std::make_unique<Win32Control>(control, design.name, design.twips, text);
    AddControl(design.name, std::move(placed));
    if (design.tip != nullptr) {
      platform::win32::AddToolTip(tooltips_, window_, control, design.tip);
    }
  }
  opened_on_.assign(std::size(design::kControls), -1);
  MakeStatusBar(kStatusLine);
}

void Win32BillsWindow::ApplyResolution() {
  const unsigned dpi = platform::win32::DpiOf(window_);
  HFONT old_font = font_;
  font_ = platform::win32::WindowSystemFont(dpi);
  for (const design::ControlDesign& design : design::kControls) {
    SendMessageW(ControlWindow(design.name), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  ApplyToFrame(font_, dpi);
  platform::win32::DeleteFont(old_font);
}

bool Win32BillsWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  if (message == WM_NEXTDLGCTL) {
    // A label's Alt letter: the dialog manager asks for the focus on the label, then on the
    // control after it, as a dialog's own procedure would give it.
    HWND next = LOWORD(lparam) != 0
                    ? reinterpret_cast<HWND>(wparam)
                    : GetNextDlgTabItem(window_, GetFocus(), wparam != 0 ? TRUE : FALSE);
    if (next != nullptr) SetFocus(next);
    return true;
  }
  if (message != WM_COMMAND) return false;
  const int control = LOWORD(wparam) - kFirstControl;
  const int code = HIWORD(wparam);
  if (!form_ || lparam == 0 || control < 0 ||
      control >= static_cast<int>(std::size(design::kControls))) {
    return true;
  }
  const design::ControlDesign& design = design::kControls[control];
  const bool event =
      design.kind == design::ControlKind::kButton
          ? code == BN_CLICKED
          : design.kind == design::ControlKind::kChoiceBox &&
                platform::win32::IsUsersChoice(reinterpret_cast<HWND>(lparam), code,
                                               opened_on_[static_cast<std::size_t>(control)]);
  if (event) Run(design.click);
  return true;
}

}  // namespace bills
