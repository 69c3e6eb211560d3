// The program's own provider: connections over a folder of .dbf tables, record sets over the
// SQL engine.
#include <cctype>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/db/connection_string.h"
#include "platform/db/provider.h"
#include "platform/db/sql_engine.h"
#include "platform/db/table_file.h"
#include "platform/run_time_error.h"
#include "platform/system/path_text.h"

namespace platform::db {

namespace {

bool IsOurProvider(const std::string& name) {
  std::string lower;
  for (const char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // "vfpoledb" with or without a version, as in "VFPOLEDB.1".
  if (lower == "vfpoledb") return true;
  if (lower.rfind("vfpoledb.", 0) != 0 || lower.size() == 9) return false;
  return lower.find_first_not_of("0123456789", 9) == std::string::npos;
}

// Values row after row, each already in the form a record set hands out. Clearing keeps the
// values, so their texts' room is used again by the next rows.
class RowBuffer {
 public:
  void Clear() { count_ = 0; }
  void Append(const SqlStatement& statement) {
    const std::size_t columns = statement.column_count();
    if (values_.size() < count_ + columns) values_.resize(count_ + columns);
    Value* value = values_.data() + count_;
    for (std::size_t i = 0; i < columns; ++i, ++value) {
      ++count_;
      value->text.clear();
      value->kind = statement.AppendColumn(i, value->text);
    }
  }
  // Whether the buffer holds row `row` (from 0) of rows of `fields` values, without a division:
  // this is asked for every value read.
  bool Holds(std::size_t row, std::size_t fields) const {
    return fields != 0 && (row + 1) * fields <= count_;
  }
  const Value& Get(std::size_t value) const { return values_[value]; }

 private:
  std::vector<Value> values_;
  std::size_t count_ = 0;
};

// The buffers of record sets that are done, for the next record sets of the same connection: a
// load opens one record set a day, and each day's rows then go into memory already in use
// instead of growing fresh buffers. It keeps as many as a load has record sets alive at once: the
// day being listed and those being opened ahead of it.
class RowPool {
 public:
  RowBuffer Take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.empty()) return {};
    RowBuffer buffer = std::move(spare_.back());
    spare_.pop_back();
    buffer.Clear();
    return buffer;
  }
  void Give(RowBuffer&& buffer) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.size() < kKept) spare_.push_back(std::move(buffer));
  }

 private:
  static constexpr std::size_t kKept = 8;
  std::mutex mutex_;
  std::vector<RowBuffer> spare_;
};

// The SQL engines of one connection. A query runs on an engine no other query is using, made when
// every engine is busy, so record sets may be opened on several threads at once; the engines
// share the tables and their indexes. An engine goes back to the pool once its query is done.
class EnginePool : public std::enable_shared_from_this<EnginePool> {
 public:
  // Holds an engine for one query and gives it back when dropped.
  class Lease {
   public:
    Lease() = default;
    Lease(std::shared_ptr<EnginePool> pool, std::shared_ptr<SqlEngine> engine)
        : pool_(std::move(pool)), engine_(std::move(engine)) {}
    Lease(Lease&& other) noexcept = default;
    Lease& operator=(Lease&& other) noexcept {
      Release();
      pool_ = std::move(other.pool_);
      engine_ = std::move(other.engine_);
      return *this;
    }
    ~Lease() { Release(); }
    SqlEngine& engine() const { return *engine_; }
    void Release() {
      if (engine_) pool_->Give(std::move(engine_));
      engine_.reset();
      pool_.reset();
    }

   private:
    std::shared_ptr<EnginePool> pool_;
    std::shared_ptr<SqlEngine> engine_;
  };

  // The first engine is made at once, so that a connection that opens has an engine that starts.
  // Throws kDatabaseError when SQLite cannot start.
  explicit EnginePool(std::filesystem::path folder)
      : folder_(std::move(folder)), idle_{SqlEngine::Create(folder_, shared_)} {}

  // Throws what SharedTables::CheckUnchanged throws: a record set's rows are all read.
  void CheckUnchanged() { shared_->CheckUnchanged(); }

