// The system clipboard through Qt.
#pragma once

#include <string>

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
  // text, which Qt hands to other programs in the desktop's text formats.
  void SetText(const std::string& text) override;

 private:
  QClipboard* clipboard_;
};

}  // namespace platform
