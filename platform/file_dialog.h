// The Open-file dialog the window offers for picking a database file.
#pragma once

#include <string>

namespace platform {

class FileDialog {
 public:
  virtual ~FileDialog() = default;

  // Pairs of a description and a pattern, each part ended by "|": "DBF File|*.dbf" offers one
  // file type, "DBF File", that matches *.dbf.
  virtual void SetFilter(const std::string& filter) = 0;
  // Shows the dialog and returns when the user closes it. A chosen file becomes FileName(); a
  // cancel leaves FileName() as it was.
  virtual void ShowOpen() = 0;
  // The last file chosen (UTF-8), kept from one showing to the next; empty before the first.
  virtual std::string FileName() const = 0;
};

}  // namespace platform
