#include "platform/qt/control.h"

#include "platform/qt/twips.h"

namespace platform::qt {

QtControl::QtControl(QWidget& widget, Twips twips, TextBox* text)
    : PlacedControl(twips, text), widget_(widget) {
  Place();
}

std::string QtControl::Name() const { return widget_.objectName().toStdString(); }

void QtControl::Place() {
  widget_.setGeometry(TwipsToPixels(twips().left, widget_), TwipsToPixels(twips().top, widget_),
                      TwipsToPixels(twips().width, widget_),
                      TwipsToPixels(twips().height, widget_));
}

}  // namespace platform::qt
