#include "platform/output_file.h"

#include <filesystem>

#include "platform/path_text.h"

namespace platform {

std::string ReplacementPrefix(const std::string& target) {
  const std::filesystem::path path = PathFromUtf8(target);
  return Utf8Of(path.parent_path() / PathFromUtf8("." + Utf8Of(path.filename())));
}

}  // namespace platform
