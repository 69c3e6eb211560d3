// A masked box's text without the widget: "#" positions take one digit, every other mask
// character is a literal that stays where it is, and an unfilled digit position shows the prompt
// character. The text always has as many characters as the mask.
//
// The editing keys are here too, so that the date boxes type alike on every window system: typed
// and pasted text overwrites from the caret, skipping the literals, Backspace and Delete put the
// prompt back, and the caret never rests in front of a literal.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// A masked box while the user edits it: its text and the selection from `anchor` to `caret`,
// both positions between characters (equal when nothing is selected).
struct MaskedEdit {
  std::string text;
  int anchor = 0;
  int caret = 0;

  int SelStart() const { return anchor < caret ? anchor : caret; }
  int SelEnd() const { return anchor < caret ? caret : anchor; }
  bool operator==(const MaskedEdit&) const = default;
};

class InputMask {
 public:
  InputMask(std::string mask, char prompt);

  const std::string& mask() const { return mask_; }
  char prompt() const { return prompt_; }

  // The text of an empty box: "____/__/__" for "####/##/##".
  std::string Empty() const;
  // True when `text` has the mask's length, a digit or the prompt in each digit position and
  // the mask's literal everywhere else.
  bool Fits(const std::string& text) const;
  // `text` with `length` characters from `start` replaced by `insert`, which is placed as the
  // keys would be typed: a digit or the prompt fills the next digit position, a literal passes
  // over its own position. Selected digit positions left over become prompts. Throws
  // RunTimeError 380 when `insert` does not fit the selection or the range is not in the text.
  std::string Replace(const std::string& text, int start, int length,
                      const std::string& insert) const;

  // Typing or pasting `keys` (UTF-8): the selection becomes prompts, then each digit goes into
  // the next digit position from its start, over what is there; a literal key jumps past that
  // literal further on (not when it was typed alone right after the same literal), and other
  // keys are dropped. The caret ends after what was placed, past any literal that follows.
  MaskedEdit Insert(MaskedEdit edit, std::string_view keys) const;
  // The selection becomes prompts; without one, the digit position before the caret does and
  // the caret moves to it.
  MaskedEdit Backspace(MaskedEdit edit) const;
  // The selection becomes prompts; without one, the digit position at the caret does and the
  // caret stays.
  MaskedEdit Delete(MaskedEdit edit) const;
  // Where a caret moved from `from` to `to` comes to rest: moving right, at the next digit
  // position from `to` on (or the end); moving left, at the last one up to `to` (or the start).
  int CaretStop(int from, int to) const;

 private:
  bool IsDigitPosition(std::size_t position) const { return mask_[position] == '#'; }
  // The selection of `edit` made prompts, with the caret at its start.
  MaskedEdit ClearSelection(MaskedEdit edit) const;
  // The text a cleared position shows: the prompt, or the literal.
  char Cleared(std::size_t position) const;
  int NextStop(int position) const;
  int PreviousStop(int position) const;

  std::string mask_;
  char prompt_;
};

}  // namespace platform
