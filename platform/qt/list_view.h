// The report-style list on a QTreeView: the rows live in a model that only appends, so tens of
// thousands of items go in without a repaint or a widget item each; the view shows the visible
// ones on demand. Read back exactly as written, in order. Every column is left-aligned, numbers
// too.
#pragma once

#include <QAbstractTableModel>
#include <QTreeView>
#include <memory>
#include <string>

#include "platform/controls/shown_list.h"

namespace platform::qt {

// The model over the shown list's rows, which tells the view of each change.
class ListModel : public QAbstractTableModel {
 public:
  explicit ListModel(MemoryListView& rows) : rows_(rows) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void ClearColumns();
  void AddColumn(const std::string& text, int width_twips, ColumnKind kind);
  void ClearItems();
  std::size_t AddItem();
  // Tells the view that the texts of `item` have changed.
  void ItemChanged(std::size_t item);

 private:
  MemoryListView& rows_;
};

class QtListView : public ShownList {
 public:
  // Sets `view` up as a flat list with whole-row selection and grid-free report look.
  explicit QtListView(QTreeView& view);

  void ClearColumnHeaders() override;
  void AddColumnHeader(const std::string& text, int width_twips, ColumnKind kind) override;
  void ClearItems() override;
  // Throws RunTimeError 7 ("Out of memory") before the view would be handed more rows than the
  // memory left can lay out and paint.
  std::size_t AddItem() override;

 private:
  void ItemChanged(std::size_t item) override { model_.ItemChanged(item); }

  QTreeView& view_;
  ListModel model_{rows_};
};

}  // namespace platform::qt
