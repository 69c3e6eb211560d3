// The database objects the loader works with, after the classic connection / record set model:
// a connection opened with a connection string, record sets opened on it with SQL text, fields
// read by index, and forward navigation. Objects are released by dropping the last reference.
// Every failure is a RunTimeError whose description names the file, table or column at fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/db/value.h"

namespace platform::db {

inline constexpr int kUseServer = 2;           // CursorLocation: rows read as the cursor moves
inline constexpr int kUseClient = 3;           // CursorLocation: client-side cursor
inline constexpr int kOpenForwardOnly = 0;     // cursor type
inline constexpr int kLockOptimistic = 3;      // lock type
inline constexpr int kOptionUnspecified = -1;  // options

// What a field's declared type holds, as its record set reports it: character, memo and varchar
// fields are kText; N, F, B, Y and I fields kNumber; a computed column, whose type the data source
// does not declare, kUnknown.
enum class DataType { kUnknown, kText, kNumber, kDate, kDateTime, kLogical, kBinary };

class Connection {
 public:
  virtual ~Connection() = default;
  // "Provider=vfpoledb;Data Source=<file or folder>;..." (keys in any letter case, values may be
  // quoted). The data source is the folder of the named file, or the named folder; its tables
  // are its .dbf files, found in any letter case. Throws RunTimeError 3706 (kProviderNotFound)
  // when the provider is not vfpoledb, 53 (kFileNotFound) when the data source is missing or
  // names nothing that exists.
  virtual void Open(const std::string& connection_string, const std::string& user_id = {},
                    const std::string& password = {}, int options = kOptionUnspecified) = 0;
};

// Before its first Open a record set has no fields: FieldCount, FieldName, FieldValue, AtEof and
// MoveNext throw error::kObjectClosed. One record set is used by one thread at a time. Record sets
// may be opened on one connection from several threads at once, and one opened with a client-side
// cursor holds all its rows: it may be read on one thread while its connection serves others.
class Recordset {
 public:
  virtual ~Recordset() = default;
  virtual void SetCursorLocation(int location) = 0;
  // Runs `source`, one SQL statement that reads, on `connection`. A client-side cursor
  // (kUseClient) reads every row here; otherwise rows are read as the record set moves. Throws
  // kConnectionClosed when the connection is not open, kTableNotFound when a table has no .dbf
  // file, kDatabaseError when its file is not a table or is damaged, and kCommandError for bad
  // text, an unknown column, or a statement that would write.
  virtual void Open(const std::string& source, const std::shared_ptr<Connection>& connection,
                    int cursor_type, int lock_type, int options) = 0;
  virtual std::size_t FieldCount() const = 0;
  // Field names are reported in lower case. Throws kItemNotFound for an index past the fields.
  virtual std::string FieldName(std::size_t index) const = 0;
  // The type of the field's column. Throws kItemNotFound for an index past the fields.
  virtual DataType FieldType(std::size_t index) const = 0;
  // The current record's value, valid until the record set moves. Throws kNoCurrentRecord at
  // the end, kItemNotFound for an index past the fields.
  virtual const Value& FieldValue(std::size_t index) const = 0;
  // True once past the last record.
  virtual bool AtEof() const = 0;
  // Throws kNoCurrentRecord at the end; a server-side cursor throws what Open throws.
  virtual void MoveNext() = 0;
};

// Makes new connections and record sets; tests put a failing one in its place.
class Provider {
 public:
  virtual ~Provider() = default;
  virtual std::shared_ptr<Connection> NewConnection() = 0;
  virtual std::shared_ptr<Recordset> NewRecordset() = 0;
  // The path of the file that a connection on `data_source` reads `table` from: the table's .dbf
  // file in the named folder, or in the folder of the named file. This one writes the name from
  // the text alone; a provider that finds its files may give their letter case. Never throws.
  virtual std::string TableFile(const std::string& data_source, const std::string& table) {
    const std::size_t slash = data_source.find_last_of("/\\");
    return (slash == std::string::npos ? std::string() : data_source.substr(0, slash + 1)) + table +
           ".dbf";
  }
};

// The program's own provider over .dbf tables.
Provider& DbfProvider();

}  // namespace platform::db
