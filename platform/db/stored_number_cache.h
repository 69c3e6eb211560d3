// A cache of the numbers the "dbf" virtual table has read from a numeric field.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/db/dbf_table.h"

namespace platform::db {

// The numbers read lately from one numeric field that is never null, found by their stored
// bytes: a field's values repeat (a fat percentage, a rate, a quantity), and finding a value
// again costs a fraction of reading its text. Fields of 4 to 16 bytes, whose bytes make two
// words that may overlap, so a look-up compares them without a call.
class NumberCache {
 public:
  explicit NumberCache(std::size_t width) : width_(width) {}
  static bool Serves(const DbfField& field) {
    return field.kind == FieldKind::kNumeric && field.null_bit < 0 && field.length >= 4 &&
           field.length <= 16;
  }

  // The value of the field whose bytes start at `bytes`, from `read` when it is not kept.
  template <typename Read>
  Cell Get(const std::uint8_t* bytes, const Read& read) {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    if (width_ >= 8) {
      std::memcpy(&head, bytes, 8);
      std::memcpy(&tail, bytes + width_ - 8, 8);
    } else {
      std::uint32_t head_word = 0;
      std::uint32_t tail_word = 0;
      std::memcpy(&head_word, bytes, 4);
      std::memcpy(&tail_word, bytes + width_ - 4, 4);
      head = head_word;
      tail = tail_word;
    }
    const std::uint64_t mix = head * 0x9E3779B97F4A7C15u ^ tail * 0xC2B2AE3D27D4EB4Fu;
    Entry& entry = entries_[mix >> (64 - kIndexBits)];
    if (entry.head == head && entry.tail == tail && entry.type != kEmpty) {
      Cell cell;
      cell.type = static_cast<Cell::Type>(entry.type);
      cell.integer = entry.integer;
      cell.real = entry.real;
      return cell;
    }
    const Cell cell = read();
    // Numbers only: a text cell would point at bytes that do not stay.
    if (cell.type == Cell::Type::kInteger || cell.type == Cell::Type::kReal ||
        cell.type == Cell::Type::kNull) {
      entry.head = head;
      entry.tail = tail;
      entry.type = static_cast<std::uint8_t>(cell.type);
      entry.integer = cell.integer;
      entry.real = cell.real;
    }
    return cell;
  }

 private:
  static constexpr std::uint8_t kEmpty = 0xFF;
  // An integer cell's value is in `integer`, a real cell's in `real`.
  struct Entry {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    std::int64_t integer = 0;
    double real = 0;
    std::uint8_t type = kEmpty;
  };
  static constexpr int kIndexBits = 10;
  std::size_t width_;
  std::array<Entry, std::size_t{1} << kIndexBits> entries_{};
};

}  // namespace platform::db
