// A window as its handlers see it: the inner size and its controls, found by name, with their
// positions and sizes in twips (1440 to the inch) held in single precision.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text_box.h"

namespace platform {

class Control {
 public:
  virtual ~Control() = default;

  virtual std::string Name() const = 0;

  virtual float Left() const = 0;
  virtual float Top() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual void SetLeft(float left) = 0;
  virtual void SetTop(float top) = 0;
  // Both throw RunTimeError 5 ("Invalid procedure call or argument") for a negative size and
  // leave the control as it was.
  virtual void SetWidth(float width) = 0;
  virtual void SetHeight(float height) = 0;

  // The control's text and selection. Throws RunTimeError 438 for a control without text.
  virtual TextBox& Text() = 0;
};

class Form {
 public:
  virtual ~Form() = default;

  // The inner area in twips; 0 x 0 while the window is minimised.
  virtual float ScaleWidth() const = 0;
  virtual float ScaleHeight() const = 0;

  // The control named `name`. Throws RunTimeError 730 when the window has none.
  virtual Control& Controls(const std::string& name) = 0;
};

}  // namespace platform
