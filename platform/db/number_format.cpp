#include "platform/db/number_format.h"

#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace platform::db {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// `magnitude` (below 2^52) rounded to the nearest integer, halves to even, as nearbyint rounds in
// the default mode, without a call: past 2^52 a double keeps no fraction, so adding 2^52 rounds.
double RoundToInteger(double magnitude) { return (magnitude + 0x1p52) - 0x1p52; }

// The shortest decimal r / 10^k that is `value` rounded to 15 significant digits, found without
// a full conversion: when value * 10^k lies within 3e-16 of its own size from an integer r below
// 10^15, the error of the multiplication (at most 1.2e-16 of it) leaves the true distance under
// the half unit of the 15th digit (5e-16 of it at least), so r / 10^k is that rounding.
bool ShortScaledDecimal(double value, std::int64_t& units, int& scale) {
  const double magnitude = std::fabs(value);
  if (magnitude >= 1e15 || magnitude < 1e-7) return false;
  for (int k = 0; k <= 15; ++k) {
    const double scaled = magnitude * kPowersOfTen[k];
    if (scaled >= 1e15) return false;
    const double rounded = RoundToInteger(scaled);
    if (std::fabs(scaled - rounded) <= scaled * 3e-16) {
      units = static_cast<std::int64_t>(rounded);
      if (value < 0) units = -units;
      scale = k;
      return true;
    }
  }
  return false;
}

std::string_view TrimField(std::string_view field) {
  auto blank = [](char c) { return c == ' ' || c == '\0'; };
  while (!field.empty() && blank(field.front())) field.remove_prefix(1);
  while (!field.empty() && blank(field.back())) field.remove_suffix(1);
  return field;
}

// The parts of a decimal number text; false when the text is not one.
struct DecimalParts {
  bool negative = false;
  std::string_view whole;
  std::string_view fraction;
  bool has_point = false;
  std::string_view exponent;  // digits with an optional sign, after 'e' or 'E'
};

bool SplitDecimal(std::string_view text, DecimalParts& parts) {
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    parts.negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t whole_start = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  parts.whole = text.substr(whole_start, pos - whole_start);
  if (pos < text.size() && text[pos] == '.') {
    parts.has_point = true;
    const std::size_t fraction_start = ++pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    parts.fraction = text.substr(fraction_start, pos - fraction_start);
  }
  if (parts.whole.empty() && parts.fraction.empty()) return false;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    const std::size_t exponent_start = ++pos;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) ++pos;
    const std::size_t digits_start = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    if (pos == digits_start) return false;
    parts.exponent = text.substr(exponent_start, pos - exponent_start);
  }
  return pos == text.size();
}

// The digits from the first that is not 0 to the last that is not 0 in the fraction, those
// between included: 15 or fewer make a decimal a double keeps exactly.
std::size_t SignificantDigits(const DecimalParts& parts) {
  std::string_view whole = parts.whole;
  std::string_view fraction = parts.fraction;
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
  if (!whole.empty()) return whole.size() + fraction.size();
  while (!fraction.empty() && fraction.front() == '0') fraction.remove_prefix(1);
  return fraction.size();
}

// Writes the decimal `digits` (no leading zeros unless "0") times 10^`exponent`, where
// `exponent` is the power of the first digit, in plain form when it is short enough.
std::string PlainDecimal(bool negative, std::string digits, int exponent) {
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  if (digits == "0") return "0";
  std::string out = negative ? "-" : "";
  if (exponent >= 21 || exponent < -20) {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += exponent < 0 ? "E-" : "E+";
    out += std::to_string(std::abs(exponent));
    return out;
  }
  if (exponent < 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
    return out;
  }
  const auto whole_digits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= whole_digits) {
    out += digits;
    out.append(whole_digits - digits.size(), '0');
  } else {
    out += digits.substr(0, whole_digits);
    out += '.';
    out += digits.substr(whole_digits);
  }
  return out;
}

// Splits the scientific text "d.ddde+xx" of to_chars into digits and exponent.
std::string ScientificDigits(std::string_view text, int& exponent) {
  const std::size_t e = text.find('e');
  std::string digits;
  for (const char c : text.substr(0, e)) {
    if (IsDigit(c)) digits += c;
  }
  exponent = 0;
  const std::string_view power = text.substr(e + 1);
  std::from_chars(power.data() + (power.front() == '+' ? 1 : 0), power.data() + power.size(),
                  exponent);
  return digits;
}

