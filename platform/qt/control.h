// A control of a window: its name, its position and size in twips as set, and its text when it
// has one. The widget's pixel geometry follows from the twips at the screen's resolution, so
// reading back gives exactly what was set.
#pragma once

#include <QWidget>
#include <string>

#include "platform/controls/placed_control.h"

namespace platform::qt {

class QtControl : public PlacedControl {
 public:
  // `text` may be null for a control without text. The widget is placed at once.
  QtControl(QWidget& widget, Twips twips, TextBox* text = nullptr);

  std::string Name() const override;
  void Place() override;

 private:
  QWidget& widget_;
};

}  // namespace platform::qt
