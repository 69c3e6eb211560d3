#include "platform/win32/text_box.h"

#include <algorithm>
#include <utility>

#include "platform/form.h"
#include "platform/run_time_error.h"
#include "platform/system/path_text.h"
#include "platform/win32/clipboard.h"

namespace platform::win32 {
namespace {

RunTimeError InvalidPropertyValue() { return RunTimeError(error::kInvalidPropertyValue); }

void SetWideText(HWND edit, const std::wstring& text) { SetWindowTextW(edit, text.c_str()); }

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

std::string TextOf(LPARAM lparam) {
  const auto* text = reinterpret_cast<const wchar_t*>(lparam);
  return text == nullptr ? std::string() : Utf8OfWide(text);
}

}  // namespace

FocusEdit::FocusEdit(HWND edit) : edit_(edit) {
  SetWindowSubclass(edit_, &FocusEdit::Procedure, reinterpret_cast<UINT_PTR>(this),
                    reinterpret_cast<DWORD_PTR>(this));
}

FocusEdit::~FocusEdit() {
  if (IsWindow(edit_)) {
    RemoveWindowSubclass(edit_, &FocusEdit::Procedure, reinterpret_cast<UINT_PTR>(this));
  }
}

LRESULT CALLBACK FocusEdit::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR, DWORD_PTR self) {
  auto& edit = *reinterpret_cast<FocusEdit*>(self);
  try {
    return edit.Handle(message, wparam, lparam);
  } catch (...) {
    try {
      if (edit.on_error) edit.on_error();
    } catch (...) {
      // The report failed as well; nothing may reach Windows' own code.
    }
    return DefSubclassProc(window, message, wparam, lparam);
  }
}

LRESULT FocusEdit::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (filter) {
    if (const std::optional<LRESULT> result = filter(message, wparam, lparam)) return *result;
  }
  if (message == WM_LBUTTONDOWN) {
    click_.Forget();
    dragged_ = false;
    pressing_ = true;
    press_character_ = CharacterAt(lparam);
  }
  if (message == WM_MOUSEMOVE && click_.Holding() && !dragged_ && (wparam & MK_LBUTTON) != 0) {
    // A move that stays on the pressed character (the hand's tremor, or the move Windows sends
    // when a window under the pointer appears or goes) selects nothing and keeps the focus
    // selection. One off it starts a drag, which selects from where the press landed.
    if (CharacterAt(lparam) == press_character_) return 0;
    dragged_ = true;
    SendMessageW(edit_, EM_SETSEL, press_character_, static_cast<LPARAM>(press_character_));
  }
  const LRESULT result = DefSubclassProc(edit_, message, wparam, lparam);
  const auto other = reinterpret_cast<HWND>(wparam);
  switch (message) {
    case WM_SETFOCUS:
      if (on_got_focus && WithinWindow(other)) on_got_focus();
      if (pressing_) {
        const auto selection = Selection();
        click_.Gained(selection ? std::optional(FocusClick::Selection{
                                      static_cast<int>(selection->first),
                                      static_cast<int>(selection->second - selection->first)})
                                : std::nullopt);
      }
      break;
    case WM_KILLFOCUS:
      click_.Forget();
      if (on_lost_focus && WithinWindow(other)) on_lost_focus();
      break;
    case WM_LBUTTONDOWN:
      pressing_ = false;
      click_.Pressed(true);
      break;
    case WM_LBUTTONUP:
      if (const auto back = click_.Released(Selection().has_value())) {
        SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(back->start),
                     back->start + back->length);
      }
      break;
    default:
      break;
  }
  return result;
}

std::optional<std::pair<DWORD, DWORD>> FocusEdit::Selection() const {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start == end) return std::nullopt;
  return std::make_pair(start, end);
}

DWORD FocusEdit::CharacterAt(LPARAM point) const {
  const LRESULT found = SendMessageW(edit_, EM_CHARFROMPOS, 0, point);
  // Outside the control: no character.
  return found == -1 ? MAXDWORD : LOWORD(found);
}

bool FocusEdit::WithinWindow(HWND other) const {
  return other != nullptr && GetAncestor(other, GA_ROOT) == GetAncestor(edit_, GA_ROOT);
}

SelectionBox::Range EditSelection::Selected() const {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {static_cast<int>(start), static_cast<int>(end - start)};
}

void EditSelection::Select(int start, int length) {
  SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(start), start + length);
}

std::wstring EditSelection::WideText() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit_)) + 1, L'\0');
  const int size = GetWindowTextW(edit_, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(size, 0)));
  return text;
}

Win32TextBox::Win32TextBox(HWND edit) : EditSelection(edit) {
  // As long a path as Windows takes, not the control's 32,767 characters.
  SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
}

std::string Win32TextBox::Text() const { return Utf8OfWide(WideText()); }

void Win32TextBox::SetText(const std::string& text) { SetWideText(edit_, WideOfUtf8(text)); }

void Win32TextBox::SetSelText(const std::string& text) {
  const std::wstring inserted = WideOfUtf8(text);
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(inserted.c_str()));
}

int Win32TextBox::TextLength() const { return GetWindowTextLengthW(edit_); }

