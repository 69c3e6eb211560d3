// A table's fields as SQLite sees them: the schema of the virtual table over it, each field
// declared with the type that tells the engine what it holds (TEXT, NUMERIC, DATE, DATETIME,
// LOGICAL, BLOB: the names SqlStatement::Columns reads back), and a value read from a record
// handed to SQLite as a result.
#pragma once

#include <string>
#include <vector>

#include "platform/db/dbf_table.h"

struct sqlite3_context;

namespace platform::db {

// "CREATE TABLE x(...)" with a column for each of `fields`, by its name, quoted.
std::string VirtualTableSchema(const std::vector<DbfField>& fields);

// Hands SQLite a value read from a record; a text or blob longer than SQLite takes is its
// "too big" error.
void SetResult(sqlite3_context* context, const Cell& cell);

}  // namespace platform::db
