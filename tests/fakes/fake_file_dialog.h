// An Open-file dialog whose user is scripted: each showing takes the next answer, a path or a
// cancel.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "platform/file_dialog.h"
#include "tests/fakes/call_log.h"

namespace fakes {

// Records "SetFilter <filter>" and "ShowOpen"; FailAt with either name makes it throw. A showing
// with no answer left is a cancel.
class FakeFileDialog : public platform::FileDialog, public CallRecorder {
 public:
  explicit FakeFileDialog(CallLog* log = nullptr) : CallRecorder(log) {}

  // The user's next choice: a path, or std::nullopt for a cancel.
  void Answer(std::optional<std::string> choice) { answers_.push_back(std::move(choice)); }

  void SetFilter(const std::string& filter) override {
    Enter("SetFilter", filter);
    filter_ = filter;
  }
  void ShowOpen() override {
    Enter("ShowOpen");
    ++showings_;
    if (answers_.empty()) return;
    std::optional<std::string> choice = std::move(answers_.front());
    answers_.pop_front();
    if (choice) file_name_ = std::move(*choice);
  }
  std::string FileName() const override { return file_name_; }

  const std::string& filter() const { return filter_; }
  int showings() const { return showings_; }

 private:
  std::deque<std::optional<std::string>> answers_;
  std::string filter_;
  std::string file_name_;
  int showings_ = 0;
};

}  // namespace fakes
