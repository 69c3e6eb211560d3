#include "platform/qt/text_box.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <algorithm>
#include <string_view>

#include "platform/form.h"
#include "platform/run_time_error.h"

namespace platform::qt {
namespace {

bool IsUserFocusMove(const QFocusEvent& event) {
  return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

}  // namespace

std::string QtInputMask(const InputMask& mask) {
  std::string qt_mask;
  for (const char c : mask.mask()) {
    if (c == '#') {
      qt_mask += '9';
    } else {
      if (std::string_view("AaNnXx90DdHhBb<>!{}[]\\;").find(c) != std::string_view::npos) {
        qt_mask += '\\';
      }
      qt_mask += c;
    }
  }
  qt_mask += ';';
  qt_mask += mask.prompt();
  return qt_mask;
}

void FocusLineEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (on_got_focus && IsUserFocusMove(*event)) on_got_focus();
  if (event->reason() != Qt::MouseFocusReason) {
    click_.Forget();
  } else if (hasSelectedText()) {
    click_.Gained(FocusClick::Selection{selectionStart(), selectionLength()});
  } else {
    click_.Gained(std::nullopt);
  }
}

void FocusLineEdit::focusOutEvent(QFocusEvent* event) {
  click_.Forget();
  QLineEdit::focusOutEvent(event);
  if (on_lost_focus && IsUserFocusMove(*event)) on_lost_focus();
}

void FocusLineEdit::mousePressEvent(QMouseEvent* event) {
  click_.Pressed(event->button() == Qt::LeftButton);
  QLineEdit::mousePressEvent(event);
}

void FocusLineEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  if (const auto back = click_.Released(hasSelectedText())) setSelection(back->start, back->length);
}

SelectionBox::Range LineEditSelection::Selected() const {
  if (!edit_.hasSelectedText()) return {edit_.cursorPosition(), 0};
  return {edit_.selectionStart(), edit_.selectionLength()};
}

void LineEditSelection::Select(int start, int length) {
  if (length == 0) {
    edit_.setCursorPosition(start);
  } else {
    edit_.setSelection(start, length);
  }
}

std::string QtTextBox::Text() const { return edit_.text().toStdString(); }

void QtTextBox::SetText(const std::string& text) { edit_.setText(QString::fromStdString(text)); }

void QtTextBox::SetSelText(const std::string& text) {
  const int start = SelStart();
  const QString inserted = QString::fromStdString(text);
  edit_.setText(edit_.text().replace(start, SelLength(), inserted));
  edit_.setCursorPosition(start + static_cast<int>(inserted.size()));
}

int QtTextBox::TextLength() const { return static_cast<int>(edit_.text().size()); }

QtMaskedBox::QtMaskedBox(QLineEdit& edit, InputMask mask) : LineEditSelection(edit), mask_(mask) {
  edit_.setInputMask(QString::fromStdString(QtInputMask(mask_)));
  edit_.setMaxLength(static_cast<int>(mask_.mask().size()));
}

std::string QtMaskedBox::Text() const { return edit_.displayText().toStdString(); }

void QtMaskedBox::SetText(const std::string& text) {
  if (!mask_.Fits(text)) throw RunTimeError(error::kInvalidPropertyValue, "Invalid property value");
  Show(text);
  edit_.setCursorPosition(0);
}

void QtMaskedBox::SetSelText(const std::string& text) {
  const int start = SelStart();
  const int length = SelLength();
  Show(mask_.Replace(Text(), start, length, text));
  edit_.setCursorPosition(start + length);
}

int QtMaskedBox::TextLength() const { return static_cast<int>(mask_.mask().size()); }

void QtMaskedBox::Show(const std::string& text) { edit_.setText(QString::fromStdString(text)); }

}  // namespace platform::qt
