// The Kolvex Bills contract over the window without a window system, checked in every build.
#include "tests/contract/bills_contract.h"
#include "tests/fakes/fake_bills_window.h"

namespace contract {
namespace {

std::unique_ptr<BillsDriver> OpenFakeBills(bills::BillsWindowServices services) {
  return std::make_unique<fakes::FakeBillsDriver>(std::move(services));
}

INSTANTIATE_TEST_SUITE_P(Fake, BillsContract, testing::Values(&OpenFakeBills));

}  // namespace
}  // namespace contract
