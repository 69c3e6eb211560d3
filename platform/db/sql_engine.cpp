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

bool IsWordCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Statements kept per engine, at most.
constexpr std::size_t kMaxKept = 16;

// The query's shape: its text with each string literal that is compared against in its WHERE
// clause (one that follows "=", "<" or ">") made a parameter, appended to `literals` with its
// quotes doubled no more; and a mark for whether text is ordered by its stored bytes, which is
// part of the compiled statement. Empty when there is no such literal, or when the text has
// parameters or comments of its own: such a query is compiled each time.
std::string Shape(std::string_view sql, bool stored_bytes, std::vector<std::string>& literals,
                  std::vector<std::pair<std::size_t, std::size_t>>& quotes) {
  std::string shape;
  std::size_t copied = 0;  // of `sql`, into `shape`
  bool where = false;
  char previous = '\0';  // the last character that is not a blank
  for (std::size_t i = 0; i < sql.size();) {
    const char c = sql[i];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
      const char close = c == '[' ? ']' : c;
      std::size_t end = i + 1;
      bool doubled = false;
      for (;; ++end) {
        if (end >= sql.size()) return {};
        if (sql[end] != close) continue;
        if (close == ']' || end + 1 == sql.size() || sql[end + 1] != close) break;
        doubled = true;
        ++end;
      }
      if (c == '\'' && where && (previous == '=' || previous == '<' || previous == '>')) {
        std::string value(sql.substr(i + 1, end - i - 1));
        if (doubled) {
          std::string single;
          for (std::size_t k = 0; k < value.size(); ++k) {
            single += value[k];
            if (value[k] == '\'') ++k;
          }
          value = std::move(single);
        }
        literals.push_back(std::move(value));
        quotes.emplace_back(i, end);
        shape.append(sql.substr(copied, i - copied));
        shape += '?';
        copied = end + 1;
      }
      previous = close;
      i = end + 1;
      continue;
    }
    if (c == '?' || c == ':' || c == '@' || c == '$' || c == '#') return {};
    if ((c == '-' || c == '/') && i + 1 < sql.size() && (sql[i + 1] == '-' || sql[i + 1] == '*')) {
      return {};
    }
    if (IsWordCharacter(c)) {
      std::size_t end = i;
      while (end < sql.size() && IsWordCharacter(sql[end])) ++end;
      if (!where && end - i == 5 && sqlite3_strnicmp(sql.data() + i, "where", 5) == 0) {
        where = true;
      }
      previous = sql[end - 1];
      i = end;
      continue;
    }
    if (c != ' ' && !std::isspace(static_cast<unsigned char>(c))) previous = c;
    ++i;
  }
  if (literals.empty()) return {};
  shape.append(sql.substr(copied));
  shape += stored_bytes ? '\1' : '\2';
  return shape;
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

SqlEngine::~SqlEngine() {
  for (const auto& [shape, kept] : kept_) sqlite3_finalize(kept.statement);
  sqlite3_close(db_);
}

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

const std::string& SqlEngine::ShapeOf(const std::string& sql, std::vector<std::string>& literals) {
  // A text that differs from the last one shaped only inside its parameters' literals, each
  // still a quoted text with no quote in it, has its shape: the scan would go as it went.
  ShapeMemo& memo = shape_memo_;
  if (memo.reusable && sql.size() == memo.sql.size()) {
    bool same = true;
    std::size_t from = 0;
    for (const auto& [open, close] : memo.quotes) {
      const std::string_view value(sql.data() + open + 1, close - open - 1);
      same = sql.compare(from, open + 1 - from, memo.sql, from, open + 1 - from) == 0 &&
             sql[close] == '\'' && value.find('\'') == std::string_view::npos &&
             !ContainsIgnoringCase(value, "collate");
      if (!same) break;
      literals.emplace_back(value);
      from = close;
    }
    if (same && sql.compare(from, std::string::npos, memo.sql, from, std::string::npos) == 0) {
      order_by_stored_bytes_ = memo.stored_bytes;
      return memo.shape;
    }
    literals.clear();
  }
  order_by_stored_bytes_ = !ContainsIgnoringCase(sql, "collate");
  memo.quotes.clear();
  memo.shape = Shape(sql, order_by_stored_bytes_, literals, memo.quotes);
  memo.stored_bytes = order_by_stored_bytes_;
  // Reused only when no literal names a collation, so that the text outside them decides alone.
  memo.reusable = !memo.shape.empty() &&
                  std::none_of(literals.begin(), literals.end(),
                               [](const auto& l) { return ContainsIgnoringCase(l, "collate"); });
  memo.sql = memo.reusable ? sql : std::string();
  return memo.shape;
}

