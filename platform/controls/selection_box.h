// What both window systems' text boxes share: the selection as the handlers set it, kept within
// the text.
#pragma once

#include "platform/text_box.h"

namespace platform {

// Selection in characters of the box's text; positions past the end are taken as the end.
// Negative positions and lengths throw RunTimeError 380.
class SelectionBox : public TextBox {
 public:
  int SelStart() const override { return Selected().start; }
  int SelLength() const override { return Selected().length; }
  void SetSelStart(int start) override;
  void SetSelLength(int length) override;

 protected:
  struct Range {
    int start = 0;
    int length = 0;
  };
  // The control's selection; with nothing selected, the caret's place and 0.
  virtual Range Selected() const = 0;
  // Selects `length` characters from `start`, both within the text; 0 puts the caret at `start`.
  virtual void Select(int start, int length) = 0;
  virtual int TextLength() const = 0;
};

}  // namespace platform
