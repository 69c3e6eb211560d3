// The "dbf" virtual table: SQLite reads a DbfTable record by record, through copies of the
// records read from the file. An equality on a character field is answered from the field's
// index (field_index.h), built the first time a query needs it and kept for the connection, so a
// day's query reads only the records of that day, run by run; an order by character fields of a
// single-byte table is then made from the stored bytes (stored_order.h). Deleted records are
// never seen.
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/current_error.h"
#include "platform/db/code_page.h"
#include "platform/db/dbf_table.h"
#include "platform/db/field_index.h"
#include "platform/db/field_sql.h"
#include "platform/db/machine_collation.h"
#include "platform/db/sql_engine.h"
#include "platform/db/stored_number_cache.h"
#include "platform/db/stored_order.h"
#include "platform/db/vtab_fields.h"

namespace platform::db {

namespace {

struct DbfVtab : sqlite3_vtab {
  SqlEngine* engine = nullptr;
  std::shared_ptr<DbfTable> table;
  // By field position: those this table has used, of those its engine shares with others.
  std::unordered_map<std::size_t, const FieldIndex*> indexes;
  std::vector<std::unique_ptr<NumberCache>> numbers;  // by field position; null where none
};

// A cursor reads copies of the records: the matching records of an index look-up are read run by
// run into `data`, a full scan goes block by block through a DbfTable::Scan.
struct DbfCursor : sqlite3_vtab_cursor {
  std::unique_ptr<DbfTable::Scan> scan;  // a full scan, or null: the records in `rows`
  std::vector<std::uint8_t> data;        // the stored bytes of the records in `rows`
  std::vector<std::uint32_t> rows;       // the matching records, in record order
  std::vector<std::uint32_t> order;      // positions in `rows`, in the order asked
  std::vector<std::uint8_t> keys;        // of the records in `order`, while it is sorted
  std::size_t position = 0;              // in `order`
  std::uint32_t record = 0;
  const std::uint8_t* bytes = nullptr;  // of the current record
  bool at_end = true;
  std::string scratch;
  // Counts the records the cursor has stood on, so that what was read from one is known as its.
  std::uint64_t visit = 0;
  // The numbers read from the current record, by column: a query reads a column once for each
  // time it names it (on its own and in an expression, say), and turning a number's text into
  // its value costs more than looking it up.
  struct KeptNumber {
    std::uint64_t visit = 0;
    Cell cell;
  };
  std::vector<KeptNumber> numbers;
};

DbfVtab* VtabOf(sqlite3_vtab_cursor* cursor) { return static_cast<DbfVtab*>(cursor->pVtab); }

int Fail(sqlite3_vtab* vtab, const RunTimeError& error) {
  auto* dbf = static_cast<DbfVtab*>(vtab);
  dbf->engine->SetPendingError(error);
  sqlite3_free(vtab->zErrMsg);
  vtab->zErrMsg = sqlite3_mprintf("%s", error.what());
  return SQLITE_ERROR;
}

// The last catch of every callback, for the exception being handled: none may cross into
// SQLite's frames. A RunTimeError goes to the statement to report, memory running out is
// SQLITE_NOMEM (reported as 7), anything else the statement's error 51.
int Caught(sqlite3_vtab* vtab) {
  try {
    throw;
  } catch (const RunTimeError& error) {
    return Fail(vtab, error);
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  } catch (...) {
    try {
      return Fail(vtab, CurrentError());
    } catch (...) {
      return SQLITE_NOMEM;  // the error itself could not be made
    }
  }
}

int Connect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char** error) {
  auto* engine = static_cast<SqlEngine*>(aux);
  std::shared_ptr<DbfTable> table = engine->TakeTableBeingOpened();
  if (!table) {
    *error = sqlite3_mprintf("a dbf table is opened only by naming it in a query");
    return SQLITE_ERROR;
  }
  try {
    const std::string schema = VirtualTableSchema(table->fields());
    if (const int rc = sqlite3_declare_vtab(db, schema.c_str()); rc != SQLITE_OK) {
      *error = sqlite3_mprintf("%s", sqlite3_errmsg(db));
      return rc;
    }
    auto vtab = std::make_unique<DbfVtab>();
    vtab->engine = engine;
    for (const DbfField& field : table->fields()) {
      vtab->numbers.push_back(
          NumberCache::Serves(field) ? std::make_unique<NumberCache>(field.length) : nullptr);
    }
    vtab->table = std::move(table);
    *out = vtab.release();
    return SQLITE_OK;
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  } catch (const std::exception& failure) {
    *error = sqlite3_mprintf("%s", failure.what());
    return SQLITE_ERROR;
  }
}

int Disconnect(sqlite3_vtab* vtab) {
  delete static_cast<DbfVtab*>(vtab);
  return SQLITE_OK;
}

// The order a query asks for as "<field>+" or "<field>-" terms, when the records can be put in
// it by their stored bytes: every term a character field of a single-byte table, and no COLLATE
// anywhere in the query to ask for another order. Empty otherwise.
std::string StoredByteOrder(const DbfVtab& vtab, const sqlite3_index_info& info) {
  if (info.nOrderBy == 0 || !vtab.table->code_page().single_byte() ||
      !vtab.engine->order_by_stored_bytes()) {
    return {};
  }
  const auto& fields = vtab.table->fields();
  std::string order;
  for (int i = 0; i < info.nOrderBy; ++i) {
    const auto& term = info.aOrderBy[i];
    if (term.iColumn < 0 || static_cast<std::size_t>(term.iColumn) >= fields.size() ||
        fields[static_cast<std::size_t>(term.iColumn)].kind != FieldKind::kCharacter) {
      return {};
    }
    order += std::to_string(term.iColumn) + (term.desc ? "-" : "+");
  }
  return order;
}

int PlanIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
  const auto* dbf = static_cast<DbfVtab*>(vtab);
  const auto& fields = dbf->table->fields();
  const double count = static_cast<double>(dbf->table->record_count());
  for (int i = 0; i < info->nConstraint; ++i) RefuseTextComparedWith(*dbf->table, info, i);
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& constraint = info->aConstraint[i];
    if (!constraint.usable || constraint.op != SQLITE_INDEX_CONSTRAINT_EQ ||
        constraint.iColumn < 0 || static_cast<std::size_t>(constraint.iColumn) >= fields.size() ||
        fields[static_cast<std::size_t>(constraint.iColumn)].kind != FieldKind::kCharacter) {
      continue;
    }
    // The index finds the values equal under the machine collation. With a binary "=" SQLite
    // checks each row again; a collation that folds letters cannot use it.
    const char* collation = sqlite3_vtab_collation(info, i);
    const bool machine = collation == nullptr || sqlite3_stricmp(collation, kMachineCollation) == 0;
    if (!machine && sqlite3_stricmp(collation, "BINARY") != 0) continue;
    info->aConstraintUsage[i].argvIndex = 1;
    info->aConstraintUsage[i].omit = machine && dbf->table->code_page().single_byte() ? 1 : 0;
    info->idxNum = constraint.iColumn + 1;
    info->estimatedCost = 10.0 + count / 1000.0;
    info->estimatedRows = std::max<sqlite3_int64>(1, static_cast<sqlite3_int64>(count / 1000.0));
    const std::string order = StoredByteOrder(*dbf, *info);
    if (!order.empty()) {
      info->idxStr = sqlite3_mprintf("%s", order.c_str());
      if (info->idxStr == nullptr) return SQLITE_NOMEM;
      info->needToFreeIdxStr = 1;
      info->orderByConsumed = 1;
    }
    return SQLITE_OK;
  }
  info->idxNum = 0;
  info->estimatedCost = 100.0 + count;
  info->estimatedRows = static_cast<sqlite3_int64>(count);
  return SQLITE_OK;
}

int BestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
  try {
    return PlanIndex(vtab, info);
  } catch (...) {
    return Caught(vtab);
  }
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  auto* cursor = new (std::nothrow) DbfCursor();
  if (cursor == nullptr) return SQLITE_NOMEM;
  *out = cursor;
  return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cursor) {
  delete static_cast<DbfCursor*>(cursor);
  return SQLITE_OK;
}

// The index of a field, built in one pass over the table the first time one of the engines that
// share the table asks for it.
const FieldIndex& BuildIndex(DbfVtab* vtab, std::size_t column) {
  const auto found = vtab->indexes.find(column);
  if (found != vtab->indexes.end()) return *found->second;
  const DbfTable& table = *vtab->table;
  const FieldIndex& index = vtab->engine->shared_tables().IndexOf(
      table, column, [&table, column] { return BuildFieldIndex(table, column); });
  vtab->indexes.emplace(column, &index);
  return index;
}

// Moves to the first live record at or after the cursor's position. A record another program
// has deleted since the index was built is passed over too.
int Settle(DbfCursor* cursor) {
  const DbfTable& table = *VtabOf(cursor)->table;
  ++cursor->visit;
  if (!cursor->scan) {
    const std::size_t length = table.record_length();
    for (; cursor->position < cursor->order.size(); ++cursor->position) {
      const std::uint32_t at = cursor->order[cursor->position];
      cursor->bytes = cursor->data.data() + at * length;
      if (cursor->bytes[0] == '*') continue;
      cursor->record = cursor->rows[at];
      cursor->at_end = false;
      return SQLITE_OK;
    }
    cursor->at_end = true;
    return SQLITE_OK;
  }
  try {
    while (cursor->scan->Next()) {
      const std::uint8_t flag = cursor->scan->bytes()[0];
      if (flag == 0x1A) return Fail(cursor->pVtab, table.DamagedRecord(cursor->scan->record()));
      if (flag == '*') continue;
      cursor->record = cursor->scan->record();
      cursor->bytes = cursor->scan->bytes();
      cursor->at_end = false;
      return SQLITE_OK;
    }
  } catch (...) {
    return Caught(cursor->pVtab);
  }
  cursor->at_end = true;
  return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* base, int index_number, const char* order, int argc,
           sqlite3_value** argv) {
  auto* cursor = static_cast<DbfCursor*>(base);
  DbfVtab* vtab = VtabOf(cursor);
  const DbfTable& table = *vtab->table;
  cursor->scan.reset();
  cursor->data.clear();
  cursor->rows.clear();
  cursor->order.clear();
  cursor->position = 0;
  cursor->at_end = true;
  try {
    cursor->numbers.resize(table.fields().size());
    if (index_number <= 0 || argc != 1) {
      cursor->scan = std::make_unique<DbfTable::Scan>(table);
      return Settle(cursor);
    }
    // Text affinity turns a number into its text before "=" compares it with a character
    // field; a null or a blob equals no text.
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL || type == SQLITE_BLOB) return SQLITE_OK;
    const FieldIndex& index = BuildIndex(vtab, static_cast<std::size_t>(index_number - 1));
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    if (text == nullptr) return SQLITE_NOMEM;
    std::string stored;
    if (table.code_page().Encode({text, static_cast<std::size_t>(sqlite3_value_bytes(argv[0]))},
                                 stored)) {
      const auto found = index.runs.find(std::string(TrimRightBlanks(stored)));
      if (found != index.runs.end()) {
        for (const RecordRun& run : found->second) {
          table.ReadRun(run.begin, run.end, cursor->data);
          for (std::uint32_t record = run.begin; record < run.end; ++record) {
            cursor->order.push_back(static_cast<std::uint32_t>(cursor->rows.size()));
            cursor->rows.push_back(record);
          }
        }
      }
    }
    if (order != nullptr && *order != '\0')
      SortByStoredBytes(table, order, cursor->data.data(), cursor->order, cursor->keys);
    return Settle(cursor);
  } catch (...) {
    return Caught(base->pVtab);
  }
}

