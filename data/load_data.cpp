#include "data/load_data.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
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

// Replaces `records` by a new record set (releasing the previous one) and runs `source` in it.
void OpenRecordset(std::shared_ptr<db::Recordset>& records, db::Provider& provider,
                   const std::string& source, const std::shared_ptr<db::Connection>& connection) {
  records = provider.NewRecordset();
  records->SetCursorLocation(db::kUseClient);
  records->Open(source, connection, db::kOpenForwardOnly, db::kLockOptimistic,
                db::kOptionUnspecified);
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

  std::string current = DFrom;
  std::string shown;
  for (std::int32_t k = 1; k <= day_count; ++k) {
    const std::string source = std::string(kDayQuery) + std::string(kTableName) +
                               " Where ne_date='" + DayKey(current) +
                               "' order by ne_date, Mem_Code";
    OpenRecordset(records, provider, source, connection);
    const std::vector<char> date_fields = DateFields(*records);
    while (!records->AtEof()) {
      AppendRecord(list, *records, date_fields, shown);
      records->MoveNext();
    }
    // The day after the range is computed as well, so a range ending on the calendar's last day
    // fails after its rows are listed.
    current = cdnDate::AddBsDays(DFrom, k);
  }
}

}  // namespace data
