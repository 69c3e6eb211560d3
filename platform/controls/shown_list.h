// What both windows' lists share: the rows they show, kept in a MemoryListView, and reading them
// back. Each window system's list extends it with the control that shows the rows and tells that
// control of each change.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/controls/memory_list_view.h"
#include "platform/list_view.h"

namespace platform {

// Read back exactly as written, in order. Throws RunTimeError 35600 ("Index out of bounds") for
// an item, column or sub-item that is not there.
class ShownList : public ListView {
 public:
  void SetItemText(std::size_t item, const std::string& text) override;
  void AddSubItem(std::size_t item, const std::string& text) override;

  std::size_t ColumnHeaderCount() const override { return rows_.ColumnHeaderCount(); }
  std::string ColumnHeaderText(std::size_t column) const override;
  int ColumnHeaderWidth(std::size_t column) const override;
  ColumnKind ColumnHeaderKind(std::size_t column) const override;
  std::size_t ItemCount() const override { return rows_.ItemCount(); }
  std::string ItemText(std::size_t item) const override;
  std::size_t SubItemCount(std::size_t item) const override;
  std::string SubItemText(std::size_t item, std::size_t sub_item) const override;
  void AppendItemTexts(std::size_t item, char separator, std::string& out) const override;
  // Shares the rows' texts: made at once, whatever the list's length.
  std::shared_ptr<const ListView> Snapshot() const override { return rows_.Snapshot(); }

 protected:
  // Throws RunTimeError 35600 unless `item` is there.
  void CheckItem(std::size_t item) const;
  void CheckColumn(std::size_t column) const;
  // Tells the control that the texts of `item` have changed.
  virtual void ItemChanged(std::size_t item) = 0;

  MemoryListView rows_;
};

}  // namespace platform
