#include "platform/system/system_message.h"

#include <cstring>

namespace platform {

std::string SystemErrorText(std::uint32_t code) {
  return WithoutClosingStop(std::strerror(static_cast<int>(code)));
}

}  // namespace platform
