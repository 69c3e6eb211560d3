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
  // Offers the text as plain text, which Qt hands to other programs in the desktop's text
  // formats, decoded as UTF-8 (bytes that are not UTF-8 become U+FFFD), and each form that has a
  // MIME type under that type. Each is made when a program asks for it, every time it asks; one
  // that fails to be made is handed over empty. On X11 the clipboard is served by this program,
  // so its content lasts while the program runs.
  void Offer(ClipboardRenderer text, std::vector<ClipboardForm> forms) override;

 private:
  QClipboard* clipboard_;
};

}  // namespace platform::qt
