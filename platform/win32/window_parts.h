// What the programs' windows on Windows build alike: their window class, child controls and
// tooltips, the status bar line, the inner and outer sizes, the window system's font and the
// program's icon at a monitor's resolution, the messages they answer alike, and the program's
// start and message loop.
#pragma once

#include <string>

#include "platform/current_error.h"
#include "platform/status_line.h"
#include "platform/system/path_text.h"
#include "platform/system/windows_api.h"

namespace platform::win32 {

// Registers the window class `name` of the program with `procedure`, the arrow pointer and the
// dialog face as background; a class already registered is kept.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

// A visible child window of `parent` with the identifier `id`. Throws RunTimeError 7 when Windows
// cannot make it.
HWND MakeChild(HWND parent, const wchar_t* window_class, const std::string& caption, DWORD style,
               DWORD extended_style, int id);

// The tooltip window of `owner`'s controls, and a tip for one of them.
HWND MakeToolTips(HWND owner);
void AddToolTip(HWND tooltips, HWND owner, HWND control, const std::string& tip);

// The outer size of a window of `style` whose inner area is `inner` pixels.
SIZE OuterSize(SIZE inner, DWORD style, DWORD extended_style, bool menu, unsigned dpi);

// The font Windows gives its message boxes and dialogs at `dpi`, the window system's default.
HFONT WindowSystemFont(unsigned dpi);
// Deletes a font of WindowSystemFont or CreateFont and sets it null.
void DeleteFont(HFONT& font);

// The program's icons (resource 1) at `dpi`, given to `window`, which keeps them until the next
// call with the same handles; null handles are made, earlier ones destroyed.
struct ProgramIcons {
  ~ProgramIcons();
  void Apply(HWND window, unsigned dpi);

  // ("small" is a macro of Windows' headers.)
  HICON large_icon = nullptr;
  HICON small_icon = nullptr;
};

// The status bar's one part. It may show less than its text when the window is narrow.
class StatusBarLine : public StatusLine {
 public:
  explicit StatusBarLine(HWND status) : status_(status) {}
  void SetText(const std::string& text) override;

 private:
  HWND status_;
};

// The status bar's height in pixels, 0 while it is hidden or null.
int StatusHeight(HWND status);

// The object of the window procedure's `window`: CreateWindowEx's parameter, kept from
// WM_NCCREATE on (when the object's `window_` is set: the window class makes this a friend); null
// before, and after the object has let go of the window.
template <typename Window>
Window* WindowObject(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Window*>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The inner area of `window` above its status bar `status`, in twips; 0 x 0 while minimised.
struct InnerTwips {
  float width = 0;
  float height = 0;
};
InnerTwips InnerArea(HWND window, HWND status);

// The messages a program's window answers alike: WM_SETCURSOR with the program's pointer while it
// has one (PointerOverride), WM_ACTIVATE giving the focus back to the control that had it, and
// WM_DPICHANGED taking the place Windows suggests (the window then lays itself out anew).
class SharedMessages {
 public:
  // True when the message was answered, with `result`. `first` has the focus when the window is
  // activated before any control of it had the focus.
  bool Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam, HWND first, LRESULT& result);

 private:
  HWND focus_before_deactivation_ = nullptr;
};

// Runs a window program on this thread: makes it aware of each monitor's resolution, readies OLE
// (the clipboard, the dialogs, automation) and the common controls, opens the window with `open`
// and runs the message loop, each message through the window's PreTranslate first. Returns the
// program's exit status; a start that fails is shown in a message box titled `title`.
void StartWindowProgram();
// Runs until WM_QUIT and returns its status (1 when the loop fails); each message goes to
// `pre_translate` with `window` first.
int MessageLoop(bool (*pre_translate)(void* window, MSG& message), void* window);

template <typename Open>
int RunWindowProgram(const char* title, Open open) {
  StartWindowProgram();
  int status = 1;
  try {
    if (const auto window = open()) {
      using Window = typename decltype(window)::element_type;
      status = MessageLoop(
          [](void* shown, MSG& message) {
            return static_cast<Window*>(shown)->PreTranslate(message);
          },
          window.get());
    }
  } catch (...) {
    MessageBoxW(nullptr, WideOfUtf8(CurrentError().Prompt()).c_str(), WideOfUtf8(title).c_str(),
                MB_OK | MB_ICONERROR);
  }
  OleUninitialize();
  return status;
}

}  // namespace platform::win32
