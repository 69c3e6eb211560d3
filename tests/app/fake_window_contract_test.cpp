// The window contract over the window without a window system: the form and the rules both
// windows share, checked in every build.
#include "tests/contract/window_contract.h"
#include "tests/fakes/fake_window.h"

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, WindowContract, fakes::FakeWindowDriver);
}  // namespace contract
