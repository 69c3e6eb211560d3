// A choice box that keeps its items and the chosen index, as both windows' boxes do.
#pragma once

#include <string>
#include <vector>

#include "platform/choice_box.h"
#include "platform/run_time_error.h"

namespace fakes {

class FakeChoiceBox : public platform::ChoiceBox {
 public:
  void SetItems(const std::vector<std::string>& items) override {
    items_ = items;
    index_ = -1;
  }
  std::vector<std::string> Items() const override { return items_; }
  int ListIndex() const override { return index_; }
  void SetListIndex(int index) override {
    if (index < -1 || index >= static_cast<int>(items_.size())) {
      throw platform::RunTimeError(platform::error::kInvalidPropertyValue);
    }
    index_ = index;
  }

 private:
  std::vector<std::string> items_;
  int index_ = -1;
};

}  // namespace fakes
