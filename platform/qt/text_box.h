// Text boxes over QLineEdit: the plain path box and the masked date box, both as
// platform::TextBox, and the line edit that reports the user's focus moves to the window.
#pragma once

#include <QLineEdit>
#include <functional>
#include <optional>
#include <string>

#include "platform/controls/focus_click.h"
#include "platform/controls/input_mask.h"
#include "platform/controls/selection_box.h"
#include "platform/text_box.h"

namespace platform::qt {

// Tells `on_got_focus` and `on_lost_focus` of a focus change the user made (mouse, keyboard, a
// control taking the focus), after the line edit's own handling so a selection made then stays.
// Activating another window or a popup moves no focus in the window and is not told.
//
// A click into the box while another control has the focus follows platform::FocusClick: Qt gives
// the box the focus just before the press reaches it.
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
  FocusClick click_;
};

// The selection of a line edit, in characters of its text.
class LineEditSelection : public SelectionBox {
 public:
  explicit LineEditSelection(QLineEdit& edit) : edit_(edit) {}

 protected:
  Range Selected() const override;
  void Select(int start, int length) override;

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
