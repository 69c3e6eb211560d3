// What a day of a load's range costs when the table has no records of it: ranges of days past the
// sample table's last day, and the whole calendar, loaded from the small sample table through
// the real provider. Run from the repository's folder, or name the table in KOLVEX_SMALL_TABLE.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "calendar/cdn_date.h"
#include "data/load_data.h"
#include "platform/controls/memory_list_view.h"

namespace {

std::string SmallTable() {
  const char* table = std::getenv("KOLVEX_SMALL_TABLE");
  return table != nullptr ? table : "samples/TRAN.dbf";
}

void Load(benchmark::State& state, const std::string& from, const std::string& to, int days) {
  const std::string table = SmallTable();
  for (auto _ : state) {
    platform::MemoryListView list;
    data::LoadData(list, table, from, to);
    benchmark::DoNotOptimize(list.ItemCount());
  }
  state.SetItemsProcessed(state.iterations() * days);
}

// Days the table holds no record of; items are days.
void BM_EmptyDays(benchmark::State& state) {
  const auto days = static_cast<int>(state.range(0));
  const std::string from = "2090/01/01";
  Load(state, from, cdnDate::AddBsDays(from, days - 1), days);
}
BENCHMARK(BM_EmptyDays)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The whole calendar, once.
void BM_WholeCalendar(benchmark::State& state) {
  std::string first = "1500/01/01";
  std::string last = "5000/12/30";
  const int days = cdnDate::BsDaysBetween(first, last) + 1;
  Load(state, first, last, days);
}
BENCHMARK(BM_WholeCalendar)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
