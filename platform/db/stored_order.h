// The order of the stored bytes: the records an index look-up found, put in the order a query
// asks for by comparing the stored bytes of character fields, as the machine collation of a
// single-byte table does, without turning a value into text.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::db {

class DbfTable;

// Puts `order`, positions of records in `records` (their stored bytes, one after another), in
// the order of the stored bytes of the fields that `order_terms` names: "<field>+" or "<field>-"
// terms, the field by its position. Nulls come first in an ascending term and last in a
// descending one; records that compare equal keep their order. `keys` is working space for keys
// longer than 16 bytes, kept between calls so that its memory is reused.
void SortByStoredBytes(const DbfTable& table, const char* order_terms, const std::uint8_t* records,
                       std::vector<std::uint32_t>& order, std::vector<std::uint8_t>& keys);

}  // namespace platform::db
