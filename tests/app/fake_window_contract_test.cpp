// The window contract over the window without a window system: the form and the rules both
// windows share, checked in every build.
#include "tests/contract/window_contract.h"
#include "tests/fakes/fake_window.h"

namespace contract {
namespace {

std::unique_ptr<WindowDriver> OpenFakeWindow(app::WindowServices services) {
  return std::make_unique<fakes::FakeWindowDriver>(std::move(services));
}

INSTANTIATE_TEST_SUITE_P(Fake, WindowContract, testing::Values(&OpenFakeWindow));

}  // namespace
}  // namespace contract
