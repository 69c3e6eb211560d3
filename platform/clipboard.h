// The system clipboard, as plain text.
#pragma once

#include <string>

namespace platform {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void Clear() = 0;
  // Puts `text` (UTF-8) on the clipboard in the platform's default plain-text format.
  virtual void SetText(const std::string& text) = 0;
};

}  // namespace platform
