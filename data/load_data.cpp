#include "data/load_data.h"

#include <algorithm>
#include <cstdint>
#include <condition_variable>
#include <exception>
#include <future>
#include <limits>
#include <memory>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "calendar/cdn_date.h"
#include "platform/db/value.h"
#include "platform/run_time_error.h"

namespace data {
namespace {

namespace db = platform::db;

constexpr std::string_view kStructureQuery =
    "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf as snf,ts_comm,rate,Amount "
    "from TRAN Where ne_date='";
constexpr std::string_view kDayQuery =
    "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf,ts_comm,rate,"
    "Volume_lt*rate as Amount from ";
constexpr std::string_view kTableName = "TRAN";

// Text pieces taken by position; a text too short gives what it has, never an error.
std::string_view Left(std::string_view text, std::size_t count) { return text.substr(0, count); }
std::string_view Mid(std::string_view text, std::size_t start, std::size_t count) {
  if (start < 1 || start > text.size()) return {};
  return text.substr(start - 1, count);
}
std::string_view Right(std::string_view text, std::size_t count) {
  return text.substr(text.size() - std::min(count, text.size()));
}

// "a/b/c" in `joined`, whose room is used again: a day's rows each have a date rewritten this way.
void JoinBySlashes(std::string_view a, std::string_view b, std::string_view c,
                   std::string& joined) {
  joined.resize(a.size() + b.size() + c.size() + 2);
  char* out = std::copy(a.begin(), a.end(), joined.data());
  *out++ = '/';
  out = std::copy(b.begin(), b.end(), out);
  *out++ = '/';
  std::copy(c.begin(), c.end(), out);
}

// "yyyy/mm/dd" -> "dd/mm/yyyy", the form in which the table holds its dates.
std::string DayKey(std::string_view date) {
  std::string key;
  JoinBySlashes(Right(date, 2), Mid(date, 6, 2), Left(date, 4), key);
  return key;
}

// "dd/mm/yyyy" -> "yyyy/mm/dd".
void ShowDate(std::string_view stored, std::string& shown) {
  JoinBySlashes(Right(stored, 4), Mid(stored, 4, 2), Left(stored, 2), shown);
}

bool IsDateField(std::string_view name) {
  constexpr std::string_view kPrefix = "ne_date";
  if (name.size() < kPrefix.size()) return false;
  for (std::size_t i = 0; i < kPrefix.size(); ++i) {
    const char c = name[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != kPrefix[i]) return false;
  }
  return true;
}

// Replaces `records` by a new record set (releasing the previous one) and runs `source` in it.
void OpenRecordset(std::shared_ptr<db::Recordset>& records, db::Provider& provider,
                   const std::string& source, const std::shared_ptr<db::Connection>& connection) {
  records = provider.NewRecordset();
  records->SetCursorLocation(db::kUseClient);
  records->Open(source, connection, db::kOpenForwardOnly, db::kLockOptimistic,
                db::kOptionUnspecified);
}

// Opens the record sets of days, one after another, on a thread of its own, while the calling
// thread goes on; on the calling thread when no thread can be started. One thread serves a whole
// load: starting a thread for each day would cost a good part of what it saves.
class DayOpener {
 public:
  DayOpener() {
    try {
      thread_ = std::thread([this] { Serve(); });
    } catch (const std::system_error&) {
    }
  }
  // Waits for the day being opened, if any.
  ~DayOpener() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
  }
  DayOpener(const DayOpener&) = delete;
  DayOpener& operator=(const DayOpener&) = delete;

  // Starts opening the record set of the records of `day` ("yyyy/mm/dd"). Call again only once
  // the last day's record set has been taken from its future. The record set is made here, on
  // the calling thread.
  std::future<std::shared_ptr<db::Recordset>> Open(
      db::Provider& provider, const std::string& day,
      const std::shared_ptr<db::Connection>& connection) {
    std::shared_ptr<db::Recordset> records = provider.NewRecordset();
    records->SetCursorLocation(db::kUseClient);
    std::packaged_task<std::shared_ptr<db::Recordset>()> task(
        [records, connection,
         source = std::string(kDayQuery) + std::string(kTableName) + " Where ne_date='" +
                  DayKey(day) + "' order by ne_date, Mem_Code"] {
          records->Open(source, connection, db::kOpenForwardOnly, db::kLockOptimistic,
                        db::kOptionUnspecified);
          return records;
        });
    std::future<std::shared_ptr<db::Recordset>> opened = task.get_future();
    if (!thread_.joinable()) {
      task();
      return opened;
    }
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      task_ = std::move(task);
    }
    wake_.notify_one();
    return opened;
  }

