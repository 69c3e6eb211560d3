// The Save-file dialog: where a file the program writes is to go.
#pragma once

#include <optional>
#include <string>

namespace platform {

class SaveDialog {
 public:
  virtual ~SaveDialog() = default;

  // Shows the dialog with the file types of `filter` (as FileDialog::SetFilter takes them,
  // "Excel Workbook|*.xlsx") and `suggested` as the file's name, in the folder of `suggested`
  // when it names one. The dialog asks before a file is replaced. Returns the path chosen (UTF-8),
  // with the first pattern's extension added when the name typed has none, or nullopt for a
  // cancel.
  virtual std::optional<std::string> ShowSave(const std::string& filter,
                                              const std::string& suggested) = 0;
};

}  // namespace platform
