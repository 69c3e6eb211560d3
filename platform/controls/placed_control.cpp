#include "platform/controls/placed_control.h"

#include "platform/run_time_error.h"

namespace platform {
namespace {

void RefuseNegativeSize(float size) {
  if (size < 0) {
    throw RunTimeError(error::kInvalidArgument);
  }
}

}  // namespace

void PlacedControl::SetLeft(float left) {
  twips_.left = left;
  Place();
}

void PlacedControl::SetTop(float top) {
  twips_.top = top;
  Place();
}

void PlacedControl::SetWidth(float width) {
  RefuseNegativeSize(width);
  twips_.width = width;
  Place();
}

void PlacedControl::SetHeight(float height) {
  RefuseNegativeSize(height);
  twips_.height = height;
  Place();
}

TextBox& PlacedControl::Text() {
  if (text_ == nullptr) {
    throw RunTimeError(error::kObjectDoesNotSupport);
  }
  return *text_;
}

}  // namespace platform
