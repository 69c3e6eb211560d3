#include "platform/system/path_text.h"

namespace platform {

// A path's own form is its bytes, kept as they are.
std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::string(text));
}

std::string Utf8Of(const std::filesystem::path& path) { return path.native(); }

}  // namespace platform
