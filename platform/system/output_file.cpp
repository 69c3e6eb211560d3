#include "platform/system/output_file.h"

#include <filesystem>

#include "platform/system/path_text.h"

namespace platform {

std::string ReplacementPrefix(const std::string& target) {
  return Utf8Of(PathFromUtf8(target).parent_path() / PathFromUtf8(".kolvex"));
}

}  // namespace platform
