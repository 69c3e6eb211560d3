// The two ways a date field is read as a whole number.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// The value of the decimal number at the start of the field: blanks are skipped wherever they
// stand, reading stops at the first character that cannot go on the number, and a field that
// does not begin with a number gives 0 ("07" -> 7, "1_" -> 1, "_1" -> 0, "" -> 0). A half rounds
// to the even neighbour. Throws RunTimeError 6 when the value does not fit 16 signed bits.
std::int16_t LenientInteger(std::string_view field);

// The whole field must read as a number; blanks before and after it are allowed. Rounds as above.
// Throws RunTimeError 13 when the field is not a number ("", "1_", "_1"), 6 when out of range.
std::int16_t StrictInteger(std::string_view field);

}  // namespace platform
