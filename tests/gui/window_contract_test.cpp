// The Qt window against the contract every system's window keeps (tests/contract/
// window_contract.h), offscreen.
#include "tests/gui/window_fixture.h"

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowContract, gui_test::QtWindowDriver);
}  // namespace contract
