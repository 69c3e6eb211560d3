#include "platform/db/vtab_fields.h"

#include <string>

#include "platform/run_time_error.h"
#include "platform/system/path_text.h"

namespace platform::db {

namespace {

bool ComparedWithText(FieldKind kind) {
  switch (kind) {
    case FieldKind::kNumeric:
    case FieldKind::kInteger:
    case FieldKind::kDouble:
    case FieldKind::kCurrency:
    case FieldKind::kDate:
    case FieldKind::kDateTime:
    case FieldKind::kLogical:
      return false;
    default:
      return true;
  }
}

// A field's type in words: "Date (D)".
std::string TypeWords(const DbfField& field) {
  const char* words = "Numeric";
  if (field.type == 'F') words = "Float";
  if (field.type == 'I') words = "Integer";
  if (field.type == 'B') words = "Double";
  if (field.type == 'Y') words = "Currency";
  if (field.type == 'D') words = "Date";
  if (field.type == 'T') words = "DateTime";
  if (field.type == 'L') words = "Logical";
  return std::string(words) + " (" + field.type + ")";
}

}  // namespace

const char* DeclaredType(FieldKind kind) {
  switch (kind) {
    case FieldKind::kCharacter:
    case FieldKind::kVarchar:
    case FieldKind::kMemoText:
      return "TEXT COLLATE machine";
    case FieldKind::kNumeric:
    case FieldKind::kInteger:
    case FieldKind::kDouble:
    case FieldKind::kCurrency:
      return "NUMERIC";
    case FieldKind::kDate:
      return "DATE";
    case FieldKind::kDateTime:
      return "DATETIME";
    case FieldKind::kLogical:
      return "LOGICAL";
    case FieldKind::kBinaryCharacter:
    case FieldKind::kMemoBinary:
    case FieldKind::kVarbinary:
      return "BLOB";
    case FieldKind::kUnknown:
      return "";
  }
  return "";
}

void RefuseTextComparedWith(const DbfTable& table, sqlite3_index_info* info, int constraint) {
  const int column = info->aConstraint[constraint].iColumn;
  const int op = info->aConstraint[constraint].op;
  const auto& fields = table.fields();
  sqlite3_value* compared = nullptr;
  // Only a text known when the query is compiled is seen here: a literal, as the load's are.
  if ((op > SQLITE_INDEX_CONSTRAINT_GE && op != SQLITE_INDEX_CONSTRAINT_NE) || column < 0 ||
      static_cast<std::size_t>(column) >= fields.size() ||
      ComparedWithText(fields[static_cast<std::size_t>(column)].kind) ||
      sqlite3_vtab_rhs_value(info, constraint, &compared) != SQLITE_OK ||
      sqlite3_value_type(compared) != SQLITE_TEXT) {
    return;
  }
  const DbfField& field = fields[static_cast<std::size_t>(column)];
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(compared));
  throw RunTimeError(error::kCommandError, "the field " + field.name + " of '" +
                                               Utf8Of(table.path()) + "' is " + TypeWords(field) +
                                               ", and is not compared with the text '" +
                                               (text != nullptr ? text : "") + "'.");
}

}  // namespace platform::db
