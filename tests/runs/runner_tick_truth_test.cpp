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
  EXPECT_GE(axes, kes_test::kUnderSanitizers ? runs / 2 : 7 * 3 * 3 * 2);
}

}  // namespace
