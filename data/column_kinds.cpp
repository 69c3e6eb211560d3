#include "data/column_kinds.h"

#include <string>
#include <utility>

namespace data {
namespace {

namespace db = platform::db;

class RecordingRecordset : public db::Recordset {
 public:
  RecordingRecordset(std::shared_ptr<db::Recordset> inner, ColumnKindRecorder& recorder)
      : inner_(std::move(inner)), recorder_(recorder) {}

  void SetCursorLocation(int location) override { inner_->SetCursorLocation(location); }
  void Open(const std::string& source, const std::shared_ptr<db::Connection>& connection,
            int cursor_type, int lock_type, int options) override {
    inner_->Open(source, connection, cursor_type, lock_type, options);
  }
  std::size_t FieldCount() const override { return inner_->FieldCount(); }
  std::string FieldName(std::size_t index) const override { return inner_->FieldName(index); }
  const db::Value& FieldValue(std::size_t index) const override {
    const db::Value& value = inner_->FieldValue(index);
    recorder_.Note(index, value.kind);
    return value;
  }
  bool AtEof() const override { return inner_->AtEof(); }
  void MoveNext() override { inner_->MoveNext(); }

 private:
  std::shared_ptr<db::Recordset> inner_;
  ColumnKindRecorder& recorder_;
};

}  // namespace

std::shared_ptr<db::Connection> ColumnKindRecorder::NewConnection() {
  return inner_.NewConnection();
}

std::shared_ptr<db::Recordset> ColumnKindRecorder::NewRecordset() {
  return std::make_shared<RecordingRecordset>(inner_.NewRecordset(), *this);
}

void ColumnKindRecorder::Note(std::size_t index, db::Value::Kind kind) {
  if (index >= seen_.size()) seen_.resize(index + 1, Seen::kNothing);
  if (kind == db::Value::Kind::kNull) return;
  Seen& seen = seen_[index];
  if (kind != db::Value::Kind::kNumber) {
    seen = Seen::kOther;
  } else if (seen == Seen::kNothing) {
    seen = Seen::kNumbers;
  }
}

std::vector<bool> ColumnKindRecorder::NumberColumns() const {
  std::vector<bool> numbers;
  for (const Seen seen : seen_) numbers.push_back(seen == Seen::kNumbers);
  return numbers;
}

}  // namespace data
