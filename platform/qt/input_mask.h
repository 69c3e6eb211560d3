// A masked box's text without the widget: "#" positions take one digit, every other mask
// character is a literal that stays where it is, and an unfilled digit position shows the prompt
// character. The text always has as many characters as the mask.
#pragma once

#include <string>

namespace platform::qt {

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
  // The same mask in QLineEdit's notation: "9999/99/99;_".
  std::string QtInputMask() const;

 private:
  bool IsDigitPosition(std::size_t position) const { return mask_[position] == '#'; }

  std::string mask_;
  char prompt_;
};

}  // namespace platform::qt
