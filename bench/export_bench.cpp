// The loader and the three file formats in process, without the table reader: 31 days of 1,000
// records served by the fake provider, then the list written as export text, csv and xlsx. With
// KOLVEX_BENCH_TABLE naming a generated TRAN.dbf, also the load from that table through the real
// provider (the whole-process figures come from export_bench.py).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "calendar/cdn_date.h"
#include "data/load_data.h"
#include "export/export_text.h"
#include "export/file_formats.h"
#include "platform/controls/memory_list_view.h"
#include "tests/fakes/fake_provider.h"

namespace {

using platform::db::Value;
using Kind = platform::db::Value::Kind;

constexpr int kDays = 31;
constexpr int kRecordsPerDay = 1000;
const std::string kFrom = "2082/04/26";

std::string DayKey(const std::string& date) {
  return date.substr(8, 2) + "/" + date.substr(5, 2) + "/" + date.substr(0, 4);
}

fakes::FakeProvider& MonthProvider() {
  static fakes::FakeProvider* provider = [] {
    auto* fake = new fakes::FakeProvider;
    for (int day = 0; day < kDays; ++day) {
      const std::string key = DayKey(cdnDate::AddBsDays(kFrom, day));
      std::vector<std::vector<Value>> rows;
      for (int i = 0; i < kRecordsPerDay; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "%05d", i / 2 + 1);
        rows.push_back({Value::Of(Kind::kText, code), Value::Of(Kind::kText, key),
                        Value::Of(Kind::kText, i % 2 ? "E" : "M"),
                        Value::Of(Kind::kNumber, "12.35"), Value::Of(Kind::kNumber, "4.5"),
                        Value::Of(Kind::kNumber, "8.2"), Value::Of(Kind::kNumber, "0.5"),
                        Value::Of(Kind::kNumber, "38.25"), Value::Of(Kind::kNumber, "472.3875")});
      }
      fake->SetRows(
          "Select Mem_Code,ne_date,Coll_Time,Volume_lt,fat_Per as fat,snf,ts_comm,rate,"
          "Volume_lt*rate as Amount from TRAN Where ne_date='" +
              key + "' order by ne_date, Mem_Code",
          std::move(rows));
    }
    return fake;
  }();
  return *provider;
}

std::string LastDay() { return cdnDate::AddBsDays(kFrom, kDays - 1); }

const platform::MemoryListView& MonthList() {
  static const platform::MemoryListView list = [] {
    platform::MemoryListView loaded;
    data::LoadData(loaded, "TRAN.dbf", kFrom, LastDay(), MonthProvider());
    return loaded;
  }();
  return list;
}

void BM_LoadMonthFromFakeProvider(benchmark::State& state) {
  fakes::FakeProvider& provider = MonthProvider();
  const std::string last = LastDay();
  for (auto _ : state) {
    platform::MemoryListView list;
    data::LoadData(list, "TRAN.dbf", kFrom, last, provider);
    benchmark::DoNotOptimize(list.ItemCount());
  }
  state.SetItemsProcessed(state.iterations() * kDays * kRecordsPerDay);
}
BENCHMARK(BM_LoadMonthFromFakeProvider)->Unit(benchmark::kMillisecond);

void BM_ExportText(benchmark::State& state) {
  const platform::MemoryListView& list = MonthList();
  for (auto _ : state) benchmark::DoNotOptimize(exporter::BuildExportText(list));
}
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond);

void BM_CsvText(benchmark::State& state) {
  const platform::MemoryListView& list = MonthList();
  for (auto _ : state) benchmark::DoNotOptimize(exporter::BuildCsvText(list));
}
BENCHMARK(BM_CsvText)->Unit(benchmark::kMillisecond);

void BM_XlsxFile(benchmark::State& state) {
  const platform::MemoryListView& list = MonthList();
  const std::string path = "/tmp/kolvex_export_bench_" + std::to_string(::getpid()) + ".xlsx";
  for (auto _ : state) exporter::WriteXlsxFile(list, path);
  ::unlink(path.c_str());
}
BENCHMARK(BM_XlsxFile)->Unit(benchmark::kMillisecond);

void BM_LoadMonthFromTable(benchmark::State& state) {
  const char* table = std::getenv("KOLVEX_BENCH_TABLE");
  if (table == nullptr) {
    state.SkipWithError("set KOLVEX_BENCH_TABLE to a generated TRAN.dbf");
    return;
  }
  const std::string from = state.range(0) == 0 ? kFrom : "2081/01/06";
  const std::string to = cdnDate::AddBsDays(from, kDays - 1);
  for (auto _ : state) {
    platform::MemoryListView list;
    data::LoadData(list, table, from, to);
    benchmark::DoNotOptimize(list.ItemCount());
  }
}
BENCHMARK(BM_LoadMonthFromTable)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
