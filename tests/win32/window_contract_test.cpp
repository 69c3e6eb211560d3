// The Windows window against the contract every system's window keeps (tests/contract/
// window_contract.h), on the test's desktop.
#include "tests/contract/window_contract.h"

#include "tests/win32/window_driver.h"

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowContract, win32_test::WindowDriver);
}  // namespace contract
