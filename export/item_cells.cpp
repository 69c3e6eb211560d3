#include "export/item_cells.h"

namespace exporter {

const std::vector<std::string_view>& ItemCells::Read(std::size_t item) {
  row_.clear();
  list_.AppendItemTexts(item, '\t', row_);
  cells_.clear();
  std::size_t start = 0;
  for (std::size_t tab; (tab = row_.find('\t', start)) != std::string::npos; start = tab + 1) {
    cells_.emplace_back(row_.data() + start, tab - start);
  }
  cells_.emplace_back(row_.data() + start, row_.size() - start);
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
