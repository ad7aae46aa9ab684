// A histogram's vertical axis keeps its scale, through the built runner in both
// renderers: a percent axis shows no value past 100, a proportion axis none past 1,
// and no axis a value below 0 beside bars standing on 0, however tall a fitted curve
// rises over narrow data, however many cells hold one value (a bar of 100 %), and
// whatever room a box at the top asks for; and no two neighbouring values of an axis
// read alike, however narrow the data's range beside their size. Checked by the graph
// rules' reading of each axis (tick-off-scale, ticks-order), over data drawn from
// seeded generators.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/svg_rules.h"
#include "support/test_settings.h"
#include "support/value_scales.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

// Values of cells a and b, normal about `centre` with spread `sd` (rounded to a
// hundredth, so that ties come too), and cell c of one value.
void write_data(const fs::path& file, unsigned seed, double centre, double sd) {
  std::mt19937_64 gen(seed);
  std::normal_distribution<double> normal(centre, sd);
  std::ofstream out(file);
  out << "g,x\n";
  for (int i = 0; i < 40; ++i) out << (i % 2 ? "a" : "b") << ',' << std::round(normal(gen) * 100) / 100 << "\n";
  out << "c," << centre << "\n";
}

// Runs the program in the renderer given; the graph files' contents, by name.
std::vector<std::pair<std::string, std::string>> run(const fs::path& dir, const std::string& program,
                                                     const std::string& renderer, std::string* log) {
  int status = -1;
  auto files = kes_test::run_graphs(dir, program, renderer, &status, log);
  EXPECT_EQ(status, 0) << program << *log;
  return files;
}

TEST(RunnerHistogramScale, NoTickPassesTheScaleOfTheVerticalAxis) {
  kes_test::scratch_dir dir{"hist-scale"};
  // Bins ten wide over values a fraction of a unit apart: a fitted density's peak is
  // many times the tallest bar.
  const char* const vscales[] = {"", "vscale=percent", "vscale=count", "vscale=proportion"};
  const char* const curves[] = {"",
                                "normal",
                                "lognormal",
                                "kernel",
                                "normal lognormal",
                                "normal hanging",
                                "normal(mu=est sigma=0.05) cfill=blue"};
  const char* const cells[] = {"", "class g;"};
  const char* const boxes[] = {"", "inset n mean std / position=ne;"};
  const struct {
    unsigned seed;
    double centre, sd;
  } data[] = {{7, 50, 0.4}, {31, 3, 0.05}};
  int graphs = 0;
  // Under the sanitizers every fifth run of the table (5 is prime to the 2 renderers
  // and 7 curves, so each curve runs in both): each finds the same code paths.
  std::size_t index = 0;
  int runs = 0;
  for (const auto& d : data) {
    write_data(dir.path() / "d.csv", d.seed, d.centre, d.sd);
    const double lo = std::floor(d.centre) - 10, hi = std::floor(d.centre) + 10;
    std::ostringstream mid;
    mid << "midpoints=" << lo << " to " << hi << " by 10";
    for (const char* cell : cells)
      for (const char* box : boxes)
        for (const char* vscale : vscales)
          for (const char* curve : curves) {
            const std::string program = std::string("proc kestravine data=d noprint; var x; ") + cell +
                                        " histogram x / " + mid.str() + " " + curve + " " + vscale + "; " + box +
                                        " run;\n";
            for (const char* renderer : {"template", "device"}) {
              if (!kes_test::sanitized_share(index++, 5)) continue;
              ++runs;
              SCOPED_TRACE(std::string(renderer) + ": " + program);
              std::string log;
              for (const auto& [name, svg] : run(dir.path(), program, renderer, &log)) {
                ++graphs;
                for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg))
                  EXPECT_NE(f.rule, kes_test::kRuleTickOffScale) << name << ": " << f.detail;
              }
            }
          }
  }
  EXPECT_GE(graphs, runs / 2);  // 2 * 2 * 2 * 4 * 7 of as many runs again in a plain run
}

TEST(RunnerHistogramScale, NeighbouringTickValuesNeverReadAlike) {
  kes_test::scratch_dir dir{"tick-texts"};
  // Values a thousandth to a millionth of their size apart, at sizes from 1e-300 to
  // the largest doubles: the axis values need more digits than their size suggests.
  const double centres[] = {-1.368e308, 1.6e308, 1e300, 3.3e15, 1e6, 1, kes_test::kNanoUnit, -2 * kes_test::kTinyUnit};
  const double spreads[] = {1e-3, 2.5e-4, 1e-6};
  const char* const plots[] = {"qqplot x;", "probplot x;", "cdfplot x;", "histogram x;"};
  std::mt19937_64 gen(20261208);
  int graphs = 0;
  // Under the sanitizers every third program (3 is prime to the 4 plots, so each plot
  // runs at several sizes).
  std::size_t index = 0;
  int runs = 0;
  for (double centre : centres)
    for (double spread : spreads) {
      std::uniform_real_distribution<double> u(-1, 1);
      std::ostringstream data;
      data.precision(17);
      data << "x\n";
      for (int i = 0; i < 12; ++i) data << centre + centre * spread * u(gen) << "\n";
      std::ofstream(dir.path() / "d.csv") << data.str();
      for (const char* plot : plots) {
        if (!kes_test::sanitized_share(index++, 3)) continue;
        ++runs;
        const std::string program = std::string("proc kestravine data=d noprint; var x; ") + plot + " run;\n";
        SCOPED_TRACE(program + data.str());
        std::string log;
        for (const auto& [name, svg] : run(dir.path(), program, "template", &log)) {
          ++graphs;
          for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg))
            EXPECT_NE(f.rule, kes_test::kRuleTicksOrder) << name << ": " << f.detail;
        }
      }
    }
  // A histogram may refuse data it cannot bin: at least 8 * 3 * 3 of 8 * 3 * 4 runs.
  EXPECT_GE(graphs, runs * 3 / 4);
  // The device writes a tick value in ten characters, which hold four significant
  // digits of a value near -1e308: ticks 5e304 apart are thinned to every other one,
  // 1e305 apart, which those digits tell apart.
  std::ofstream(dir.path() / "d.csv") << "x\n-1.368415e+308\n-1.365015e+308\n";
  for (const char* plot : plots) {
    const std::string program = std::string("proc kestravine data=d noprint; var x; ") + plot + " run;\n";
    SCOPED_TRACE(program);
    std::string log;
    for (const auto& [name, svg] : run(dir.path(), program, "device", &log))
      for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg))
        EXPECT_NE(f.rule, kes_test::kRuleTicksOrder) << name << ": " << f.detail;
  }
}

}  // namespace
