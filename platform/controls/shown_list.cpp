#include "platform/controls/shown_list.h"

#include "platform/run_time_error.h"

namespace platform {

void ShownList::SetItemText(std::size_t item, const std::string& text) {
  CheckItem(item);
  rows_.SetItemText(item, text);
  ItemChanged(item);
}

void ShownList::AddSubItem(std::size_t item, const std::string& text) {
  CheckItem(item);
  rows_.AddSubItem(item, text);
  ItemChanged(item);
}

std::string ShownList::ColumnHeaderText(std::size_t column) const {
  CheckColumn(column);
  return rows_.ColumnHeaderText(column);
}

int ShownList::ColumnHeaderWidth(std::size_t column) const {
  CheckColumn(column);
  return rows_.ColumnHeaderWidth(column);
}

ColumnKind ShownList::ColumnHeaderKind(std::size_t column) const {
  CheckColumn(column);
  return rows_.ColumnHeaderKind(column);
}

std::string ShownList::ItemText(std::size_t item) const {
  CheckItem(item);
  return rows_.ItemText(item);
}

std::size_t ShownList::SubItemCount(std::size_t item) const {
  CheckItem(item);
  return rows_.SubItemCount(item);
}

std::string ShownList::SubItemText(std::size_t item, std::size_t sub_item) const {
  if (sub_item >= SubItemCount(item)) throw RunTimeError(error::kIndexOutOfBounds);
  return rows_.SubItemText(item, sub_item);
}

void ShownList::AppendItemTexts(std::size_t item, char separator, std::string& out) const {
  CheckItem(item);
  rows_.AppendItemTexts(item, separator, out);
}

void ShownList::CheckItem(std::size_t item) const {
  if (item >= ItemCount()) throw RunTimeError(error::kIndexOutOfBounds);
}

void ShownList::CheckColumn(std::size_t column) const {
  if (column >= ColumnHeaderCount()) throw RunTimeError(error::kIndexOutOfBounds);
}

}  // namespace platform
