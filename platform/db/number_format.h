// Numbers between the stored text of numeric fields and the text the list shows.
//
// A numeric field stores decimal text. The engine gets it as a 64-bit integer when the text has
// no fraction, and otherwise as the double nearest to it. Results are shown rounded to 15
// significant digits, the most a double carries faithfully, and then in their shortest form.
// So every stored value of up to 15 significant digits shows exactly as stored, and so does a
// product or sum of two of them whose exact result has up to 15 significant digits:
// 7.25 * 65.10 is the double 471.97499999999997 and shows as 471.975.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::db {

struct StoredNumber {
  // kDecimal: a valid number with more significant digits than a double holds (more than 15, or
  // an integer of more than 18 digits); its exact value is its ExactDecimalText.
  enum class Kind { kBlank, kInteger, kReal, kDecimal, kBad };
  Kind kind = Kind::kBlank;
  std::int64_t integer = 0;
  double real = 0;
};

// Reads the text of an N or F field: blanks (and NULs) around it are ignored; all blank is
// kBlank; a text that is not one decimal number ("12a.50", "1.2.3", "1,234.50", "*****") is kBad;
// one with an exponent ("1.5E+3") is the double nearest to it, however many digits it has.
StoredNumber ParseStoredNumber(std::string_view field);

// The exact value of a valid field text in shortest form ("012.50" -> "12.5", "-0.00" -> "0");
// empty for blank or bad text.
std::string ExactDecimalText(std::string_view field);

// Shortest text of `value` after rounding to 15 significant digits, with "." and no exponent
// between 1e-20 and 1e21 ("12.5", "3", "-0.5", "472.3875").
std::string RealText(double value);

std::string IntegerText(std::int64_t value);

// RealText and IntegerText appended to `out`, without a string of their own.
void AppendRealText(double value, std::string& out);
void AppendIntegerText(std::int64_t value, std::string& out);

// AppendRealText with the texts of the values written lately kept: the numbers of a table repeat
// (a fat percentage, a rate, a quantity), and finding a value's text again costs a fraction of
// writing it.
class RealTextCache {
 public:
  RealTextCache();
  void Append(double value, std::string& out);

 private:
  // A value's bits and its text. Every entry starts as the value 0, whose text is "0".
  struct Entry {
    std::uint64_t bits = 0;
    std::uint8_t size = 1;
    char text[23] = {'0'};
  };
  static constexpr int kIndexBits = 12;
  std::array<Entry, std::size_t{1} << kIndexBits> entries_;
};

// `units` / 10^`scale` exactly, in shortest form (currency: scale 4). Throws
// std::invalid_argument for a scale outside 0 to 45.
std::string ScaledIntegerText(std::int64_t units, int scale);

}  // namespace platform::db