// Appends the decimal digits from `p` on to `digits`; returns where they end. Each character is
// tested and turned into its digit by one subtraction.
const char* AddDigits(const char* p, const char* end, std::uint64_t& digits) {
  for (; p < end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) break;
    digits = digits * 10 + digit;
  }
  return p;
}

// The common stored forms in one pass: blanks, an optional "-", at most 15 digits with an
// optional "." among them, blanks. False for anything else, which the full parser then reads.
bool ParsePlainNumber(std::string_view field, StoredNumber& number) {
  const char* p = field.data();
  const char* const end = p + field.size();
  while (p < end && *p == ' ') ++p;
  if (p == end) {
    number.kind = StoredNumber::Kind::kBlank;
    return true;
  }
  const bool negative = *p == '-';
  if (negative) ++p;
  // Digits past the fifteenth make the text go to the full parser, so the sum may wrap first.
  std::uint64_t digits = 0;
  const char* const whole = p;
  p = AddDigits(p, end, digits);
  std::ptrdiff_t count = p - whole;
  std::ptrdiff_t decimals = 0;
  if (p < end && *p == '.') {
    const char* const fraction = ++p;
    p = AddDigits(p, end, digits);
    decimals = p - fraction;
    count += decimals;
  }
  while (p < end && *p == ' ') ++p;
  if (p != end || count == 0 || count > 15) return false;
  const auto value = static_cast<std::int64_t>(digits);
  if (decimals == 0) {
    number.kind = StoredNumber::Kind::kInteger;
    number.integer = negative ? -value : value;
  } else {
    const double real = static_cast<double>(value) / kPowersOfTen[decimals];
    number.kind = StoredNumber::Kind::kReal;
    number.real = negative ? -real : real;
  }
  return true;
}

}  // namespace

StoredNumber ParseStoredNumber(std::string_view field) {
  StoredNumber number;
  if (ParsePlainNumber(field, number)) return number;
  const std::string_view text = TrimField(field);
  if (text.empty()) return number;
  DecimalParts parts;
  if (!SplitDecimal(text, parts)) {
    number.kind = StoredNumber::Kind::kBad;
    return number;
  }
  if (!parts.has_point && parts.exponent.empty() && parts.whole.size() <= 18) {
    std::int64_t value = 0;
    for (const char c : parts.whole) value = value * 10 + (c - '0');
    number.kind = StoredNumber::Kind::kInteger;
    number.integer = parts.negative ? -value : value;
    return number;
  }
  if (parts.exponent.empty() && SignificantDigits(parts) > 15) {
    number.kind = StoredNumber::Kind::kDecimal;
    return number;
  }
  // Up to 15 digits make an exact integer, and up to 22 decimals an exact power of ten, so one
  // division gives the double nearest to the decimal, as a full conversion would.
  if (parts.exponent.empty() && parts.whole.size() + parts.fraction.size() <= 15 &&
      parts.fraction.size() <= 22) {
    std::int64_t digits = 0;
    for (const char c : parts.whole) digits = digits * 10 + (c - '0');
    for (const char c : parts.fraction) digits = digits * 10 + (c - '0');
    const double value = static_cast<double>(digits) / kPowersOfTen[parts.fraction.size()];
    number.kind = StoredNumber::Kind::kReal;
    number.real = parts.negative ? -value : value;
    return number;
  }
  const std::string_view unsigned_text = text.front() == '+' ? text.substr(1) : text;
  double value = 0;
  const auto result =
      std::from_chars(unsigned_text.data(), unsigned_text.data() + unsigned_text.size(), value);
  if (result.ec != std::errc() || !std::isfinite(value)) {
    number.kind = StoredNumber::Kind::kBad;
    return number;
  }
  number.kind = StoredNumber::Kind::kReal;
  number.real = value;
  return number;
}

std::string ExactDecimalText(std::string_view field) {
  const std::string_view text = TrimField(field);
  DecimalParts parts;
  if (text.empty() || !SplitDecimal(text, parts)) return {};
  if (!parts.exponent.empty()) {
    const StoredNumber number = ParseStoredNumber(text);
    return number.kind == StoredNumber::Kind::kReal ? RealText(number.real) : std::string();
  }
  std::string digits(parts.whole);
  digits += parts.fraction;
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return "0";
  const int exponent = static_cast<int>(parts.whole.size()) - 1 - static_cast<int>(first);
  return PlainDecimal(parts.negative, digits.substr(first), exponent);
}

