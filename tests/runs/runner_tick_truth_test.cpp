// Every tick value of a data axis is true, through the built runner in both renderers:
// read back as a number, it lies within half a step of the tick it labels, and no two
// neighbouring values read alike, for data at everyday offsets (1e9 +- 1, 1e15 plus
// integers, Unix seconds with spreads below a second) and near the ends of the doubles
// (1e308, 1e-8). The place of a tick is read from the data: on QQ and probability
// plots the lowest and highest markers stand at the smallest and largest value (their
// logarithms on a two-parameter Weibull plot); on CDF plots and histograms the values
// are held to the line through the first and last of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/svg_parts.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

struct tick_text {
  double at, value;
  std::string text;
};

double number(const std::string& s) {
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  return !s.empty() && end == s.c_str() + s.size() ? v : NAN;
}

// The numbers beside the first cell: left of it (vertical axis, by their middles up
// the page) or below it (horizontal axis, by their middles across).
std::vector<tick_text> axis_texts(const kes_test::graph_parts& g, bool vertical) {
  std::vector<tick_text> out;
  if (g.cells.empty()) return out;
  const kes_test::box& c = g.cells.front();
  for (const kes_test::text_item& t : g.texts) {
    const double v = number(t.text);
    if (std::isnan(v) || t.angle != 0 || t.in_box >= 0) continue;
    if (vertical && t.ink.x1 <= c.x0 + kes_test::kSlack && t.cy() > c.y0 - 20 && t.cy() < c.y1 + 20)
      out.push_back({t.cy(), v, t.text});
    if (!vertical && t.ink.y0 >= c.y1 - kes_test::kSlack && t.ink.y0 < c.y1 + 40 && t.cx() > c.x0 - 20 &&
        t.cx() < c.x1 + 20)
      out.push_back({t.cx(), v, t.text});
  }
  std::sort(out.begin(), out.end(), [](const tick_text& a, const tick_text& b) { return a.at < b.at; });
  return out;
}

// Faults of an axis whose place p holds the value lo + (p - p0) (hi - lo) / (p1 - p0):
// a text farther than half a step (plus the writer's rounding of a place) from the
// value at its place, or a text like its neighbour's.
std::string axis_faults(const std::vector<tick_text>& ticks, double p0, double lo, double p1, double hi) {
  std::ostringstream out;
  for (std::size_t i = 0; i + 1 < ticks.size(); ++i)
    if (ticks[i].text == ticks[i + 1].text) out << "'" << ticks[i].text << "' twice; ";
  if (ticks.size() < 2 || p1 == p0) return out.str();
  const double per_px = (hi - lo) / (p1 - p0);
  const double step = std::fabs(per_px * (ticks[1].at - ticks[0].at));
  const double slack = std::fabs(per_px) * 1.5;  // places are written to a hundredth; texts centred to a pixel
  for (const tick_text& t : ticks) {
    const double there = lo + (t.at - p0) * per_px;
    if (!(std::fabs(t.value - there) <= step / 2 + slack))
      out << "'" << t.text << "' stands at " << std::setprecision(17) << there << " (step " << step << "); ";
  }
  return out.str();
}

// Runs the program in the renderer given; the graph files' contents.
std::vector<std::string> run(const fs::path& dir, const std::string& program, const std::string& renderer) {
  int status = -1;
  std::string log;
  std::vector<std::string> files;
  for (auto& [name, svg] : kes_test::run_graphs(dir, program, renderer, &status, &log)) files.push_back(svg);
  EXPECT_TRUE(status >= 0 && status <= 4) << program << log;
  return files;
}

