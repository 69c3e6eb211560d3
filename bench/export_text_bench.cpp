// The export text and the typed clipboard flavours of a full list: nine columns, one row per
// record, as a season of collections at a busy centre gives it.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

#include "export/export_text.h"
#include "platform/controls/memory_list_view.h"
#include "tests/support/whole_forms.h"

namespace {

platform::MemoryListView MakeList(std::size_t rows) {
  platform::MemoryListView list;
  for (const char* column : {"Mem_Code", "ne_date", "Coll_Time", "Volume_lt", "fat", "snf",
                             "ts_comm", "rate", "Amount"}) {
    const bool number = column[0] != 'M' && column[0] != 'n' && column[0] != 'C';
    list.AddColumnHeader(column, 1000,
                         number ? platform::ColumnKind::kNumber : platform::ColumnKind::kText);
  }
  for (std::size_t row = 0; row < rows; ++row) {
    std::size_t item = list.AddItem();
    list.SetItemText(item, std::to_string(10000 + row % 500));
    for (const char* field : {"2079/05/12", "M", "12.5", "4.2", "8.1", "0.5", "55.25", "690.63"}) {
      list.AddSubItem(item, field);
    }
  }
  return list;
}

void BM_BuildExportText(benchmark::State& state) {
  const platform::MemoryListView list = MakeList(static_cast<std::size_t>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = exporter::BuildExportText(list);
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_BuildExportText)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Everything "Export to Excel" puts on the clipboard beside the text: SYLK, the Gnumeric range
// and the Windows HTML, built in one pass over the list.
void BM_BuildClipboardFlavours(benchmark::State& state) {
  const platform::MemoryListView list = MakeList(static_cast<std::size_t>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::vector<platform::ClipboardFlavour> flavours = support::BuildClipboardFlavours(list);
    bytes = 0;
    for (const platform::ClipboardFlavour& flavour : flavours) bytes += flavour.data.size();
    benchmark::DoNotOptimize(flavours);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_BuildClipboardFlavours)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// What any form of `range(0)` bytes costs at the least, whatever makes it: pieces of 64 KiB
// appended to a buffer made room for once, the first touch of fresh memory. The sizes are the
// plain text's, SYLK's and the Gnumeric range's for the 1,000,000 rows of export_bench.py.
void BM_FreshBytes(benchmark::State& state) {
  const std::string piece(std::size_t{1} << 16, 'x');
  const auto size = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    std::string bytes;
    bytes.reserve(size);
    while (bytes.size() + piece.size() <= size) bytes += piece;
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FreshBytes)
    ->Arg(50391068)
    ->Arg(189391313)
    ->Arg(561391800)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
