// Which list columns hold numbers: a provider that passes every call on to another one and notes
// the kind of each value the loader reads, so a file writer can store numbers as numbers and
// leave text columns such as member codes as text.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/db/ado.h"
#include "platform/db/value.h"

namespace data {

class ColumnKindRecorder : public platform::db::Provider {
 public:
  explicit ColumnKindRecorder(platform::db::Provider& inner) : inner_(inner) {}

  std::shared_ptr<platform::db::Connection> NewConnection() override;
  std::shared_ptr<platform::db::Recordset> NewRecordset() override;

  // One entry per field index seen: true when every value read from the field was a number or
  // null, and at least one was a number.
  std::vector<bool> NumberColumns() const;

  // Notes the kind of one value read from field `index`.
  void Note(std::size_t index, platform::db::Value::Kind kind);

 private:
  enum class Seen { kNothing, kNumbers, kOther };

  platform::db::Provider& inner_;
  std::vector<Seen> seen_;
};

}  // namespace data
