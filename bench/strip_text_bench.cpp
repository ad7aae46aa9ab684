// Times fitting a long CLASS level into a panel strip: the template renderer's cut
// (bisection over character boundaries) against cutting one character at a time and
// measuring the whole text again, on levels of 1,000 to 32,767 characters.
//   strip_text_bench
#include <benchmark/benchmark.h>

#include <string>

#include "graph/template_canvas.h"
#include "graph/template_parts.h"

namespace {

using plat::graph::text_style;

// The cut as it was: drop the last character, measure again.
std::string cut_one_by_one(const std::string& s, const text_style& t, double width) {
  if (plat::graph::text_advance(s, t) <= width) return s;
  std::string cut = s;
  while (!cut.empty()) {
    cut.pop_back();
    while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) cut.pop_back();
    if (plat::graph::text_advance(cut + "\xE2\x80\xA6", t) <= width) return cut + "\xE2\x80\xA6";
  }
  return std::string();
}

text_style strip_style() {
  text_style t;
  t.size = plat::graph::kStripSize;
  return t;
}

void BM_FitTextBisection(benchmark::State& state) {
  const std::string level(static_cast<std::size_t>(state.range(0)), 'w');
  const text_style t = strip_style();
  for (auto _ : state) benchmark::DoNotOptimize(plat::graph::fit_text(level, t, 180));
}

void BM_FitTextOneByOne(benchmark::State& state) {
  const std::string level(static_cast<std::size_t>(state.range(0)), 'w');
  const text_style t = strip_style();
  for (auto _ : state) benchmark::DoNotOptimize(cut_one_by_one(level, t, 180));
}

}  // namespace

BENCHMARK(BM_FitTextBisection)->Arg(1000)->Arg(8000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitTextOneByOne)->Arg(1000)->Arg(8000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
