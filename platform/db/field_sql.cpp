#include "platform/db/field_sql.h"

#include <sqlite3.h>

#include <climits>

#include "platform/db/vtab_fields.h"

namespace platform::db {

namespace {

std::string Quoted(const std::string& name) {
  std::string out = "\"";
  for (const char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

}  // namespace

std::string VirtualTableSchema(const std::vector<DbfField>& fields) {
  std::string schema = "CREATE TABLE x(";
  bool first = true;
  for (const DbfField& field : fields) {
    if (!first) schema += ", ";
    first = false;
    schema += Quoted(field.name) + " " + DeclaredType(field.kind);
  }
  return schema + ")";
}

void SetResult(sqlite3_context* context, const Cell& cell) {
  switch (cell.type) {
    case Cell::Type::kNull:
      sqlite3_result_null(context);
      return;
    case Cell::Type::kInteger:
      sqlite3_result_int64(context, cell.integer);
      return;
    case Cell::Type::kReal:
      sqlite3_result_double(context, cell.real);
      return;
    case Cell::Type::kText:
    case Cell::Type::kBlob:
    case Cell::Type::kDecimal:
      break;
  }
  if (cell.bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    sqlite3_result_error_toobig(context);
    return;
  }
  const int size = static_cast<int>(cell.bytes.size());
  const char* bytes = cell.bytes.data() != nullptr ? cell.bytes.data() : "";  // empty, not null
  if (cell.type != Cell::Type::kBlob) {
    sqlite3_result_text(context, bytes, size, SQLITE_TRANSIENT);
  } else {
    sqlite3_result_blob(context, bytes, size, SQLITE_TRANSIENT);
  }
}

}  // namespace platform::db
