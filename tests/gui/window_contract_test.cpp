// The Qt window against the contract every system's window keeps (tests/contract/
// window_contract.h), offscreen.
#include "tests/gui/window_fixture.h"

namespace gui_test {

std::unique_ptr<contract::WindowDriver> OpenQtWindow(app::WindowServices services) {
  return std::make_unique<QtWindowDriver>(std::move(services));
}

}  // namespace gui_test

namespace contract {
namespace {
INSTANTIATE_TEST_SUITE_P(Qt, WindowContract, testing::Values(&gui_test::OpenQtWindow));
}  // namespace
}  // namespace contract
