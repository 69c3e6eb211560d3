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

// The clipboard's content: the plain text, made, and forms that are made when a program asks for
// them, each time it asks. On X11 Qt asks whether a form is there before it takes its bytes, so a
// form is made when asked about: one that cannot be made is not there, the paste is refused that
// form, and the form is no longer listed.
class OfferedData : public QMimeData {
 public:
  OfferedData(std::string text, std::vector<ClipboardForm> forms) : text_(std::move(text)) {
    for (ClipboardForm& form : forms) {
      if (!form.mime_type.empty()) forms_.push_back({std::move(form), false});
    }
  }

  QStringList formats() const override {
    QStringList names{QString::fromLatin1(kPlainText)};
    for (const Offered& offered : forms_) {
      if (!offered.failed) names.push_back(QString::fromStdString(offered.form.mime_type));
    }
    return names;
  }
  bool hasFormat(const QString& mime_type) const override {
    const Offered* offered = Find(mime_type);
    if (offered == nullptr) return formats().contains(mime_type);
    if (offered->failed) return false;
    if (made_for_ != offered) {
      made_for_ = nullptr;
      made_.clear();
      if (!Make(*offered, made_)) return false;
      made_for_ = offered;
    }
    return true;
  }

 protected:
  QVariant retrieveData(const QString& mime_type, QMetaType) const override {
    // Given as bytes whatever the type asked for: QMimeData turns the text's UTF-8 into a string.
    if (mime_type == QLatin1String(kPlainText)) {
      QByteArray text(text_.data(), static_cast<qsizetype>(text_.size()));
      // What a program receives is the text decoded as UTF-8: a byte that is not UTF-8 becomes
      // U+FFFD, as it would in a string.
      if (!QByteArrayView(text).isValidUtf8()) text = QString::fromUtf8(text).toUtf8();
      return text;
    }
    const Offered* offered = Find(mime_type);
    if (offered == nullptr || offered->failed) return {};
    QByteArray bytes;
    if (made_for_ == offered) {
      bytes.swap(made_);
      made_for_ = nullptr;
    } else if (!Make(*offered, bytes)) {
      return {};
    }
    return bytes;
  }

 private:
  struct Offered {
    ClipboardForm form;
    mutable bool failed;
  };

  const Offered* Find(const QString& mime_type) const {
    for (const Offered& offered : forms_) {
      if (mime_type == QString::fromStdString(offered.form.mime_type)) return &offered;
    }
    return nullptr;
  }

  // Makes the form's bytes into `bytes`; false, and the form left off from now on, when they
  // cannot be made: an exception must not cross Qt's event handling.
  static bool Make(const Offered& offered, QByteArray& bytes) {
    try {
      offered.form.render(ClipboardWriter(
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
      return true;
    } catch (...) {
      bytes = QByteArray();
      offered.failed = true;
      return false;
    }
  }

  std::string text_;
  std::vector<Offered> forms_;
  // The bytes of the form last asked about, kept for the request that follows.
  mutable const Offered* made_for_ = nullptr;
  mutable QByteArray made_;
};

}  // namespace

QtClipboard::QtClipboard() : QtClipboard(QGuiApplication::clipboard()) {}

QtClipboard::QtClipboard(QClipboard* clipboard) : clipboard_(clipboard) {}

void QtClipboard::Clear() { clipboard_->clear(); }

void QtClipboard::SetText(std::string text, std::vector<ClipboardForm> forms) {
  auto data = std::make_unique<OfferedData>(std::move(text), std::move(forms));
  clipboard_->setMimeData(data.release());  // the clipboard owns it from here
}

}  // namespace platform::qt
