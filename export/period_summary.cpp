#include "export/period_summary.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "export/exact_decimal.h"
#include "export/item_cells.h"
#include "platform/run_time_error.h"

namespace exporter {
namespace {

using platform::ColumnKind;

constexpr int kColumnWidth = 1400;
constexpr char kTotal[] = "Total";

// The list's columns a summary reads, in this order.
enum Field { kMember, kDate, kTime, kVolume, kFat, kSnf, kCommission, kRate, kFieldCount };
constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "Mem_Code", "ne_date", "Coll_Time", "Volume_lt", "fat", "snf", "ts_comm", "rate"};

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return lower(x) == lower(y);
  });
}

std::array<std::size_t, kFieldCount> FindColumns(const platform::ListView& list) {
  std::array<std::size_t, kFieldCount> columns{};
  for (std::size_t field = 0; field < kFieldCount; ++field) {
    std::size_t column = 0;
    while (column < list.ColumnHeaderCount() &&
           !SameName(list.ColumnHeaderText(column), kFieldNames[field])) {
      ++column;
    }
    if (column == list.ColumnHeaderCount()) {
      throw platform::RunTimeError(platform::error::kItemNotFound,
                                   "the list has no column " + std::string(kFieldNames[field]) +
                                       " to summarise. Load the records again.");
    }
    columns[field] = column;
  }
  return columns;
}

// What every row of a summary adds up.
struct Totals {
  std::int64_t records = 0;
  ExactDecimal volume;
  ExactDecimal volume_fat;
  ExactDecimal volume_snf;
  ExactDecimal commission;
  ExactDecimal amount;
  std::int64_t untested = 0;
};

// One record's numbers, read once.
struct Record {
  std::string member;
  std::string date;
  std::string time;
  ExactDecimal volume;
  ExactDecimal volume_fat;
  ExactDecimal volume_snf;
  ExactDecimal commission;
  ExactDecimal amount;
  bool untested = false;
};

// Sums are exact, so the total row adds up the rows' totals instead of every record again.
void Add(Totals& totals, const Totals& part) {
  totals.records += part.records;
  totals.volume += part.volume;
  totals.volume_fat += part.volume_fat;
  totals.volume_snf += part.volume_snf;
  totals.commission += part.commission;
  totals.amount += part.amount;
  totals.untested += part.untested;
}

void Add(Totals& totals, const Record& record) {
  ++totals.records;
  totals.volume += record.volume;
  totals.volume_fat += record.volume_fat;
  totals.volume_snf += record.volume_snf;
  totals.commission += record.commission;
  totals.amount += record.amount;
  if (record.untested) ++totals.untested;
}

class RecordReader {
 public:
  explicit RecordReader(const platform::ListView& list)
      : list_(list), columns_(FindColumns(list)) {}

  void Read(std::size_t item, Record& record) {
    ReadCells(item);
    record.member = Cell(kMember);
    record.date = Cell(kDate);
    record.time = Cell(kTime);
    const ExactDecimal volume = Number(item, kVolume);
    const ExactDecimal fat = Number(item, kFat);
    const ExactDecimal snf = Number(item, kSnf);
    record.volume = volume;
    record.volume_fat = volume * fat;
    record.volume_snf = volume * snf;
    record.commission = volume * Number(item, kCommission);
    record.amount = volume * Number(item, kRate);
    record.untested = fat.IsZero() || snf.IsZero();
  }

 private:
  void ReadCells(std::size_t item) { cells_ = &item_cells_.Read(item); }

  // A sub-item the item lacks reads as empty, as the list shows it.
  std::string_view Cell(Field field) const {
    const std::size_t column = columns_[field];
    return column < cells_->size() ? (*cells_)[column] : std::string_view();
  }

  ExactDecimal Number(std::size_t item, Field field) const {
    const std::string_view text = Cell(field);
    if (const std::optional<ExactDecimal> number = ExactDecimal::Parse(text)) return *number;
    throw platform::RunTimeError(platform::error::kTypeMismatch,
                                 "the " + std::string(kFieldNames[field]) + " of row " +
                                     std::to_string(item + 1) + ", '" + std::string(text) +
                                     "', is not a number. Load the records again.");
  }

