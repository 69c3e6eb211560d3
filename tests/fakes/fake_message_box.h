// A message box that records what it would show and returns at once, as if OK were pressed.
#pragma once

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "tests/fakes/call_log.h"

namespace fakes {

// Records "MessageBox <icon number> <prompt>"; FailAt("MessageBox") makes every box fail.
class FakeMessageBox : public platform::MessageBox, public CallRecorder {
 public:
  explicit FakeMessageBox(CallLog* log = nullptr) : CallRecorder(log) {}

  void Show(const std::string& prompt, platform::MessageIcon icon) override {
    Enter("MessageBox", std::to_string(static_cast<int>(icon)) + " " + prompt);
    shown_.push_back(std::to_string(static_cast<int>(icon)) + " " + prompt);
  }

  // Every box shown, as "<icon number> <prompt>".
  const std::vector<std::string>& shown() const { return shown_; }

 private:
  std::vector<std::string> shown_;
};

}  // namespace fakes
