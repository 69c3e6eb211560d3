// The list kept in memory, behind the command and both windows' lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/list_view.h"

namespace platform {

// A list held in memory: the headless command's list, the window's rows, and the tests'. Texts
// are packed: an item's texts lie back to back in large blocks, each after its length, so a
// season's records take little more memory than their characters. An index past the items or
// sub-items throws RunTimeError 35600, as the window's list does. A copy shares the texts with
// the list it was made from until one of them changes, so a snapshot of a season's records is
// made at once and costs little more than its item count; a change never alters the other's.
class MemoryListView : public ListView {
 public:
  struct Column {
    std::string text;
    int width_twips = 0;
    ColumnKind kind = ColumnKind::kText;
  };
  // An item as items() copies it out.
  struct Item {
    std::string text;
    std::vector<std::string> sub_items;
  };

  void ClearColumnHeaders() override { columns_.clear(); }
  void AddColumnHeader(const std::string& text, int width_twips, ColumnKind kind) override {
    columns_.push_back({text, width_twips, kind});
  }
  void ClearItems() override;
  std::size_t AddItem() override;
  void SetItemText(std::size_t item, const std::string& text) override;
  void AddSubItem(std::size_t item, const std::string& text) override;

  std::size_t ColumnHeaderCount() const override { return columns_.size(); }
  std::string ColumnHeaderText(std::size_t column) const override { return ColumnAt(column).text; }
  int ColumnHeaderWidth(std::size_t column) const override { return ColumnAt(column).width_twips; }
  ColumnKind ColumnHeaderKind(std::size_t column) const override { return ColumnAt(column).kind; }
  std::size_t ItemCount() const override { return item_count_; }
  std::string ItemText(std::size_t item) const override;
  std::size_t SubItemCount(std::size_t item) const override;
  std::string SubItemText(std::size_t item, std::size_t sub_item) const override;
  void AppendItemTexts(std::size_t item, char separator, std::string& out) const override;
  std::shared_ptr<const ListView> Snapshot() const override;

  const std::vector<Column>& columns() const { return columns_; }
  // Copies of all the items, in order.
  std::vector<Item> items() const;

 private:
  // Where an item's texts lie: `size` bytes from `offset` in block `block`, holding `cells`
  // texts, its own first, then its sub-items.
  struct Entry {
    std::uint32_t block = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t cells = 0;
  };

  // Entries are kept in chunks of a fixed count, so a long list grows without moving them.
  static constexpr std::size_t kChunkBits = 12;

  // Storage for texts, filled up to `size`, never beyond its capacity, never moved.
  class Block {
   public:
    explicit Block(std::size_t capacity);
    Block(const Block& other);
    Block& operator=(const Block& other);
    Block(Block&&) noexcept = default;
    Block& operator=(Block&&) noexcept = default;
    ~Block() = default;

    char* data() { return bytes_.get(); }
    const char* data() const { return bytes_.get(); }
    std::size_t capacity() const { return capacity_; }
    std::size_t room() const { return capacity_ - size; }

    std::size_t size = 0;

   private:
    std::unique_ptr<char[]> bytes_;
    std::size_t capacity_;
  };

  // Where reading an item's texts one after another has got to, so that reading the next one
  // does not start over from the item's first text; forgotten whenever the list changes.
  struct ReadPosition {
    std::size_t item = SIZE_MAX;
    std::size_t cell = 0;
    std::size_t offset = 0;  // from the start of the item's bytes, past the text of `cell`
  };

  const Column& ColumnAt(std::size_t column) const;
  Entry& EntryAt(std::size_t item) {
    if (item >= item_count_) OutOfRange();
    return WritableChunk(item >> kChunkBits)[item & ((std::size_t{1} << kChunkBits) - 1)];
  }
  [[noreturn]] static void OutOfRange();
  const Entry& EntryAt(std::size_t item) const;
  const char* Bytes(const Entry& entry) const {
    return blocks_[entry.block]->data() + entry.offset;
  }
  // The last block when texts may be written in it: not shared with a copy of the list.
  Block* WritableLast() {
    if (blocks_.empty() || blocks_.back().use_count() > 1) return nullptr;
    return blocks_.back().get();
  }
  // Entries `chunk`, first made this list's own when a copy shares them.
  std::vector<Entry>& WritableChunk(std::size_t chunk) {
    std::shared_ptr<std::vector<Entry>>& entries = entries_[chunk];
    if (entries.use_count() > 1) Unshare(entries);
    return *entries;
  }
  void Unshare(std::shared_ptr<std::vector<Entry>>& entries);
  // Text `cell` of `item`, whose entry is `entry`: 0 its own, then its sub-items.
  std::string_view Cell(std::size_t item, const Entry& entry, std::size_t cell) const;
  // Whether the entry's bytes end the last block, where more can be written after them.
  bool AtEnd(const Entry& entry) {
    return entry.size > 0 && entry.block + 1 == blocks_.size() && WritableLast() != nullptr &&
           entry.offset + entry.size == blocks_.back()->size;
  }
  // Gives the item `bytes` as its texts, in place when it is the last thing written and the
  // block has room, otherwise at the end of the last block or in a new one.
  void Rewrite(Entry& entry, std::string_view bytes);

  std::vector<Column> columns_;
  std::size_t item_count_ = 0;
  // Shared with copies of the list until written.
  std::vector<std::shared_ptr<std::vector<Entry>>> entries_;
  std::vector<std::shared_ptr<Block>> blocks_;
  mutable ReadPosition read_;
};

}  // namespace platform
