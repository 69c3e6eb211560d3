// The system clipboard through Qt.
#pragma once

#include <string>
#include <vector>

#include "platform/clipboard.h"

class QClipboard;

namespace platform {

class QtClipboard : public Clipboard {
 public:
  // The application's clipboard; needs a QGuiApplication (or QApplication) to exist.
  QtClipboard();
  explicit QtClipboard(QClipboard* clipboard);

  void Clear() override;
  // Decodes `text` as UTF-8 (bytes that are not UTF-8 become U+FFFD) and offers it as plain
  // text, which Qt hands to other programs in the desktop's text formats, and each flavour that
  // has a MIME type under that type, as it is. On X11 the clipboard is served by this program,
  // so its content lasts while the program runs.
  void SetText(const std::string& text, const std::vector<ClipboardFlavour>& flavours) override;

 private:
  QClipboard* clipboard_;
};

}  // namespace platform
