// Exact decimal numbers for the summaries of a period: sums, products and quotients of the list's
// number texts, never in binary floating point, so a bill adds up to the paisa however many
// records it holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace exporter {

// A decimal number held exactly as a 128-bit count of units of 10^-scale (about 38 significant
// digits). Every operation is exact or throws RunTimeError 6 when its result does not fit.
class ExactDecimal {
 public:
  __extension__ typedef __int128 Units;

  ExactDecimal() = default;

  // Reads a number as the list shows it: an optional sign, digits with an optional "." and
  // fraction, an optional exponent ("1.5e+25"); blanks around it are ignored. An empty or blank
  // text is 0, as the list shows a blank number field. Anything else gives nullopt. Throws
  // RunTimeError 6 for a number of more digits than the type holds.
  static std::optional<ExactDecimal> Parse(std::string_view text);

  bool IsZero() const { return units_ == 0; }

  ExactDecimal& operator+=(const ExactDecimal& other);
  friend ExactDecimal operator-(const ExactDecimal& a, const ExactDecimal& b);
  friend ExactDecimal operator*(const ExactDecimal& a, const ExactDecimal& b);

  // The value rounded half away from zero to two decimals: a sum of such values is what the
  // rounded figures written beside it add up to.
  ExactDecimal RoundedToHundredths() const;
  // Whether the value has no more than two decimals.
  bool HasAtMostTwoDecimals() const;

  // The shortest text of the value: "12.5", "3", "-0.25", "0"; never an exponent.
  std::string Text() const;
  // The value rounded half away from zero to two decimals, always written with both: "12.50",
  // "0.00", "-3.13".
  std::string TwoDecimalText() const;
  // The value divided by `divisor`, rounded half away from zero to two decimals from the exact
  // quotient, written as TwoDecimalText writes. `divisor` must not be zero.
  std::string QuotientText(const ExactDecimal& divisor) const;

 private:
  ExactDecimal(Units units, int scale) : units_(units), scale_(scale) {}

  Units units_ = 0;
  int scale_ = 0;
};

}  // namespace exporter
