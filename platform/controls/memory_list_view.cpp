#include "platform/controls/memory_list_view.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <typeinfo>

#include "platform/run_time_error.h"

namespace platform {

namespace {

// Blocks start small, for the many short lists, and grow to this size.
constexpr std::size_t kFirstBlock = std::size_t{1} << 12;
constexpr std::size_t kLargestBlock = std::size_t{1} << 20;
constexpr std::uint32_t kMaxSize = std::numeric_limits<std::uint32_t>::max();

// A text's length before its bytes: seven bits a byte, lowest first, the high bit set on every
// byte but the last. Returns the end of what it wrote; 10 bytes are enough.
char* WriteLength(std::size_t length, char* out) {
  while (length >= 0x80) {
    *out++ = static_cast<char>((length & 0x7F) | 0x80);
    length >>= 7;
  }
  *out++ = static_cast<char>(length);
  return out;
}

std::size_t ReadLength(const char*& p) {
  if (static_cast<unsigned char>(*p) < 0x80) return static_cast<unsigned char>(*p++);
  std::size_t length = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(*p++);
    length |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return length;
  }
}

}  // namespace

// Both list views raise one error for an index past their items, columns or sub-items.
void MemoryListView::OutOfRange() { throw RunTimeError(error::kIndexOutOfBounds); }

void ListView::AppendItemTexts(std::size_t item, char separator, std::string& out) const {
  out += ItemText(item);
  const std::size_t sub_items = SubItemCount(item);
  for (std::size_t sub = 0; sub < sub_items; ++sub) {
    out += separator;
    out += SubItemText(item, sub);
  }
}

std::shared_ptr<const ListView> ListView::Snapshot() const {
  auto copy = std::make_shared<MemoryListView>();
  for (std::size_t column = 0; column < ColumnHeaderCount(); ++column) {
    copy->AddColumnHeader(ColumnHeaderText(column), 0, ColumnHeaderKind(column));
  }
  for (std::size_t item = 0; item < ItemCount(); ++item) {
    copy->SetItemText(copy->AddItem(), ItemText(item));
    const std::size_t sub_items = SubItemCount(item);
    for (std::size_t sub = 0; sub < sub_items; ++sub)
      copy->AddSubItem(item, SubItemText(item, sub));
  }
  return copy;
}

MemoryListView::Block::Block(std::size_t capacity)
    : bytes_(new char[capacity]), capacity_(capacity) {}

MemoryListView::Block::Block(const Block& other) : Block(other.capacity_) {
  size = other.size;
  std::copy(other.data(), other.data() + size, data());
}

MemoryListView::Block& MemoryListView::Block::operator=(const Block& other) {
  if (this != &other) *this = Block(other);
  return *this;
}

void MemoryListView::ClearItems() {
  read_ = {};
  item_count_ = 0;
  entries_.clear();
  blocks_.clear();
}

std::size_t MemoryListView::AddItem() {
  read_ = {};
  const std::size_t chunk_size = std::size_t{1} << kChunkBits;
  if (item_count_ % chunk_size == 0) {
    entries_.push_back(std::make_shared<std::vector<Entry>>());
    entries_.back()->reserve(chunk_size);
  }
  Entry& entry = WritableChunk(entries_.size() - 1).emplace_back();
  ++item_count_;
  Rewrite(entry, std::string_view("\0", 1));  // one text, empty
  entry.cells = 1;
  return item_count_ - 1;
}

void MemoryListView::SetItemText(std::size_t item, const std::string& text) {
  read_ = {};
  Entry& entry = EntryAt(item);
  const char* old = Bytes(entry);
  const char* rest = old;
  rest += ReadLength(rest);
  const auto rest_size = static_cast<std::size_t>(old + entry.size - rest);
  char length[10];
  char* length_end = WriteLength(text.size(), length);
  const auto length_size = static_cast<std::size_t>(length_end - length);
  const std::size_t new_size = length_size + text.size() + rest_size;
  // An item just added is the last thing written: its texts are rewritten where they lie. The
  // sub-items move first, as the new text may be longer or shorter than the old one.
  if (AtEnd(entry) && new_size <= kMaxSize &&
      blocks_.back()->capacity() - entry.offset >= new_size) {
    Block& last = *blocks_.back();
    char* start = last.data() + entry.offset;
    std::memmove(start + length_size + text.size(), rest, rest_size);
    std::memcpy(start, length, length_size);
    std::memcpy(start + length_size, text.data(), text.size());
    last.size = entry.offset + new_size;
    entry.size = static_cast<std::uint32_t>(new_size);
    return;
  }
  std::string bytes;
  bytes.reserve(new_size);
  bytes.append(length, length_end).append(text).append(rest, rest_size);
  Rewrite(entry, bytes);
}

void MemoryListView::AddSubItem(std::size_t item, const std::string& text) {
  read_ = {};
  Entry& entry = EntryAt(item);
  if (entry.cells == kMaxSize) throw std::length_error("MemoryListView sub-items");
  // Most texts are short and go after the texts of the item just added: one length byte.
  const std::size_t size = text.size();
  if (size < 0x80 && AtEnd(entry) && blocks_.back()->room() > size &&
      size < kMaxSize - entry.size) {
    Block& last = *blocks_.back();
    char* out = last.data() + last.size;
    out[0] = static_cast<char>(size);
    std::memcpy(out + 1, text.data(), size);
    last.size += size + 1;
    entry.size += static_cast<std::uint32_t>(size + 1);
    ++entry.cells;
    return;
  }
  char length[10];
  char* length_end = WriteLength(text.size(), length);
  const auto length_size = static_cast<std::size_t>(length_end - length);
  const std::size_t added = length_size + text.size();
  if (AtEnd(entry) && blocks_.back()->room() >= added && added <= kMaxSize - entry.size) {
    Block& last = *blocks_.back();
    char* out = last.data() + last.size;
    for (std::size_t i = 0; i < length_size; ++i) out[i] = length[i];
    std::copy(text.data(), text.data() + text.size(), out + length_size);
    last.size += added;
    entry.size += static_cast<std::uint32_t>(added);
  } else {
    std::string bytes;
    bytes.reserve(entry.size + added);
    bytes.append(Bytes(entry), entry.size).append(length, length_end).append(text);
    Rewrite(entry, bytes);
  }
  ++entry.cells;
}

