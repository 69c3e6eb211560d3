// What every window system's report list does, as one typed test suite: it reads back exactly
// what the loader wrote and its view shows the same, however many rows. The driver:
//
//   struct Driver {
//     platform::ListView& List();
//     int ShownRows();                        // what the view itself reports
//     int ShownColumns();
//     std::string ShownText(int row, int column);
//     std::string ShownHeader(int column);
//     int ShownColumnWidth(int column);       // in pixels
//     bool ShownRightAligned(int column);     // the column's cells and header
//     double TwipsPerPixel();
//   };
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/list_view.h"
#include "tests/contract/masked_box_contract.h"

namespace contract {

template <typename Driver>
class ListViewContract : public testing::Test {
 protected:
  Driver driver_;
};

TYPED_TEST_SUITE_P(ListViewContract);

TYPED_TEST_P(ListViewContract, ReadsBackHeadersItemsAndSubItemsInOrder) {
  platform::ListView& list = this->driver_.List();
  list.AddColumnHeader("Mem_Code", 1400, platform::ColumnKind::kText);
  list.AddColumnHeader("ne_date", 2000, platform::ColumnKind::kText);
  list.AddColumnHeader("rate", 1400, platform::ColumnKind::kNumber);
  for (const char* member : {"0002", "0001", ""}) {
    const std::size_t item = list.AddItem();
    list.SetItemText(item, member);
    list.AddSubItem(item, "2081/01/01");
    list.AddSubItem(item, "beyond the columns ");
  }
  list.SetItemText(1, "नेपाल");
  ASSERT_EQ(list.ColumnHeaderCount(), 3u);
  EXPECT_EQ(list.ColumnHeaderText(1), "ne_date");
  EXPECT_EQ(list.ColumnHeaderWidth(1), 2000);
  EXPECT_EQ(list.ColumnHeaderKind(2), platform::ColumnKind::kNumber);
  EXPECT_EQ(this->driver_.ShownColumnWidth(0), std::lround(1400 / this->driver_.TwipsPerPixel()));
  ASSERT_EQ(list.ItemCount(), 3u);
  EXPECT_EQ(list.ItemText(0), "0002");
  EXPECT_EQ(list.ItemText(1), "नेपाल");
  EXPECT_EQ(list.ItemText(2), "");
  EXPECT_EQ(list.SubItemCount(2), 2u);
  EXPECT_EQ(list.SubItemText(2, 1), "beyond the columns ");
  // The view shows what the list holds.
  EXPECT_EQ(this->driver_.ShownRows(), 3);
  EXPECT_EQ(this->driver_.ShownColumns(), 3);
  EXPECT_FALSE(this->driver_.ShownRightAligned(1));
  EXPECT_FALSE(this->driver_.ShownRightAligned(2)) << "numbers keep the default, left";
  EXPECT_EQ(this->driver_.ShownText(1, 0), "नेपाल");
  EXPECT_EQ(this->driver_.ShownText(1, 1), "2081/01/01");
  EXPECT_EQ(this->driver_.ShownHeader(0), "Mem_Code");
}

TYPED_TEST_P(ListViewContract, ClearingEmptiesTheViewToo) {
  platform::ListView& list = this->driver_.List();
  list.AddColumnHeader("Mem_Code", 1400, platform::ColumnKind::kText);
  list.SetItemText(list.AddItem(), "0001");
  list.ClearColumnHeaders();
  list.ClearItems();
  EXPECT_EQ(list.ColumnHeaderCount(), 0u);
  EXPECT_EQ(list.ItemCount(), 0u);
  EXPECT_EQ(this->driver_.ShownRows(), 0);
  EXPECT_EQ(this->driver_.ShownColumns(), 0);
}

TYPED_TEST_P(ListViewContract, IndexPastTheEndIsRefused) {
  platform::ListView& list = this->driver_.List();
  list.AddColumnHeader("Mem_Code", 1400, platform::ColumnKind::kText);
  list.AddItem();
  EXPECT_EQ(ErrorNumber([&] { list.SetItemText(1, "x"); }), 35600);
  EXPECT_EQ(ErrorNumber([&] { list.AddSubItem(1, "x"); }), 35600);
  EXPECT_EQ(ErrorNumber([&] { list.ItemText(1); }), 35600);
  EXPECT_EQ(ErrorNumber([&] { list.SubItemText(0, 0); }), 35600);
  EXPECT_EQ(ErrorNumber([&] { list.ColumnHeaderText(1); }), 35600);
}

TYPED_TEST_P(ListViewContract, HundredThousandRowsAreAllInTheView) {
  platform::ListView& list = this->driver_.List();
  for (const char* name : {"Mem_Code", "ne_date"}) {
    list.AddColumnHeader(name, 1400, platform::ColumnKind::kText);
  }
  constexpr int kRows = 100000;
  for (int row = 0; row < kRows; ++row) {
    const std::size_t item = list.AddItem();
    list.SetItemText(item, std::to_string(row));
    list.AddSubItem(item, "2081/01/01");
  }
  EXPECT_EQ(this->driver_.ShownRows(), kRows);
  EXPECT_EQ(this->driver_.ShownText(kRows - 1, 0), std::to_string(kRows - 1));
  EXPECT_EQ(this->driver_.ShownText(kRows - 1, 1), "2081/01/01");
}

REGISTER_TYPED_TEST_SUITE_P(ListViewContract, ReadsBackHeadersItemsAndSubItemsInOrder,
                            ClearingEmptiesTheViewToo, IndexPastTheEndIsRefused,
                            HundredThousandRowsAreAllInTheView);

}  // namespace contract
