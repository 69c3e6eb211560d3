#include <cstring>

#include "platform/system/system_message.h"

namespace platform {

std::string SystemErrorText(std::uint32_t code) {
  return WithoutClosingStop(std::strerror(static_cast<int>(code)));
}

}  // namespace platform
