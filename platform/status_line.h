// A line of text along the bottom of a window, outside the area its controls are laid out in.
#pragma once

#include <string>

namespace platform {

class StatusLine {
 public:
  virtual ~StatusLine() = default;
  virtual void SetText(const std::string& text) = 0;
};

}  // namespace platform
