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

// The list's columns a summary reads, in this order; the stored amount may be missing.
enum Field { kMember, kDate, kTime, kVolume, kFat, kSnf, kCommission, kRate, kStored, kFieldCount };
constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "Mem_Code", "ne_date", "Coll_Time", "Volume_lt",        "fat",
    "snf",      "ts_comm", "rate",      kStoredAmountColumn};
constexpr std::size_t kMissing = SIZE_MAX;

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
      if (field == kStored) {
        column = kMissing;
      } else {
        throw platform::RunTimeError(platform::error::kItemNotFound,
                                     "the list has no column " + std::string(kFieldNames[field]) +
                                         " to summarise. Load the records again.");
      }
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
  ExactDecimal commission;  // of rounded figures
  ExactDecimal amount;      // of rounded figures
  ExactDecimal stored;
  std::int64_t untested = 0;
};

// One record's numbers, read once.
struct Record {
  std::string member;
  std::string date;
  std::string time;
  ExactDecimal volume;
  ExactDecimal fat;
  ExactDecimal snf;
  ExactDecimal rate;
  ExactDecimal commission;  // rounded to the paisa
  ExactDecimal amount;      // rounded to the paisa
  ExactDecimal stored;
  bool untested = false;
};

// Sums are exact, so a total row adds up the rows' totals instead of every record again.
void Add(Totals& totals, const Totals& part) {
  totals.records += part.records;
  totals.volume += part.volume;
  totals.volume_fat += part.volume_fat;
  totals.volume_snf += part.volume_snf;
  totals.commission += part.commission;
  totals.amount += part.amount;
  totals.stored += part.stored;
  totals.untested += part.untested;
}

void Add(Totals& totals, const Record& record) {
  ++totals.records;
  totals.volume += record.volume;
  totals.volume_fat += record.volume * record.fat;
  totals.volume_snf += record.volume * record.snf;
  totals.commission += record.commission;
  totals.amount += record.amount;
  totals.stored += record.stored;
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
    record.volume = Number(item, kVolume);
    record.fat = Number(item, kFat);
    record.snf = Number(item, kSnf);
    record.rate = Number(item, kRate);
    record.commission = (record.volume * Number(item, kCommission)).RoundedToHundredths();
    record.amount = (record.volume * record.rate).RoundedToHundredths();
    record.stored = columns_[kStored] != kMissing ? Number(item, kStored) : ExactDecimal();
    record.untested = record.fat.IsZero() || record.snf.IsZero();
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

// A collection time as a column of the member summary and a slip name it.
std::string TimeLabel(std::string_view time) {
  while (!time.empty() && time.back() == ' ') time.remove_suffix(1);
  return time.empty() ? "(blank)" : std::string(time);
}

// The order of collection times in a day: M, E, then the others by their bytes; trailing blanks
// do not change a time's place among the others.
struct DayOrder {
  static int Rank(std::string_view time) {
    while (!time.empty() && time.back() == ' ') time.remove_suffix(1);
    return time == "M" ? 0 : time == "E" ? 1 : 2;
  }
  bool operator()(const std::string& a, const std::string& b) const {
    const int rank_a = Rank(a);
    const int rank_b = Rank(b);
    return rank_a != rank_b ? rank_a < rank_b : a < b;
  }
};

std::string Count(std::int64_t count) { return std::to_string(count); }

// A figure of a record as a slip shows it: two decimals, or all its decimals when it has more.
std::string Figure(const ExactDecimal& value) {
  return value.HasAtMostTwoDecimals() ? value.TwoDecimalText() : value.Text();
}

std::string Mean(const ExactDecimal& weighted, const ExactDecimal& volume) {
  return volume.IsZero() ? "" : weighted.QuotientText(volume);
}

void AddColumns(platform::MemoryListView& table,
                std::initializer_list<std::pair<const char*, ColumnKind>> columns) {
  for (const auto& [text, kind] : columns) table.AddColumnHeader(text, kColumnWidth, kind);
}

// --- The member summary

// A collection kept for a member's slip, with its place in the period.
struct Collection {
  std::size_t day;  // the date's place among the dates of the list
  SlipCollection texts;
};

struct MemberTotals {
  Totals totals;
  std::vector<ExactDecimal> volume_by_time;  // by the time's index in the order first met
  std::int64_t days = 0;
  std::int64_t repeats = 0;
  std::size_t last_date = SIZE_MAX;
  std::vector<Collection> collections;  // kept for slips only
};

// The records' totals by member, and the collection times and dates met.
struct MemberTally {
  std::map<std::string, MemberTotals> members;
  std::map<std::string, std::size_t, DayOrder> times;  // label -> index in the order first met
  std::size_t dates = 0;
  bool has_stored = false;
};

MemberTally TallyMembers(const platform::ListView& records, bool keep_collections) {
  MemberTally tally;
  for (std::size_t column = 0; column < records.ColumnHeaderCount(); ++column) {
    if (SameName(records.ColumnHeaderText(column), kStoredAmountColumn)) tally.has_stored = true;
  }
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
    const std::string label = TimeLabel(record.time);
    const std::size_t time_index = tally.times.try_emplace(label, tally.times.size()).first->second;

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
    if (keep_collections) {
      member->collections.push_back(
          {tally.dates,
           {record.date, label, Figure(record.volume), Figure(record.fat), Figure(record.snf),
            Figure(record.rate), record.amount.TwoDecimalText()}});
    }
  }
  return tally;
}

// A member's stored amount as its row writes it: the total row adds up these.
ExactDecimal StoredFigure(const Totals& totals) { return totals.stored.RoundedToHundredths(); }

