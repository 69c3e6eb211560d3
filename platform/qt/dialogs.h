// The window's modal dialogs and the screen's pointer on Qt: the Open-file dialog, the message
// box and the application-wide mouse pointer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/controls/file_filter.h"
#include "platform/controls/last_set_pointer.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"

class QWidget;

namespace platform::qt {

// The file types in Qt's notation: "DBF File (*.dbf)", joined by ";;".
std::string QtNameFilters(const std::vector<FileType>& types);

class QtFileDialog : public FileDialog {
 public:
  // `parent` may be null; the dialog is then centred on the screen.
  explicit QtFileDialog(QWidget* parent) : parent_(parent) {}

  void SetFilter(const std::string& filter) override { filter_ = filter; }
  void ShowOpen() override;
  std::string FileName() const override { return file_name_; }

 private:
  QWidget* parent_;
  std::string filter_;
  std::string file_name_;
};

// Qt's own Save dialog, which asks before a file is replaced.
class QtSaveDialog : public SaveDialog {
 public:
  explicit QtSaveDialog(QWidget* parent) : parent_(parent) {}
  std::optional<std::string> ShowSave(const std::string& filter,
                                      const std::string& suggested) override;

 private:
  QWidget* parent_;
};

// Shows the prompt with its icon, the OK button alone and the application's name as the title.
class QtMessageBox : public MessageBox {
 public:
  explicit QtMessageBox(QWidget* parent) : parent_(parent) {}
  void Show(const std::string& prompt, MessageIcon icon) override;

 private:
  QWidget* parent_;
};

// The application's override cursor.
class QtMousePointer : public LastSetPointer {
 public:
  ~QtMousePointer() override;
  void SetPointer(int pointer) override;
};

}  // namespace platform::qt
