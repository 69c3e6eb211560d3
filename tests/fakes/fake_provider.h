// A database provider that serves canned results, by day or per SQL text, records every call and
// fails when told to: the loader's and the window's tests run against it instead of a table file.
#pragma once

#include <atomic>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/db/provider.h"
#include "platform/db/value.h"
#include "platform/run_time_error.h"

namespace fakes {

struct FakeResult {
  std::vector<std::string> field_names;
  std::vector<std::vector<platform::db::Value>> rows;
  // One a field; fields past them are kUnknown.
  std::vector<platform::db::DataType> field_types = {};
};

// What one record set was opened with.
struct FakeOpen {
  std::string source;
  int cursor_location = 0;
  int cursor_type = 0;
  int lock_type = 0;
  int options = 0;
  std::thread::id thread = {};
};

class FakeProvider : public platform::db::Provider {
 public:
  // The field names of a query that has no result of its own.
  std::vector<std::string> default_field_names = {
      "mem_code", "ne_date", "coll_time", "volume_lt", "fat", "snf", "ts_comm", "rate", "amount"};

  // The field types of a query that has no result of its own: those of the table's fields.
  std::vector<platform::db::DataType> default_field_types = {
      platform::db::DataType::kText,   platform::db::DataType::kText,
      platform::db::DataType::kText,   platform::db::DataType::kNumber,
      platform::db::DataType::kNumber, platform::db::DataType::kNumber,
      platform::db::DataType::kNumber, platform::db::DataType::kNumber,
      platform::db::DataType::kNumber};

  void SetResult(const std::string& source, FakeResult result) {
    results_[source] = std::move(result);
  }
  // Rows for a query with the default field names and types.
  void SetRows(const std::string& source, std::vector<std::vector<platform::db::Value>> rows) {
    results_[source] = {default_field_names, std::move(rows), default_field_types};
  }
  // The records of the BS day "yyyy/mm/dd", with the default field names and types: what a query
  // of that one day gets, whatever its text.
  void SetDay(const std::string& day, std::vector<std::vector<platform::db::Value>> rows) {
    days_[day] = {default_field_names, std::move(rows), default_field_types};
  }
  // Every connection's Open throws `error` from now on; std::nullopt: none does.
  void FailConnect(std::optional<platform::RunTimeError> error) {
    connect_error_ = std::move(error);
  }
  // Fails the opening of the `index`-th record set made (0-based, counted over the provider's
  // life). A loader makes its record sets in the order of its queries.
  void FailQuery(std::size_t index, platform::RunTimeError error) {
    query_errors_.emplace(index, std::move(error));
  }

  const std::vector<std::string>& connection_strings() const { return connection_strings_; }
  // In the order the record sets were made, then opened.
  std::vector<FakeOpen> opens() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<FakeOpen> in_order;
    for (const auto& [when, open] : opens_) in_order.push_back(open);
    return in_order;
  }
  std::vector<std::string> sources() const {
    std::vector<std::string> texts;
    for (const FakeOpen& open : opens()) texts.push_back(open.source);
    return texts;
  }
  // The BS days queried one by one, "yyyy/mm/dd", in the order their record sets were made.
  std::vector<std::string> days() const {
    std::vector<std::string> asked;
    for (const FakeOpen& open : opens()) {
      if (std::optional<std::string> day = DayOf(open.source)) asked.push_back(*day);
    }
    return asked;
  }
  // Objects handed out and not yet released.
  long live_connections() const { return *live_connections_; }
  long live_recordsets() const { return *live_recordsets_; }
  // The most record sets alive at one time.
  long peak_recordsets() const { return *peak_recordsets_; }

  std::shared_ptr<platform::db::Connection> NewConnection() override {
    return std::make_shared<Connection>(*this);
  }
  std::shared_ptr<platform::db::Recordset> NewRecordset() override {
    return std::make_shared<Recordset>(*this);
  }

 private:
  using Count = std::atomic<long>;

  // Counts live objects; shared so an object outliving the provider stays safe. A loader may
  // release a record set on another thread than the one that made it.
  class Counted {
   public:
    Counted(std::shared_ptr<Count> live, std::shared_ptr<Count> peak = nullptr)
        : live_(std::move(live)), peak_(std::move(peak)) {
      const long now = ++*live_;
      if (!peak_) return;
      long highest = peak_->load();
      while (now > highest && !peak_->compare_exchange_weak(highest, now)) {
      }
    }
    ~Counted() { --*live_; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

   private:
    std::shared_ptr<Count> live_;
    std::shared_ptr<Count> peak_;
  };