namespace {

// "00" to "99", for writing two digits at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// Writes `pair` (below 100) as two digits ending at `end`; returns where they start.
char* WriteTwoDigits(std::uint64_t pair, char* end) {
  end -= 2;
  std::memcpy(end, kDigitPairs.data() + 2 * pair, 2);
  return end;
}

// The text of `units` / 10^`scale` in shortest form, written backwards so it ends at `end`;
// returns where it starts. 48 bytes before `end` are enough for a scale up to 45.
char* WriteScaledInteger(std::int64_t units, int scale, char* end) {
  assert(scale <= 45);
  char* p = end;
  if (units == 0) {
    *--p = '0';
    return p;
  }
  const bool negative = units < 0;
  // Through unsigned, so the most negative value has a magnitude too.
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
  while (scale > 0 && magnitude % 10 == 0) {
    magnitude /= 10;
    --scale;
  }
  // The fraction's digits with their leading zeros, the point, the whole part, the sign; two
  // digits a step where there are two.
  int fraction = scale;
  for (; fraction >= 2; fraction -= 2) {
    p = WriteTwoDigits(magnitude % 100, p);
    magnitude /= 100;
  }
  if (fraction == 1) {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  if (scale > 0) *--p = '.';
  for (; magnitude >= 100; magnitude /= 100) p = WriteTwoDigits(magnitude % 100, p);
  if (magnitude >= 10) {
    p = WriteTwoDigits(magnitude, p);
  } else {
    *--p = static_cast<char>('0' + magnitude);
  }
  if (negative) *--p = '-';
  return p;
}

}  // namespace

void AppendRealText(double value, std::string& out) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-Infinity" : "Infinity";
    return;
  }
  if (value == 0) {
    out += '0';
    return;
  }
  // Below 2^53 the conversion to an integer is exact for whole values and drops the fraction
  // of the others, so comparing it back tells whole values apart without rounding.
  if (std::fabs(value) < 9007199254740992.0) {
    const auto whole = static_cast<std::int64_t>(value);
    if (static_cast<double>(whole) == value) {
      AppendIntegerText(whole, out);
      return;
    }
  }
  std::int64_t units = 0;
  int scale = 0;
  if (ShortScaledDecimal(value, units, scale)) {
    char buffer[48];
    char* const end = buffer + sizeof buffer;
    const char* start = WriteScaledInteger(units, scale, end);
    out.append(start, static_cast<std::size_t>(end - start));
    return;
  }
  char buffer[40];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  int exponent = 0;
  std::string digits = ScientificDigits({buffer, result.ptr}, exponent);
  if (digits.size() > 15) {
    result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    digits = ScientificDigits({buffer, result.ptr}, exponent);
  }
  out += PlainDecimal(value < 0, std::move(digits), exponent);
}

void AppendIntegerText(std::int64_t value, std::string& out) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

RealTextCache::RealTextCache() = default;

void RealTextCache::Append(double value, std::string& out) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  Entry& entry = entries_[(bits * 0x9E3779B97F4A7C15u) >> (64 - kIndexBits)];
  if (entry.bits == bits) {
    out.append(entry.text, entry.size);
    return;
  }
  const std::size_t start = out.size();
  AppendRealText(value, out);
  const std::size_t size = out.size() - start;
  if (size <= sizeof entry.text) {
    entry.bits = bits;
    entry.size = static_cast<std::uint8_t>(size);
    std::memcpy(entry.text, out.data() + start, size);
  }
}

std::string RealText(double value) {
  std::string text;
  AppendRealText(value, text);
  return text;
}

std::string IntegerText(std::int64_t value) {
  std::string text;
  AppendIntegerText(value, text);
  return text;
}

std::string ScaledIntegerText(std::int64_t units, int scale) {
  if (scale < 0 || scale > 45) throw std::invalid_argument("decimal scale out of range");
  char buffer[48];
  char* const end = buffer + sizeof buffer;
  const char* start = WriteScaledInteger(units, scale, end);
  return std::string(start, static_cast<std::size_t>(end - start));
}

}  // namespace platform::db