TEST(RunnerTickTruth, EveryDataAxisValueIsTrueAndToldApart) {
  kes_test::scratch_dir dir{"tick-truth"};
  struct offset {
    double centre;
    bool integers;  // the values are whole numbers
  };
  const offset offsets[] = {{1e9 - 1, false}, {1e9 + 1, false}, {1e15, true},  {1733650000.204, false},
                            {1.5e308, false}, {-1.3668e308, false}, {1e-8, false}};
  const double spreads[] = {0.05, 0.1, 1};  // of the centre's unit: a share of it near 1e308 and 1e-8
  const char* const plots[] = {"qqplot x;", "probplot x;", "probplot x / weibull2;", "cdfplot x;", "histogram x;"};
  std::mt19937_64 gen(20261208);
  int axes = 0;
  // Under the sanitizers every third run of the table (3 is prime to the 2 renderers
  // and 5 plots, so each plot runs in both): each finds the same code paths.
  std::size_t index = 0;
  int runs = 0;
  for (const offset& o : offsets)
    for (double spread : spreads) {
      const double unit = std::fabs(o.centre) > 1e100 || std::fabs(o.centre) < 1 ? std::fabs(o.centre) * 1e-9 : 1;
      std::normal_distribution<double> normal(0, spread * (o.integers ? 100 : 1));
      std::vector<double> data;
      for (int i = 0; i < 25; ++i) {
        const double d = normal(gen);
        data.push_back(o.centre + (o.integers ? std::round(d) : d) * unit);
      }
      std::ostringstream csv;
      csv.precision(17);
      csv << "x\n";
      for (double v : data) csv << v << "\n";
      std::ofstream(dir.path() / "d.csv") << csv.str();
      const double lo = *std::min_element(data.begin(), data.end()), hi = *std::max_element(data.begin(), data.end());
      for (const char* plot : plots) {
        const bool weibull = std::string(plot).find("weibull2") != std::string::npos;
        if (weibull && lo <= 0) continue;
        // Histograms of values past 1e300 are binned apart from their tick texts (one
        // bin whose positions read 0): that binning is not what this test holds.
        if (std::string(plot).rfind("hist", 0) == 0 && std::fabs(o.centre) > 1e300) continue;
        const bool points = std::string(plot).rfind("cdf", 0) != 0 && std::string(plot).rfind("hist", 0) != 0;
        const std::string program = std::string("proc kestravine data=d noprint; var x; ") + plot + " run;\n";
        for (const char* renderer : {"device", "template"}) {
          if (!kes_test::sanitized_share(index++, 3)) continue;
          ++runs;
          SCOPED_TRACE(std::string(renderer) + ": " + program + csv.str());
          for (const std::string& svg : run(dir.path(), program, renderer)) {
            const kes_test::graph_parts g = kes_test::read_parts(svg);
            const std::vector<tick_text> t = axis_texts(g, points);
            if (t.size() < 2) continue;
            ++axes;
            if (points && g.markers.size() >= 2 && hi > lo) {
              // Up the page values fall: the lowest marker is the largest value.
              double top = INFINITY, bottom = -INFINITY;
              for (const auto& [x, y] : g.markers) top = std::min(top, y), bottom = std::max(bottom, y);
              const double vlo = weibull ? std::log(lo) : lo, vhi = weibull ? std::log(hi) : hi;
              EXPECT_EQ(axis_faults(t, bottom, vlo, top, vhi), "");
            } else {
              EXPECT_EQ(axis_faults(t, t.front().at, t.front().value, t.back().at, t.back().value), "");
            }
          }
        }
      }
    }
  // Histograms of one bin (a range too narrow for the default bins) show one value.
  EXPECT_GE(axes, kes_test::under_sanitizers() ? runs / 2 : 7 * 3 * 3 * 2);
}

// The _COUNT_ column of the OUTHISTOGRAM= data set oh.csv in dir.
std::vector<double> bin_counts(const fs::path& dir) {
  std::vector<double> out;
  for (const std::string& cell : kes_test::csv_column(kes_test::slurp(dir / "oh.csv"), "_COUNT_"))
    out.push_back(number(cell));
  return out;
}

