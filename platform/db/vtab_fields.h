// How the "dbf" virtual table shows a table's fields to SQLite: the type each field is declared
// with, and the comparisons of a field that a query may not make.
#pragma once

#include <sqlite3.h>

#include "platform/db/dbf_table.h"

namespace platform::db {

// The type a field is declared with in the virtual table's schema; empty for an unknown type.
const char* DeclaredType(FieldKind kind);

// Throws kCommandError, naming the field and its type, when constraint `constraint` of `info`
// compares a number, date, date and time or logical field of `table` with a text, which FoxPro
// refuses: such a field holds values of its own kind only, and no record would ever be equal.
// Character, memo and binary fields may be compared with text.
void RefuseTextComparedWith(const DbfTable& table, sqlite3_index_info* info, int constraint);

}  // namespace platform::db
