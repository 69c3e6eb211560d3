// The report-style list the loader fills and the export reads: column headers with widths in
// twips, items with a text of their own and sub-items for the other columns. The list kept in
// memory is platform/controls/memory_list_view.h.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// What a column holds, as the load finds it from the type of its field: numbers are handed to
// spreadsheets as numbers, everything else as text. A two-decimal column holds numbers written
// with exactly two decimals ("12.50"), which a spreadsheet is also told to show so. The list shows
// every column left-aligned.
enum class ColumnKind { kText, kNumber, kTwoDecimals };

class ListView {
 public:
  virtual ~ListView() = default;

  virtual void ClearColumnHeaders() = 0;
  virtual void AddColumnHeader(const std::string& text, int width_twips, ColumnKind kind) = 0;
  virtual void ClearItems() = 0;
  // Appends an item with empty text and no sub-items; returns its index.
  virtual std::size_t AddItem() = 0;
  virtual void SetItemText(std::size_t item, const std::string& text) = 0;
  // Appends one sub-item to the item.
  virtual void AddSubItem(std::size_t item, const std::string& text) = 0;

  virtual std::size_t ColumnHeaderCount() const = 0;
  virtual std::string ColumnHeaderText(std::size_t column) const = 0;
  virtual int ColumnHeaderWidth(std::size_t column) const = 0;
  virtual ColumnKind ColumnHeaderKind(std::size_t column) const = 0;
  virtual std::size_t ItemCount() const = 0;
  virtual std::string ItemText(std::size_t item) const = 0;
  virtual std::size_t SubItemCount(std::size_t item) const = 0;
  virtual std::string SubItemText(std::size_t item, std::size_t sub_item) const = 0;

  // Appends to `out` the item's text, then `separator` and the text of each sub-item: what
  // ItemText and SubItemText give, in one call. Throws what they throw.
  virtual void AppendItemTexts(std::size_t item, char separator, std::string& out) const;

  // The list as it is now, its headers' texts and kinds and its items (not the column widths),
  // unchanged by whatever is done to this list afterwards: what the clipboard reads from when a
  // program asks for it. Throws what reading the list throws.
  virtual std::shared_ptr<const ListView> Snapshot() const;
};

}  // namespace platform