  class Connection : public platform::db::Connection {
   public:
    explicit Connection(FakeProvider& provider)
        : provider_(provider), counted_(provider.live_connections_) {}
    void Open(const std::string& connection_string, const std::string&, const std::string&,
              int) override {
      provider_.connection_strings_.push_back(connection_string);
      if (provider_.connect_error_) throw *provider_.connect_error_;
      open_ = true;
    }
    bool open() const { return open_; }

   private:
    FakeProvider& provider_;
    Counted counted_;
    bool open_ = false;
  };

  class Recordset : public platform::db::Recordset {
   public:
    explicit Recordset(FakeProvider& provider)
        : provider_(provider),
          counted_(provider.live_recordsets_, provider.peak_recordsets_),
          made_(provider.recordsets_made_++) {}
    void SetCursorLocation(int location) override { location_ = location; }
    void Open(const std::string& source,
              const std::shared_ptr<platform::db::Connection>& connection, int cursor_type,
              int lock_type, int options) override {
      // Opened on any thread; made, read and released on one.
      const std::lock_guard<std::mutex> lock(provider_.mutex_);
      provider_.opens_.emplace(
          std::pair(made_, times_opened_++),
          FakeOpen{source, location_, cursor_type, lock_type, options, std::this_thread::get_id()});
      const auto* fake = dynamic_cast<const Connection*>(connection.get());
      if (fake == nullptr || !fake->open()) {
        throw platform::RunTimeError(platform::error::kObjectClosed);
      }
      if (auto error = provider_.query_errors_.find(made_);
          error != provider_.query_errors_.end()) {
        throw error->second;
      }
      result_ = {provider_.default_field_names, {}, provider_.default_field_types};
      const std::optional<std::string> day = DayOf(source);
      if (auto found = provider_.results_.find(source); found != provider_.results_.end()) {
        result_ = found->second;
      } else if (auto of_day = day ? provider_.days_.find(*day) : provider_.days_.end();
                 of_day != provider_.days_.end()) {
        result_ = of_day->second;
      }
    }
    std::size_t FieldCount() const override { return result_.field_names.size(); }
    std::string FieldName(std::size_t index) const override {
      return result_.field_names.at(index);
    }
    platform::db::DataType FieldType(std::size_t index) const override {
      const std::vector<platform::db::DataType>& types = result_.field_types;
      return index < types.size() ? types[index] : platform::db::DataType::kUnknown;
    }
    const platform::db::Value& FieldValue(std::size_t index) const override {
      return result_.rows.at(row_).at(index);
    }
    bool AtEof() const override { return row_ >= result_.rows.size(); }
    void MoveNext() override { ++row_; }

   private:
    FakeProvider& provider_;
    Counted counted_;
    int location_ = 0;
    std::size_t made_;
    std::size_t times_opened_ = 0;
    FakeResult result_;
    std::size_t row_ = 0;
  };

  // The day a query asks for: a quoted date as the table stores it, 'dd/mm/yyyy', as "yyyy/mm/dd".
  static std::optional<std::string> DayOf(const std::string& source) {
    for (std::size_t quote = source.find('\''); quote != std::string::npos;
         quote = source.find('\'', quote + 1)) {
      const std::string date = source.substr(quote + 1, 11);
      const bool stored = date.size() == 11 && date[2] == '/' && date[5] == '/' && date[10] == '\'';
      if (stored) return date.substr(6, 4) + "/" + date.substr(3, 2) + "/" + date.substr(0, 2);
    }
    return std::nullopt;
  }

  std::map<std::string, FakeResult> results_;
  std::map<std::string, FakeResult> days_;  // by "yyyy/mm/dd"
  std::optional<platform::RunTimeError> connect_error_;
  std::map<std::size_t, platform::RunTimeError> query_errors_;
  std::vector<std::string> connection_strings_;
  std::size_t recordsets_made_ = 0;
  // Record sets are opened on other threads than the one that makes them.
  mutable std::mutex mutex_;
  std::map<std::pair<std::size_t, std::size_t>, FakeOpen> opens_;  // by made_, times_opened_
  std::shared_ptr<Count> live_connections_ = std::make_shared<Count>(0);
  std::shared_ptr<Count> live_recordsets_ = std::make_shared<Count>(0);
  std::shared_ptr<Count> peak_recordsets_ = std::make_shared<Count>(0);
};

}  // namespace fakes