// Default bins of values at an offset show their spread wherever the doubles hold
// distinct bins: more than one bin, every value in one, and tick texts true and
// told apart in both renderers, for midpoints and endpoints alike.
TEST(RunnerTickTruth, HistogramBinsAtAnOffsetShowTheSpread) {
  kes_test::scratch_dir dir{"tick-bins"};
  struct offset {
    const char* what;
    double at, spread;  // values at + spread * u, u in 0..1
    const char* bins;   // bin options beyond the kind
  };
  const double g9 = std::nextafter(1e9, 2e9) - 1e9;
  const offset offsets[] = {
      {"0", 0, 0.05, ""},
      {"1e9 + 0.05", 1e9, 0.05, ""},
      {"1e9 + 300 doubles", 1e9, 300 * g9, ""},
      {"-1e9 - 0.05", -1e9 - 0.05, 0.05, ""},
      {"1e15 + 0..100", 1e15, 100, ""},
      {"Unix seconds .2 to .7", 1733650000.2, 0.5, ""},
      {"1e-9 scale", 1e-9, 2e-10, ""},
      {"1e300", 1e300, 3e299, ""},
      {"1e9 by 0.005", 1e9, 0.05, "midpoints=1000000000 to 1000000000.05 by 0.005"},
  };
  std::mt19937_64 gen(20261209);
  std::uniform_real_distribution<double> u(0, 1);
  for (const offset& o : offsets) {
    const bool integers = std::string(o.what).find("0..100") != std::string::npos;
    std::ostringstream csv;
    csv.precision(17);
    csv << "x\n";
    for (int i = 0; i < 200; ++i) {
      const double d = i == 0 ? 0 : i == 1 ? 1 : u(gen);
      csv << o.at + (integers ? std::round(d * o.spread) : d * o.spread) << "\n";
    }
    std::ofstream(dir.path() / "d.csv") << csv.str();
    for (const char* kind : {"", "endpoints"}) {
      if (*o.bins && *kind) continue;
      const std::string program = std::string("proc kestravine data=d noprint; var x; histogram x / outhistogram=oh ") +
                                  kind + " " + o.bins + "; run;\n";
      for (const char* renderer : {"device", "template"}) {
        SCOPED_TRACE(std::string(o.what) + ", " + renderer + ": " + program);
        const std::vector<std::string> svgs = run(dir.path(), program, renderer);
        const std::vector<double> counts = bin_counts(dir.path());
        EXPECT_GT(counts.size(), 1u);
        double total = 0;
        for (double c : counts) total += c;
        EXPECT_EQ(total, 200);
        ASSERT_EQ(svgs.size(), 1u);
        const std::vector<tick_text> t = axis_texts(kes_test::read_parts(svgs[0]), false);
        ASSERT_GE(t.size(), 2u);
        EXPECT_EQ(axis_faults(t, t.front().at, t.front().value, t.back().at, t.back().value), "");
      }
    }
  }
}


// An axis shows its data's spread at any offset, in both renderers: for offsets that
// are everyday forms and spreads down to 50 doubles, every marker of a Q-Q or
// probability plot stands inside its frame, the data span at least a fifth of the data
// axis, and the tick texts are true and told apart. 100 at 1e15 ran the device axes
// from 0 to 2E+15, every value at one spot.
TEST(RunnerTickTruth, DataAxesShowTheSpreadAtAnyOffset) {
  kes_test::scratch_dir dir{"tick-spread"};
  const double offsets[] = {0, 1e9, -1e9, 1e15, 1733650000, 1e-9};
  const char* const plots[] = {"qqplot x / normal(mu=est sigma=est);", "probplot x / normal(mu=est sigma=est);",
                               "cdfplot x;", "histogram x;"};
  for (const double at : offsets)
    for (const double doubles : {50.0, 5e3, 5e6}) {
      const double ulp = at == 0 ? 1e-9 : std::nextafter(std::fabs(at), INFINITY) - std::fabs(at);
      const double spread = doubles * ulp;
      std::ostringstream csv;
      csv.precision(17);
      csv << "x\n";
      for (int i = 0; i < 30; ++i) csv << at + spread * ((i * 7) % 30) / 29.0 << "\n";
      std::ofstream(dir.path() / "d.csv") << csv.str();
      for (const char* plot : plots) {
        const bool points = std::string(plot).rfind("cdf", 0) != 0 && std::string(plot).rfind("hist", 0) != 0;
        const std::string program = std::string("proc kestravine data=d noprint; var x; ") + plot + " run;\n";
        for (const char* renderer : {"device", "template"}) {
          SCOPED_TRACE(std::string(renderer) + ": " + program + csv.str());
          const std::vector<std::string> svgs = run(dir.path(), program, renderer);
          ASSERT_EQ(svgs.size(), 1u);
          const kes_test::graph_parts g = kes_test::read_parts(svgs[0]);
          ASSERT_FALSE(g.cells.empty());
          const kes_test::box& c = g.cells.front();
          const std::vector<tick_text> t = axis_texts(g, points);
          ASSERT_GE(t.size(), 2u);
          EXPECT_EQ(axis_faults(t, t.front().at, t.front().value, t.back().at, t.back().value), "");
          if (points) {
            ASSERT_GE(g.markers.size(), 2u);
            double top = INFINITY, bottom = -INFINITY;
            for (const auto& [x, y] : g.markers) {
              EXPECT_TRUE(c.holds(x, y, -1)) << "a marker at " << x << "," << y << " outside its frame";
              top = std::min(top, y), bottom = std::max(bottom, y);
            }
            EXPECT_GE(bottom - top, (c.y1 - c.y0) / 5) << "the data span " << bottom - top << " px";
          } else {
            // The data's width on the page, by the scale the tick texts give.
            const double per_px = (t.back().value - t.front().value) / (t.back().at - t.front().at);
            EXPECT_GE(spread / std::fabs(per_px), (c.x1 - c.x0) / 5) << "the data span " << spread / per_px << " px";
          }
        }
      }
    }
}

}  // namespace
