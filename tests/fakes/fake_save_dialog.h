// A Save-file dialog whose user is scripted: each showing takes the next answer, a path or a
// cancel, and what it was shown is kept.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "platform/save_dialog.h"

namespace fakes {

class FakeSaveDialog : public platform::SaveDialog {
 public:
  // The user's next choice: a path, or std::nullopt for a cancel (also when none is left).
  void Answer(std::optional<std::string> choice) { answers_.push_back(std::move(choice)); }

  std::optional<std::string> ShowSave(const std::string& filter,
                                      const std::string& suggested) override {
    filter_ = filter;
    suggested_ = suggested;
    if (answers_.empty()) return std::nullopt;
    std::optional<std::string> choice = std::move(answers_.front());
    answers_.pop_front();
    return choice;
  }

  const std::string& filter() const { return filter_; }
  const std::string& suggested() const { return suggested_; }

 private:
  std::deque<std::optional<std::string>> answers_;
  std::string filter_;
  std::string suggested_;
};

}  // namespace fakes
