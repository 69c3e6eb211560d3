#include "platform/qt/list_view.h"

#include <sys/mman.h>

#include <QHeaderView>
#include <QThreadPool>
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "platform/qt/twips.h"
#include "platform/run_time_error.h"

namespace platform::qt {
namespace {

int ToInt(std::size_t count) { return static_cast<int>(count); }

// What showing the rows takes beyond the rows themselves. The tree view lays every row out in one
// block of 40 bytes a row, which grows to the next power of two. Beside it, mapped anew rather
// than found free among the rows' memory, go the stacks of the threads that paint, the images of
// a larger window and a message box, the rows added until the next check, and opening the table
// for another load.
constexpr std::size_t kViewBytesPerRow = 40;
constexpr std::size_t kSpareBytes = std::size_t{16} << 20;
constexpr std::size_t kRowsBetweenChecks = 4096;

// Whether the view could lay out `rows` rows and the window go on working: the memory that takes
// asked for and handed back at once, never written.
bool RoomToShow(std::size_t rows) {
  // Kept in a volatile, so that the compiler keeps an allocation it can see is never used.
  void* volatile layout = std::malloc(std::bit_ceil(rows * kViewBytesPerRow));
  if (layout == nullptr) return false;
  void* const spare =
      mmap(nullptr, kSpareBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  std::free(layout);
  if (spare == MAP_FAILED) return false;
  munmap(spare, kSpareBytes);
  return true;
}

// Qt paints large areas on the threads of the global pool and waits for them; a thread it cannot
// start (no room for its stack) is waited for for ever. So the pool's threads, once started, stay,
// and their stacks are small enough for the room the list keeps.
void KeepPaintThreads() {
  constexpr uint kStackBytes = 512 * 1024;
  QThreadPool* pool = QThreadPool::globalInstance();
  pool->setStackSize(kStackBytes);
  pool->setExpiryTimeout(-1);
}

// Every column, numbers too, is left-aligned, as a report list aligns its columns by default;
// a header view of its own would centre the headers.
QVariant LeftAligned() {
  // As an int, the form every Qt version's views read.
  return QVariant(static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter));
}

}  // namespace

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ToInt(rows_.ItemCount());
}

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ToInt(rows_.ColumnHeaderCount());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto item = static_cast<std::size_t>(index.row());
  const auto column = static_cast<std::size_t>(index.column());
  if (role == Qt::TextAlignmentRole) {
    if (column >= rows_.ColumnHeaderCount()) return {};
    return LeftAligned();
  }
  if (role != Qt::DisplayRole) return {};
  if (column == 0) return QString::fromStdString(rows_.ItemText(item));
  if (column - 1 < rows_.SubItemCount(item)) {
    return QString::fromStdString(rows_.SubItemText(item, column - 1));
  }
  return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      static_cast<std::size_t>(section) >= rows_.ColumnHeaderCount()) {
    return {};
  }
  const auto column = static_cast<std::size_t>(section);
  if (role == Qt::TextAlignmentRole) return LeftAligned();
  if (role != Qt::DisplayRole) return {};
  return QString::fromStdString(rows_.ColumnHeaderText(column));
}

void ListModel::ClearColumns() {
  if (rows_.ColumnHeaderCount() == 0) return;
  beginRemoveColumns({}, 0, ToInt(rows_.ColumnHeaderCount()) - 1);
  rows_.ClearColumnHeaders();
  endRemoveColumns();
}

void ListModel::AddColumn(const std::string& text, int width_twips, ColumnKind kind) {
  const int position = ToInt(rows_.ColumnHeaderCount());
  beginInsertColumns({}, position, position);
  rows_.AddColumnHeader(text, width_twips, kind);
  endInsertColumns();
}

void ListModel::ClearItems() {
  beginResetModel();
  rows_.ClearItems();
  endResetModel();
}

std::size_t ListModel::AddItem() {
  const int position = ToInt(rows_.ItemCount());
  beginInsertRows({}, position, position);
  const std::size_t item = rows_.AddItem();
  endInsertRows();
  return item;
}

void ListModel::ItemChanged(std::size_t item) {
  if (rows_.ColumnHeaderCount() == 0) return;
  emit dataChanged(index(ToInt(item), 0), index(ToInt(item), ToInt(rows_.ColumnHeaderCount()) - 1));
}

QtListView::QtListView(QTreeView& view) : view_(view) {
  KeepPaintThreads();
  view_.setRootIsDecorated(false);
  view_.setItemsExpandable(false);
  view_.setUniformRowHeights(true);
  view_.setSelectionBehavior(QAbstractItemView::SelectRows);
  view_.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_.setSortingEnabled(false);
  view_.header()->setStretchLastSection(false);
  view_.header()->setSectionsMovable(false);
  view_.setModel(&model_);
}

void QtListView::ClearColumnHeaders() { model_.ClearColumns(); }

void QtListView::AddColumnHeader(const std::string& text, int width_twips, ColumnKind kind) {
  model_.AddColumn(text, width_twips, kind);
  view_.setColumnWidth(ToInt(ColumnHeaderCount()) - 1, TwipsToPixels(width_twips, view_));
}

void QtListView::ClearItems() { model_.ClearItems(); }

std::size_t QtListView::AddItem() {
  // When memory runs short the list stops growing while the view can still lay out and paint
  // the rows it has and the window can still say why: the view, out of memory itself, would kill
  // the program.
  const std::size_t count = ItemCount();
  if (count % kRowsBetweenChecks == 0 && !RoomToShow(count + kRowsBetweenChecks)) {
    throw RunTimeError(error::kOutOfMemory);
  }
  return model_.AddItem();
}

}  // namespace platform::qt
