// The summaries of a payment period, built from the records a load listed: the member summary
// (each member's bill), the day sheet (each date and collection time) and each member's slip
// (the bill with its collections). The summaries are tables of their own, handed on to the
// clipboard, the spreadsheet and files as the list itself is.
//
// Numbers are computed exactly in decimal (exact_decimal.h) from the list's number texts; an
// empty text counts as 0. A record's amount is its litres times its rate and its commission its
// litres times its ts_comm, each rounded half away from zero to the paisa on its own, as the
// collection software rounds the amount it stores; a bill's amount and commission are the sums
// of its records' rounded figures, and every total row the sum of the rows above it, so the
// bills add up to their total exactly and the day sheet's totals are the bills'. Volumes are
// written in their shortest exact form; money, fat, snf and rate with two decimals. fat and snf
// are means weighted by litres, rate the amount over the litres, rounded half away from zero
// from the exact quotient: empty where the litres add up to 0.
//
// Collection times are ordered as a day runs: M (morning), then E (evening), then any other
// time in the order of its bytes.
#pragma once

#include <string>
#include <vector>

#include "platform/controls/memory_list_view.h"

namespace exporter {

enum class Summary { kMembers, kDays };

// The list column a load made to read with the records, beside the computed Amount: the table's
// own AMOUNT of each record, as stored.
inline constexpr char kStoredAmountColumn[] = "stored_amount";

// The member summary: one row per member code, in the order of the codes' bytes, then a row
// "Total". Columns mem_code, days, records, "volume_lt X" for each collection time X (its
// trailing blanks removed, "(blank)" for none), volume_lt, fat, snf, rate, amount, then, when
// the list has the column kStoredAmountColumn, stored_amount (the sum of the table's own
// amounts) and difference (amount less stored_amount), then commission, untested (fat or snf
// empty or 0) and repeats (records beyond the first of a member, date and collection time).
// The total row's days are the dates with any record.
//
// The day sheet: one row per date, in the list's order, and collection time, then a row "Total".
// Columns ne_date, coll_time, members, records, volume_lt, fat, snf, commission, amount, rate,
// untested.
//
// `records` is read as a load fills the list: each date's records together, by member code. A
// list without items gives the header and a total row of zeros. Throws RunTimeError 3265 when
// the list has items but lacks one of the columns Mem_Code, ne_date, Coll_Time, Volume_lt, fat,
// snf, ts_comm and rate (letter case ignored), 13 for a number column's text that is not a
// number, 6 for a total beyond 38 digits, and what reading the list throws.
platform::MemoryListView BuildSummary(Summary summary, const platform::ListView& records);

// One collection on a slip, as texts: litres as read, fat, snf and rate with two decimals (or
// every decimal they have beyond two), the amount rounded to the paisa.
struct SlipCollection {
  std::string date;
  std::string time;
  std::string litres;
  std::string fat;
  std::string snf;
  std::string rate;
  std::string amount;
};

// One member's slip: its collections by date and collection time, and the figures of its bill
// as the member summary writes them. `stored_amount` is empty when it equals `amount` or the
// list has no stored amounts.
struct Slip {
  std::string member;
  std::vector<SlipCollection> collections;
  std::string litres;
  std::string fat;
  std::string snf;
  std::string amount;
  std::string commission;
  std::string stored_amount;
};

// The slips of the members of BuildSummary's member summary, in its order. Throws as
// BuildSummary does.
std::vector<Slip> BuildSlips(const platform::ListView& records);

}  // namespace exporter
