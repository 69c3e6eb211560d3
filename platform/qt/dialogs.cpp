#include "platform/qt/dialogs.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <optional>

#include "platform/form.h"
#include "platform/run_time_error.h"

namespace platform::qt {
namespace {

std::optional<Qt::CursorShape> ShapeOf(int pointer) {
  switch (pointer) {
    case 1:
      return Qt::ArrowCursor;
    case 2:
      return Qt::CrossCursor;
    case 3:
      return Qt::IBeamCursor;
    case kPointerHourglass:
      return Qt::WaitCursor;
    case 13:
      return Qt::BusyCursor;
    default:
      return std::nullopt;
  }
}

// Qt's file dialog reads its history, last folder and view from the user's settings
// (QtProject.conf) and saves them there when it closes. The program keeps nothing between runs, so
// the process's user-scope settings live in a folder of its own, made before the first dialog and
// removed when the program ends; where no such folder can be made, in a folder that cannot be.
void KeepSettingsPrivate() {
  static QTemporaryDir folder;
  static const bool kept = [] {
    const QString path = folder.isValid() ? folder.path() : QStringLiteral("/dev/null/settings");
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
      QSettings::setPath(format, QSettings::UserScope, path);
    }
    return true;
  }();
  (void)kept;
}

}  // namespace

std::string QtNameFilters(const std::vector<FileType>& types) {
  std::string filters;
  for (const FileType& type : types) {
    if (!filters.empty()) filters += ";;";
    filters += type.description + " (";
    for (std::size_t i = 0; i < type.patterns.size(); ++i) {
      if (i > 0) filters += ' ';
      filters += type.patterns[i];
    }
    filters += ')';
  }
  return filters;
}

void QtFileDialog::ShowOpen() {
  KeepSettingsPrivate();
  // Before the first choice the dialog opens in the current folder, not in a folder another
  // dialog of the program visited last.
  const QString start = QString::fromStdString(file_name_);
  // Qt's own dialog matches the patterns in any letter case, as tables copied from other
  // systems need (TRAN.DBF); the desktop's dialog may not.
  const QString chosen = QFileDialog::getOpenFileName(
      parent_, QString(), start.isEmpty() ? QDir::currentPath() : QFileInfo(start).absolutePath(),
      QString::fromStdString(QtNameFilters(ParseFilter(filter_))), nullptr,
      QFileDialog::DontUseNativeDialog);
  if (!chosen.isEmpty()) file_name_ = chosen.toStdString();
}

std::optional<std::string> QtSaveDialog::ShowSave(const std::string& filter,
                                                  const std::string& suggested) {
  KeepSettingsPrivate();
  const std::vector<FileType> types = ParseFilter(filter);
  QString chosen = QFileDialog::getSaveFileName(
      parent_, QString(), QString::fromStdString(suggested),
      QString::fromStdString(QtNameFilters(types)), nullptr, QFileDialog::DontUseNativeDialog);
  if (chosen.isEmpty()) return std::nullopt;
  // A name typed without an extension gets the file type's.
  if (QFileInfo(chosen).suffix().isEmpty() && !types.empty() && !types[0].patterns.empty()) {
    const std::string& pattern = types[0].patterns[0];
    if (pattern.rfind("*.", 0) == 0) chosen += QString::fromStdString(pattern.substr(1));
  }
  return chosen.toStdString();
}

void QtMessageBox::Show(const std::string& prompt, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::kCritical ? QMessageBox::Critical : QMessageBox::Information,
                  QApplication::applicationDisplayName(), QString::fromStdString(prompt),
                  QMessageBox::Ok, parent_);
  box.exec();
}

QtMousePointer::~QtMousePointer() {
  if (pointer_ != kPointerDefault) QApplication::restoreOverrideCursor();
}

void QtMousePointer::SetPointer(int pointer) {
  if (pointer == pointer_) return;
  if (pointer == kPointerDefault) {
    QApplication::restoreOverrideCursor();
  } else {
    const std::optional<Qt::CursorShape> shape = ShapeOf(pointer);
    if (!shape) throw RunTimeError(error::kInvalidPropertyValue);
    if (pointer_ == kPointerDefault) {
      QApplication::setOverrideCursor(QCursor(*shape));
    } else {
      QApplication::changeOverrideCursor(QCursor(*shape));
    }
  }
  pointer_ = pointer;
}

}  // namespace platform::qt
