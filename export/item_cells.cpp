#include "export/item_cells.h"

namespace exporter {

const std::vector<std::string_view>& ItemCells::Read(std::size_t item) {
  row_.clear();
  list_.AppendItemTexts(item, '\t', row_);
  cells_.clear();
  // One pass over the row: its texts are short, and a search call for each would cost more.
  const char* start = row_.data();
  const char* const end = start + row_.size();
  for (const char* at = start; at != end; ++at) {
    if (*at != '\t') continue;
    cells_.emplace_back(start, static_cast<std::size_t>(at - start));
    start = at + 1;
  }
  cells_.emplace_back(start, static_cast<std::size_t>(end - start));
  if (cells_.size() == list_.SubItemCount(item) + 1) return cells_;
  cells_.clear();
  one_by_one_.assign(1, list_.ItemText(item));
  for (std::size_t sub = 0; sub < list_.SubItemCount(item); ++sub) {
    one_by_one_.push_back(list_.SubItemText(item, sub));
  }
  for (const std::string& text : one_by_one_) cells_.emplace_back(text);
  return cells_;
}

}  // namespace exporter
