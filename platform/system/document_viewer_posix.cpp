#include "platform/system/document_viewer.h"

#include "platform/run_time_error.h"
#include "platform/system/program_start.h"

namespace platform {

void OpenDocument(const std::string& path) {
  const std::string opener = FindProgram("xdg-open", ProgramSearchPath());
  if (opener.empty()) {
    throw RunTimeError(error::kFileNotFound, "no program to show " + path +
                                                 " was found (xdg-open). The file is saved; open "
                                                 "it with a PDF viewer to print it.");
  }
  StartProgram({opener, path});
}

}  // namespace platform