 private:
  void Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || task_.valid(); });
      if (task_.valid()) {
        auto task = std::move(task_);
        lock.unlock();
        task();
        lock.lock();
      } else {
        return;
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::packaged_task<std::shared_ptr<db::Recordset>()> task_;  // invalid when there is none
  bool stopping_ = false;
  std::thread thread_;  // last: it starts once the rest is made
};

// Which fields of a record set hold the stored date, by index; read once per record set. Bytes
// rather than bits: this is asked for every value read.
std::vector<char> DateFields(const db::Recordset& records) {
  std::vector<char> dates(records.FieldCount());
  for (std::size_t field = 1; field < dates.size(); ++field) {
    dates[field] = IsDateField(records.FieldName(field));
  }
  return dates;
}

// `shown` is room for a date's text, kept from record to record.
void AppendRecord(platform::ListView& list, const db::Recordset& records,
                  const std::vector<char>& date_fields, std::string& shown) {
  const std::size_t item = list.AddItem();
  // The first field is turned into text here rather than by the list, so a null member code
  // fails after its empty item has been appended.
  const db::Value& first = records.FieldValue(0);
  if (first.IsNull()) throw platform::RunTimeError(kInvalidUseOfNull, "Invalid use of Null");
  list.SetItemText(item, db::ValueToText(first));

  for (std::size_t field = 1; field < date_fields.size(); ++field) {
    const std::string& text = db::ValueToText(records.FieldValue(field));
    if (date_fields[field] != 0) {
      ShowDate(text, shown);
      list.AddSubItem(item, shown);
    } else {
      list.AddSubItem(item, text);
    }
  }
}

}  // namespace

void LoadData(platform::ListView& list, std::string StrFile, std::string DFrom, std::string dTo,
              platform::db::Provider& provider) {
  std::shared_ptr<db::Connection> connection = provider.NewConnection();
  connection->Open("Provider=vfpoledb;Data Source=" + StrFile + ";Collating Sequence=machine", "",
                   "", db::kOptionUnspecified);

  std::shared_ptr<db::Recordset> records;
  OpenRecordset(records, provider, std::string(kStructureQuery) + DFrom + "'", connection);

  // The list is replaced only once the table is known to be readable.
  list.ClearColumnHeaders();
  list.ClearItems();
  for (std::size_t field = 0; field < records->FieldCount(); ++field) {
    list.AddColumnHeader(records->FieldName(field), kColumnWidthTwips);
  }

  // May put the two dates in order; every later step works from the ordered pair.
  const std::int32_t between = cdnDate::BsDaysBetween(DFrom, dTo);
  if (between == std::numeric_limits<std::int32_t>::max()) throw platform::RunTimeError::Overflow();
  const std::int32_t day_count = between + 1;

  // Each day's record set is opened on a second thread while the rows of the day before are
  // listed: a record set on the client holds all its rows once open and needs its connection no
  // more. Opening is most of a day's work, listing most of the rest. A failure is still met
  // where one day after another would meet it: opening a day fails after the day before is
  // listed, and so does finding the day after it.
  DayOpener opener;
  std::future<std::shared_ptr<db::Recordset>> next = opener.Open(provider, DFrom, connection);
  std::string shown;
  for (std::int32_t k = 1; k <= day_count; ++k) {
    records = next.get();
    // The day after the range is computed as well, so a range ending on the calendar's last day
    // fails after its rows are listed.
    std::exception_ptr calendar_failure;
    try {
      const std::string following = cdnDate::AddBsDays(DFrom, k);
      if (k < day_count) next = opener.Open(provider, following, connection);
    } catch (const platform::RunTimeError&) {
      calendar_failure = std::current_exception();
    }
    const std::vector<char> date_fields = DateFields(*records);
    while (!records->AtEof()) {
      AppendRecord(list, *records, date_fields, shown);
      records->MoveNext();
    }
    if (calendar_failure) std::rethrow_exception(calendar_failure);
  }
}

}  // namespace data
