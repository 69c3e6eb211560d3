// The error being handled, as a number and a description, whatever was thrown.
#pragma once

#include <exception>
#include <new>
#include <stdexcept>

#include "platform/run_time_error.h"

namespace platform {

inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kInternalError = 51;

// Call only inside a catch block. A RunTimeError is returned as it is, an exhausted memory (or a
// text longer than a string can hold) as 7 "Out of memory", an index past the end as 9
// "Subscript out of range", anything else as 51 with its own text.
inline RunTimeError CurrentError() {
  try {
    throw;
  } catch (const RunTimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return {kOutOfMemory, "Out of memory"};
  } catch (const std::length_error&) {
    return {kOutOfMemory, "Out of memory"};
  } catch (const std::out_of_range&) {
    return {error::kSubscriptOutOfRange, "Subscript out of range"};
  } catch (const std::exception& error) {
    return {kInternalError, error.what()};
  } catch (...) {
    return {kInternalError, "Internal error"};
  }
}

}  // namespace platform
