// Text boxes over QLineEdit: the plain path box and the masked date box, both as
// platform::TextBox, and the line edit that reports the user's focus moves to the window.
#pragma once

#include <QLineEdit>
#include <functional>
#include <optional>
#include <string>

#include "platform/controls/input_mask.h"
#include "platform/text_box.h"

namespace platform::qt {

// Tells `on_got_focus` and `on_lost_focus` of a focus change the user made (mouse, keyboard, a
// control taking the focus), after the line edit's own handling so a selection made then stays.
// Activating another window or a popup moves no focus in the window and is not told.
//
// A click into the box while another control has the focus: as the button goes down, that
// control loses the focus and this box gains it, and `on_got_focus` runs as it does for the Tab
// key; the press itself would then put the caret where it landed and drop the selection
// `on_got_focus` made. So when the left button of the press that brought the focus comes up
// with nothing selected, the selection made on gaining the focus is put back (for a date box,
// the whole date, as after Tab). A press that dragged over characters keeps what it selected, and
// presses while the box already has the focus place the caret as usual.
class FocusLineEdit : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

  std::function<void()> on_got_focus;
  std::function<void()> on_lost_focus;

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct Selection {
    int start = 0;
    int length = 0;
  };
  // The selection made on gaining the focus, until the first press in the box comes.
  std::optional<Selection> focus_selection_;
  // The selection to put back when the press that brought the focus comes up.
  std::optional<Selection> press_selection_;
};

// Selection in characters of the line edit's text; positions past the end are taken as the end.
// Negative positions and lengths throw RunTimeError 380.
class LineEditSelection : public TextBox {
 public:
  explicit LineEditSelection(QLineEdit& edit) : edit_(edit) {}

  int SelStart() const override;
  int SelLength() const override;
  void SetSelStart(int start) override;
  void SetSelLength(int length) override;

 protected:
  virtual int TextLength() const = 0;
  QLineEdit& edit_;
};

class QtTextBox : public LineEditSelection {
 public:
  using LineEditSelection::LineEditSelection;

  std::string Text() const override;
  void SetText(const std::string& text) override;
  void SetSelText(const std::string& text) override;

 private:
  int TextLength() const override;
};

// `mask` in QLineEdit's notation: "9999/99/99;_" for "####/##/##" with the prompt "_".
std::string QtInputMask(const InputMask& mask);

// The box shows and reads all of the mask's positions, prompts included; QLineEdit's text()
// would drop the unfilled ones, so the display text is the box's text. Typing follows the mask:
// digits only, and the literals cannot be typed over.
class QtMaskedBox : public LineEditSelection {
 public:
  QtMaskedBox(QLineEdit& edit, InputMask mask);

  std::string Text() const override;
  // Throws RunTimeError 380 for a text that does not fit the mask.
  void SetText(const std::string& text) override;
  // Throws RunTimeError 380 when the text does not fit the selected positions.
  void SetSelText(const std::string& text) override;

 private:
  int TextLength() const override;
  void Show(const std::string& text);

  InputMask mask_;
};

}  // namespace platform::qt