  // An idle engine, or a new one. Throws as the constructor does.
  Lease Take() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!idle_.empty()) {
        std::shared_ptr<SqlEngine> engine = std::move(idle_.back());
        idle_.pop_back();
        return Lease(shared_from_this(), std::move(engine));
      }
    }
    return Lease(shared_from_this(), SqlEngine::Create(folder_, shared_));
  }

 private:
  void Give(std::shared_ptr<SqlEngine>&& engine) {
    const std::lock_guard<std::mutex> lock(mutex_);
    idle_.push_back(std::move(engine));
  }

  std::filesystem::path folder_;
  std::shared_ptr<SharedTables> shared_ = std::make_shared<SharedTables>();
  std::mutex mutex_;
  std::vector<std::shared_ptr<SqlEngine>> idle_;
};

// The folder of a data source that names a folder or a file; false when it names nothing.
// Throws error::kPermissionDenied when a folder on the way may not be searched.
bool FolderOf(const std::string& source, std::filesystem::path& folder) {
  const std::filesystem::path path = PathFromUtf8(source);
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error == std::errc::permission_denied) throw PermissionDenied(path);
  // Not "does not exist": the user is told what is wrong with the path.
  if (error == std::errc::too_many_symbolic_link_levels) {
    throw RunTimeError(error::kPathFileAccess,
                       "'" + source + "' leads nowhere: its links go round in a loop.");
  }
  if (error == std::errc::filename_too_long) {
    throw RunTimeError(error::kPathFileAccess,
                       "'" + source + "' is longer than this system takes for a path or a name.");
  }
  if (std::filesystem::is_directory(status)) {
    folder = path;
  } else if (std::filesystem::exists(status)) {
    folder = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
  } else {
    return false;
  }
  return true;
}

class DbfConnection : public Connection {
 public:
  void Open(const std::string& connection_string, const std::string&, const std::string&,
            int) override {
    engines_.reset();
    const ConnectionSettings settings = ParseConnectionString(connection_string);
    if (!IsOurProvider(settings.provider)) {
      throw RunTimeError(error::kProviderNotFound,
                         "the connection asks for '" + settings.provider +
                             "'; this program reads tables through vfpoledb only.");
    }
    if (settings.data_source.empty()) {
      throw RunTimeError(error::kFileNotFound, "the connection string names no Data Source.");
    }
    std::filesystem::path folder;
    if (!FolderOf(settings.data_source, folder)) {
      bool found = false;
      for (const std::string& longer : settings.longer_data_sources) {
        if ((found = FolderOf(longer, folder))) break;
      }
      if (!found) {
        throw RunTimeError(error::kFileNotFound, "'" + settings.data_source + "' does not exist.");
      }
    }
    engines_ = std::make_shared<EnginePool>(folder);
  }

  // Null until Open has succeeded.
  const std::shared_ptr<EnginePool>& engines() const { return engines_; }
  const std::shared_ptr<RowPool>& pool() const { return pool_; }

 private:
  std::shared_ptr<EnginePool> engines_;
  std::shared_ptr<RowPool> pool_ = std::make_shared<RowPool>();
};

class DbfRecordset : public Recordset {
 public:
  DbfRecordset() = default;
  DbfRecordset(const DbfRecordset&) = delete;
  DbfRecordset& operator=(const DbfRecordset&) = delete;
  ~DbfRecordset() override { Release(); }

  void SetCursorLocation(int location) override { cursor_location_ = location; }

  // A client-side cursor reads the whole result when it opens, as such cursors do, so a failure
  // anywhere in it comes from Open; otherwise rows are read as the record set moves.
  void Open(const std::string& source, const std::shared_ptr<Connection>& connection, int, int,
            int) override {
    Release();
    auto* dbf = dynamic_cast<DbfConnection*>(connection.get());
    if (dbf == nullptr || !dbf->engines()) {
      throw RunTimeError(error::kConnectionClosed,
                         "open the connection before a record set is opened on it.");
    }
    // The statement goes before the engine it runs on, whichever way this ends.
    EnginePool::Lease lease = dbf->engines()->Take();
    std::unique_ptr<SqlStatement> statement = lease.engine().Prepare(source);
    std::shared_ptr<const SqlStatement::Columns> columns = statement->columns();
    RowBuffer rows = dbf->pool()->Take();
    if (cursor_location_ == kUseClient) {
      while (statement->Step()) rows.Append(*statement);
      statement.reset();
    } else if (statement->Step()) {
      rows.Append(*statement);
    } else {
      statement.reset();
    }
    // Rows read from a table another program rewrote meanwhile are never handed out.
    if (!statement) dbf->engines()->CheckUnchanged();
    if (!statement) lease.Release();
    columns_ = std::move(columns);
    rows_ = std::move(rows);
    pool_ = dbf->pool();
    engines_ = dbf->engines();
    lease_ = std::move(lease);
    statement_ = std::move(statement);
    open_ = true;
  }

