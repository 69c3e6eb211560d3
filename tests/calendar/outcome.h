// A call's result or the number of the run-time error it raised, so that tables of cases can
// hold both and two implementations can be compared call by call.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <type_traits>

#include "platform/run_time_error.h"

struct Outcome {
  std::string value;       // the result, as text
  std::int32_t error = 0;  // the error number, 0 when the call returned

  bool operator==(const Outcome&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
  if (outcome.error != 0) return out << "error " << outcome.error;
  return out << '"' << outcome.value << '"';
}

inline Outcome Error(std::int32_t number) { return {"", number}; }

template <typename Call>
Outcome Capture(Call call) {
  try {
    if constexpr (std::is_arithmetic_v<decltype(call())>) {
      return {std::to_string(call()), 0};
    } else {
      return {call(), 0};
    }
  } catch (const platform::RunTimeError& error) {
    return Error(error.number());
  }
}
