// What both programs' windows on the Windows API are alike, over what each program's window is on
// every system (`Base`: app::CommonWindow or bills::BillsWindow): the top-level window with its
// tooltips, status bar and icons, the virtual list view, the controls' windows by name, the inner
// area in twips, the start size, the keys a dialog takes (Tab, a label's Alt letter) and the
// messages both answer alike. Every message runs inside the last-chance guard, so no exception
// reaches Windows: an error no handler took is reported and the program ends.
#pragma once

#include <memory>
#include <string>

#include "platform/run_time_error.h"
#include "platform/status_line.h"
#include "platform/system/path_text.h"
#include "platform/system/windows_api.h"
#include "platform/win32/control.h"
#include "platform/win32/list_view.h"
#include "platform/win32/twips.h"
#include "platform/win32/window_parts.h"

namespace app {

template <typename Base>
class Win32Window : public Base {
 public:
  ~Win32Window() override { Destroy(); }

  platform::ListView& list() { return *list_; }
  HWND window() const { return window_; }
  // The window of the control named `name`, or null.
  HWND ControlWindow(const std::string& name) const {
    const auto* control =
        static_cast<const platform::win32::Win32Control*>(this->FindControl(name));
    return control == nullptr ? nullptr : control->window();
  }
  // The status bar along the bottom.
  HWND StatusWindow() const { return status_; }
  float ScaleWidth() const override { return platform::win32::InnerArea(window_, status_).width; }
  float ScaleHeight() const override { return platform::win32::InnerArea(window_, status_).height; }

  // What the message loop does with a message before it is dispatched: the window's keys, if
  // any, whichever control has the focus, then Tab, the Alt letters and the other keys that move
  // between the controls. True when the message was taken and must not be dispatched.
  bool PreTranslate(MSG& message) {
    if (window_ == nullptr) return false;
    if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
    if (keys_ != nullptr && TranslateAcceleratorW(window_, keys_, &message)) return true;
    return IsDialogMessageW(window_, &message) != FALSE;
  }

 protected:
  static constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  static constexpr DWORD kExtendedStyle = WS_EX_CONTROLPARENT;

  using Base::Base;

  // Destroys the list's adapter, then the window, its messages kept away from the object; the
  // window's own destructor calls it before it deletes the fonts its controls use.
  void Destroy() {
    list_.reset();
    if (window_ != nullptr) {
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      DestroyWindow(window_);
      window_ = nullptr;
    }
    if (tooltips_ != nullptr) DestroyWindow(tooltips_);
    tooltips_ = nullptr;
    if (keys_ != nullptr) DestroyAcceleratorTable(keys_);
    keys_ = nullptr;
  }

  // Creates the window `title` of the class `window_class`, hidden, with the tooltips of its
  // controls, whose focus goes to `first` when it is activated before any had it. Throws
  // RunTimeError 7 when Windows cannot make it.
  void Create(const wchar_t* window_class, const char* title, const char* first) {
    first_ = first;
    platform::win32::RegisterWindowClass(window_class, &Win32Window::Procedure);
    window_ = CreateWindowExW(kExtendedStyle, window_class, platform::WideOfUtf8(title).c_str(),
                              kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) throw platform::RunTimeError(platform::error::kOutOfMemory);
    tooltips_ = platform::win32::MakeToolTips(window_);
  }
  // The virtual list view with the identifier `id`, wrapped; returns its window.
  HWND MakeList(int id) {
    HWND control = platform::win32::MakeChild(
        window_, WC_LISTVIEWW, "",
        WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
        WS_EX_CLIENTEDGE, id);
    list_ = std::make_unique<platform::win32::Win32ListView>(control);
    return control;
  }
  // The status bar, last and outside the tab order.
  void MakeStatusBar(int id) {
    status_ = platform::win32::MakeChild(window_, STATUSCLASSNAMEW, "", SBARS_SIZEGRIP, 0, id);
    status_line_ = std::make_unique<platform::win32::StatusBarLine>(status_);
  }
  // Gives the tooltips and the status bar `font`, and the window its icons at `dpi`, after the
  // controls have their fonts; then places the controls at the new resolution.
  void ApplyToFrame(HFONT font, unsigned dpi) {
    for (HWND part : {tooltips_, status_}) {
      SendMessageW(part, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    SendMessageW(status_, WM_SIZE, 0, 0);  // its height follows its font
    this->PlaceControls();
    list_->Rescale();
    icons_.Apply(window_, dpi);
  }
  // Gives the inner area `width` x `height` twips above the status bar.
  void SizeToStart(float width, float height, bool menu) {
    const unsigned dpi = platform::win32::DpiOf(window_);
    SendMessageW(status_, WM_SIZE, 0, 0);
    const SIZE outer = platform::win32::OuterSize(
        {platform::win32::TwipsToPixels(width, dpi),
         platform::win32::TwipsToPixels(height, dpi) + platform::win32::StatusHeight(status_)},
        kStyle, kExtendedStyle, menu, dpi);
    SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // Runs the form's start and shows the window as `show` says, the focus on the first control;
  // false, after the message and with nothing shown, when the start fails.
  bool LoadAndShow(int show) {
    if (!this->Load()) return false;
    ShowWindow(window_, show);
    UpdateWindow(window_);
    SetFocus(ControlWindow(first_));
    return true;
  }

  // The window's own answer to the messages the frame does not take; the frame's otherwise.
  virtual bool Handle(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) = 0;
  // Fonts and places for the window's present resolution.
  virtual void ApplyResolution() = 0;
  void ExitAnyway(int status) noexcept override { PostQuitMessage(status); }

  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  HWND status_ = nullptr;
  // The keys PreTranslate gives the window first, if any.
  HACCEL keys_ = nullptr;
  std::unique_ptr<platform::win32::Win32ListView> list_;
  std::unique_ptr<platform::StatusLine> status_line_;

 private:
  template <typename Window>
  friend Window* platform::win32::WindowObject(HWND, UINT, LPARAM);

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = platform::win32::WindowObject<Win32Window>(window, message, lparam);
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    LRESULT result = 0;
    self->Guarded([&] { result = self->Answer(message, wparam, lparam); });
    return result;
  }

  LRESULT Answer(UINT message, WPARAM wparam, LPARAM lparam) {
    LRESULT result = 0;
    if (shared_.Handle(window_, message, wparam, lparam, ControlWindow(first_), result) ||
        Handle(message, wparam, lparam, result)) {
      return result;
    }
    switch (message) {
      case WM_SIZE:
        // The status bar takes its place along the bottom first, so the inner area is known.
        // Minimising sends a size too: the layout hears of it, with 0 x 0, and lays out the
        // restored size when the window comes back. The window may be made as small as Windows
        // allows: the layout does what it can.
        if (status_ != nullptr) SendMessageW(status_, WM_SIZE, 0, 0);
        if (this->form_) this->form_->Form_Resize();
        return 0;
      case WM_NOTIFY:
        if (list_ && list_->Notify(*reinterpret_cast<const NMHDR*>(lparam), result)) return result;
        break;
      case WM_DPICHANGED:  // the window has taken the place Windows suggests
        ApplyResolution();
        return 0;
      case WM_CLOSE:
        this->services_.exit_program(0);
        ShowWindow(window_, SW_HIDE);
        return 0;
      default:
        break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
  }

  const char* first_ = "";
  platform::win32::ProgramIcons icons_;
  platform::win32::SharedMessages shared_;
};

}  // namespace app
