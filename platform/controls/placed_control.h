// What the controls of every window system share: the position and size in twips as the handlers
// set them, read back exactly, and the text of the controls that have one. The window system's
// own control shows the twips at its screen's resolution in Place().
#pragma once

#include "platform/form.h"

namespace platform {

class PlacedControl : public Control {
 public:
  struct Twips {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
  };

  float Left() const override { return twips_.left; }
  float Top() const override { return twips_.top; }
  float Width() const override { return twips_.width; }
  float Height() const override { return twips_.height; }
  void SetLeft(float left) override;
  void SetTop(float top) override;
  void SetWidth(float width) override;
  void SetHeight(float height) override;
  TextBox& Text() override;

  // Shows the control at its twips again, as after a change of the screen's resolution.
  virtual void Place() = 0;

 protected:
  // `text` may be null for a control without text. The derived control places itself once made.
  PlacedControl(Twips twips, TextBox* text) : twips_(twips), text_(text) {}
  const Twips& twips() const { return twips_; }

 private:
  Twips twips_;
  TextBox* text_;
};

}  // namespace platform
