// The Windows window against the contract every system's window keeps (tests/contract/
// window_contract.h), on the test's desktop.
#include "tests/contract/window_contract.h"

#include "tests/win32/window_driver.h"

namespace contract {
namespace {
INSTANTIATE_TEST_SUITE_P(Win32, WindowContract, testing::Values(&win32_test::OpenWindow));
}  // namespace
}  // namespace contract
