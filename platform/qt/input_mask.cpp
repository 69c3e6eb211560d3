#include "platform/qt/input_mask.h"

#include <string_view>
#include <utility>

#include "platform/form.h"
#include "platform/run_time_error.h"

namespace platform::qt {
namespace {

RunTimeError InvalidPropertyValue() { return RunTimeError(error::kInvalidPropertyValue); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

InputMask::InputMask(std::string mask, char prompt) : mask_(std::move(mask)), prompt_(prompt) {}

std::string InputMask::Empty() const {
  std::string text = mask_;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsDigitPosition(i)) text[i] = prompt_;
  }
  return text;
}

bool InputMask::Fits(const std::string& text) const {
  if (text.size() != mask_.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool fits =
        IsDigitPosition(i) ? IsDigit(text[i]) || text[i] == prompt_ : text[i] == mask_[i];
    if (!fits) return false;
  }
  return true;
}

std::string InputMask::Replace(const std::string& text, int start, int length,
                               const std::string& insert) const {
  if (!Fits(text) || start < 0 || length < 0 ||
      static_cast<std::size_t>(start) + static_cast<std::size_t>(length) > text.size()) {
    throw InvalidPropertyValue();
  }
  std::string result = text;
  std::size_t position = static_cast<std::size_t>(start);
  const std::size_t end = position + static_cast<std::size_t>(length);
  for (const char c : insert) {
    if (position < end && !IsDigitPosition(position) && c == mask_[position]) {
      ++position;
      continue;
    }
    while (position < end && !IsDigitPosition(position)) ++position;
    if (position == end || !(IsDigit(c) || c == prompt_)) throw InvalidPropertyValue();
    result[position++] = c;
  }
  for (; position < end; ++position) {
    if (IsDigitPosition(position)) result[position] = prompt_;
  }
  return result;
}

std::string InputMask::QtInputMask() const {
  std::string qt_mask;
  for (const char c : mask_) {
    if (c == '#') {
      qt_mask += '9';
    } else {
      if (std::string_view("AaNnXx90DdHhBb<>!{}[]\\;").find(c) != std::string_view::npos) {
        qt_mask += '\\';
      }
      qt_mask += c;
    }
  }
  qt_mask += ';';
  qt_mask += prompt_;
  return qt_mask;
}

}  // namespace platform::qt
