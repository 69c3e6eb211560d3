// The one error type of the program and the one catalogue of its numbers. A failure is thrown
// where it is found, as a number and a description, and passed up until a handler shows it as
// "<number>: <description>". The numbers are those users and scripts know: the small ones keep
// their classic meanings, the database ones are the codes a data provider reports.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

// Every number the program can raise, with the words its messages start with:
// KOLVEX_ERROR(constant, number, title). One line each, so a number comes or goes with one line.
// The README's table of error numbers lists the same numbers and titles; a test holds it to this.
#define KOLVEX_RUN_TIME_ERRORS(KOLVEX_ERROR)                                                 \
  KOLVEX_ERROR(kInvalidArgument, 5, "Invalid procedure call or argument")                    \
  KOLVEX_ERROR(kOverflow, 6, "Overflow")                                                     \
  KOLVEX_ERROR(kOutOfMemory, 7, "Out of memory")                                             \
  KOLVEX_ERROR(kSubscriptOutOfRange, 9, "Subscript out of range")                            \
  KOLVEX_ERROR(kTypeMismatch, 13, "Type mismatch")                                           \
  KOLVEX_ERROR(kInternalError, 51, "Internal error")                                         \
  KOLVEX_ERROR(kFileNotFound, 53, "File not found")                                          \
  KOLVEX_ERROR(kPermissionDenied, 70, "Permission denied")                                   \
  KOLVEX_ERROR(kPathFileAccess, 75, "Path/File access error")                                \
  KOLVEX_ERROR(kObjectNotSet, 91, "Object variable or With block variable not set")          \
  KOLVEX_ERROR(kInvalidUseOfNull, 94, "Invalid use of Null")                                 \
  KOLVEX_ERROR(kInvalidPropertyValue, 380, "Invalid property value")                         \
  KOLVEX_ERROR(kCannotCreateObject, 429, "The spreadsheet program cannot be started")        \
  KOLVEX_ERROR(kObjectDoesNotSupport, 438, "Object doesn't support this property or method") \
  KOLVEX_ERROR(kAutomationError, 440, "Automation error")                                    \
  KOLVEX_ERROR(kCannotOpenClipboard, 521, "Can't open clipboard")                            \
  KOLVEX_ERROR(kControlNotFound, 730, "Control not found")                                   \
  KOLVEX_ERROR(kNoCurrentRecord, 3021, "No current record")                                  \
  KOLVEX_ERROR(kItemNotFound, 3265, "Item not found in the collection")                      \
  KOLVEX_ERROR(kObjectClosed, 3704, "Operation is not allowed when the object is closed")    \
  KOLVEX_ERROR(kProviderNotFound, 3706, "Provider cannot be found")                          \
  KOLVEX_ERROR(kConnectionClosed, 3709, "The connection is not open")                        \
  KOLVEX_ERROR(kIndexOutOfBounds, 35600, "Index out of bounds")                              \
  KOLVEX_ERROR(kDatabaseError, -2147467259, "The table cannot be read")                      \
  KOLVEX_ERROR(kTableNotFound, -2147217865, "Table not found")                               \
  KOLVEX_ERROR(kCommandError, -2147217900, "The query cannot be run")                        \
  KOLVEX_ERROR(kDialogFailure, -32768, "The dialog box could not be created")

namespace platform {

namespace error {

// The numbers, by name: error::kOverflow is 6. A RunTimeError takes only these, so the program
// can raise no number the catalogue lacks.
enum Number : std::int32_t {
#define KOLVEX_ERROR_NUMBER(constant, number, title) constant = (number),
  KOLVEX_RUN_TIME_ERRORS(KOLVEX_ERROR_NUMBER)
#undef KOLVEX_ERROR_NUMBER
};

struct Entry {
  std::int32_t number;
  std::string_view title;
};

inline constexpr Entry kCatalogue[] = {
#define KOLVEX_ERROR_ENTRY(constant, number, title) {(number), (title)},
    KOLVEX_RUN_TIME_ERRORS(KOLVEX_ERROR_ENTRY)
#undef KOLVEX_ERROR_ENTRY
};

// The words every message of `number` starts with.
constexpr std::string_view Title(Number number) {
  for (const Entry& entry : kCatalogue) {
    if (entry.number == number) return entry.title;
  }
  return {};
}

}  // namespace error

class RunTimeError : public std::runtime_error {
 public:
  // The description is the catalogue's title for `number`, then ": " and `detail` when there is
  // one. A detail says what happened, with the file or date at fault, and what to do, in a
  // sentence or two: "Subscript out of range: the first date is not a BS date from 1500/01/01 to
  // 5000/12/31. Type a date as yyyy/mm/dd."
  RunTimeError(error::Number number, std::string_view detail)
      : std::runtime_error(Describe(number, detail)), number_(number) {}
  explicit RunTimeError(error::Number number) : RunTimeError(number, {}) {}

  // An error whose description is the catalogue's title alone, as the message box shows it, with
  // `advice` beside it: which value is at fault and what to type or do, for the status line or a
  // line of its own.
  static RunTimeError WithAdvice(error::Number number, std::string advice) {
    RunTimeError error(number);
    error.advice_ = std::move(advice);
    return error;
  }

  std::int32_t number() const noexcept { return number_; }
  std::string description() const { return what(); }
  // Empty unless made WithAdvice.
  const std::string& advice() const noexcept { return advice_; }

  // "<number>: <description>", the prompt every reporting handler shows.
  std::string Prompt() const { return std::to_string(number_) + ": " + what(); }

  static RunTimeError Overflow() { return RunTimeError(error::kOverflow); }
  static RunTimeError SubscriptOutOfRange() { return RunTimeError(error::kSubscriptOutOfRange); }
  static RunTimeError TypeMismatch() { return RunTimeError(error::kTypeMismatch); }

 private:
  // A detail that is the title itself adds nothing.
  static std::string Describe(error::Number number, std::string_view detail) {
    std::string description(error::Title(number));
    if (!detail.empty() && detail != description) description.append(": ").append(detail);
    return description;
  }

  std::int32_t number_;
  std::string advice_;
};

}  // namespace platform
