// The system clipboard through Qt.
#pragma once

#include <string>
#include <vector>

#include "platform/clipboard.h"

class QClipboard;

namespace platform::qt {

class QtClipboard : public Clipboard {
 public:
  // The application's clipboard; needs a QGuiApplication (or QApplication) to exist.
  QtClipboard();
  explicit QtClipboard(QClipboard* clipboard);

  void Clear() override;
  // Puts the text on as plain text, which Qt hands to other programs in the desktop's text
  // formats, decoded as UTF-8 (bytes that are not UTF-8 become U+FFFD), and offers each form that
  // has a MIME type under that type. A form is made when a program asks for it, every time it
  // asks; one that fails to be made is refused, and left off from then on. On X11 the clipboard
  // is served by this program, so its content lasts while the program runs.
  void SetText(std::string text, std::vector<ClipboardForm> forms) override;

 private:
  QClipboard* clipboard_;
};

}  // namespace platform::qt
