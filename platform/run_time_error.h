// The one error type of the program: a number and a description, thrown where a fault is found
// and passed up until a handler takes it. The handlers show it as "<number>: <description>".
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

// Numbers the program raises. The small ones keep their classic meanings; the database ones are
// the codes a data provider reports, so users and scripts see the numbers they know.
namespace error {
inline constexpr std::int32_t kInvalidArgument = 5;         // "Invalid procedure call or argument"
inline constexpr std::int32_t kOverflow = 6;                // "Overflow"
inline constexpr std::int32_t kSubscriptOutOfRange = 9;     // "Subscript out of range"
inline constexpr std::int32_t kTypeMismatch = 13;           // "Type mismatch"
inline constexpr std::int32_t kFileNotFound = 53;           // a file or folder that is not there
inline constexpr std::int32_t kPathFileAccess = 75;         // an output file cannot be written
inline constexpr std::int32_t kCannotCreateObject = 429;    // no spreadsheet program
inline constexpr std::int32_t kObjectDoesNotSupport = 438;  // unknown member of an object
inline constexpr std::int32_t kProviderNotFound = 3706;  // connection string names another provider
inline constexpr std::int32_t kDatabaseError = -2147467259;  // unreadable or damaged table file
inline constexpr std::int32_t kTableNotFound = -2147217865;  // no such table in the data source
inline constexpr std::int32_t kCommandError = -2147217900;   // bad query text or unknown column
}  // namespace error

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(std::int32_t number, const std::string& description)
      : std::runtime_error(description), number_(number) {}

  std::int32_t number() const noexcept { return number_; }
  std::string description() const { return what(); }

  // "<number>: <description>", the prompt every reporting handler shows.
  std::string Prompt() const { return std::to_string(number_) + ": " + what(); }

  static RunTimeError Overflow() { return {error::kOverflow, "Overflow"}; }
  static RunTimeError SubscriptOutOfRange() {
    return {error::kSubscriptOutOfRange, "Subscript out of range"};
  }
  static RunTimeError TypeMismatch() { return {error::kTypeMismatch, "Type mismatch"}; }

 private:
  std::int32_t number_;
};

}  // namespace platform
