// What the platform fakes share: one log of their calls in the order they came, so a test can
// check the order across fakes, and failures planned by the name of the call.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/run_time_error.h"

namespace fakes {

class CallLog {
 public:
  void Record(std::string call) { calls_.push_back(std::move(call)); }
  const std::vector<std::string>& calls() const { return calls_; }

 private:
  std::vector<std::string> calls_;
};

// The base of a fake: records each call in the log, if it has one, and throws the error planned
// for that call's name.
class CallRecorder {
 public:
  explicit CallRecorder(CallLog* log) : log_(log) {}

  // From now on the call `name` throws `error` after it is recorded.
  void FailAt(const std::string& name, platform::RunTimeError error) {
    failures_.insert_or_assign(name, std::move(error));
  }

 protected:
  // Records "<name>" or "<name> <detail>", then throws if a failure is planned for `name`.
  void Enter(const std::string& name, const std::string& detail = "") {
    if (log_ != nullptr) log_->Record(detail.empty() ? name : name + " " + detail);
    auto failure = failures_.find(name);
    if (failure != failures_.end()) throw failure->second;
  }

 private:
  CallLog* log_;
  std::map<std::string, platform::RunTimeError> failures_;
};

}  // namespace fakes
