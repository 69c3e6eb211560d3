// The report-style list on a QTreeView: the rows live in a model that only appends, so tens of
// thousands of items go in without a repaint or a widget item each; the view shows the visible
// ones on demand. Read back exactly as written, in order. Number columns are right-aligned.
#pragma once

#include <QAbstractTableModel>
#include <QTreeView>
#include <memory>
#include <string>

#include "platform/list_view.h"

namespace platform::qt {

class ListModel : public QAbstractTableModel {
 public:
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // What the list holds, for reading.
  const MemoryListView& rows() const { return rows_; }

  void ClearColumns();
  void AddColumn(const std::string& text, int width_twips, ColumnKind kind);
  void ClearItems();
  std::size_t AddItem();
  void SetItemText(std::size_t item, const std::string& text);
  void AddSubItem(std::size_t item, const std::string& text);

 private:
  void ItemChanged(std::size_t item);

  MemoryListView rows_;
};

// Throws RunTimeError 35600 ("Index out of bounds") for an item, column or sub-item that is not
// there.
class QtListView : public ListView {
 public:
  // Sets `view` up as a flat list with whole-row selection and grid-free report look.
  explicit QtListView(QTreeView& view);

  void ClearColumnHeaders() override;
  void AddColumnHeader(const std::string& text, int width_twips, ColumnKind kind) override;
  void ClearItems() override;
  std::size_t AddItem() override;
  void SetItemText(std::size_t item, const std::string& text) override;
  void AddSubItem(std::size_t item, const std::string& text) override;

  std::size_t ColumnHeaderCount() const override;
  std::string ColumnHeaderText(std::size_t column) const override;
  int ColumnHeaderWidth(std::size_t column) const override;
  ColumnKind ColumnHeaderKind(std::size_t column) const override;
  std::size_t ItemCount() const override;
  std::string ItemText(std::size_t item) const override;
  std::size_t SubItemCount(std::size_t item) const override;
  std::string SubItemText(std::size_t item, std::size_t sub_item) const override;
  // Shares the rows' texts: made at once, whatever the list's length.
  std::shared_ptr<const ListView> Snapshot() const override;

 private:
  void CheckItem(std::size_t item) const;

  QTreeView& view_;
  ListModel model_;
};

}  // namespace platform::qt