std::unique_ptr<SqlStatement> SqlEngine::Prepare(const std::string& sql) {
  pending_error_.reset();
  std::vector<std::string>& literals = literals_;
  literals.clear();
  const std::string& shape = ShapeOf(sql, literals);
  // A query of a shape compiled before runs its kept statement with its own literals. Anything
  // else, and the first query of each shape, is compiled as it stands, so its failures are its
  // own text's.
  if (auto kept = kept_.find(shape); kept != kept_.end() && kept->second.statement != nullptr) {
    sqlite3_stmt* statement = std::exchange(kept->second.statement, nullptr);
    bool bound = true;
    for (std::size_t i = 0; i < literals.size() && bound; ++i) {
      bound =
          sqlite3_bind_text(statement, static_cast<int>(i) + 1, literals[i].data(),
                            static_cast<int>(literals[i].size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    if (bound) {
      auto result = std::unique_ptr<SqlStatement>(
          new SqlStatement(shared_from_this(), statement, sql, kept->second.columns));
      result->kept_ = &kept->second;
      return result;
    }
    GiveBack(kept->second, statement);
  }
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
      if (!shape.empty() && !kept_.contains(shape) && !not_kept_.contains(shape) &&
          kept_.size() < kMaxKept) {
        Keep(shape, literals.size());
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

void SqlEngine::Keep(const std::string& shape, std::size_t literals) {
  sqlite3_stmt* statement = nullptr;
  const char* tail = nullptr;
  const std::string text = shape.substr(0, shape.size() - 1);  // without the ordering mark
  const int rc =
      sqlite3_prepare_v2(db_, text.c_str(), static_cast<int>(text.size()) + 1, &statement, &tail);
  const bool same = rc == SQLITE_OK && statement != nullptr && sqlite3_stmt_readonly(statement) &&
                    static_cast<std::size_t>(sqlite3_bind_parameter_count(statement)) == literals;
  if (same) {
    kept_.emplace(shape, Kept{statement, std::make_shared<const SqlStatement::Columns>(
                                             SqlStatement::Columns::Of(statement))});
  } else {
    sqlite3_finalize(statement);
    not_kept_.insert(shape);
  }
}

void SqlEngine::GiveBack(Kept& kept, sqlite3_stmt* statement) {
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  if (kept.statement == nullptr) {
    kept.statement = statement;
  } else {
    sqlite3_finalize(statement);
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
    : SqlStatement(std::move(engine), statement, std::move(sql),
                   std::make_shared<const Columns>(Columns::Of(statement))) {}

SqlStatement::SqlStatement(std::shared_ptr<SqlEngine> engine, sqlite3_stmt* statement,
                           std::string sql, std::shared_ptr<const Columns> columns)
    : engine_(std::move(engine)),
      statement_(statement),
      sql_(std::move(sql)),
      columns_(std::move(columns)) {}

SqlStatement::~SqlStatement() {
  if (kept_ == nullptr) {
    sqlite3_finalize(statement_);
  } else {
    engine_->GiveBack(*kept_, statement_);
  }
}

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
