#include "calendar/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "platform/run_time_error.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsExponentMark(char c) { return c == 'e' || c == 'E'; }

// Length of the longest prefix of `text` that reads as a decimal number: an optional sign,
// digits with at most one decimal point (at least one digit), and an optional exponent ("e" or
// "E", an optional sign and at least one digit). 0 when none.
std::size_t NumberPrefixLength(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && IsExponentMark(text[i])) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const std::size_t exponent_start = j;
    while (j < text.size() && IsDigit(text[j])) ++j;
    if (j > exponent_start) i = j;
  }
  return i;
}

std::int16_t RoundToInt16(double value) {
  // Half to the even neighbour.
  const double floor = std::floor(value);
  const double fraction = value - floor;
  double rounded = floor;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) rounded = floor + 1.0;
  if (!(rounded >= -32768.0 && rounded <= 32767.0)) throw RunTimeError::Overflow();
  return static_cast<std::int16_t>(rounded);
}

// `number` is a whole match of the grammar of NumberPrefixLength.
std::int16_t NumberValue(std::string_view number) {
  // Plain digits, the common case of a date field, skip the floating-point reading.
  if (!number.empty() && number.size() <= 9) {
    std::int32_t value = 0;
    bool plain = true;
    for (const char c : number) {
      if (!IsDigit(c)) {
        plain = false;
        break;
      }
      value = value * 10 + (c - '0');
    }
    if (plain) {
      if (value > 32767) throw RunTimeError::Overflow();
      return static_cast<std::int16_t>(value);
    }
  }
  const bool negative = number.front() == '-';
  if (number.front() == '+' || number.front() == '-') number.remove_prefix(1);
  double magnitude = 0.0;
  const auto [end, error] =
      std::from_chars(number.data(), number.data() + number.size(), magnitude);
  if (error == std::errc::result_out_of_range) {
    // Too small to matter reads as 0; too large does not fit.
    const std::size_t mark = number.find_first_of("eE");
    const bool tiny =
        mark != std::string_view::npos && mark + 1 < number.size() && number[mark + 1] == '-';
    if (!tiny) throw RunTimeError::Overflow();
    magnitude = 0.0;
  }
  return RoundToInt16(negative ? -magnitude : magnitude);
}

// The value of a field of one to four plain digits, the usual date field; -1 for any other.
int PlainDigitsValue(std::string_view field) {
  if (field.empty() || field.size() > 4) return -1;
  int value = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::int16_t LenientGeneral(std::string_view field) {
  std::string packed;
  packed.reserve(field.size());
  for (const char c : field) {
    if (!IsBlank(c)) packed.push_back(c);
  }
  const std::size_t length = NumberPrefixLength(packed);
  if (length == 0) return 0;
  return NumberValue(std::string_view(packed).substr(0, length));
}

}  // namespace

std::int16_t LenientInteger(std::string_view field) {
  if (const int value = PlainDigitsValue(field); value >= 0)
    return static_cast<std::int16_t>(value);
  // Digits and blanks alone need no copy of the field.
  std::int32_t value = 0;
  for (const char c : field) {
    if (IsBlank(c)) continue;
    if (IsDigit(c)) {
      value = std::min(value * 10 + (c - '0'), std::int32_t{99999});
      continue;
    }
    if (c == '.' || IsExponentMark(c) || c == '+' || c == '-') return LenientGeneral(field);
    break;
  }
  if (value > 32767) throw RunTimeError::Overflow();
  return static_cast<std::int16_t>(value);
}

std::int16_t StrictInteger(std::string_view field) {
  if (const int value = PlainDigitsValue(field); value >= 0)
    return static_cast<std::int16_t>(value);
  while (!field.empty() && IsBlank(field.front())) field.remove_prefix(1);
  while (!field.empty() && IsBlank(field.back())) field.remove_suffix(1);
  if (field.empty() || NumberPrefixLength(field) != field.size()) {
    throw RunTimeError::TypeMismatch();
  }
  return NumberValue(field);
}

}  // namespace platform
