// What every window system's plain text box (the path box) does. The driver gives PlainBox().
#pragma once

#include <gtest/gtest.h>

#include "platform/text_box.h"
#include "tests/contract/masked_box_contract.h"

namespace contract {

template <typename Driver>
class PlainBoxContract : public testing::Test {
 protected:
  Driver driver_;
};

TYPED_TEST_SUITE_P(PlainBoxContract);

TYPED_TEST_P(PlainBoxContract, SelTextReplacesTheSelectionOnly) {
  platform::TextBox& box = this->driver_.PlainBox();
  box.SetText("C:\\data\\TRAN.dbf");
  Select(box, 3, 4);
  box.SetSelText("milk");
  EXPECT_EQ(box.Text(), "C:\\milk\\TRAN.dbf");
  EXPECT_EQ(box.SelStart(), 7);
  box.SetText("नेपाल.dbf");
  EXPECT_EQ(box.Text(), "नेपाल.dbf");
}

REGISTER_TYPED_TEST_SUITE_P(PlainBoxContract, SelTextReplacesTheSelectionOnly);

}  // namespace contract
