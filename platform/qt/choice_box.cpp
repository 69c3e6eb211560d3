#include "platform/qt/choice_box.h"

#include <QSignalBlocker>

#include "platform/run_time_error.h"

namespace platform::qt {

void QtChoiceBox::SetItems(const std::vector<std::string>& items) {
  const QSignalBlocker quiet(box_);
  box_.clear();
  for (const std::string& item : items) box_.addItem(QString::fromStdString(item));
  box_.setCurrentIndex(-1);
}

std::vector<std::string> QtChoiceBox::Items() const {
  std::vector<std::string> items;
  for (int i = 0; i < box_.count(); ++i) items.push_back(box_.itemText(i).toStdString());
  return items;
}

void QtChoiceBox::SetListIndex(int index) {
  if (index < -1 || index >= box_.count()) throw RunTimeError(error::kInvalidPropertyValue);
  const QSignalBlocker quiet(box_);
  box_.setCurrentIndex(index);
}

}  // namespace platform::qt
