#include "platform/qt/qt_control.h"

#include "platform/qt/twips.h"
#include "platform/run_time_error.h"

namespace platform::qt {
namespace {

void RefuseNegativeSize(float size) {
  if (size < 0) {
    throw RunTimeError(error::kInvalidArgument);
  }
}

}  // namespace

QtControl::QtControl(QWidget& widget, Twips twips, TextBox* text)
    : widget_(widget), twips_(twips), text_(text) {
  Place();
}

std::string QtControl::Name() const { return widget_.objectName().toStdString(); }

void QtControl::SetLeft(float left) {
  twips_.left = left;
  Place();
}

void QtControl::SetTop(float top) {
  twips_.top = top;
  Place();
}

void QtControl::SetWidth(float width) {
  RefuseNegativeSize(width);
  twips_.width = width;
  Place();
}

void QtControl::SetHeight(float height) {
  RefuseNegativeSize(height);
  twips_.height = height;
  Place();
}

TextBox& QtControl::Text() {
  if (text_ == nullptr) {
    throw RunTimeError(error::kObjectDoesNotSupport);
  }
  return *text_;
}

void QtControl::Place() {
  widget_.setGeometry(TwipsToPixels(twips_.left, widget_), TwipsToPixels(twips_.top, widget_),
                      TwipsToPixels(twips_.width, widget_), TwipsToPixels(twips_.height, widget_));
}

}  // namespace platform::qt
