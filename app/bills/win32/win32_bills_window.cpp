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
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExtendedStyle = WS_EX_CONTROLPARENT;

}  // namespace

Win32BillsWindow::Win32BillsWindow(BillsWindowServices services)
    : BillsWindow(std::move(services)) {
  platform::win32::RegisterWindowClass(kWindowClass, &Win32BillsWindow::Procedure);
  window_ =
      CreateWindowExW(kExtendedStyle, kWindowClass, platform::WideOfUtf8(design::kTitle).c_str(),
                      kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                      nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) throw platform::RunTimeError(platform::error::kOutOfMemory);
  app::Win32System system(window_, design::kTitle);
  MakeMissingServices(system);
  BuildControls();
  MakeForm(*list_, *status_line_);
  ApplyResolution();
  SizeToStart();
}

Win32BillsWindow::~Win32BillsWindow() {
  form_.reset();
  texts_.clear();
  choices_.clear();
  list_.reset();
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (tooltips_ != nullptr) DestroyWindow(tooltips_);
  platform::win32::DeleteFont(font_);
}

std::unique_ptr<Win32BillsWindow> Win32BillsWindow::Open(BillsWindowServices services, int show) {
  auto window = std::make_unique<Win32BillsWindow>(std::move(services));
  if (!window->Load()) return nullptr;
  ShowWindow(window->window_, show);
  UpdateWindow(window->window_);
  SetFocus(window->ControlWindow("CmdOpen"));
  return window;
}

platform::ListView& Win32BillsWindow::list() { return *list_; }

HWND Win32BillsWindow::ControlWindow(const std::string& name) const {
  const auto* control = static_cast<const Win32Control*>(FindControl(name));
  return control == nullptr ? nullptr : control->window();
}

float Win32BillsWindow::ScaleWidth() const {
  return platform::win32::InnerArea(window_, status_).width;
}

float Win32BillsWindow::ScaleHeight() const {
  return platform::win32::InnerArea(window_, status_).height;
}

bool Win32BillsWindow::PreTranslate(MSG& message) {
  if (window_ == nullptr) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  return IsDialogMessageW(window_, &message) != FALSE;
}

void Win32BillsWindow::BuildControls() {
  tooltips_ = platform::win32::MakeToolTips(window_);
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
        control = make(WC_LISTVIEWW,
                       WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                       WS_EX_CLIENTEDGE);
        list_ = std::make_unique<platform::win32::Win32ListView>(control);
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
  // Last, and outside the tab order.
  status_ =
      platform::win32::MakeChild(window_, STATUSCLASSNAMEW, "", SBARS_SIZEGRIP, 0, kStatusLine);
  status_line_ = std::make_unique<platform::win32::StatusBarLine>(status_);
}

void Win32BillsWindow::ApplyResolution() {
  const unsigned dpi = platform::win32::DpiOf(window_);
  HFONT old_font = font_;
  font_ = platform::win32::WindowSystemFont(dpi);
  for (const design::ControlDesign& design : design::kControls) {
    SendMessageW(ControlWindow(design.name), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  for (HWND window : {tooltips_, status_}) {
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  SendMessageW(status_, WM_SIZE, 0, 0);  // its height follows its font
  platform::win32::DeleteFont(old_font);
  PlaceControls();
  list_->Rescale();
  icons_.Apply(window_, dpi);
}

void Win32BillsWindow::SizeToStart() {
  const unsigned dpi = platform::win32::DpiOf(window_);
  SendMessageW(status_, WM_SIZE, 0, 0);
  const SIZE outer =
      platform::win32::OuterSize({platform::win32::TwipsToPixels(design::kStartWidth, dpi),
                                  platform::win32::TwipsToPixels(design::kStartHeight, dpi) +
                                      platform::win32::StatusHeight(status_)},
                                 kStyle, kExtendedStyle, false, dpi);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32BillsWindow::Procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  auto* self = platform::win32::WindowObject<Win32BillsWindow>(window, message, lparam);
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  // No exception reaches Windows: one is reported and ends the program.
  LRESULT result = 0;
  self->Guarded([&] { result = self->Handle(message, wparam, lparam); });
  return result;
}

LRESULT Win32BillsWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (shared_.Handle(window_, message, wparam, lparam, ControlWindow("CmdOpen"), result)) {
    return result;
  }
  switch (message) {
    case WM_SIZE:
      if (status_ != nullptr) SendMessageW(status_, WM_SIZE, 0, 0);
      if (form_) Run(&BillsForm::Form_Resize);
      return 0;
    case WM_COMMAND: {
      const int control = LOWORD(wparam) - kFirstControl;
      const int code = HIWORD(wparam);
      if (!form_ || lparam == 0 || control < 0 ||
          control >= static_cast<int>(std::size(design::kControls))) {
        return 0;
      }
      const design::ControlDesign& design = design::kControls[control];
      const bool event =
          design.kind == design::ControlKind::kButton
              ? code == BN_CLICKED
              : design.kind == design::ControlKind::kChoiceBox &&
                    platform::win32::IsUsersChoice(reinterpret_cast<HWND>(lparam), code,
                                                   opened_on_[static_cast<std::size_t>(control)]);
      if (event) Run(design.click);
      return 0;
    }
    case WM_NOTIFY: {
      if (list_ && list_->Notify(*reinterpret_cast<const NMHDR*>(lparam), result)) return result;
      break;
    }
    case WM_NEXTDLGCTL: {
      // A label's Alt letter: the dialog manager asks for the focus on the label, then on the
      // control after it, as a dialog's own procedure would give it.
      HWND next = LOWORD(lparam) != 0
                      ? reinterpret_cast<HWND>(wparam)
                      : GetNextDlgTabItem(window_, GetFocus(), wparam != 0 ? TRUE : FALSE);
      if (next != nullptr) SetFocus(next);
      return 0;
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

void Win32BillsWindow::ExitAnyway(int status) noexcept { PostQuitMessage(status); }

}  // namespace bills
