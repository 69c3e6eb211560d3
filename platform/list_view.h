// The report-style list the loader fills and the export reads: column headers with widths in
// twips, items with a text of their own and sub-items for the other columns.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

class ListView {
 public:
  virtual ~ListView() = default;

  virtual void ClearColumnHeaders() = 0;
  virtual void AddColumnHeader(const std::string& text, int width_twips) = 0;
  virtual void ClearItems() = 0;
  // Appends an item with empty text and no sub-items; returns its index.
  virtual std::size_t AddItem() = 0;
  virtual void SetItemText(std::size_t item, const std::string& text) = 0;
  // Appends one sub-item to the item.
  virtual void AddSubItem(std::size_t item, const std::string& text) = 0;

  virtual std::size_t ColumnHeaderCount() const = 0;
  virtual std::string ColumnHeaderText(std::size_t column) const = 0;
  virtual int ColumnHeaderWidth(std::size_t column) const = 0;
  virtual std::size_t ItemCount() const = 0;
  virtual std::string ItemText(std::size_t item) const = 0;
  virtual std::size_t SubItemCount(std::size_t item) const = 0;
  virtual std::string SubItemText(std::size_t item, std::size_t sub_item) const = 0;
};

// A list held in memory: the headless command's list, and the tests'.
class MemoryListView : public ListView {
 public:
  struct Column {
    std::string text;
    int width_twips = 0;
  };
  struct Item {
    std::string text;
    std::vector<std::string> sub_items;
  };

  void ClearColumnHeaders() override { columns_.clear(); }
  void AddColumnHeader(const std::string& text, int width_twips) override {
    columns_.push_back({text, width_twips});
  }
  void ClearItems() override { items_.clear(); }
  std::size_t AddItem() override {
    items_.emplace_back();
    return items_.size() - 1;
  }
  void SetItemText(std::size_t item, const std::string& text) override {
    items_.at(item).text = text;
  }
  void AddSubItem(std::size_t item, const std::string& text) override {
    std::vector<std::string>& sub_items = items_.at(item).sub_items;
    // An item usually gets one sub-item per column after the first: room for them in one step.
    if (sub_items.empty() && columns_.size() > 1) sub_items.reserve(columns_.size() - 1);
    sub_items.push_back(text);
  }

  std::size_t ColumnHeaderCount() const override { return columns_.size(); }
  std::string ColumnHeaderText(std::size_t column) const override {
    return columns_.at(column).text;
  }
  int ColumnHeaderWidth(std::size_t column) const override {
    return columns_.at(column).width_twips;
  }
  std::size_t ItemCount() const override { return items_.size(); }
  std::string ItemText(std::size_t item) const override { return items_.at(item).text; }
  std::size_t SubItemCount(std::size_t item) const override {
    return items_.at(item).sub_items.size();
  }
  std::string SubItemText(std::size_t item, std::size_t sub_item) const override {
    return items_.at(item).sub_items.at(sub_item);
  }

  const std::vector<Column>& columns() const { return columns_; }
  const std::vector<Item>& items() const { return items_; }

 private:
  std::vector<Column> columns_;
  std::vector<Item> items_;
};

}  // namespace platform
