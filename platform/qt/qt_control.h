// A control of a window: its name, its position and size in twips as set, and its text when it
// has one. The widget's pixel geometry follows from the twips at the screen's resolution, so
// reading back gives exactly what was set.
#pragma once

#include <QWidget>
#include <string>

#include "platform/form.h"

namespace platform::qt {

class QtControl : public Control {
 public:
  struct Twips {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
  };

  // `text` may be null for a control without text. The widget is placed at once.
  QtControl(QWidget& widget, Twips twips, TextBox* text = nullptr);

  std::string Name() const override;
  float Left() const override { return twips_.left; }
  float Top() const override { return twips_.top; }
  float Width() const override { return twips_.width; }
  float Height() const override { return twips_.height; }
  void SetLeft(float left) override;
  void SetTop(float top) override;
  void SetWidth(float width) override;
  void SetHeight(float height) override;
  TextBox& Text() override;

  // Places the widget again, as after a change of the screen's resolution.
  void Place();

 private:
  QWidget& widget_;
  Twips twips_;
  TextBox* text_;
};

}  // namespace platform::qt
