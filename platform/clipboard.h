// The system clipboard: plain text, and beside it other forms of the same content (flavours) for
// the programs that read them.
#pragma once

#include <string>
#include <vector>

namespace platform {

// One form of the clipboard's content beside the plain text. A flavour is named once for each
// kind of system; an empty name leaves it off that kind.
struct ClipboardFlavour {
  // The MIME type X11 and Wayland programs ask for, e.g. "application/x-gnumeric".
  std::string mime_type;
  // The registered Windows clipboard format, e.g. "HTML Format".
  std::string windows_format;
  // The bytes as the flavour's programs read them.
  std::string data;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void Clear() = 0;
  // Puts `text` (UTF-8) on the clipboard in the platform's plain-text formats and, in the same
  // change, each of `flavours` that has a name on this system: other programs see all of them
  // or none.
  virtual void SetText(const std::string& text, const std::vector<ClipboardFlavour>& flavours) = 0;
};

}  // namespace platform
