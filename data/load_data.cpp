#include "data/load_data.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <future>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
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

// Number fields make number columns; every other field, dates and logicals included, is shown and
// handed on as text. The kinds come from the structure query, whose last field is the stored
// amount: a number field, like the product of two numbers that the day queries put in its place.
platform::ColumnKind ColumnKindOf(db::DataType type) {
  return type == db::DataType::kNumber ? platform::ColumnKind::kNumber
                                       : platform::ColumnKind::kText;
}

// The data source as one value of the connection string: quoted, with its quotes doubled, when
// it holds what would end the value or change it (";", a quote, blanks at either end).
std::string DataSourceValue(const std::string& path) {
  const bool plain = path.find_first_of(";\"'") == std::string::npos &&
                     (path.empty() || (path.front() != ' ' && path.back() != ' '));
  if (plain) return path;
  std::string quoted = "\"";
  for (const char c : path) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// Whether `text` is a date of the calendar, "yyyy/mm/dd".
bool IsBsDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '/' || text[7] != '/') return false;
  auto field = [&](std::size_t start, std::size_t length) {
    int value = 0;
    for (std::size_t i = start; i < start + length; ++i) {
      if (text[i] < '0' || text[i] > '9') return -1;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  const int year = field(0, 4);
  const int month = field(5, 2);
  const int day = field(8, 2);
  return year >= cdnDate::kFirstYear && year <= cdnDate::kLastYear && month >= 1 && month <= 12 &&
         day >= 1 && day <= cdnDate::MonthLength(year, month);
}

// The calendar's error for the range, its number and description as the calendar gave them, with
// advice the user can act on: which of the dates as typed is not a date, or, when both are, that
// the range runs into the calendar's end.
platform::RunTimeError DateError(const platform::RunTimeError& error, std::string_view first,
                                 std::string_view last) {
  const auto number = static_cast<platform::error::Number>(error.number());
  const char* which = !IsBsDate(first) ? "first" : !IsBsDate(last) ? "last" : nullptr;
  if (which == nullptr) {
    return platform::RunTimeError::WithAdvice(
        number, "The calendar ends on 5000/12/31: end the range a day earlier.");
  }
  return platform::RunTimeError::WithAdvice(
      number, std::string("The ") + which +
                  " date is not a BS date from 1500/01/01 to 5000/12/31: type a date as "
                  "yyyy/mm/dd.");
}

// A record set with a client-side cursor, not yet opened.
std::shared_ptr<db::Recordset> NewClientRecordset(db::Provider& provider) {
  std::shared_ptr<db::Recordset> records = provider.NewRecordset();
  records->SetCursorLocation(db::kUseClient);
  return records;
}

// Runs `source` in `records`, reading every row of it.
void Run(db::Recordset& records, const std::string& source,
         const std::shared_ptr<db::Connection>& connection) {
  records.Open(source, connection, db::kOpenForwardOnly, db::kLockOptimistic,
               db::kOptionUnspecified);
}

// The query of the records of `day` ("yyyy/mm/dd").
std::string DayQuery(std::string_view day) {
  return std::string(kDayQuery) + std::string(kTableName) + " Where ne_date='" + DayKey(day) +
         "' order by ne_date, Mem_Code";
}

// Opens record sets on threads of its own, two at once, in the order they are asked for, while
// the calling thread goes on. On a machine with one processor, or when no thread can be started,
// it opens them on the calling thread: there the threads would only take turns. The threads
// serve a whole load: starting threads for each day would cost a good part of what they save.
class DayOpener {
 public:
  // Days opened at once.
  static constexpr std::size_t kThreads = 2;
  // Days asked for ahead of the one being listed: more than the threads, so that a thread that is
  // done finds the next day waiting rather than waiting for the list.
  static constexpr std::size_t kDaysAhead = 4;

  DayOpener() {
    if (std::thread::hardware_concurrency() == 1) return;  // 0 when it is not known
    try {
      while (threads_.size() < kThreads) threads_.emplace_back([this] { Serve(); });
    } catch (const std::system_error&) {
    }
  }
  // Waits for the days being opened; days not yet started are dropped.
  ~DayOpener() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
      waiting_.clear();
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }
  DayOpener(const DayOpener&) = delete;
  DayOpener& operator=(const DayOpener&) = delete;

  // Whether days are opened on the calling thread from now on: for days with few records or none,
  // handing a day to another thread and back costs more than opening it.
  void OpenOnCaller(bool on_caller) { on_caller_ = on_caller; }

  // Starts running `source` in `records`, a record set that is not yet open.
  std::future<std::shared_ptr<db::Recordset>> Open(
      std::shared_ptr<db::Recordset> records, std::string source,
      const std::shared_ptr<db::Connection>& connection) {
    Task task([records = std::move(records), source = std::move(source), connection] {
      Run(*records, source, connection);
      return records;
    });
    std::future<std::shared_ptr<db::Recordset>> opened = task.get_future();
    if (threads_.empty() || on_caller_) {
      task();
      return opened;
    }
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      waiting_.push_back(std::move(task));
    }
    wake_.notify_one();
    return opened;
  }

 private:
  using Task = std::packaged_task<std::shared_ptr<db::Recordset>()>;

  void Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
      if (stopping_) return;
      Task task = std::move(waiting_.front());
      waiting_.pop_front();
      lock.unlock();
      task();
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task> waiting_;
  bool stopping_ = false;
  bool on_caller_ = false;
  std::vector<std::thread> threads_;  // last: they start once the rest is made
};