  std::size_t FieldCount() const override {
    CheckOpen();
    return FieldsOpen();
  }

  std::string FieldName(std::size_t index) const override {
    CheckOpen();
    CheckIndex(index);
    return columns_->names[index];
  }

  DataType FieldType(std::size_t index) const override {
    CheckOpen();
    CheckIndex(index);
    return columns_->declared[index];
  }

  const Value& FieldValue(std::size_t index) const override {
    // Asked for every value read: the checks that pass come first, the failures in their order.
    const std::size_t fields = FieldsOpen();
    if (index < fields && rows_.Holds(position_, fields)) {
      return rows_.Get(position_ * fields + index);
    }
    CheckCurrent();
    CheckIndex(index);
    return rows_.Get(position_ * fields + index);
  }

  bool AtEof() const override {
    CheckOpen();
    return !rows_.Holds(position_, FieldsOpen());
  }

  void MoveNext() override {
    CheckCurrent();
    if (!statement_) {
      ++position_;
    } else {
      rows_.Clear();
      if (statement_->Step()) {
        rows_.Append(*statement_);
      } else {
        FinishStatement();
        engines_->CheckUnchanged();
      }
    }
  }

 private:
  // Closes the record set, its buffer going back to its connection's pool.
  void Release() {
    open_ = false;
    FinishStatement();
    columns_.reset();
    position_ = 0;
    if (pool_) pool_->Give(std::move(rows_));
    rows_ = RowBuffer();
    pool_.reset();
    engines_.reset();
  }

  // Drops the statement, then gives its engine back.
  void FinishStatement() {
    statement_.reset();
    lease_.Release();
  }

  // The fields of the result, none while closed.
  std::size_t FieldsOpen() const { return columns_ ? columns_->names.size() : 0; }

  void CheckOpen() const {
    if (!open_) {
      throw RunTimeError(error::kObjectClosed, "the record set has not been opened.");
    }
  }
  void CheckCurrent() const {
    if (AtEof()) {
      throw RunTimeError(error::kNoCurrentRecord, "the record set is past its last record.");
    }
  }
  void CheckIndex(std::size_t index) const {
    if (index >= FieldsOpen()) {
      throw RunTimeError(error::kItemNotFound,
                         "the record set has no field " + std::to_string(index) + ".");
    }
  }

  int cursor_location_ = kUseServer;
  bool open_ = false;
  EnginePool::Lease lease_;                  // of statement_'s engine, while there is one
  std::unique_ptr<SqlStatement> statement_;  // while a server-side cursor has rows to come
  std::shared_ptr<const SqlStatement::Columns> columns_;  // while open
  std::shared_ptr<RowPool> pool_;        // of the connection the record set was opened on
  std::shared_ptr<EnginePool> engines_;  // of that connection, for the check after the last row
  RowBuffer rows_;                       // all rows (client-side) or the current one (server-side)
  std::size_t position_ = 0;             // row of rows_ that is current
};

class DbfProviderImpl : public Provider {
 public:
  std::shared_ptr<Connection> NewConnection() override { return std::make_shared<DbfConnection>(); }
  std::shared_ptr<Recordset> NewRecordset() override { return std::make_shared<DbfRecordset>(); }
  std::string TableFile(const std::string& data_source, const std::string& table) override {
    try {
      std::filesystem::path folder;
      if (FolderOf(data_source, folder)) {
        const std::filesystem::path file = FindFileIgnoringCase(folder, table + ".dbf");
        if (!file.empty()) return Utf8Of(std::filesystem::absolute(file).lexically_normal());
      }
    } catch (...) {
      // A folder that cannot be searched: the name from the text says the same to the user.
    }
    return Provider::TableFile(data_source, table);
  }
};

}  // namespace

Provider& DbfProvider() {
  static DbfProviderImpl provider;
  return provider;
}

}  // namespace platform::db
