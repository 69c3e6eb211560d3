#include "platform/db/sql_engine.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/db/code_page.h"
#include "platform/db/dbf_table.h"
#include "platform/db/number_format.h"
#include "platform/db/table_file.h"
#include "platform/system/path_text.h"

namespace platform::db {

namespace {

// Tables one query may open before the engine stops looking for more.
constexpr int kMaxTablesPerQuery = 64;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Whether `text` holds `lower`, a word in lower case, in any letter case.
bool ContainsIgnoringCase(std::string_view text, std::string_view lower) {
  for (std::size_t i = 0; i + lower.size() <= text.size(); ++i) {
    if ((text[i] | 0x20) == lower[0] &&
        sqlite3_strnicmp(text.data() + i, lower.data(), static_cast<int>(lower.size())) == 0) {
      return true;
    }
  }
  return false;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Reading is all a query may do.
int Authorize(void* arg, int action, const char* detail, const char*, const char*, const char*) {
  if (static_cast<const SqlEngine*>(arg)->creating()) return SQLITE_OK;
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
      return SQLITE_OK;
    case SQLITE_FUNCTION:
      return detail != nullptr && sqlite3_stricmp(detail, "load_extension") == 0 ? SQLITE_DENY
                                                                                 : SQLITE_OK;
    default:
      return SQLITE_DENY;
  }
}

}  // namespace

std::shared_ptr<DbfTable> SharedTables::Open(const std::filesystem::path& file) {
  const std::lock_guard<std::mutex> lock(tables_mutex_);
  std::shared_ptr<DbfTable>& table = tables_[file];
  if (!table) {
    try {
      table = std::make_shared<DbfTable>(file);
    } catch (...) {
      tables_.erase(file);
      throw;
    }
  }
  return table;
}

const FieldIndex& SharedTables::IndexOf(const DbfTable& table, std::size_t field,
                                        const std::function<FieldIndex()>& build) {
  const std::lock_guard<std::mutex> lock(indexes_mutex_);
  std::unique_ptr<FieldIndex>& index = indexes_[{&table, field}];
  if (!index) {
    try {
      index = std::make_unique<FieldIndex>(build());
      builds_[{&table, field}] = build;
    } catch (...) {
      indexes_.erase({&table, field});
      throw;
    }
  }
  return *index;
}

void SharedTables::CheckUnchanged() {
  std::vector<std::shared_ptr<DbfTable>> tables;
  {
    const std::lock_guard<std::mutex> lock(tables_mutex_);
    for (const auto& [file, table] : tables_) tables.push_back(table);
  }
  for (const std::shared_ptr<DbfTable>& table : tables) {
    table->CheckUnchanged([&] {
      std::vector<std::pair<const FieldIndex*, std::function<FieldIndex()>>> built;
      {
        const std::lock_guard<std::mutex> lock(indexes_mutex_);
        for (const auto& [key, index] : indexes_) {
          if (key.first == table.get() && index) built.emplace_back(index.get(), builds_[key]);
        }
      }
      return std::all_of(built.begin(), built.end(),
                         [](const auto& pair) { return pair.second() == *pair.first; });
    });
  }
}

std::shared_ptr<SqlEngine> SqlEngine::Create(const std::filesystem::path& folder,
                                             std::shared_ptr<SharedTables> shared) {
  // SQLite counts its memory behind a lock unless told otherwise before it starts; the program
  // never asks for the counts. Refused harmlessly when SQLite has already started.
  static const int kConfigured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  (void)kConfigured;
  return std::shared_ptr<SqlEngine>(new SqlEngine(folder, std::move(shared)));
}

SqlEngine::SqlEngine(std::filesystem::path folder, std::shared_ptr<SharedTables> shared)
    : folder_(std::move(folder)),
      shared_(std::move(shared)),
      default_page_(std::make_unique<CodePage>(1252)) {
  const int flags =
      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY | SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(":memory:", &db_, flags, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    rc = sqlite3_exec(db_, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) rc = RegisterDbfModule(db_, this);
  if (rc == SQLITE_OK) rc = sqlite3_set_authorizer(db_, Authorize, this);
  if (rc != SQLITE_OK) {
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    if (rc == SQLITE_NOMEM) throw RunTimeError(error::kOutOfMemory);
    throw RunTimeError(error::kDatabaseError, "the SQL engine cannot start: " + message + ".");
  }
}

SqlEngine::~SqlEngine() { sqlite3_close(db_); }

const CodePage& SqlEngine::collation_page() const {
  return first_table_ ? first_table_->code_page() : *default_page_;
}

void SqlEngine::OpenTable(const std::string& name) {
  const std::filesystem::path file = FindFileIgnoringCase(folder_, name + ".dbf");
  if (file.empty()) {
    throw RunTimeError(error::kTableNotFound,
                       "there is no " + name + ".dbf in '" + Utf8Of(folder_) +
                           "'. Use the folder where the collection software keeps it.");
  }
  std::shared_ptr<DbfTable> table = shared_->Open(file);
  if (!first_table_) first_table_ = table;
  std::string quoted = "\"";
  for (const char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  const std::string create = "CREATE VIRTUAL TABLE main." + quoted + "\" USING dbf";
  table_being_opened_ = std::move(table);
  creating_ = true;
  char* message = nullptr;
  const int rc = sqlite3_exec(db_, create.c_str(), nullptr, nullptr, &message);
  creating_ = false;
  table_being_opened_.reset();
  const std::string text = message != nullptr ? message : sqlite3_errstr(rc);
  sqlite3_free(message);
  if (rc != SQLITE_OK) {
    throw RunTimeError(error::kDatabaseError, "'" + Utf8Of(file) + "' cannot be opened: " + text);
  }
  open_tables_.push_back(name + " ('" + Utf8Of(file) + "')");
}

void SqlEngine::ThrowError(const std::string& sql, int rc) {
  if (pending_error_) {
    const RunTimeError error = *pending_error_;
    pending_error_.reset();
    throw error;
  }
  const std::string message = sqlite3_errmsg(db_);
  if (rc == SQLITE_NOMEM) throw RunTimeError(error::kOutOfMemory);
  if (rc == SQLITE_TOOBIG) {
    throw RunTimeError(error::kOutOfMemory, "a value of the table is too long to be read.");
  }
  if (StartsWith(message, "no such column: ")) {
    std::string text = "column '" + message.substr(16) + "' is not found";
    if (open_tables_.size() == 1) text += " in table " + open_tables_.front();
    throw RunTimeError(error::kCommandError, text + ".");
  }
  if (rc == SQLITE_AUTH || StartsWith(message, "not authorized")) {
    throw RunTimeError(
        error::kCommandError,
        "the data source is read-only: only queries that read are allowed (" + sql + ").");
  }
  throw RunTimeError(error::kCommandError, "syntax error in '" + sql + "': " + message + ".");
}

std::unique_ptr<SqlStatement> SqlEngine::Prepare(const std::string& sql) {
  pending_error_.reset();
  // A text that names a collation has its ORDER BY left to SQLite (see order_by_stored_bytes).
  order_by_stored_bytes_ = !ContainsIgnoringCase(sql, "collate");
  for (int attempt = 0;; ++attempt) {
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()) + 1, &statement, &tail);
    if (rc == SQLITE_OK && statement != nullptr) {
      auto result =
          std::unique_ptr<SqlStatement>(new SqlStatement(shared_from_this(), statement, sql));
      for (; tail != nullptr && *tail != '\0'; ++tail) {
        if (!std::isspace(static_cast<unsigned char>(*tail)) && *tail != ';') {
          throw RunTimeError(error::kCommandError,
                             "only one statement can be run at a time: '" + sql + "'.");
        }
      }
      if (!sqlite3_stmt_readonly(statement)) {
        throw RunTimeError(
            error::kCommandError,
            "the data source is read-only: only queries that read are allowed (" + sql + ").");
      }
      return result;
    }
    if (rc == SQLITE_OK) {
      throw RunTimeError(error::kCommandError, "the query text is empty.");
    }
    const std::string message = sqlite3_errmsg(db_);
    if (StartsWith(message, "no such table: ") && attempt < kMaxTablesPerQuery) {
      std::string name = message.substr(15);
      if (StartsWith(Lower(name), "main.")) name = name.substr(5);
      if (name.find('.') == std::string::npos) {
        OpenTable(name);
        continue;
      }
      throw RunTimeError(error::kTableNotFound, "there is no table '" + name + "'.");
    }
    ThrowError(sql, rc);
  }
}

SqlStatement::Columns SqlStatement::Columns::Of(sqlite3_stmt* statement) {
  Columns columns;
  const int count = sqlite3_column_count(statement);
  for (int i = 0; i < count; ++i) {
    const char* name = sqlite3_column_name(statement, i);
    columns.names.push_back(Lower(name != nullptr ? name : ""));
    const char* declared = sqlite3_column_decltype(statement, i);
    DataType kind = DataType::kUnknown;
    if (declared != nullptr) {
      // The types the virtual tables declare for their fields.
      if (sqlite3_stricmp(declared, "TEXT") == 0) kind = DataType::kText;
      if (sqlite3_stricmp(declared, "NUMERIC") == 0) kind = DataType::kNumber;
      if (sqlite3_stricmp(declared, "DATE") == 0) kind = DataType::kDate;
      if (sqlite3_stricmp(declared, "DATETIME") == 0) kind = DataType::kDateTime;
      if (sqlite3_stricmp(declared, "LOGICAL") == 0) kind = DataType::kLogical;
      if (sqlite3_stricmp(declared, "BLOB") == 0) kind = DataType::kBinary;
    }
    columns.declared.push_back(kind);
  }
  return columns;
}

SqlStatement::SqlStatement(std::shared_ptr<SqlEngine> engine, sqlite3_stmt* statement,
                           std::string sql)
    : engine_(std::move(engine)),
      statement_(statement),
      sql_(std::move(sql)),
      columns_(std::make_shared<const Columns>(Columns::Of(statement))) {}

SqlStatement::~SqlStatement() { sqlite3_finalize(statement_); }

bool SqlStatement::Step() {
  const int rc = sqlite3_step(statement_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  engine_->ThrowError(sql_, rc);
}

Value::Kind SqlStatement::AppendColumn(std::size_t index, std::string& text) const {
  // One look-up of the column's value, then reading it: each column call would look it up
  // again. The value is read at once, on the thread that steps the statement.
  sqlite3_value* value = sqlite3_column_value(statement_, static_cast<int>(index));
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER: {
      const std::int64_t integer = sqlite3_value_int64(value);
      if (columns_->declared[index] == DataType::kLogical) {
        text += integer != 0 ? "True" : "False";
        return Value::Kind::kLogical;
      }
      AppendIntegerText(integer, text);
      return Value::Kind::kNumber;
    }
    case SQLITE_FLOAT:
      engine_->real_texts_.Append(sqlite3_value_double(value), text);
      return Value::Kind::kNumber;
    case SQLITE_TEXT: {
      // The text's UTF-8 bytes as they are: asking for text would have SQLite copy them to add
      // a terminating NUL.
      const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
      const auto size = static_cast<std::size_t>(sqlite3_value_bytes(value));
      if (bytes != nullptr) text.append(bytes, size);
      // A number column gives text for a number too long for a double: its exact decimal.
      switch (columns_->declared[index]) {
        case DataType::kNumber:
          return Value::Kind::kNumber;
        case DataType::kDate:
          return Value::Kind::kDate;
        case DataType::kDateTime:
          return Value::Kind::kDateTime;
        default:
          return Value::Kind::kText;
      }
    }
    case SQLITE_BLOB: {
      const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
      const auto size = static_cast<std::size_t>(sqlite3_value_bytes(value));
      if (bytes != nullptr) text.append(bytes, size);
      return Value::Kind::kBinary;
    }
    default:
      return Value::Kind::kNull;
  }
}

}  // namespace platform::db
