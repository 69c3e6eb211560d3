#include "platform/system/system_message.h"

namespace platform {

std::string WithoutClosingStop(std::string text) {
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

}  // namespace platform
