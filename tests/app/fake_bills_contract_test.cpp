// The Kolvex Bills contract over the window without a window system, checked in every build.
#include "tests/contract/bills_contract.h"
#include "tests/fakes/fake_bills_window.h"

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, BillsContract, fakes::FakeBillsDriver);
}  // namespace contract
