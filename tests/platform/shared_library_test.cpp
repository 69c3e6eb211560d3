// Libraries loaded when a run first needs them: the workbook library, and the errors a user sees
// when a library or one of its functions is missing.
#include "platform/shared_library.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/run_time_error.h"

namespace {

using platform::RunTimeError;
using platform::SharedLibrary;

// The error `action` throws, or a failed test.
template <typename Action>
RunTimeError ErrorOf(Action action) {
  try {
    action();
  } catch (const RunTimeError& error) {
    return error;
  }
  ADD_FAILURE() << "no RunTimeError";
  return RunTimeError(0, "");
}

TEST(SharedLibrary, AMissingLibraryIsNamedEachTimeItIsAskedFor) {
  const std::string name = "libkolvex-no-such-library.so.1";
  for (int attempt = 0; attempt < 2; ++attempt) {
    const RunTimeError error = ErrorOf([&] { SharedLibrary::Get(name); });
    EXPECT_EQ(error.number(), platform::error::kCannotLoadLibrary);
    EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
  }
}

#ifdef _WIN32
// The tests of the Windows build run where the workbook library is not installed.
constexpr const char* kLibrary = "kernel32.dll";
constexpr const char* kFunction = "GetTickCount";
#else
constexpr const char* kLibrary = KOLVEX_XLSXWRITER_LIBRARY;
constexpr const char* kFunction = "workbook_new_opt";
#endif

TEST(SharedLibrary, ALibraryLoadsOnceAndAFunctionItLacksIsNamed) {
  const SharedLibrary& library = SharedLibrary::Get(kLibrary);
  EXPECT_EQ(&SharedLibrary::Get(kLibrary), &library);
  EXPECT_NE(library.Function(kFunction), nullptr);
  const RunTimeError error = ErrorOf([&] { library.Function("workbook_no_such_function"); });
  EXPECT_EQ(error.number(), platform::error::kCannotLoadLibrary);
  EXPECT_NE(std::string(error.what()).find("workbook_no_such_function"), std::string::npos)
      << error.what();
}

}  // namespace