  const platform::ListView& list_;
  std::array<std::size_t, kFieldCount> columns_;
  ItemCells item_cells_{list_};
  const std::vector<std::string_view>* cells_ = nullptr;
};

// A collection time as a column of the member summary names it.
std::string TimeLabel(std::string_view time) {
  while (!time.empty() && time.back() == ' ') time.remove_suffix(1);
  return time.empty() ? "(blank)" : std::string(time);
}

std::string Count(std::int64_t count) { return std::to_string(count); }

void AddColumns(platform::MemoryListView& table,
                std::initializer_list<std::pair<const char*, ColumnKind>> columns) {
  for (const auto& [text, kind] : columns) table.AddColumnHeader(text, kColumnWidth, kind);
}

// The columns from fat to rate, of one row.
void AddMeans(platform::MemoryListView& table, std::size_t item, const Totals& totals) {
  const bool litres = !totals.volume.IsZero();
  table.AddSubItem(item, litres ? totals.volume_fat.QuotientText(totals.volume) : "");
  table.AddSubItem(item, litres ? totals.volume_snf.QuotientText(totals.volume) : "");
  table.AddSubItem(item, totals.commission.TwoDecimalText());
  table.AddSubItem(item, totals.amount.TwoDecimalText());
  table.AddSubItem(item, litres ? totals.amount.QuotientText(totals.volume) : "");
}

constexpr std::initializer_list<std::pair<const char*, ColumnKind>> kMeanColumns = {
    {"fat", ColumnKind::kTwoDecimals},        {"snf", ColumnKind::kTwoDecimals},
    {"commission", ColumnKind::kTwoDecimals}, {"amount", ColumnKind::kTwoDecimals},
    {"rate", ColumnKind::kTwoDecimals},       {"untested", ColumnKind::kNumber}};

// --- The member summary

struct MemberTotals {
  Totals totals;
  std::vector<ExactDecimal> volume_by_time;  // by the time's index in `times`
  std::int64_t days = 0;
  std::int64_t repeats = 0;
  std::size_t last_date = SIZE_MAX;
};

// The records' totals by member, and the collection times and dates met.
struct MemberTally {
  std::map<std::string, MemberTotals> members;
  std::map<std::string, std::size_t> times;  // label -> index in the order first met
  std::size_t dates = 0;
};

MemberTally TallyMembers(const platform::ListView& records) {
  MemberTally tally;
  if (records.ItemCount() == 0) return tally;
  RecordReader reader(records);
  Record record;
  std::string last_date;
  // The collection times met so far in the run of records of one member and date, which a load
  // lists together.
  std::string run_member;
  std::vector<std::size_t> run_times;
  MemberTotals* member = nullptr;
  for (std::size_t item = 0; item < records.ItemCount(); ++item) {
    reader.Read(item, record);
    const bool new_date = tally.dates == 0 || record.date != last_date;
    if (new_date) {
      ++tally.dates;
      last_date = record.date;
    }
    if (member == nullptr || new_date || record.member != run_member) {
      member = &tally.members[record.member];
      run_member = record.member;
      run_times.clear();
    }
    const std::size_t time_index =
        tally.times.try_emplace(TimeLabel(record.time), tally.times.size()).first->second;

    Add(member->totals, record);
    if (member->volume_by_time.size() <= time_index) {
      member->volume_by_time.resize(time_index + 1);
    }
    member->volume_by_time[time_index] += record.volume;
    if (member->last_date != tally.dates) {
      member->last_date = tally.dates;
      ++member->days;
    }
    if (std::find(run_times.begin(), run_times.end(), time_index) != run_times.end()) {
      ++member->repeats;
    } else {
      run_times.push_back(time_index);
    }
  }
  return tally;
}

