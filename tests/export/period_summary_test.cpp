#include "export/period_summary.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "export/exact_decimal.h"
#include "platform/controls/memory_list_view.h"
#include "platform/run_time_error.h"

namespace {

using exporter::ExactDecimal;
using exporter::Summary;
using platform::ColumnKind;
using Rows = std::vector<std::vector<std::string>>;

int ErrorNumberOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const platform::RunTimeError& error) {
    return error.number();
  }
  return 0;
}

TEST(ExactDecimal, SumsProductsAndRoundingAreExact) {
  struct Case {
    std::string a;
    char op;  // '+', '-', '*', '/' (QuotientText) or 'r' (a alone, rounded)
    std::string b;
    std::string shortest;  // of the sum or product; unused for '/' and 'r'
    std::string two_decimals;
  };
  const Case cases[] = {
      {"0.1", '+', "0.2", "0.3", "0.30"},
      {"0.1", '*', "0.1", "0.01", "0.01"},
      {"12.50", '+', "", "12.5", "12.50"},
      {" 7.25 ", '*', "65.10", "471.975", "471.98"},
      {"-7.25", '*', "65.10", "-471.975", "-471.98"},
      {"1.5e+3", '+', "-0", "1500", "1500.00"},
      {"99999999999999999999", '+', "0.123456789012345678",
       "99999999999999999999.123456789012345678", "99999999999999999999.12"},
      {"0.005", 'r', "", "", "0.01"},
      {"-0.005", 'r', "", "", "-0.01"},
      {"0.00499999", 'r', "", "", "0.00"},
      {"-0.001", 'r', "", "", "0.00"},
      {"1.005", '-', "2.0051", "-1.0001", "-1.00"},
      {"0.5", '-', "-0.25", "0.75", "0.75"},
      {"1", '/', "3", "", "0.33"},
      {"2", '/', "3", "", "0.67"},
      {"-2", '/', "3", "", "-0.67"},
      {"1", '/', "8", "", "0.13"},
      {"1225.005", '/', "25.505", "", "48.03"},
      {"0.0001", '/', "1000000", "", "0.00"},
      {"5", '/', "0.0001", "", "50000.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a + " " + c.op + " " + c.b);
    ExactDecimal a = *ExactDecimal::Parse(c.a);
    const ExactDecimal b = *ExactDecimal::Parse(c.b);
    if (c.op == '/') {
      EXPECT_EQ(a.QuotientText(b), c.two_decimals);
      continue;
    }
    if (c.op == '+') a += b;
    if (c.op == '-') a = a - b;
    if (c.op == '*') a = a * b;
    if (c.op != 'r') {
      EXPECT_EQ(a.Text(), c.shortest);
    }
    EXPECT_EQ(a.TwoDecimalText(), c.two_decimals);
    // Rounded to hundredths, the value is the number its two-decimal text writes.
    EXPECT_EQ(a.RoundedToHundredths().TwoDecimalText(), c.two_decimals);
    EXPECT_EQ(ExactDecimal::Parse(c.two_decimals)->Text(), a.RoundedToHundredths().Text());
    EXPECT_EQ(a.HasAtMostTwoDecimals(), a.Text() == a.RoundedToHundredths().Text());
  }
}

TEST(ExactDecimal, NonNumbersAreRefusedAndTooManyDigitsOverflow) {
  for (const char* text : {"abc", "1.2.3", "1e", ".", "-", "12a", "1,5", "0x10"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(ExactDecimal::Parse(text).has_value());
  }
  const ExactDecimal twenty_nines = *ExactDecimal::Parse("99999999999999999999");
  EXPECT_EQ(ErrorNumberOf([&] { (void)(twenty_nines * twenty_nines); }),
            platform::error::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { (void)ExactDecimal::Parse("1e300"); }), platform::error::kOverflow);
}

// The list a load gives: nine columns, and the stored amount when it is read; dates together,
// members in order within a date.
platform::MemoryListView Records(const Rows& rows, bool with_stored = true) {
  platform::MemoryListView list;
  const char* headers[] = {"Mem_Code", "ne_date", "Coll_Time", "Volume_lt", "fat",
                           "snf",      "ts_comm", "rate",      "Amount",    "stored_amount"};
  for (std::size_t column = 0; column < (with_stored ? 10 : 9); ++column) {
    list.AddColumnHeader(headers[column], 1400,
                         column < 3 ? ColumnKind::kText : ColumnKind::kNumber);
  }
  for (const auto& row : rows) {
    const std::size_t item = list.AddItem();
    list.SetItemText(item, row[0]);
    for (std::size_t i = 1; i < row.size(); ++i) list.AddSubItem(item, row[i]);
  }
  return list;
}

Rows TableRows(const platform::MemoryListView& table) {
  Rows rows;
  std::vector<std::string> header;
  for (const auto& column : table.columns()) header.push_back(column.text);
  rows.push_back(header);
  for (const auto& item : table.items()) {
    std::vector<std::string> row = {item.text};
    row.insert(row.end(), item.sub_items.begin(), item.sub_items.end());
    rows.push_back(row);
  }
  return rows;
}

std::string Kinds(const platform::MemoryListView& table) {
  std::string kinds;
  for (const auto& column : table.columns()) {
    kinds += column.kind == ColumnKind::kText     ? 't'
             : column.kind == ColumnKind::kNumber ? 'n'
                                                  : '2';
  }
  return kinds;
}

// Worked by hand; the ninth field, the list's own Amount, is not read. 00001 has a half paisa
// rounded up on its own in each of two records of 2081/01/02 (0.005, where the two together
// would round once to 0.01), the second a repeat whose stored amount is 0, and 0.0045 rounded
// down; its E record of 2081/01/01 comes before its M one. 00002's records are all untested
// (empty, fat 0, fat and snf 0), one at a third collection time and one at "M " with a trailing
// blank. 00003 has no litres, then minus half a litre (-0.005 rounded away from zero), then a
// rate of 0.
const Rows kPeriod = {
    {"00001", "2081/01/01", "E", "5.5", "3", "8", "0.5", "40", "", "220"},
    {"00001", "2081/01/01", "M", "10", "4.5", "8.5", "0.5", "50.25", "", "502.5"},
    {"00002", "2081/01/01", "M", "", "", "", "", "", "", ""},
    {"00002", "2081/01/01", "N", "2", "0", "9", "1", "45.5", "", "91"},
    {"00001", "2081/01/02", "M", "0.5", "5", "9", "0.01", "0.01", "", "0.01"},
    {"00001", "2081/01/02", "M", "0.5", "5", "9", "0", "0.01", "", "0"},
    {"00002", "2081/01/02", "M ", "3", "0", "0", "0", "0.333", "", "1"},
    {"00003", "2081/01/02", "E", "0", "4", "8", "1", "60", "", "0"},
    {"00001", "2081/01/03", "E", "1.5", "4", "8", "0", "0.003", "", "0"},
    {"00003", "2081/01/03", "M", "-0.5", "4", "8", "0.01", "0.01", "", "-0.01"},
    {"00003", "2081/01/03", "E", "2", "4", "8", "0.5", "0", "", "0"},
};

TEST(PeriodSummary, TablesWorkedByHand) {
  struct Case {
    const char* what;
    Summary summary;
    platform::MemoryListView records;
    Rows expected;
    std::string kinds;
  };
  const Case cases[] = {
      {"members",
       Summary::kMembers,
       Records(kPeriod),
       {{"mem_code", "days", "records", "volume_lt M", "volume_lt E", "volume_lt N", "volume_lt",
         "fat", "snf", "rate", "amount", "stored_amount", "difference", "commission", "untested",
         "repeats"},
        {"00001", "3", "5", "11", "7", "0", "18", "4.03", "8.33", "40.14", "722.52", "722.51",
         "0.01", "7.76", "0", "1"},
        {"00002", "2", "3", "3", "0", "2", "5", "0.00", "3.60", "18.40", "92.00", "92.00", "0.00",
         "2.00", "3", "0"},
        {"00003", "2", "3", "-0.5", "2", "0", "1.5", "4.00", "8.00", "-0.01", "-0.01", "-0.01",
         "0.00", "0.99", "0", "0"},
        {"Total", "3", "11", "13.5", "9", "2", "24.5", "3.20", "7.35", "33.25", "814.51", "814.50",
         "0.01", "10.75", "3", "1"}},
       "tnnnnnn2222222nn"},
      {"days",
       Summary::kDays,
       Records(kPeriod),
       {{"ne_date", "coll_time", "members", "records", "volume_lt", "fat", "snf", "commission",
         "amount", "rate", "untested"},
        {"2081/01/01", "M", "2", "2", "10", "4.50", "8.50", "5.00", "502.50", "50.25", "1"},
        {"2081/01/01", "E", "1", "1", "5.5", "3.00", "8.00", "2.75", "220.00", "40.00", "0"},
        {"2081/01/01", "N", "1", "1", "2", "0.00", "9.00", "2.00", "91.00", "45.50", "1"},
        {"2081/01/02", "M", "1", "2", "1", "5.00", "9.00", "0.01", "0.02", "0.02", "0"},
        {"2081/01/02", "M ", "1", "1", "3", "0.00", "0.00", "0.00", "1.00", "0.33", "1"},
        {"2081/01/02", "E", "1", "1", "0", "", "", "0.00", "0.00", "", "0"},
        {"2081/01/03", "M", "1", "1", "-0.5", "4.00", "8.00", "-0.01", "-0.01", "0.02", "0"},
        {"2081/01/03", "E", "2", "2", "3.5", "4.00", "8.00", "1.00", "0.00", "0.00", "0"},
        {"Total", "", "3", "11", "24.5", "3.20", "7.35", "10.75", "814.51", "33.25", "3"}},
       "ttnnn22222n"},
      {"members of an empty range",
       Summary::kMembers,
       Records({}),
       {{"mem_code", "days", "records", "volume_lt", "fat", "snf", "rate", "amount",
         "stored_amount", "difference", "commission", "untested", "repeats"},
        {"Total", "0", "0", "0", "", "", "", "0.00", "0.00", "0.00", "0.00", "0", "0"}},
       "tnnn2222222nn"},
      {"days of an empty range",
       Summary::kDays,
       Records({}),
       {{"ne_date", "coll_time", "members", "records", "volume_lt", "fat", "snf", "commission",
         "amount", "rate", "untested"},
        {"Total", "", "0", "0", "0", "", "", "0.00", "0.00", "", "0"}},
       "ttnnn22222n"},
      {"a blank collection time, in a list without stored amounts",
       Summary::kMembers,
       Records({{"7", "2081/01/01", "  ", "1.5", "4", "8", "0.5", "40", "60"},
                {"7", "2081/01/01", "", "2.5", "4", "8", "0.5", "40", "100"}},
               false),
       {{"mem_code", "days", "records", "volume_lt (blank)", "volume_lt", "fat", "snf", "rate",
         "amount", "commission", "untested", "repeats"},
        {"7", "1", "2", "4", "4", "4.00", "8.00", "40.00", "160.00", "2.00", "0", "1"},
        {"Total", "1", "2", "4", "4", "4.00", "8.00", "40.00", "160.00", "2.00", "0", "1"}},
       "tnnnn22222nn"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const platform::MemoryListView table = exporter::BuildSummary(c.summary, c.records);
    EXPECT_EQ(TableRows(table), c.expected);
    EXPECT_EQ(Kinds(table), c.kinds);
  }
}

// A slip as rows: the member, its collections, then its totals.
Rows SlipRows(const exporter::Slip& slip) {
  Rows rows = {{slip.member}};
  for (const exporter::SlipCollection& c : slip.collections) {
    rows.push_back({c.date, c.time, c.litres, c.fat, c.snf, c.rate, c.amount});
  }
  rows.push_back(
      {slip.litres, slip.fat, slip.snf, slip.amount, slip.commission, slip.stored_amount});
  return rows;
}

TEST(PeriodSummary, SlipsListEachCollectionInTheDaysOrderAndTheBill) {
  const std::vector<Rows> expected = {
      {{"00001"},
       {"2081/01/01", "M", "10.00", "4.50", "8.50", "50.25", "502.50"},
       {"2081/01/01", "E", "5.50", "3.00", "8.00", "40.00", "220.00"},
       {"2081/01/02", "M", "0.50", "5.00", "9.00", "0.01", "0.01"},
       {"2081/01/02", "M", "0.50", "5.00", "9.00", "0.01", "0.01"},
       {"2081/01/03", "E", "1.50", "4.00", "8.00", "0.003", "0.00"},
       {"18.00", "4.03", "8.33", "722.52", "7.76", "722.51"}},
      {{"00002"},
       {"2081/01/01", "M", "0.00", "0.00", "0.00", "0.00", "0.00"},
       {"2081/01/01", "N", "2.00", "0.00", "9.00", "45.50", "91.00"},
       {"2081/01/02", "M", "3.00", "0.00", "0.00", "0.333", "1.00"},
       {"5.00", "0.00", "3.60", "92.00", "2.00", ""}},
      {{"00003"},
       {"2081/01/02", "E", "0.00", "4.00", "8.00", "60.00", "0.00"},
       {"2081/01/03", "M", "-0.50", "4.00", "8.00", "0.01", "-0.01"},
       {"2081/01/03", "E", "2.00", "4.00", "8.00", "0.00", "0.00"},
       {"1.50", "4.00", "8.00", "-0.01", "0.99", ""}},
  };
  std::vector<Rows> slips;
  for (const exporter::Slip& slip : exporter::BuildSlips(Records(kPeriod))) {
    slips.push_back(SlipRows(slip));
  }
  EXPECT_EQ(slips, expected);
  EXPECT_TRUE(exporter::BuildSlips(Records({})).empty());
}

TEST(PeriodSummary, ListsItCannotSummariseAreRefused) {
  platform::MemoryListView no_rate;
  no_rate.AddColumnHeader("Mem_Code", 1400, ColumnKind::kText);
  no_rate.SetItemText(no_rate.AddItem(), "00001");
  struct Case {
    const char* what;
    platform::MemoryListView list;
    int error;
  };
  const Case cases[] = {
      {"a column missing", no_rate, platform::error::kItemNotFound},
      {"a volume that is not a number",
       Records({{"00001", "2081/01/01", "M", "1.2.3", "4", "8", "0", "1", "1"}}),
       platform::error::kTypeMismatch},
      {"a total past 38 digits",
       Records({{"1", "2081/01/01", "M", "99999999999999999999", "4", "8", "0",
                 "99999999999999999999", "1"}}),
       platform::error::kOverflow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const Summary summary : {Summary::kMembers, Summary::kDays}) {
      EXPECT_EQ(ErrorNumberOf([&] { exporter::BuildSummary(summary, c.list); }), c.error);
    }
  }
}

}  // namespace
