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

// Numbers of the record set's own faults, as the classic data objects number them.
inline constexpr std::int32_t kNoCurrentRecord = 3021;   // a value read at the end of the rows
inline constexpr std::int32_t kItemNotFound = 3265;      // a field index beyond the fields
inline constexpr std::int32_t kObjectClosed = 3704;      // a record set that was never opened
inline constexpr std::int32_t kConnectionClosed = 3709;  // a connection that is not open

class Connection {
 public:
  virtual ~Connection() = default;
  // "Provider=vfpoledb;Data Source=<file or folder>;..." Throws when the provider is not
  // vfpoledb or the data source names nothing that exists.
  virtual void Open(const std::string& connection_string, const std::string& user_id = {},
                    const std::string& password = {}, int options = kOptionUnspecified) = 0;
};

class Recordset {
 public:
  virtual ~Recordset() = default;
  virtual void SetCursorLocation(int location) = 0;
  // Runs `source` (SQL text) on `connection`, which must be open.
  virtual void Open(const std::string& source, const std::shared_ptr<Connection>& connection,
                    int cursor_type, int lock_type, int options) = 0;
  virtual std::size_t FieldCount() const = 0;
  // Field names are reported in lower case.
  virtual std::string FieldName(std::size_t index) const = 0;
  // The current record's value; only valid while !AtEof().
  virtual const Value& FieldValue(std::size_t index) const = 0;
  // True once past the last record.
  virtual bool AtEof() const = 0;
  virtual void MoveNext() = 0;
};

// Makes new connections and record sets; tests put a failing one in its place.
class Provider {
 public:
  virtual ~Provider() = default;
  virtual std::shared_ptr<Connection> NewConnection() = 0;
  virtual std::shared_ptr<Recordset> NewRecordset() = 0;
};

// The program's own provider over .dbf tables.
Provider& DbfProvider();

}  // namespace platform::db
