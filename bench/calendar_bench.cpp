// The calendar's costs: building the month-length table, and one call of each BS date function
// on dates of this century, text reading and writing included.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "calendar/cdn_date.h"
#include "platform/system/date_services.h"
#include "tests/calendar/reference_walk.h"

namespace {

constexpr std::size_t kSamples = 1024;  // a power of two, cycled through by the loops

// AD dates from 2000/01/01 to 2099/12/31 as text, in random order.
std::vector<std::string> AdDatesOfThisCentury() {
  using namespace std::chrono;
  std::mt19937 random(2079);
  std::uniform_int_distribution<int> day(0, 36524);
  std::vector<std::string> dates;
  for (std::size_t i = 0; i < kSamples; ++i) {
    const year_month_day date(sys_days(year(2000) / 1 / 1) + days(day(random)));
    dates.push_back(platform::DateToText({static_cast<int>(date.year()),
                                          static_cast<int>(static_cast<unsigned>(date.month())),
                                          static_cast<int>(static_cast<unsigned>(date.day()))}));
  }
  return dates;
}

std::vector<std::string> BsDatesOfThisCentury() {
  std::vector<std::string> dates;
  for (const std::string& ad : AdDatesOfThisCentury()) dates.push_back(cdnDate::AdToBs(ad));
  return dates;
}

void BM_BuildMonthTable(benchmark::State& state) {
  for (auto _ : state) {
    cdnDate::BuildMonthTable();
    benchmark::DoNotOptimize(cdnDate::MonthDays.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BuildMonthTable)->Unit(benchmark::kMicrosecond);

// Each conversion of the given kind, cdnDate's own or, for scale, the plain month-by-month walk
// that the calendar is held to.
template <std::string (*Convert)(const std::string&)>
void BM_AdToBs(benchmark::State& state) {
  const std::vector<std::string> dates = AdDatesOfThisCentury();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Convert(dates[i++ % kSamples]));
  }
}
BENCHMARK_TEMPLATE(BM_AdToBs, cdnDate::AdToBs);
BENCHMARK_TEMPLATE(BM_AdToBs, reference::AdToBs);

void BM_AddBsDays(benchmark::State& state) {
  const std::vector<std::string> dates = BsDatesOfThisCentury();
  std::mt19937 random(2080);
  std::uniform_int_distribution<std::int32_t> count(0, 3650);
  std::vector<std::int32_t> counts(kSamples);
  for (std::int32_t& c : counts) c = count(random);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(cdnDate::AddBsDays(dates[i % kSamples], counts[i % kSamples]));
    ++i;
  }
}
BENCHMARK(BM_AddBsDays);

// The pairs are given in order, as the callers mostly do, so the write-back changes nothing
// and the same variables serve every round.
void BM_BsDaysBetween(benchmark::State& state) {
  const std::vector<std::string> dates = BsDatesOfThisCentury();
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t i = 0; i < kSamples; ++i) {
    const std::string& a = dates[i];
    const std::string& b = dates[(i * 7 + 3) % kSamples];
    pairs.emplace_back(std::min(a, b), std::max(a, b));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    auto& [first, second] = pairs[i++ % kSamples];
    benchmark::DoNotOptimize(cdnDate::BsDaysBetween(first, second));
  }
}
BENCHMARK(BM_BsDaysBetween);

}  // namespace
