// A single-line text control as the calendar's date check and the window's selection helper use
// it. The window's masked box and the tests' fake both implement it.
#pragma once

#include <string>

namespace platform {

class TextBox {
 public:
  virtual ~TextBox() = default;

  // The text as the control shows it; a masked box gives all its positions, prompts included.
  virtual std::string Text() const = 0;
  // Replaces the whole text. A masked box refuses a text that does not fit its mask.
  virtual void SetText(const std::string& text) = 0;

  virtual int SelStart() const = 0;
  virtual int SelLength() const = 0;
  virtual void SetSelStart(int start) = 0;
  virtual void SetSelLength(int length) = 0;
  // Replaces exactly the selected characters and keeps the rest of the text.
  virtual void SetSelText(const std::string& text) = 0;
};

}  // namespace platform
