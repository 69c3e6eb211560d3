// The windows' modal dialogs and the screen's pointer on Windows: the Open-file and Save-file
// dialogs, the message box and the application-wide mouse pointer.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls/file_filter.h"
#include "platform/controls/last_set_pointer.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"
#include "platform/system/windows_api.h"

namespace platform::win32 {

// The file types in the Open dialog's notation: "DBF File\0*.dbf\0", patterns joined by ";",
// ended by a second NUL.
std::wstring Win32Filter(const std::vector<FileType>& types);

class Win32FileDialog : public FileDialog {
 public:
  // `owner` may be null; the dialog is then a window of its own.
  explicit Win32FileDialog(HWND owner) : owner_(owner) {}

  void SetFilter(const std::string& filter) override { filter_ = filter; }
  // Opens in the folder of the last choice, or before the first in the current folder, and
  // leaves the current folder as it was. Throws RunTimeError -32768 when the dialog cannot be
  // shown.
  void ShowOpen() override;
  std::string FileName() const override { return file_name_; }

 private:
  HWND owner_;
  std::string filter_;
  std::string file_name_;
};

// Opens in the folder of `suggested`, or else in the current folder, and leaves the current
// folder as it was. Throws RunTimeError -32768 when the dialog cannot be shown.
class Win32SaveDialog : public SaveDialog {
 public:
  // `owner` may be null.
  explicit Win32SaveDialog(HWND owner) : owner_(owner) {}
  std::optional<std::string> ShowSave(const std::string& filter,
                                      const std::string& suggested) override;

 private:
  HWND owner_;
};

// Shows the prompt with its icon, the OK button alone and the program's name as the title.
class Win32MessageBox : public MessageBox {
 public:
  // `owner` may be null.
  Win32MessageBox(HWND owner, std::string title) : owner_(owner), title_(std::move(title)) {}
  // Throws RunTimeError 7 when Windows cannot show the box.
  void Show(const std::string& prompt, MessageIcon icon) override;

 private:
  HWND owner_;
  std::string title_;
};

// The pointer is the program's: every window of it shows it while it is not the default (see
// PointerOverride).
class Win32MousePointer : public LastSetPointer {
 public:
  ~Win32MousePointer() override;
  void SetPointer(int pointer) override;
};

// The pointer the program shows over all its windows, or null for each window's own. A window
// answers WM_SETCURSOR with it.
HCURSOR PointerOverride();

}  // namespace platform::win32