platform::MemoryListView MemberSummary(const platform::ListView& records) {
  const MemberTally tally = TallyMembers(records);
  MemberTotals total;
  total.volume_by_time.resize(tally.times.size());
  for (const auto& [code, member] : tally.members) {
    Add(total.totals, member.totals);
    for (std::size_t time = 0; time < member.volume_by_time.size(); ++time) {
      total.volume_by_time[time] += member.volume_by_time[time];
    }
    total.repeats += member.repeats;
  }
  total.days = static_cast<std::int64_t>(tally.dates);

  platform::MemoryListView table;
  AddColumns(table, {{"mem_code", ColumnKind::kText},
                     {"days", ColumnKind::kNumber},
                     {"records", ColumnKind::kNumber},
                     {"volume_lt", ColumnKind::kNumber}});
  std::vector<std::size_t> time_order;  // indexes, in the order of the labels' bytes
  for (const auto& [label, index] : tally.times) {
    table.AddColumnHeader("volume_lt " + label, kColumnWidth, ColumnKind::kNumber);
    time_order.push_back(index);
  }
  AddColumns(table, kMeanColumns);
  AddColumns(table, {{"repeats", ColumnKind::kNumber}});

  auto add_row = [&](const std::string& code, const MemberTotals& member) {
    const std::size_t item = table.AddItem();
    table.SetItemText(item, code);
    table.AddSubItem(item, Count(member.days));
    table.AddSubItem(item, Count(member.totals.records));
    table.AddSubItem(item, member.totals.volume.Text());
    for (const std::size_t index : time_order) {
      table.AddSubItem(
          item, index < member.volume_by_time.size() ? member.volume_by_time[index].Text() : "0");
    }
    AddMeans(table, item, member.totals);
    table.AddSubItem(item, Count(member.totals.untested));
    table.AddSubItem(item, Count(member.repeats));
  };
  for (const auto& [code, member] : tally.members) add_row(code, member);
  add_row(kTotal, total);
  return table;
}

// --- The day sheet

struct TimeTotals {
  Totals totals;
  std::int64_t members = 0;
  std::string last_member;
};

struct Day {
  std::string date;
  std::map<std::string, TimeTotals> times;
};

platform::MemoryListView DaySummary(const platform::ListView& records) {
  std::vector<Day> days;
  std::set<std::string> members;
  Totals total;

  if (records.ItemCount() > 0) {
    RecordReader reader(records);
    Record record;
    std::string last_member;
    for (std::size_t item = 0; item < records.ItemCount(); ++item) {
      reader.Read(item, record);
      if (days.empty() || days.back().date != record.date) days.push_back({record.date, {}});
      const auto [time, added] = days.back().times.try_emplace(record.time);
      // A day's records come by member code, so a member's are together at each time.
      if (added || time->second.last_member != record.member) {
        ++time->second.members;
        time->second.last_member = record.member;
      }
      Add(time->second.totals, record);
      if (members.empty() || record.member != last_member) {
        members.insert(record.member);
        last_member = record.member;
      }
    }
  }

  for (const Day& day : days) {
    for (const auto& [time, totals] : day.times) Add(total, totals.totals);
  }

  platform::MemoryListView table;
  AddColumns(table, {{"ne_date", ColumnKind::kText},
                     {"coll_time", ColumnKind::kText},
                     {"members", ColumnKind::kNumber},
                     {"records", ColumnKind::kNumber},
                     {"volume_lt", ColumnKind::kNumber}});
  AddColumns(table, kMeanColumns);

  auto add_row = [&](const std::string& date, const std::string& time, std::int64_t count,
                     const Totals& totals) {
    const std::size_t item = table.AddItem();
    table.SetItemText(item, date);
    table.AddSubItem(item, time);
    table.AddSubItem(item, Count(count));
    table.AddSubItem(item, Count(totals.records));
    table.AddSubItem(item, totals.volume.Text());
    AddMeans(table, item, totals);
    table.AddSubItem(item, Count(totals.untested));
  };
  for (const Day& day : days) {
    for (const auto& [time, totals] : day.times)
      add_row(day.date, time, totals.members, totals.totals);
  }
  add_row(kTotal, "", static_cast<std::int64_t>(members.size()), total);
  return table;
}

}  // namespace

platform::MemoryListView BuildSummary(Summary summary, const platform::ListView& records) {
  return summary == Summary::kMembers ? MemberSummary(records) : DaySummary(records);
}

}  // namespace exporter
