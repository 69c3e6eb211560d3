#include "platform/system/date_services.h"

#include <windows.h>

namespace platform {

Date SystemToday() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return {local.wYear, local.wMonth, local.wDay};
}

}  // namespace platform
