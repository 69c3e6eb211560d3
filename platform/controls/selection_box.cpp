#include "platform/controls/selection_box.h"

#include <algorithm>

#include "platform/run_time_error.h"

namespace platform {
namespace {

void RefuseNegative(int value) {
  if (value < 0) throw RunTimeError(error::kInvalidPropertyValue, "Invalid property value");
}

}  // namespace

void SelectionBox::SetSelStart(int start) {
  RefuseNegative(start);
  Select(std::min(start, TextLength()), 0);
}

void SelectionBox::SetSelLength(int length) {
  RefuseNegative(length);
  const int start = SelStart();
  Select(start, std::min(length, TextLength() - start));
}

}  // namespace platform
