// The screen's pointer as a number that tests can watch.
#pragma once

#include <string>
#include <vector>

#include "platform/mouse_pointer.h"
#include "tests/fakes/call_log.h"

namespace fakes {

// Records "SetPointer <n>"; FailAt("SetPointer") makes every change throw.
class FakeMousePointer : public platform::MousePointer, public CallRecorder {
 public:
  explicit FakeMousePointer(CallLog* log = nullptr) : CallRecorder(log) {}

  int Pointer() const override { return pointer_; }
  void SetPointer(int pointer) override {
    Enter("SetPointer", std::to_string(pointer));
    pointer_ = pointer;
    history_.push_back(pointer);
  }

  // Every value set, in order.
  const std::vector<int>& history() const { return history_; }

 private:
  int pointer_ = platform::kPointerDefault;
  std::vector<int> history_;
};

}  // namespace fakes
