// The summaries of a payment period, built from the records a load listed: the member summary
// (each member's bill) and the day sheet (each date and collection time). Each is a table of its
// own, handed on to the clipboard, the spreadsheet and files as the list itself is.
//
// Numbers are computed exactly in decimal (exact_decimal.h) from the list's number texts; an
// empty text counts as 0. Volumes are written in their shortest exact form; fat, snf, rate,
// commission and amount rounded half away from zero to two decimals, in two-decimal columns.
// fat and snf are means weighted by litres, rate the amount over the litres: empty where the
// litres add up to 0.
#pragma once

#include "platform/controls/memory_list_view.h"

namespace exporter {

enum class Summary { kMembers, kDays };

// The member summary: one row per member code, in the order of the codes' bytes, then a row
// "Total". Columns mem_code, days, records, volume_lt, "volume_lt X" for each collection time X
// (its trailing blanks removed, "(blank)" for none) in the order of their bytes, fat, snf,
// commission, amount, rate, untested (fat or snf empty or 0) and repeats (records beyond the
// first of a member, date and collection time).
//
// The day sheet: one row per date, in the list's order, and collection time, in the order of its
// bytes, then a row "Total". Columns ne_date, coll_time, members, records, volume_lt, fat, snf,
// commission, amount, rate, untested.
//
// `records` is read as a load fills the list: each date's records together, by member code. A
// list without items gives the header and a total row of zeros. Throws RunTimeError 3265 when
// the list has items but lacks one of the columns Mem_Code, ne_date, Coll_Time, Volume_lt, fat,
// snf, ts_comm and rate (letter case ignored), 13 for a number column's text that is not a
// number, 6 for a total beyond 38 digits, and what reading the list throws.
platform::MemoryListView BuildSummary(Summary summary, const platform::ListView& records);

}  // namespace exporter