Win32MaskedBox::Win32MaskedBox(FocusEdit& edit, InputMask mask)
    : EditSelection(edit.window()), focus_edit_(edit), mask_(std::move(mask)) {
  SendMessageW(edit_, EM_SETLIMITTEXT, mask_.mask().size(), 0);
  // An input method's result string would go into the control past the mask.
  ImmAssociateContextEx(edit_, nullptr, 0);
  Show({mask_.Empty(), 0, 0}, false);
  focus_edit_.filter = [this](UINT message, WPARAM wparam, LPARAM lparam) {
    return Filter(message, wparam, lparam);
  };
}

Win32MaskedBox::~Win32MaskedBox() { focus_edit_.filter = nullptr; }

std::string Win32MaskedBox::Text() const { return Utf8OfWide(WideText()); }

void Win32MaskedBox::SetText(const std::string& text) {
  if (!mask_.Fits(text)) throw InvalidPropertyValue();
  Show({text, 0, 0}, false);
}

void Win32MaskedBox::SetSelText(const std::string& text) {
  const int start = SelStart();
  const int length = SelLength();
  const int end = start + length;
  Show({mask_.Replace(Text(), start, length, text), end, end}, false);
}

int Win32MaskedBox::TextLength() const { return static_cast<int>(mask_.mask().size()); }

std::optional<LRESULT> Win32MaskedBox::Typed(WPARAM wparam) {
  const auto key = static_cast<wchar_t>(wparam);
  if (key >= 0xD800 && key < 0xDC00) {
    high_surrogate_ = key;
    return 0;
  }
  std::wstring typed;
  if (key >= 0xDC00 && key < 0xE000 && high_surrogate_ != 0) typed += high_surrogate_;
  high_surrogate_ = 0;
  typed += key;
  switch (key) {
    case 0x01:  // Ctrl+A
      SendMessageW(edit_, EM_SETSEL, 0, -1);
      return 0;
    case 0x03:  // Ctrl+C: the control copies the selection as it is
      return std::nullopt;
    case 0x08:
      Show(mask_.Backspace(State()), true);
      return 0;
    case 0x16:
      Paste();
      return 0;
    case 0x18:
      Cut();
      return 0;
    case 0x1A:
      Undo();
      return 0;
    default:
      // Other control characters (Enter, Escape, Ctrl+Backspace) change nothing.
      if (key < 0x20 || key == 0x7F) return 0;
      Show(mask_.Insert(State(), Utf8OfWide(typed)), true);
      return 0;
  }
}

std::optional<LRESULT> Win32MaskedBox::Pressed(WPARAM wparam) {
  const bool shift = KeyDown(VK_SHIFT);
  const bool control = KeyDown(VK_CONTROL);
  if (wparam == VK_DELETE) {
    if (shift) {
      Cut();
    } else {
      Show(mask_.Delete(State()), true);
    }
    return 0;
  }
  if (wparam == VK_INSERT && shift && !control) {
    Paste();
    return 0;
  }
  // Moves with Shift select as the control does; plain moves rest only before a digit.
  if (shift || control) return std::nullopt;
  const MaskedEdit edit = State();
  int to = 0;
  switch (wparam) {
    case VK_LEFT:
      to = edit.anchor != edit.caret ? edit.SelStart() : edit.caret - 1;
      break;
    case VK_RIGHT:
      to = edit.anchor != edit.caret ? edit.SelEnd() : edit.caret + 1;
      break;
    case VK_HOME:
      to = 0;
      break;
    case VK_END:
      to = TextLength();
      break;
    default:
      return std::nullopt;
  }
  const int stop = mask_.CaretStop(edit.caret, to);
  SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(stop), stop);
  return 0;
}

std::optional<LRESULT> Win32MaskedBox::Filter(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CHAR:
      return Typed(wparam);
    case WM_KEYDOWN:
      return Pressed(wparam);
    case WM_PASTE:
      Paste();
      return 0;
    case WM_CUT:
      Cut();
      return 0;
    case WM_CLEAR:
      Show(mask_.Delete(State()), true);
      return 0;
    case WM_UNDO:
    case EM_UNDO:
      Undo();
      return TRUE;
    case EM_CANUNDO:
      return undo_.has_value() ? TRUE : FALSE;
    case EM_REPLACESEL:
      if (showing_) return std::nullopt;
      Show(mask_.Insert(State(), TextOf(lparam)), true);
      return 0;
    case WM_SETTEXT:
      // Our own texts, and others' that fit the mask.
      if (showing_ || mask_.Fits(TextOf(lparam))) {
        return std::nullopt;
      }
      return FALSE;
    default:
      return std::nullopt;
  }
}

MaskedEdit Win32MaskedBox::State() const {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {Text(), static_cast<int>(start), static_cast<int>(end)};
}

void Win32MaskedBox::Show(const MaskedEdit& edit, bool undoable) {
  if (undoable) {
    MaskedEdit before = State();
    if (before.text != edit.text) undo_ = std::move(before);
  } else {
    undo_.reset();
  }
  showing_ = true;
  SetWideText(edit_, WideOfUtf8(edit.text));
  showing_ = false;
  SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(edit.anchor), edit.caret);
}

void Win32MaskedBox::Paste() {
  if (const std::optional<std::wstring> text = ReadClipboardText(edit_)) {
    Show(mask_.Insert(State(), Utf8OfWide(*text)), true);
  }
}

void Win32MaskedBox::Cut() {
  SendMessageW(edit_, WM_COPY, 0, 0);
  Show(mask_.Delete(State()), true);
}

void Win32MaskedBox::Undo() {
  if (!undo_) return;
  const MaskedEdit previous = *undo_;
  Show(previous, true);
}

}  // namespace platform::win32
