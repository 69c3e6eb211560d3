// Filling the window's list: rows appended to the Qt list on a shown item view against the list
// held in memory, and a whole load of the sample table into each.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "data/load_data.h"
#include "platform/controls/memory_list_view.h"
#include "platform/qt/list_view.h"

namespace {

void Fill(platform::ListView& list, int rows) {
  list.ClearColumnHeaders();
  list.ClearItems();
  for (int column = 0; column < 9; ++column)
    list.AddColumnHeader("column", 1400, platform::ColumnKind::kText);
  for (int row = 0; row < rows; ++row) {
    const std::size_t item = list.AddItem();
    list.SetItemText(item, std::to_string(row));
    for (int sub_item = 0; sub_item < 8; ++sub_item) list.AddSubItem(item, "2081/01/01");
  }
}

void BM_AppendRowsToMemoryList(benchmark::State& state) {
  platform::MemoryListView list;
  for (auto _ : state) Fill(list, static_cast<int>(state.range(0)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendRowsToMemoryList)->Arg(1000)->Arg(36000)->Unit(benchmark::kMillisecond);

void BM_AppendRowsToShownQtList(benchmark::State& state) {
  QTreeView view;
  platform::qt::QtListView list(view);
  view.resize(900, 300);
  view.show();
  for (auto _ : state) {
    Fill(list, static_cast<int>(state.range(0)));
    QApplication::processEvents();  // the repaint that follows the load
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendRowsToShownQtList)->Arg(1000)->Arg(36000)->Unit(benchmark::kMillisecond);

const std::string kSample = KOLVEX_SOURCE_DIR "/samples/TRAN.dbf";

void LoadSample(benchmark::State& state, platform::ListView& list) {
  if (!std::filesystem::exists(kSample)) {
    state.SkipWithError("no sample table");
    return;
  }
  for (auto _ : state) {
    data::LoadData(list, kSample, "2081/01/01", "2081/03/31");
    QApplication::processEvents();
  }
  state.counters["rows"] = static_cast<double>(list.ItemCount());
}

void BM_LoadSampleIntoMemoryList(benchmark::State& state) {
  platform::MemoryListView list;
  LoadSample(state, list);
}
BENCHMARK(BM_LoadSampleIntoMemoryList)->Unit(benchmark::kMillisecond);

void BM_LoadSampleIntoShownQtList(benchmark::State& state) {
  QTreeView view;
  platform::qt::QtListView list(view);
  view.resize(900, 300);
  view.show();
  LoadSample(state, list);
}
BENCHMARK(BM_LoadSampleIntoShownQtList)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char* argv[]) {
  setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
