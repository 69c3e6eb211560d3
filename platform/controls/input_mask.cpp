#include "platform/controls/input_mask.h"

#include <algorithm>
#include <utility>

#include "platform/form.h"
#include "platform/run_time_error.h"

namespace platform {
namespace {

RunTimeError InvalidPropertyValue() { return RunTimeError(error::kInvalidPropertyValue); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

InputMask::InputMask(std::string mask, char prompt) : mask_(std::move(mask)), prompt_(prompt) {}

std::string InputMask::Empty() const {
  std::string text = mask_;
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = Cleared(i);
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

MaskedEdit InputMask::Insert(MaskedEdit edit, std::string_view keys) const {
  edit = ClearSelection(std::move(edit));
  const auto size = mask_.size();
  auto position = static_cast<std::size_t>(edit.caret);
  std::size_t k = 0;
  while (k < keys.size() && position < size) {
    const char key = keys[k];
    if (!IsDigitPosition(position)) {
      // A literal in the way is passed over; the key is spent only when it is that literal.
      if (key == mask_[position]) ++k;
      ++position;
      continue;
    }
    ++k;
    if (IsDigit(key)) {
      edit.text[position++] = key;
      continue;
    }
    // "/" typed in the month jumps to the day: the digits passed over keep what they hold. Typed
    // alone right after a "/", it is the one just stepped over and changes nothing.
    std::size_t literal = position;
    while (literal < size && (IsDigitPosition(literal) || mask_[literal] != key)) ++literal;
    if (literal == size) continue;
    const bool just_passed = keys.size() == 1 && position > 0 && !IsDigitPosition(position - 1) &&
                             mask_[position - 1] == key;
    if (!just_passed) position = literal + 1;
  }
  edit.caret = edit.anchor = NextStop(static_cast<int>(position));
  return edit;
}

MaskedEdit InputMask::Backspace(MaskedEdit edit) const {
  if (edit.anchor != edit.caret) return ClearSelection(std::move(edit));
  if (edit.caret == 0) return edit;
  edit.caret = edit.anchor = PreviousStop(edit.caret - 1);
  const auto position = static_cast<std::size_t>(edit.caret);
  if (position < mask_.size()) edit.text[position] = Cleared(position);
  return edit;
}

MaskedEdit InputMask::Delete(MaskedEdit edit) const {
  if (edit.anchor != edit.caret) return ClearSelection(std::move(edit));
  const auto position = static_cast<std::size_t>(edit.caret);
  if (position < mask_.size()) edit.text[position] = Cleared(position);
  return edit;
}

int InputMask::CaretStop(int from, int to) const {
  to = std::clamp(to, 0, static_cast<int>(mask_.size()));
  if (to == from) return to;
  return to > from ? NextStop(to) : PreviousStop(to);
}

MaskedEdit InputMask::ClearSelection(MaskedEdit edit) const {
  const int size = static_cast<int>(mask_.size());
  const int start = std::clamp(edit.SelStart(), 0, size);
  const int end = std::clamp(edit.SelEnd(), 0, size);
  if (edit.text.size() != mask_.size()) edit.text = Empty();
  for (int i = start; i < end; ++i) {
    edit.text[static_cast<std::size_t>(i)] = Cleared(static_cast<std::size_t>(i));
  }
  edit.anchor = edit.caret = start;
  return edit;
}

char InputMask::Cleared(std::size_t position) const {
  return IsDigitPosition(position) ? prompt_ : mask_[position];
}

int InputMask::NextStop(int position) const {
  const int size = static_cast<int>(mask_.size());
  while (position < size && !IsDigitPosition(static_cast<std::size_t>(position))) ++position;
  return std::min(position, size);
}

int InputMask::PreviousStop(int position) const {
  position = std::min(position, static_cast<int>(mask_.size()) - 1);
  while (position >= 0 && !IsDigitPosition(static_cast<std::size_t>(position))) --position;
  return std::max(position, 0);
}

}  // namespace platform
