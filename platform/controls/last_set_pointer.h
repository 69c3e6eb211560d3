// What both window systems' mouse pointers share: the number last set, read back as it was set.
#pragma once

#include "platform/mouse_pointer.h"

namespace platform {

// Numbers as the classic screen object knows them: 0 default, 1 arrow, 2 cross, 3 I-beam,
// 11 hourglass, 13 arrow and hourglass.
class LastSetPointer : public MousePointer {
 public:
  int Pointer() const override { return pointer_; }

 protected:
  int pointer_ = kPointerDefault;
};

}  // namespace platform
