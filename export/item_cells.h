// An item's texts as views, read from a list in one call: for the writers that go through every
// cell of a long list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/list_view.h"

namespace exporter {

class ItemCells {
 public:
  explicit ItemCells(const platform::ListView& list) : list_(list) {}

  // The texts of `item`, its own first, then its sub-items'; valid until the next call. Read in
  // one call and cut at the tabs between them; when a text holds a tab of its own, read one by
  // one instead. Throws what reading the list throws.
  const std::vector<std::string_view>& Read(std::size_t item);

 private:
  const platform::ListView& list_;
  std::string row_;
  std::vector<std::string_view> cells_;
  std::vector<std::string> one_by_one_;
};

}  // namespace exporter
