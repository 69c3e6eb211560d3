// What the headless command writes, in one version for each kind of system: its output file,
// written as the kind of file the destination is, standard output with its bytes as they are (no
// line ends changed on Windows), and what is checked before anything is written. Paths are UTF-8
// text. Failures to write are RunTimeError 75 naming the file and the system's reason.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The destination of an export. A destination that does not exist, or is a regular file, is
// replaced in one step: a file is made beside it under a name of its own, written, then put in its
// place, so readers see the old file or the whole new one. A link is followed and its target
// replaced, in the target's folder; the link stays. A replaced file keeps its mode and, where the
// process may set it, its owner; a new file gets what the system gives new files (the umask on
// POSIX systems). Any other destination (a device, a pipe, a terminal, standard output under
// another name) is written in place, as the shell's ">" would, and nothing is put in its place.
// Dropped before Commit, a file made for the destination is removed and the destination left as it
// was; so is it when the program is stopped by a signal (Ctrl+C on Windows) meanwhile.
class OutputFile {
 public:
  // Throws RunTimeError 75 when the destination is a folder, or no file can be made beside it, or
  // it cannot be opened for writing.
  explicit OutputFile(const std::string& destination);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // True when the destination is written in place rather than replaced.
  bool in_place() const { return in_place_; }
  // The path of the file made for the destination, for a writer that fills it by name; empty when
  // the destination is written in place. The file stays open here, shared.
  const std::string& path() const { return path_; }
  // Appends `bytes`. Throws 75.
  void Write(std::string_view bytes);
  // Finishes the output: the made file takes the destination's place, replacing what was there.
  // Throws 75.
  void Commit();

 private:
  void Close();

  std::string destination_;
  std::string target_;       // the file replaced: the destination with its links followed
  std::string path_;         // the made file, while there is one
  std::intptr_t file_ = -1;  // the descriptor, or on Windows the handle
  bool in_place_ = false;
  bool standard_output_ = false;  // the destination is standard output under another name
};

// A file of the program's own in the temporary folder, for a writer that fills a file by name
// when its bytes go elsewhere; removed when dropped, and when the program is stopped by a signal
// (Ctrl+C on Windows).
class TemporaryFile {
 public:
  // `suffix` ends the name (".xlsx"). Throws 75 when no file can be made there.
  explicit TemporaryFile(const std::string& suffix);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& path() const { return path_; }
  // Hands the bytes written to it to `take` in order, 64 KiB at a time, so a file of any size
  // is passed on in little memory. Throws 75, and what `take` throws.
  void ReadInPieces(const std::function<void(std::string_view)>& take) const;

 private:
  std::string path_;
  std::intptr_t file_ = -1;
};

// The name of the file made beside `target` to replace it, to which a unique ending is added: a
// short hidden name of the program's own in the target's folder, so that a target of any name
// the folder takes can be replaced.
std::string ReplacementPrefix(const std::string& target);

// Writes `bytes` to standard output as they are. Throws 75.
void WriteStandardOutput(std::string_view bytes);

// Writes the UTF-8 `text` to standard error, each "\n" as the system's line end (CR LF on
// Windows). A Windows console is given the text as UTF-16, so every character shows whatever its
// code page. A message that cannot be written is lost: this never throws.
void WriteStandardError(std::string_view text) noexcept;

bool StandardOutputIsTerminal();
// Whether `path` names a terminal (a console on Windows).
bool NamesTerminal(const std::string& path);

// Whether the two paths name one file (through links, other spellings or letter case); false
// when either names nothing.
bool IsSameFile(const std::string& a, const std::string& b);

// The folder for temporary files, as UTF-8, ending in the folder separator.
std::string TemporaryFolder();

// The program's arguments after its name, as UTF-8: on Windows taken from the wide command line,
// since `argv` there is in the local code page and cannot hold every name.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace platform
