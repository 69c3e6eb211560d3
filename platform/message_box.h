// Modal message boxes with the OK button alone and the application's title.
#pragma once

#include <string>

namespace platform {

enum class MessageIcon { kCritical = 16, kInformation = 64 };

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  // Shows `prompt` and returns when the user dismisses it.
  virtual void Show(const std::string& prompt, MessageIcon icon) = 0;
};

}  // namespace platform
