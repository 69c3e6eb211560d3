// Each record's terms are made into one key whose bytes compare in the order asked: a
// marker before a field that may be null, every byte of a descending term inverted. A key of up
// to 16 bytes is sorted as two integers, a longer one by its bytes.
#include "platform/db/stored_order.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/db/dbf_table.h"

namespace platform::db {

namespace {

struct Term {
  const DbfField* field;
  bool descending;
};

// The terms `order_terms` names, and the length of a key made of them.
std::vector<Term> ParseTerms(const DbfTable& table, const char* order_terms,
                             std::size_t& key_length) {
  std::vector<Term> terms;
  key_length = 0;
  for (const char* p = order_terms; *p != '\0';) {
    char* end = nullptr;
    const long column = std::strtol(p, &end, 10);
    const DbfField& field = table.fields()[static_cast<std::size_t>(column)];
    terms.push_back({&field, *end == '-'});
    key_length += field.length + (field.null_bit >= 0 ? 1 : 0);
    p = end + 1;
  }
  return terms;
}

// Writes the key of the record whose stored bytes start at `bytes` to `key`.
void MakeKey(const DbfTable& table, const std::vector<Term>& terms, const std::uint8_t* bytes,
             std::uint8_t* key) {
  for (const Term& term : terms) {
    std::uint8_t* start = key;
    const bool null = term.field->null_bit >= 0 && table.IsNullIn(bytes, *term.field);
    if (term.field->null_bit >= 0) *key++ = null ? 0 : 1;
    if (!null && term.field->length > 0) {
      std::memcpy(key, bytes + term.field->offset, term.field->length);
    }
    key += term.field->length;
    if (term.descending) {
      for (; start < key; ++start) *start = static_cast<std::uint8_t>(~*start);
    }
  }
}

// Written out byte by byte, a form compilers turn into one load and a byte swap.
std::uint64_t BigEndian64(const std::uint8_t* bytes) {
  return std::uint64_t{bytes[0]} << 56 | std::uint64_t{bytes[1]} << 48 |
         std::uint64_t{bytes[2]} << 40 | std::uint64_t{bytes[3]} << 32 |
         std::uint64_t{bytes[4]} << 24 | std::uint64_t{bytes[5]} << 16 |
         std::uint64_t{bytes[6]} << 8 | std::uint64_t{bytes[7]};
}

// Keys of up to 16 bytes, as two integers beside the record's place.
void SortShortKeys(const DbfTable& table, const std::vector<Term>& terms,
                   const std::uint8_t* records, std::vector<std::uint32_t>& order) {
  struct Packed {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::uint32_t position = 0;
    bool operator<(const Packed& other) const {
      return high != other.high ? high < other.high
             : low != other.low ? low < other.low
                                : position < other.position;
    }
  };
  const std::size_t count = order.size();
  const std::size_t length = table.record_length();
  std::vector<Packed> packed(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t key[16] = {};
    MakeKey(table, terms, records + order[i] * length, key);
    packed[i] = {BigEndian64(key), BigEndian64(key + 8), order[i]};
  }
  if (std::is_sorted(packed.begin(), packed.end())) return;
  // A day's records are often a few runs already in order (one per shift, say): those are
  // merged in turn; many runs are sorted outright.
  std::vector<std::size_t> run_ends;
  for (std::size_t i = 1; i <= count && run_ends.size() <= 8; ++i) {
    if (i == count || packed[i] < packed[i - 1]) run_ends.push_back(i);
  }
  if (run_ends.size() > 8) {
    std::sort(packed.begin(), packed.end());
  } else {
    for (std::size_t run = 1; run < run_ends.size(); ++run) {
      const auto begin = packed.begin();
      std::inplace_merge(begin, begin + static_cast<std::ptrdiff_t>(run_ends[run - 1]),
                         begin + static_cast<std::ptrdiff_t>(run_ends[run]));
    }
  }
  for (std::size_t i = 0; i < count; ++i) order[i] = packed[i].position;
}

// Longer keys, compared byte by byte; a key is found by its place in `order` when sorting began.
void SortLongKeys(const DbfTable& table, const std::vector<Term>& terms, std::size_t key_length,
                  const std::uint8_t* records, std::vector<std::uint32_t>& order,
                  std::vector<std::uint8_t>& keys) {
  const std::size_t count = order.size();
  const std::size_t length = table.record_length();
  keys.assign(count * key_length, 0);
  for (std::size_t i = 0; i < count; ++i) {
    MakeKey(table, terms, records + order[i] * length, keys.data() + i * key_length);
  }
  std::vector<std::uint32_t> places(count);
  for (std::size_t i = 0; i < count; ++i) places[i] = static_cast<std::uint32_t>(i);
  auto before = [&](std::uint32_t a, std::uint32_t b) {
    return std::memcmp(keys.data() + a * key_length, keys.data() + b * key_length, key_length) < 0;
  };
  if (std::is_sorted(places.begin(), places.end(), before)) return;
  std::stable_sort(places.begin(), places.end(), before);
  const std::vector<std::uint32_t> before_sort = order;
  for (std::size_t i = 0; i < count; ++i) order[i] = before_sort[places[i]];
}

}  // namespace

void SortByStoredBytes(const DbfTable& table, const char* order_terms, const std::uint8_t* records,
                       std::vector<std::uint32_t>& order, std::vector<std::uint8_t>& keys) {
  if (order.size() < 2) return;  // in order as it stands (a day without records, mostly)
  std::size_t key_length = 0;
  const std::vector<Term> terms = ParseTerms(table, order_terms, key_length);
  if (key_length <= 16) {
    SortShortKeys(table, terms, records, order);
  } else {
    SortLongKeys(table, terms, key_length, records, order, keys);
  }
}

}  // namespace platform::db
