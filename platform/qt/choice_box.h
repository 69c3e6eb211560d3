// The choice box on Qt: a QComboBox of fixed items that the user cannot type into.
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "platform/choice_box.h"

namespace platform::qt {

class QtChoiceBox : public ChoiceBox {
 public:
  explicit QtChoiceBox(QComboBox& box) : box_(box) {}

  void SetItems(const std::vector<std::string>& items) override;
  std::vector<std::string> Items() const override;
  int ListIndex() const override { return box_.currentIndex(); }
  void SetListIndex(int index) override;

 private:
  QComboBox& box_;
};

}  // namespace platform::qt
