#include "data/stored_amount.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "data/load_data.h"

namespace data {
namespace {

namespace db = platform::db;

// The table's own amount, read as the last field of every query of a load.
constexpr std::string_view kStoredAmountField = ",Amount as stored_amount";

// Where the fields of a query end: before its first " from ", in any letter case.
std::size_t EndOfFields(std::string_view query) {
  std::string lower(query);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower.find(" from ");
}

// A record set that adds the stored amount to the fields of every query it runs.
class StoredAmountRecordset : public db::Recordset {
 public:
  explicit StoredAmountRecordset(std::shared_ptr<db::Recordset> records)
      : records_(std::move(records)) {}

  void SetCursorLocation(int location) override { records_->SetCursorLocation(location); }
  void Open(const std::string& source, const std::shared_ptr<db::Connection>& connection,
            int cursor_type, int lock_type, int options) override {
    std::string query = source;
    const std::size_t end = EndOfFields(query);
    if (end != std::string::npos) query.insert(end, kStoredAmountField);
    records_->Open(query, connection, cursor_type, lock_type, options);
  }
  std::size_t FieldCount() const override { return records_->FieldCount(); }
  std::string FieldName(std::size_t index) const override { return records_->FieldName(index); }
  db::DataType FieldType(std::size_t index) const override { return records_->FieldType(index); }
  const db::Value& FieldValue(std::size_t index) const override {
    return records_->FieldValue(index);
  }
  bool AtEof() const override { return records_->AtEof(); }
  void MoveNext() override { records_->MoveNext(); }

 private:
  std::shared_ptr<db::Recordset> records_;
};

class StoredAmountProvider : public db::Provider {
 public:
  explicit StoredAmountProvider(db::Provider& provider) : provider_(provider) {}

  std::shared_ptr<db::Connection> NewConnection() override { return provider_.NewConnection(); }
  std::shared_ptr<db::Recordset> NewRecordset() override {
    return std::make_shared<StoredAmountRecordset>(provider_.NewRecordset());
  }
  std::string TableFile(const std::string& data_source, const std::string& table) override {
    return provider_.TableFile(data_source, table);
  }

 private:
  db::Provider& provider_;
};

}  // namespace

void LoadWithStoredAmount(platform::ListView& list, const std::string& database,
                          const std::string& from, const std::string& to,
                          platform::db::Provider& provider) {
  StoredAmountProvider stored(provider);
  LoadData(list, database, from, to, stored);
}

}  // namespace data