int Next(sqlite3_vtab_cursor* base) {
  auto* cursor = static_cast<DbfCursor*>(base);
  if (!cursor->scan) ++cursor->position;
  return Settle(cursor);
}

int Eof(sqlite3_vtab_cursor* base) { return static_cast<DbfCursor*>(base)->at_end ? 1 : 0; }

int Column(sqlite3_vtab_cursor* base, sqlite3_context* context, int column) {
  auto* cursor = static_cast<DbfCursor*>(base);
  const DbfTable& table = *VtabOf(cursor)->table;
  if (column < 0 || static_cast<std::size_t>(column) >= table.fields().size()) {
    sqlite3_result_null(context);
    return SQLITE_OK;
  }
  try {
    const DbfField& field = table.fields()[static_cast<std::size_t>(column)];
    if (field.kind == FieldKind::kCharacter && field.null_bit < 0) {
      // A character value in ASCII is its stored bytes, whatever the code page: handed over as
      // they stand, as DbfTable::ReadIn would give them.
      const auto* stored = reinterpret_cast<const char*>(cursor->bytes + field.offset);
      if (IsAscii({stored, field.length})) {
        sqlite3_result_text(context, stored, static_cast<int>(field.length), SQLITE_TRANSIENT);
        return SQLITE_OK;
      }
    }
    if (field.kind != FieldKind::kNumeric) {
      SetResult(context, table.ReadIn(cursor->bytes, field, cursor->scratch));
      return SQLITE_OK;
    }
    DbfCursor::KeptNumber& kept = cursor->numbers[static_cast<std::size_t>(column)];
    if (kept.visit != cursor->visit) {
      auto read = [&] { return table.ReadIn(cursor->bytes, field, cursor->scratch); };
      NumberCache* cache = VtabOf(cursor)->numbers[static_cast<std::size_t>(column)].get();
      kept.cell = cache != nullptr ? cache->Get(cursor->bytes + field.offset, read) : read();
      // A decimal's text lies in the scratch text, which the next column read may overwrite.
      if (kept.cell.type != Cell::Type::kDecimal) kept.visit = cursor->visit;
    }
    SetResult(context, kept.cell);
  } catch (...) {
    return Caught(base->pVtab);
  }
  return SQLITE_OK;
}

int Rowid(sqlite3_vtab_cursor* base, sqlite3_int64* rowid) {
  *rowid = static_cast<DbfCursor*>(base)->record + 1;
  return SQLITE_OK;
}

sqlite3_module MakeModule() {
  sqlite3_module module{};
  module.iVersion = 0;
  module.xCreate = Connect;
  module.xConnect = Connect;
  module.xBestIndex = BestIndex;
  module.xDisconnect = Disconnect;
  module.xDestroy = Disconnect;
  module.xOpen = Open;
  module.xClose = Close;
  module.xFilter = Filter;
  module.xNext = Next;
  module.xEof = Eof;
  module.xColumn = Column;
  module.xRowid = Rowid;
  return module;
}

const sqlite3_module kModule = MakeModule();

}  // namespace

int RegisterDbfModule(sqlite3* db, SqlEngine* engine) {
  if (const int rc = sqlite3_create_module(db, "dbf", &kModule, engine); rc != SQLITE_OK) {
    return rc;
  }
  return sqlite3_create_collation(db, kMachineCollation, SQLITE_UTF8, engine, MachineCollation);
}

}  // namespace platform::db
