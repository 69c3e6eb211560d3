#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

namespace platform {

QtClipboard::QtClipboard() : QtClipboard(QGuiApplication::clipboard()) {}

QtClipboard::QtClipboard(QClipboard* clipboard) : clipboard_(clipboard) {}

void QtClipboard::Clear() { clipboard_->clear(); }

void QtClipboard::SetText(const std::string& text) {
  clipboard_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace platform
