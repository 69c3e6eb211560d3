#include "data/load_data.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
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

  // One record set at a time, each day's opened after the day before is listed. The day after
  // the range is found as well, so a range ending on the calendar's last day fails after its rows
  // are listed.
  std::string day = DFrom;
  std::string shown;
  for (std::int32_t k = 1; k <= day_count; ++k) {
    records.reset();  // the day before's goes before the next is made
    records = NewClientRecordset(provider);
    Run(*records, DayQuery(day), connection);
    const std::vector<char> date_fields = DateFields(*records);
    while (!records->AtEof()) {
      AppendRecord(list, *records, date_fields, shown);
      records->MoveNext();
    }
    try {
      day = cdnDate::AddBsDays(DFrom, k);
    } catch (const platform::RunTimeError& error) {
      throw DateError(error, typed_from, typed_to);
    }
  }
}

}  // namespace data
