// What the headless command writes, in one version for each kind of system: a file that takes
// its destination's place only once it is complete, standard output with its bytes as they are
// (no line ends changed on Windows), and what is checked before anything is written. Paths are
// UTF-8 text. Failures to write are RunTimeError 75 naming the file and the system's reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A file made in the folder of `destination` under a name of its own, written, then put in the
// destination's place in one step. Dropped before Commit, it is removed and the destination is
// left as it was.
class ReplacingFile {
 public:
  // Throws RunTimeError 75 when no file can be made in that folder.
  explicit ReplacingFile(const std::string& destination);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // The file's own path, for a writer that fills it by name; it stays open here, shared.
  const std::string& path() const { return path_; }
  // Appends `bytes`. Throws 75.
  void Write(std::string_view bytes);
  // Closes the file and puts it in the destination's place, replacing what was there. Throws 75.
  void Commit();

 private:
  void Close();

  std::string destination_;
  std::string path_;
  std::intptr_t file_ = -1;  // the descriptor, or on Windows the handle
};

// Where ReplacingFile makes its file: the destination's folder, then "." and the destination's
// name, to which a unique ending is added.
std::string ReplacementPrefix(const std::string& destination);

// Writes `bytes` to standard output as they are. Throws 75.
void WriteStandardOutput(std::string_view bytes);

// Writes the UTF-8 `text` to standard error, each "\n" as the system's line end (CR LF on
// Windows). A Windows console is given the text as UTF-16, so every character shows whatever its
// code page. A message that cannot be written is lost: this never throws.
void WriteStandardError(std::string_view text) noexcept;

bool StandardOutputIsTerminal();

// Whether the two paths name one file (through links, other spellings or letter case); false
// when either names nothing.
bool IsSameFile(const std::string& a, const std::string& b);

// The folder for temporary files, as UTF-8, ending in the folder separator.
std::string TemporaryFolder();

// The program's arguments after its name, as UTF-8: on Windows taken from the wide command line,
// since `argv` there is in the local code page and cannot hold every name.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace platform
