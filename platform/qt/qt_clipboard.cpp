#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>
#include <memory>

namespace platform {

QtClipboard::QtClipboard() : QtClipboard(QGuiApplication::clipboard()) {}

QtClipboard::QtClipboard(QClipboard* clipboard) : clipboard_(clipboard) {}

void QtClipboard::Clear() { clipboard_->clear(); }

void QtClipboard::SetText(const std::string& text, const std::vector<ClipboardFlavour>& flavours) {
  auto data = std::make_unique<QMimeData>();
  data->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  for (const ClipboardFlavour& flavour : flavours) {
    if (flavour.mime_type.empty()) continue;
    data->setData(QString::fromStdString(flavour.mime_type),
                  QByteArray(flavour.data.data(), static_cast<qsizetype>(flavour.data.size())));
  }
  clipboard_->setMimeData(data.release());  // the clipboard owns it from here
}

}  // namespace platform
