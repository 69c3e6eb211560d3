#include "platform/qt/clipboard.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>
#include <QStringList>
#include <limits>
#include <memory>
#include <new>
#include <string_view>
#include <utility>

namespace platform::qt {
namespace {

constexpr char kPlainText[] = "text/plain";

// The clipboard's content as forms that are made when a program asks for them, each time it
// asks: Qt asks on a paste, for the one form the pasting program wants.
class OfferedData : public QMimeData {
 public:
  OfferedData(ClipboardRenderer text, std::vector<ClipboardForm> forms) : text_(std::move(text)) {
    for (ClipboardForm& form : forms) {
      if (!form.mime_type.empty()) forms_.push_back(std::move(form));
    }
  }

  QStringList formats() const override {
    QStringList names{QString::fromLatin1(kPlainText)};
    for (const ClipboardForm& form : forms_)
      names.push_back(QString::fromStdString(form.mime_type));
    return names;
  }
  bool hasFormat(const QString& mime_type) const override { return formats().contains(mime_type); }

 protected:
  QVariant retrieveData(const QString& mime_type, QMetaType) const override {
    // Made as bytes whatever the type asked for: QMimeData turns the text's UTF-8 into a string.
    if (mime_type == QLatin1String(kPlainText)) {
      QByteArray text = Make(text_);
      // What a program receives is the text decoded as UTF-8: a byte that is not UTF-8 becomes
      // U+FFFD, as it would in a string.
      if (!QByteArrayView(text).isValidUtf8()) text = QString::fromUtf8(text).toUtf8();
      return text;
    }
    for (const ClipboardForm& form : forms_) {
      if (mime_type == QString::fromStdString(form.mime_type)) return Make(form.render);
    }
    return {};
  }

 private:
  // The form's bytes, or none when they cannot be made: an exception must not cross Qt's event
  // handling, and a paste of nothing is all the pasting program can be told.
  static QByteArray Make(const ClipboardRenderer& render) {
    try {
      QByteArray bytes;
      render(ClipboardWriter(
          [&bytes](std::string_view piece) {
            bytes.append(piece.data(), static_cast<qsizetype>(piece.size()));
          },
          [&bytes](std::size_t expected) {
            if (expected > static_cast<std::size_t>(std::numeric_limits<qsizetype>::max() / 2)) {
              return;
            }
            try {
              bytes.reserve(static_cast<qsizetype>(expected));
            } catch (const std::bad_alloc&) {
              // Too large a guess: the bytes grow as they come instead.
            }
          }));
      return bytes;
    } catch (...) {
      return {};
    }
  }

  ClipboardRenderer text_;
  std::vector<ClipboardForm> forms_;
};

}  // namespace

QtClipboard::QtClipboard() : QtClipboard(QGuiApplication::clipboard()) {}

QtClipboard::QtClipboard(QClipboard* clipboard) : clipboard_(clipboard) {}

void QtClipboard::Clear() { clipboard_->clear(); }

void QtClipboard::Offer(ClipboardRenderer text, std::vector<ClipboardForm> forms) {
  auto data = std::make_unique<OfferedData>(std::move(text), std::move(forms));
  clipboard_->setMimeData(data.release());  // the clipboard owns it from here
}

}  // namespace platform::qt