platform::MemoryListView MemberSummary(const platform::ListView& records) {
  const MemberTally tally = TallyMembers(records, false);
  MemberTotals total;
  total.volume_by_time.resize(tally.times.size());
  for (const auto& [code, member] : tally.members) {
    Totals rounded = member.totals;
    rounded.stored = StoredFigure(member.totals);
    Add(total.totals, rounded);
    for (std::size_t time = 0; time < member.volume_by_time.size(); ++time) {
      total.volume_by_time[time] += member.volume_by_time[time];
    }
    total.repeats += member.repeats;
  }
  total.days = static_cast<std::int64_t>(tally.dates);

  platform::MemoryListView table;
  AddColumns(table, {{"mem_code", ColumnKind::kText},
                     {"days", ColumnKind::kNumber},
                     {"records", ColumnKind::kNumber}});
  for (const auto& [label, index] : tally.times) {
    table.AddColumnHeader("volume_lt " + label, kColumnWidth, ColumnKind::kNumber);
  }
  AddColumns(table, {{"volume_lt", ColumnKind::kNumber},
                     {"fat", ColumnKind::kTwoDecimals},
                     {"snf", ColumnKind::kTwoDecimals},
                     {"rate", ColumnKind::kTwoDecimals},
                     {"amount", ColumnKind::kTwoDecimals}});
  if (tally.has_stored) {
    AddColumns(table, {{"stored_amount", ColumnKind::kTwoDecimals},
                       {"difference", ColumnKind::kTwoDecimals}});
  }
  AddColumns(table, {{"commission", ColumnKind::kTwoDecimals},
                     {"untested", ColumnKind::kNumber},
                     {"repeats", ColumnKind::kNumber}});

  auto add_row = [&](const std::string& code, const MemberTotals& member) {
    const Totals& totals = member.totals;
    const std::size_t item = table.AddItem();
    table.SetItemText(item, code);
    table.AddSubItem(item, Count(member.days));
    table.AddSubItem(item, Count(totals.records));
    for (const auto& [label, index] : tally.times) {
      table.AddSubItem(
          item, index < member.volume_by_time.size() ? member.volume_by_time[index].Text() : "0");
    }
    table.AddSubItem(item, totals.volume.Text());
    table.AddSubItem(item, Mean(totals.volume_fat, totals.volume));
    table.AddSubItem(item, Mean(totals.volume_snf, totals.volume));
    table.AddSubItem(item, Mean(totals.amount, totals.volume));
    table.AddSubItem(item, totals.amount.TwoDecimalText());
    if (tally.has_stored) {
      const ExactDecimal stored = StoredFigure(totals);
      table.AddSubItem(item, stored.TwoDecimalText());
      table.AddSubItem(item, (totals.amount - stored).TwoDecimalText());
    }
    table.AddSubItem(item, totals.commission.TwoDecimalText());
    table.AddSubItem(item, Count(totals.untested));
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
  std::map<std::string, TimeTotals, DayOrder> times;
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
                     {"volume_lt", ColumnKind::kNumber},
                     {"fat", ColumnKind::kTwoDecimals},
                     {"snf", ColumnKind::kTwoDecimals},
                     {"commission", ColumnKind::kTwoDecimals},
                     {"amount", ColumnKind::kTwoDecimals},
                     {"rate", ColumnKind::kTwoDecimals},
                     {"untested", ColumnKind::kNumber}});

  auto add_row = [&](const std::string& date, const std::string& time, std::int64_t count,
                     const Totals& totals) {
    const std::size_t item = table.AddItem();
    table.SetItemText(item, date);
    table.AddSubItem(item, time);
    table.AddSubItem(item, Count(count));
    table.AddSubItem(item, Count(totals.records));
    table.AddSubItem(item, totals.volume.Text());
    table.AddSubItem(item, Mean(totals.volume_fat, totals.volume));
    table.AddSubItem(item, Mean(totals.volume_snf, totals.volume));
    table.AddSubItem(item, totals.commission.TwoDecimalText());
    table.AddSubItem(item, totals.amount.TwoDecimalText());
    table.AddSubItem(item, Mean(totals.amount, totals.volume));
    table.AddSubItem(item, Count(totals.untested));
  };
  for (const Day& day : days) {
    for (const auto& [time, totals] : day.times) {
      add_row(day.date, time, totals.members, totals.totals);
    }
  }
  add_row(kTotal, "", static_cast<std::int64_t>(members.size()), total);
  return table;
}

}  // namespace

platform::MemoryListView BuildSummary(Summary summary, const platform::ListView& records) {
  return summary == Summary::kMembers ? MemberSummary(records) : DaySummary(records);
}

std::vector<Slip> BuildSlips(const platform::ListView& records) {
  MemberTally tally = TallyMembers(records, true);
  std::vector<Slip> slips;
  slips.reserve(tally.members.size());
  for (auto& [code, member] : tally.members) {
    std::stable_sort(member.collections.begin(), member.collections.end(),
                     [](const Collection& a, const Collection& b) {
                       if (a.day != b.day) return a.day < b.day;
                       return DayOrder()(a.texts.time, b.texts.time);
                     });
    const Totals& totals = member.totals;
    Slip& slip = slips.emplace_back();
    slip.member = code;
    for (Collection& collection : member.collections) {
      slip.collections.push_back(std::move(collection.texts));
    }
    slip.litres = Figure(totals.volume);
    slip.fat = Mean(totals.volume_fat, totals.volume);
    slip.snf = Mean(totals.volume_snf, totals.volume);
    slip.amount = totals.amount.TwoDecimalText();
    slip.commission = totals.commission.TwoDecimalText();
    const std::string stored = StoredFigure(totals).TwoDecimalText();
    if (tally.has_stored && stored != slip.amount) slip.stored_amount = stored;
  }
  return slips;
}

}  // namespace exporter
