#include "export/exact_decimal.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/run_time_error.h"

namespace exporter {
namespace {

using Units = ExactDecimal::Units;
__extension__ typedef unsigned __int128 Magnitude;

constexpr int kMaxDigits = 38;  // every count of 38 digits fits 127 bits

constexpr Magnitude kMaxUnits = (Magnitude{1} << 127) - 1;

[[noreturn]] void TooLarge() {
  throw platform::RunTimeError(platform::error::kOverflow,
                               "a total of the period has more digits than can be computed "
                               "exactly. Summarise fewer days at a time.");
}

constexpr std::array<Magnitude, kMaxDigits + 1> kPowersOfTen = [] {
  std::array<Magnitude, kMaxDigits + 1> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();

Magnitude PowerOfTen(int exponent) {
  if (exponent < 0 || exponent > kMaxDigits) TooLarge();
  return kPowersOfTen[static_cast<std::size_t>(exponent)];
}

Magnitude MagnitudeOf(Units units) {
  return units < 0 ? Magnitude{0} - static_cast<Magnitude>(units) : static_cast<Magnitude>(units);
}

// a * b, or TooLarge when the product passes kMaxUnits.
Magnitude CheckedProduct(Magnitude a, Magnitude b) {
  constexpr Magnitude kSmall = Magnitude{1} << 63;
  if ((a < kSmall && b < kSmall) || a == 0 || b == 0) {
    const Magnitude product = a * b;
    if (product > kMaxUnits) TooLarge();
    return product;
  }
  if (a > kMaxUnits / b) TooLarge();
  return a * b;
}

Units Signed(Magnitude magnitude, bool negative) {
  if (magnitude > kMaxUnits) TooLarge();
  const auto units = static_cast<Units>(magnitude);
  return negative ? -units : units;
}

Units Scaled(Units units, int by) {
  return Signed(CheckedProduct(MagnitudeOf(units), PowerOfTen(by)), units < 0);
}

std::string Digits(Magnitude magnitude) {
  std::string digits;
  do {
    digits += static_cast<char>('0' + static_cast<int>(magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  std::reverse(digits.begin(), digits.end());
  return digits;
}

// numerator / denominator rounded half away from zero to a whole number; denominator > 0.
Magnitude RoundedQuotient(Magnitude numerator, Magnitude denominator) {
  const Magnitude quotient = numerator / denominator;
  const Magnitude remainder = numerator % denominator;
  return remainder >= denominator - remainder ? quotient + 1 : quotient;
}

// `hundredths` / 100 with both decimals and the sign, but never "-0.00".
std::string HundredthsText(Magnitude hundredths, bool negative) {
  std::string digits = Digits(hundredths);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  digits.insert(digits.size() - 2, 1, '.');
  return (negative && hundredths != 0 ? "-" : "") + digits;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<ExactDecimal> ExactDecimal::Parse(std::string_view text) {
  // Most texts are short plain decimals ("12.5", "-3", "0"), read without 128-bit steps.
  if (!text.empty() && text.size() <= 18 && text.back() != '.') {
    std::size_t i = text[0] == '-' ? 1 : 0;
    std::uint64_t units = 0;
    int scale = -1;
    bool plain = i < text.size() && IsDigit(text[i]);
    for (; plain && i < text.size(); ++i) {
      const char c = text[i];
      if (IsDigit(c)) {
        units = units * 10 + static_cast<std::uint64_t>(c - '0');
        if (scale >= 0) ++scale;
      } else if (c == '.' && scale < 0) {
        scale = 0;
      } else {
        plain = false;
      }
    }
    if (plain) {
      scale = std::max(scale, 0);
      while (scale > 0 && units % 10 == 0) {
        units /= 10;
        --scale;
      }
      const auto value = static_cast<Units>(units);
      return ExactDecimal(text[0] == '-' ? -value : value, units == 0 ? 0 : scale);
    }
  }
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty()) return ExactDecimal();
  std::size_t i = 0;
  const bool negative = text[0] == '-';
  if (text[0] == '-' || text[0] == '+') ++i;
  Magnitude units = 0;
  int digits = 0;  // significant ones, in `units`
  int scale = 0;
  bool any_digit = false;
  auto take = [&](char c) {
    any_digit = true;
    if (digits == 0 && c == '0') return;
    if (++digits > kMaxDigits) TooLarge();
    units = units * 10 + static_cast<Magnitude>(c - '0');
  };
  for (; i < text.size() && IsDigit(text[i]); ++i) take(text[i]);
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      take(text[i]);
      ++scale;
    }
  }
  if (!any_digit) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    const bool exponent_negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (i == text.size() || !IsDigit(text[i])) return std::nullopt;
    int exponent = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      exponent = std::min(exponent * 10 + (text[i] - '0'), 100000);
    }
    scale += exponent_negative ? exponent : -exponent;
  }
  if (i != text.size()) return std::nullopt;
  if (units == 0) return ExactDecimal();
  if (scale < 0) {
    units = CheckedProduct(units, PowerOfTen(-scale));
    scale = 0;
  }
  while (scale > 0 && units % 10 == 0) {
    units /= 10;
    --scale;
  }
  if (scale > kMaxDigits) TooLarge();
  return ExactDecimal(Signed(units, negative), scale);
}

ExactDecimal& ExactDecimal::operator+=(const ExactDecimal& other) {
  Units other_units = other.units_;
  if (other_units == 0) return *this;
  if (units_ == 0) return *this = other;
  if (scale_ < other.scale_) {
    units_ = Scaled(units_, other.scale_ - scale_);
    scale_ = other.scale_;
  } else if (other.scale_ < scale_) {
    other_units = Scaled(other_units, scale_ - other.scale_);
  }
  Units sum = 0;
  if (__builtin_add_overflow(units_, other_units, &sum)) TooLarge();
  units_ = sum;
  return *this;
}

ExactDecimal operator-(const ExactDecimal& a, const ExactDecimal& b) {
  ExactDecimal difference = a;
  return difference += ExactDecimal(-b.units_, b.scale_);
}

ExactDecimal ExactDecimal::RoundedToHundredths() const {
  if (scale_ <= 2) return *this;
  const Magnitude hundredths = RoundedQuotient(MagnitudeOf(units_), PowerOfTen(scale_ - 2));
  return ExactDecimal(Signed(hundredths, units_ < 0), 2);
}

bool ExactDecimal::HasAtMostTwoDecimals() const {
  if (scale_ <= 2) return true;
  return MagnitudeOf(units_) % PowerOfTen(scale_ - 2) == 0;
}

ExactDecimal operator*(const ExactDecimal& a, const ExactDecimal& b) {
  if (a.units_ == 0 || b.units_ == 0) return ExactDecimal();
  const Magnitude product = CheckedProduct(MagnitudeOf(a.units_), MagnitudeOf(b.units_));
  const int scale = a.scale_ + b.scale_;
  if (scale > kMaxDigits) TooLarge();
  return ExactDecimal(Signed(product, (a.units_ < 0) != (b.units_ < 0)), scale);
}

std::string ExactDecimal::Text() const {
  Magnitude magnitude = MagnitudeOf(units_);
  int scale = scale_;
  while (scale > 0 && magnitude % 10 == 0) {
    magnitude /= 10;
    --scale;
  }
  std::string digits = Digits(magnitude);
  if (scale > 0) {
    if (digits.size() <= static_cast<std::size_t>(scale)) {
      digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
    }
    digits.insert(digits.size() - static_cast<std::size_t>(scale), 1, '.');
  }
  return (units_ < 0 ? "-" : "") + digits;
}

std::string ExactDecimal::TwoDecimalText() const { return QuotientText(ExactDecimal(1, 0)); }

std::string ExactDecimal::QuotientText(const ExactDecimal& divisor) const {
  // value / divisor * 100 = (units_ / divisor.units_) * 10^(divisor.scale_ - scale_ + 2).
  const int shift = divisor.scale_ - scale_ + 2;
  Magnitude numerator = MagnitudeOf(units_);
  Magnitude denominator = MagnitudeOf(divisor.units_);
  if (shift >= 0) {
    numerator = CheckedProduct(numerator, PowerOfTen(shift));
  } else {
    denominator = CheckedProduct(denominator, PowerOfTen(-shift));
  }
  const bool negative = (units_ < 0) != (divisor.units_ < 0);
  return HundredthsText(RoundedQuotient(numerator, denominator), negative);
}

}  // namespace exporter
