// The error being handled, as a number and a description, whatever was thrown.
#pragma once

#include <exception>
#include <new>

#include "platform/run_time_error.h"

namespace platform {

inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kInternalError = 51;

// Call only inside a catch block. A RunTimeError is returned as it is, an exhausted memory as
// 7 "Out of memory", anything else as 51 with its own text.
inline RunTimeError CurrentError() {
  try {
    throw;
  } catch (const RunTimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return {kOutOfMemory, "Out of memory"};
  } catch (const std::exception& error) {
    return {kInternalError, error.what()};
  } catch (...) {
    return {kInternalError, "Internal error"};
  }
}

}  // namespace platform