std::string MemoryListView::ItemText(std::size_t item) const {
  return std::string(Cell(item, EntryAt(item), 0));
}

std::size_t MemoryListView::SubItemCount(std::size_t item) const { return EntryAt(item).cells - 1; }

std::string MemoryListView::SubItemText(std::size_t item, std::size_t sub_item) const {
  const Entry& entry = EntryAt(item);
  if (sub_item >= entry.cells - 1) OutOfRange();
  return std::string(Cell(item, entry, sub_item + 1));
}

void MemoryListView::AppendItemTexts(std::size_t item, char separator, std::string& out) const {
  // A list built on this one may give other texts or counts through the calls that read one
  // text; it is read through them.
  if (typeid(*this) != typeid(MemoryListView)) {
    ListView::AppendItemTexts(item, separator, out);
    return;
  }
  const Entry& entry = EntryAt(item);
  const char* p = Bytes(entry);
  // With one-byte lengths, as most texts have, the texts joined by `separator` are the item's
  // bytes with the first length left out and the others overwritten: one copy for the item.
  const std::size_t at = out.size();
  if (static_cast<unsigned char>(p[0]) < 0x80) {
    out.append(p + 1, entry.size - 1);
    char* length = out.data() + at + static_cast<unsigned char>(p[0]);
    std::uint32_t cell = 1;
    for (; cell < entry.cells && static_cast<unsigned char>(*length) < 0x80; ++cell) {
      const auto size = static_cast<unsigned char>(*length);
      *length = separator;
      length += 1 + size;
    }
    if (cell == entry.cells) return;
    out.resize(at);
  }
  for (std::uint32_t cell = 0; cell < entry.cells; ++cell) {
    if (cell > 0) out += separator;
    const std::size_t length = ReadLength(p);
    out.append(p, length);
    p += length;
  }
}

std::shared_ptr<const ListView> MemoryListView::Snapshot() const {
  // A list built on this one may hold more than these texts: it is read through its calls.
  if (typeid(*this) != typeid(MemoryListView)) return ListView::Snapshot();
  return std::make_shared<const MemoryListView>(*this);
}

std::vector<MemoryListView::Item> MemoryListView::items() const {
  std::vector<Item> items(item_count_);
  for (std::size_t i = 0; i < item_count_; ++i) {
    const Entry& entry = EntryAt(i);
    const char* p = Bytes(entry);
    for (std::uint32_t cell = 0; cell < entry.cells; ++cell) {
      const std::size_t length = ReadLength(p);
      std::string text(p, length);
      p += length;
      if (cell == 0) {
        items[i].text = std::move(text);
      } else {
        items[i].sub_items.push_back(std::move(text));
      }
    }
  }
  return items;
}

const MemoryListView::Entry& MemoryListView::EntryAt(std::size_t item) const {
  if (item >= item_count_) OutOfRange();
  return (*entries_[item >> kChunkBits])[item & ((std::size_t{1} << kChunkBits) - 1)];
}

void MemoryListView::Unshare(std::shared_ptr<std::vector<Entry>>& entries) {
  auto own = std::make_shared<std::vector<Entry>>();
  own->reserve(std::size_t{1} << kChunkBits);
  own->assign(entries->begin(), entries->end());
  entries = std::move(own);
}

std::string_view MemoryListView::Cell(std::size_t item, const Entry& entry,
                                      std::size_t cell) const {
  const char* start = Bytes(entry);
  const bool next = read_.item == item && read_.cell + 1 == cell;
  const char* p = next ? start + read_.offset : start;
  for (std::size_t i = next ? cell : 0;; ++i) {
    const std::size_t length = ReadLength(p);
    if (i == cell) {
      read_ = {item, cell, static_cast<std::size_t>(p - start) + length};
      return {p, length};
    }
    p += length;
  }
}

void MemoryListView::Rewrite(Entry& entry, std::string_view bytes) {
  if (bytes.size() > kMaxSize) throw std::length_error("MemoryListView item");
  // `bytes` never points into the blocks: callers pass a copy of what they keep.
  Block* block = nullptr;
  if (Block* last = WritableLast()) {
    if (AtEnd(entry) && last->capacity() - entry.offset >= bytes.size()) {
      last->size = entry.offset;
      block = last;
    } else if (last->room() >= bytes.size() && last->size <= kMaxSize - bytes.size()) {
      block = last;
    }
  }
  if (block == nullptr) {
    const std::size_t previous = blocks_.empty() ? kFirstBlock / 2 : blocks_.back()->capacity();
    blocks_.push_back(
        std::make_shared<Block>(std::max(bytes.size(), std::min(previous * 2, kLargestBlock))));
    block = blocks_.back().get();
  }
  entry.block = static_cast<std::uint32_t>(blocks_.size() - 1);
  entry.offset = static_cast<std::uint32_t>(block->size);
  entry.size = static_cast<std::uint32_t>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), block->data() + block->size);
  block->size += bytes.size();
}

const MemoryListView::Column& MemoryListView::ColumnAt(std::size_t column) const {
  if (column >= columns_.size()) OutOfRange();
  return columns_[column];
}

}  // namespace platform
