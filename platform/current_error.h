// The error being handled, as a number and a description, whatever was thrown.
#pragma once

#include <exception>
#include <new>
#include <stdexcept>

#include "platform/run_time_error.h"

namespace platform {

// Call only inside a catch block. A RunTimeError is returned as it is, an exhausted memory (or a
// text longer than a string can hold) as 7 "Out of memory", an index past the end as 9
// "Subscript out of range", anything else as 51 "Internal error" with its own text.
inline RunTimeError CurrentError() {
  try {
    throw;
  } catch (const RunTimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return RunTimeError(error::kOutOfMemory);
  } catch (const std::length_error&) {
    return RunTimeError(error::kOutOfMemory);
  } catch (const std::out_of_range&) {
    return RunTimeError(error::kSubscriptOutOfRange);
  } catch (const std::exception& error) {
    return RunTimeError(error::kInternalError, error.what());
  } catch (...) {
    return RunTimeError(error::kInternalError);
  }
}

}  // namespace platform