// A record set that will not come, for the failure that stopped it (the calendar could not give
// its day).
std::future<std::shared_ptr<db::Recordset>> Failed(std::exception_ptr error) {
  std::promise<std::shared_ptr<db::Recordset>> promise;
  promise.set_exception(std::move(error));
  return promise.get_future();
}

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
  if (first.IsNull()) {
    throw platform::RunTimeError::WithAdvice(platform::error::kInvalidUseOfNull,
                                             "A record has no member code (its Mem_Code is null).");
  }
  list.SetItemText(item, first.text);

  for (std::size_t field = 1; field < date_fields.size(); ++field) {
    const std::string& text = records.FieldValue(field).text;
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
              platform::db::Provider& provider, LoadProgress* progress) {
  std::shared_ptr<db::Connection> connection = provider.NewConnection();
  connection->Open(
      "Provider=vfpoledb;Data Source=" + DataSourceValue(StrFile) + ";Collating Sequence=machine",
      "", "", db::kOptionUnspecified);

  std::shared_ptr<db::Recordset> records = NewClientRecordset(provider);
  Run(*records, std::string(kStructureQuery) + DFrom + "'", connection);

  // The list is replaced only once the table is known to be readable.
  if (progress != nullptr) progress->list_replaced = true;
  list.ClearColumnHeaders();
  list.ClearItems();
  for (std::size_t field = 0; field < records->FieldCount(); ++field) {
    list.AddColumnHeader(records->FieldName(field), kColumnWidthTwips,
                         ColumnKindOf(records->FieldType(field)));
  }

  // May put the two dates in order; every later step works from the ordered pair. The calendar's
  // errors pass on with their numbers, the message saying which date to mend.
  const std::string typed_from = DFrom;
  const std::string typed_to = dTo;
  std::int32_t between = 0;
  try {
    between = cdnDate::BsDaysBetween(DFrom, dTo);
  } catch (const platform::RunTimeError& error) {
    throw DateError(error, typed_from, typed_to);
  }
  if (between == std::numeric_limits<std::int32_t>::max()) throw platform::RunTimeError::Overflow();
  const std::int32_t day_count = between + 1;

  // The record sets of the next days are opened on other threads while a day's rows are listed:
  // a record set on the client holds all its rows once open and needs its connection no more.
  // Opening is most of a day's work, listing most of the rest. A failure is still met where one
  // day after another would meet it: opening a day, or finding its date, fails after the day
  // before is listed; and the day after the range is found as well, so a range ending on the
  // calendar's last day fails after its rows are listed.
  DayOpener opener;
  std::deque<std::future<std::shared_ptr<db::Recordset>>> ahead;  // the next days, in order
  std::int32_t planned = 0;  // days given a place in `ahead`, the day after the range included
  auto plan_ahead = [&] {
    while (planned <= day_count && ahead.size() < DayOpener::kDaysAhead) {
      ++planned;
      try {
        std::string day;
        try {
          day = planned == 1 ? DFrom : cdnDate::AddBsDays(DFrom, planned - 1);
        } catch (const platform::RunTimeError& error) {
          throw DateError(error, typed_from, typed_to);
        }
        if (planned <= day_count) {
          // Made here, so that record sets are made in the order of their days.
          ahead.push_back(opener.Open(NewClientRecordset(provider), DayQuery(day), connection));
        }
      } catch (const platform::RunTimeError&) {
        ahead.push_back(Failed(std::current_exception()));
        planned = day_count + 1;  // no day is found past one the calendar cannot give
      }
    }
  };

  plan_ahead();
  std::string shown;
  for (std::int32_t k = 1; k <= day_count; ++k) {
    records = ahead.front().get();
    ahead.pop_front();
    opener.OpenOnCaller(records->AtEof());
    plan_ahead();
    const std::vector<char> date_fields = DateFields(*records);
    while (!records->AtEof()) {
      AppendRecord(list, *records, date_fields, shown);
      records->MoveNext();
    }
  }
  if (!ahead.empty()) ahead.front().get();  // the calendar has no day after the range
}

}  // namespace data
