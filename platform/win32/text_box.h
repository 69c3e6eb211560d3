// Text boxes over Windows edit controls: the plain path box and the masked date box, both as
// platform::TextBox, and the edit control that reports the user's focus moves to the window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/controls/focus_click.h"
#include "platform/controls/input_mask.h"
#include "platform/controls/selection_box.h"
#include "platform/system/windows_api.h"
#include "platform/text_box.h"

namespace platform::win32 {

// An edit control subclassed to tell `on_got_focus` and `on_lost_focus` of a focus change within
// its window (mouse, keyboard, a control taking the focus), after the control's own handling so a
// selection made then stays. Activating another window, a message box or a dialog moves no focus
// within the window and is not told; nor is the window getting its focus back. No exception
// leaves the control's window procedure: one is handed to `on_error`, inside its catch block.
//
// A click into the box while another control has the focus follows platform::FocusClick: Windows
// gives the box the focus while the press is handled. Moves of the pointer while that button is
// down leave the selection alone as long as they stay over the pressed character, however late or
// often they come; a press that dragged off it selects from where it landed to the pointer.
class FocusEdit {
 public:
  explicit FocusEdit(HWND edit);
  ~FocusEdit();
  FocusEdit(const FocusEdit&) = delete;
  FocusEdit& operator=(const FocusEdit&) = delete;

  HWND window() const { return edit_; }

  std::function<void()> on_got_focus;
  std::function<void()> on_lost_focus;
  std::function<void()> on_error;
  // Sees each message before the control: returns the result when it took the message.
  std::function<std::optional<LRESULT>(UINT message, WPARAM, LPARAM)> filter;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR id, DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // Whether `other` (a window gaining or losing the focus) is in the same top-level window.
  bool WithinWindow(HWND other) const;
  // The control's selection, if it has one.
  std::optional<std::pair<DWORD, DWORD>> Selection() const;
  // The character at the client point `point` packs, or MAXDWORD outside the control.
  DWORD CharacterAt(LPARAM point) const;

  HWND edit_;
  bool pressing_ = false;
  // Of the last press: the character it landed on, and whether it was dragged off it since.
  DWORD press_character_ = 0;
  bool dragged_ = false;
  FocusClick click_;
};

// The selection of an edit control, in UTF-16 characters of its text.
class EditSelection : public SelectionBox {
 public:
  explicit EditSelection(HWND edit) : edit_(edit) {}

 protected:
  std::wstring WideText() const;
  Range Selected() const override;
  void Select(int start, int length) override;
  HWND edit_;
};

class Win32TextBox : public EditSelection {
 public:
  explicit Win32TextBox(HWND edit);

  std::string Text() const override;
  void SetText(const std::string& text) override;
  void SetSelText(const std::string& text) override;

 private:
  int TextLength() const override;
};

// The box shows and reads all of the mask's positions, prompts included. The user's keys are
// taken by the mask's editing model (platform/input_mask.h), as the Linux box takes them: typing
// and pasting overwrite from the caret and step over the separators, Backspace, Delete and Cut
// put prompts back, the caret skips the separators, and Undo takes back the last change. Texts
// other programs send that do not fit the mask are refused. The control takes no input method
// (IME): the mask's characters are typed as they are.
class Win32MaskedBox : public EditSelection {
 public:
  // Takes the control's keys through `edit`'s filter; `edit` must outlive the box.
  Win32MaskedBox(FocusEdit& edit, InputMask mask);
  ~Win32MaskedBox() override;

  std::string Text() const override;
  // Throws RunTimeError 380 for a text that does not fit the mask.
  void SetText(const std::string& text) override;
  // Throws RunTimeError 380 when the text does not fit the selected positions.
  void SetSelText(const std::string& text) override;

 private:
  int TextLength() const override;
  std::optional<LRESULT> Filter(UINT message, WPARAM wparam, LPARAM lparam);
  // A character typed (WM_CHAR), and a key pressed (WM_KEYDOWN).
  std::optional<LRESULT> Typed(WPARAM wparam);
  std::optional<LRESULT> Pressed(WPARAM wparam);
  // The text and selection as the control holds them.
  MaskedEdit State() const;
  // Shows `edit`, keeping what it replaces for Undo when `undoable`.
  void Show(const MaskedEdit& edit, bool undoable);
  void Paste();
  void Cut();
  void Undo();

  FocusEdit& focus_edit_;
  InputMask mask_;
  std::optional<MaskedEdit> undo_;
  bool showing_ = false;
  wchar_t high_surrogate_ = 0;
};

}  // namespace platform::win32
