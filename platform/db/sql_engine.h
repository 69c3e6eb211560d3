// The SQL engine: an embedded SQLite database that holds nothing but virtual tables over the
// .dbf files of one folder. A table is opened the first time a query names it and stays open for
// the life of the engine, with the indexes built for it. The engine only ever reads: nothing
// can be written, attached or created through it, whatever the query text.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/field_index.h"
#include "platform/db/number_format.h"
#include "platform/db/provider.h"
#include "platform/db/value.h"
#include "platform/run_time_error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform::db {

class CodePage;
class DbfTable;
class SqlStatement;

// The tables that the engines of one connection have opened, with the indexes built on them: the
// engines share them, so a table is opened once and indexed once, whichever engine asks first.
// Engines on different threads may use it at once.
class SharedTables {
 public:
  // The table of `file`, opened the first time it is asked for. Throws what DbfTable throws.
  std::shared_ptr<DbfTable> Open(const std::filesystem::path& file);
  // The index of field `field` of `table`, made by `build` the first time it is asked for. An
  // engine that asks while another is building it waits for that one; a build that throws leaves
  // nothing behind.
  const FieldIndex& IndexOf(const DbfTable& table, std::size_t field,
                            const std::function<FieldIndex()>& build);
  // Throws what DbfTable::CheckUnchanged throws for a table that is no longer the one it was when
  // it opened; the indexes of a table written meanwhile are built again and compared.
  void CheckUnchanged();

 private:
  std::mutex tables_mutex_;
  std::map<std::filesystem::path, std::shared_ptr<DbfTable>> tables_;
  std::mutex indexes_mutex_;  // held while an index is built
  std::map<std::pair<const DbfTable*, std::size_t>, std::unique_ptr<FieldIndex>> indexes_;
  std::map<std::pair<const DbfTable*, std::size_t>, std::function<FieldIndex()>> builds_;
};

// One engine is used by one thread at a time.
class SqlEngine : public std::enable_shared_from_this<SqlEngine> {
 public:
  // An engine over the tables of `folder`, sharing the tables `shared` holds with the other
  // engines that have it. Throws kDatabaseError when SQLite cannot start.
  static std::shared_ptr<SqlEngine> Create(const std::filesystem::path& folder,
                                           std::shared_ptr<SharedTables> shared);
  ~SqlEngine();
  SqlEngine(const SqlEngine&) = delete;
  SqlEngine& operator=(const SqlEngine&) = delete;

  const std::filesystem::path& folder() const { return folder_; }

  // Compiles one SELECT. Throws kTableNotFound when it names a table with no .dbf file in the
  // folder, kDatabaseError when that file is not a table or is damaged, kCommandError for a bad
  // text, an unknown column, or anything but reading.
  std::unique_ptr<SqlStatement> Prepare(const std::string& sql);

  // For the virtual tables: a failure to report from the statement being run.
  void SetPendingError(const RunTimeError& error) { pending_error_ = error; }
  // For the virtual tables: the tables and indexes this engine shares.
  SharedTables& shared_tables() { return *shared_; }
  // For the virtual tables: the table being created.
  std::shared_ptr<DbfTable> TakeTableBeingOpened() { return std::move(table_being_opened_); }
  bool creating() const { return creating_; }
  // For the virtual tables: false while a query that names a collation is compiled, so that its
  // ORDER BY is left to SQLite.
  bool order_by_stored_bytes() const { return order_by_stored_bytes_; }
  // The code page by whose stored bytes text is ordered: the first table's.
  const CodePage& collation_page() const;

 private:
  friend class SqlStatement;

  SqlEngine(std::filesystem::path folder, std::shared_ptr<SharedTables> shared);
  void OpenTable(const std::string& name);
  [[noreturn]] void ThrowError(const std::string& sql, int rc);

  std::filesystem::path folder_;
  std::shared_ptr<SharedTables> shared_;
  sqlite3* db_ = nullptr;
  bool creating_ = false;
  bool order_by_stored_bytes_ = true;
  std::shared_ptr<DbfTable> table_being_opened_;
  std::vector<std::string> open_tables_;  // as "NAME ('path')"
  std::optional<RunTimeError> pending_error_;
  std::shared_ptr<DbfTable> first_table_;
  std::unique_ptr<CodePage> default_page_;
  // For the statements' number texts. It maps values to texts and nothing else, so statements
  // may share it in any order; like the engine, it is used by one thread at a time.
  RealTextCache real_texts_;
};

class SqlStatement {
 public:
  ~SqlStatement();
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;

  // The result columns' names in lower case and declared types (kUnknown for a computed
  // column), shared with the record set that reads them.
  struct Columns {
    static Columns Of(sqlite3_stmt* statement);
    std::vector<std::string> names;
    std::vector<DataType> declared;
  };
  const std::shared_ptr<const Columns>& columns() const { return columns_; }

  std::size_t column_count() const { return columns_->names.size(); }

  // Moves to the next row; false past the last. Throws as SqlEngine::Prepare does, and
  // kDatabaseError for a table found damaged while reading.
  bool Step();
  // Appends the text form of a column of the current row to `text` and returns its kind.
  Value::Kind AppendColumn(std::size_t index, std::string& text) const;

 private:
  friend class SqlEngine;

  SqlStatement(std::shared_ptr<SqlEngine> engine, sqlite3_stmt* statement, std::string sql);

  std::shared_ptr<SqlEngine> engine_;
  sqlite3_stmt* statement_;
  std::string sql_;
  std::shared_ptr<const Columns> columns_;
};

// Registers the "dbf" virtual table module and the "machine" collation on `db`. (dbf_vtab.cpp)
int RegisterDbfModule(sqlite3* db, SqlEngine* engine);

}  // namespace platform::db
