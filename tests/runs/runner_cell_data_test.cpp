// Every cell's data drawn or truly explained, through the built runner in both
// renderers: a two-parameter Weibull plot whose fit fails on zeros keeps its points; a
// statement that draws writes a graph unless the log says why; a cell that draws
// nothing says what it holds (never "no nonmissing values" of a cell with values); a
// key cell without spread lets the bins tell the cells' values apart; fitted curves
// near the largest double are drawn; a device text height of 0 or below is refused
// with a note and loses no row. Data in everyday forms: waiting times, counts with
// ties and zeros, prices in the millions, one value per CLASS cell at offsets 0, 1e6
// and 1.7e9, a month of daily temperatures per BY group.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/csv_write.h"
#include "support/graph_dump.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_parts.h"
#include "support/test_settings.h"

namespace {

using kes_test::number_text;

using kes_test::slurp;

const char* const kRenderers[] = {"template", "device"};

class RunnerCellData : public ::testing::Test {
 protected:
  int run(const std::string& program, const char* renderer) {
    const int status = kes_test::run_with_graphs(dir_, program, renderer);
    log_ = slurp(dir_ / "log");
    dump_ = std::string(renderer) == "template" ? slurp(dir_ / "dump") : std::string();
    svgs_.clear();
    for (const std::string& f : kes_test::svg_files(dir_ / "g")) svgs_.push_back(slurp(dir_ / "g" / f));
    return status;
  }
  bool logs(const std::string& text) const { return log_.find(text) != std::string::npos; }
  // The fields of each row of a CSV file the run wrote, past its header.
  std::vector<std::vector<std::string>> csv_rows(const char* file) const {
    return kes_test::csv_field_rows(slurp(dir_ / file));
  }
  kes_test::scratch_dir dir_{"celldata"};
  std::string log_, dump_;
  std::vector<std::string> svgs_;
};

// A data set g,x of n values drawn by `value` in four cells A..D in turn, `zeros` of
// them 0 (every (n / zeros)-th, the first in cell A).
struct everyday {
  const char* what;
  int n, zeros;
  double (*value)(std::mt19937_64&);
};
const everyday kPositive[] = {
    {"waiting times in seconds", 200, 21,
     [](std::mt19937_64& r) { return std::round(std::exponential_distribution<double>(1 / 40.0)(r)) + 1; }},
    {"counts with ties", 120, 9, [](std::mt19937_64& r) { return 1.0 + std::poisson_distribution<int>(3)(r); }},
    {"prices in the millions", 80, 5,
     [](std::mt19937_64& r) { return std::round(std::lognormal_distribution<double>(14, 0.6)(r)); }},
};

std::string positive_csv(const everyday& e, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::string csv = "g,x\n";
  for (int i = 0; i < e.n; ++i) {
    const int cell = i % 4;
    const int every = e.n / e.zeros;
    const bool zero = i % every == 0 && i / every < e.zeros;
    const double v = e.value(rng);
    csv += std::string(1, static_cast<char>('A' + cell)) + "," + (zero ? std::string("0") : number_text(v)) + "\n";
  }
  return csv;
}

int zeros_in(const std::string& csv) {
  int z = 0;
  for (std::size_t at = csv.find(",0\n"); at != std::string::npos; at = csv.find(",0\n", at + 1)) ++z;
  return z;
}

// Rows of the graph dump whose columns a and b both hold numbers.
long rows_with(const std::string& dump, const std::string& a, const std::string& b) {
  long n = 0;
  for (const kes_test::dump_block& block : kes_test::read_dump(dump))
    for (const std::map<std::string, std::string>& row : block.rows())
      if (row.count(a) != 0 && row.count(b) != 0 && row.at(a) != "." && row.at(b) != ".") ++n;
  return n;
}

// The markers inside each plot cell of a page.
std::vector<long> markers_by_cell(const std::string& svg) {
  const kes_test::graph_parts g = kes_test::read_parts(svg);
  std::vector<long> out(g.cells.size(), 0);
  for (std::size_t c = 0; c < g.cells.size(); ++c)
    for (const auto& [x, y] : g.markers) out[c] += g.cells[c].holds(x, y, -1) ? 1 : 0;
  return out;
}

// The texts inside each plot cell, joined in document order.
std::vector<std::string> notes_by_cell(const std::string& svg) {
  const kes_test::graph_parts g = kes_test::read_parts(svg);
  std::vector<std::string> out(g.cells.size());
  for (std::size_t c = 0; c < g.cells.size(); ++c)
    for (const kes_test::text_item& t : g.texts)
      if (g.cells[c].holds(t.cx(), t.cy())) out[c] += (out[c].empty() ? "" : " ") + t.text;
  return out;
}

// The two-parameter Weibull places its points at log(value - threshold) against
// quantiles that need no fitted parameter: a failed SIGMA=EST C=EST fit (zeros at the
// threshold 0) loses its line, never its points. It left no graph at all ("No cell
// ... can be shown"), and with CLASS said the points "depend on the fit" and that
// THETA= 0 "lies above" the smallest value 0.
TEST_F(RunnerCellData, TwoParameterWeibullKeepsItsPointsWhenItsFitFails) {
  for (const everyday& e : kPositive) {
    const std::string csv = positive_csv(e, 79);
    dir_.write("w.csv", csv);
    const int zeros = zeros_in(csv);
    for (const char* kind : {"qqplot", "probplot"})
      for (const bool classes : {false, true})
        for (const char* renderer : kRenderers) {
          SCOPED_TRACE(std::string(e.what) + " " + kind + (classes ? " by g " : " ") + renderer);
          const std::string program = std::string("/* ") + e.what + " */\nproc kestravine data=w noprint;\n" +
                                      (classes ? "  class g;  * four cells;\n" : "") + "  " + kind +
                                      " x\n     / weibull2(sigma=est  /* fitted */ c=est);\nrun;\n";
          ASSERT_EQ(run(program, renderer), 0) << log_;
          ASSERT_EQ(svgs_.size(), 1u) << log_;
          EXPECT_FALSE(logs("can be shown")) << log_;
          EXPECT_FALSE(logs("depend on the fit")) << log_;
          EXPECT_FALSE(logs("lies above the smallest value")) << log_;
          EXPECT_TRUE(logs("distribution could not be fitted to x;")) << log_;
          if (!classes) {
            EXPECT_TRUE(logs("two-parameter Weibull threshold (within 0.001) are not plotted: " +
                             std::to_string(zeros) + " values"))
                << log_;
            // The cell says it too, in both renderers.
            EXPECT_NE(notes_by_cell(svgs_[0]).at(0).find(std::to_string(zeros) + " values at the threshold, not drawn"),
                      std::string::npos);
          } else {
            EXPECT_TRUE(logs("For g = A, THETA= of x is not below the smallest value")) << log_;
          }
          if (std::string(renderer) == "template") {
            // Every value above the threshold is a point of the graph's data.
            EXPECT_EQ(rows_with(dump_, "Quantile", "Data"), e.n - zeros);
          }
          const std::vector<long> marks = markers_by_cell(svgs_[0]);
          ASSERT_EQ(marks.size(), classes ? 4u : 1u);
          for (long m : marks) EXPECT_GT(m, 0);
        }
  }
}

// A statement that draws writes its graph unless the log says why, for every family
// that needs values above its threshold, on data holding zeros; and no cell holding
// values reads "no nonmissing values".
TEST_F(RunnerCellData, ZerosInTheDataLeaveAGraphOrTheLogSaysWhy) {
  dir_.write("w.csv", positive_csv(kPositive[0], 81));
  const char* const families[] = {"lognormal(sigma=est zeta=est)", "weibull(c=est sigma=est)",
                                  "gamma(alpha=est sigma=est)", "exponential(sigma=est)"};
  const char* const kinds[] = {"histogram x / nobars", "histogram x /", "qqplot x /", "probplot x /",
                               "cdfplot x /", "ppplot x /"};
  const std::regex why("(can be shown on the|is not drawn)");
  std::size_t index = 0;
  for (const char* family : families)
    for (const char* kind : kinds)
      for (const char* classes : {"", "class g;"})
        for (const char* renderer : kRenderers) {
          if (!kes_test::sanitized_share(index++, 7)) continue;
          SCOPED_TRACE(std::string(kind) + " " + family + " " + classes + " " + renderer);
          ASSERT_EQ(run(std::string("proc kestravine data=w noprint;\n  ") + classes + "\n  " + kind + " " + family +
                            ";\nrun;\n",
                        renderer),
                    0)
              << log_;
          if (svgs_.empty()) {
            EXPECT_TRUE(std::regex_search(log_, why)) << log_;
          }
          // Histograms draw whatever their curves do.
          if (std::string(kind).rfind("histogram", 0) == 0) {
            EXPECT_EQ(svgs_.size(), 1u) << log_;
          }
          for (const std::string& svg : svgs_)
            for (const std::string& note : notes_by_cell(svg))
              EXPECT_EQ(note.find("no nonmissing values"), std::string::npos) << note;
        }
}

// NOBARS cells whose gamma fit fails (a 0 in the cell) drew nothing: the template said
// "no nonmissing values" in cells of 7 to 200 values, the device left them blank, and
// the template's percent axis ran to 120 over a curve near 100 %.
TEST_F(RunnerCellData, NobarsCellsWithoutACurveSayWhatTheyHold) {
  struct cell_data {
    char level;
    int n;
    bool zero;
  };
  const cell_data cells[] = {{'a', 7, true}, {'b', 20, false}, {'c', 50, true}, {'d', 200, true}};
  std::mt19937_64 rng(1981);
  std::exponential_distribution<double> wait(1 / 30.0);
  std::string csv = "g,x\n";
  for (const cell_data& c : cells)
    for (int i = 0; i < c.n; ++i)
      csv += std::string(1, c.level) + "," + number_text(c.zero && i == 3 ? 0 : 0.5 + std::round(wait(rng))) + "\n";
  dir_.write("nb.csv", csv);
  for (const char* renderer : kRenderers) {
    SCOPED_TRACE(renderer);
    ASSERT_EQ(run("proc kestravine data=nb noprint;\n  class g;\n  histogram x / gamma nobars;  * no bars;\nrun;\n",
                  renderer),
              0)
        << log_;
    ASSERT_EQ(svgs_.size(), 1u);
    const std::vector<std::string> notes = notes_by_cell(svgs_[0]);
    ASSERT_EQ(notes.size(), 4u);
    const std::regex said(R"((\d+) values, no curve: the fit failed)");
    for (std::size_t i = 0; i < 4; ++i) {
      SCOPED_TRACE(cells[i].level);
      std::smatch m;
      EXPECT_EQ(std::regex_search(notes[i], m, said), cells[i].zero) << notes[i];
      if (cells[i].zero) {
        EXPECT_EQ(m[1].str(), std::to_string(cells[i].n)) << notes[i];
      }
      EXPECT_EQ(notes[i].find("no nonmissing"), std::string::npos) << notes[i];
    }
    // The vertical percent axis stops at 100: no tick text left of the cells above it.
    const kes_test::graph_parts g = kes_test::read_parts(svgs_[0]);
    double left = INFINITY;
    for (const kes_test::box& b : g.cells) left = std::min(left, b.x0);
    for (const kes_test::text_item& t : g.texts) {
      if (t.ink.x1 > left || t.angle != 0) continue;
      char* end = nullptr;
      const double v = std::strtod(t.text.c_str(), &end);
      if (end != t.text.c_str() && *end == '\0') {
        EXPECT_LE(v, 100) << t.text;
      }
    }
  }
}

// A key cell of one value made one bin as wide as the value (33.5 to 100.5 for 67):
// every cell drew a 100 % bar over "67" and OUTHISTOGRAM= wrote _MIDPT_ 67 for all.
// The bins now come from the values of all cells: each cell's value lies in its own
// bin (its midpoint the nearest), the bins tell values a bin apart, and a note says so.
TEST_F(RunnerCellData, AKeyCellWithoutSpreadBinsOverEveryCell) {
  const double base[] = {67, 72, 74, 62};
  for (const double offset : {0.0, 1e6, 1.7e9}) {
    std::string csv = "g,x\n";
    for (int i = 0; i < 4; ++i)
      csv += std::string(1, static_cast<char>('A' + i)) + "," + number_text(offset + base[i]) + "\n";
    dir_.write("one.csv", csv);
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(number_text(offset) + " " + renderer);
      ASSERT_EQ(run("proc kestravine data=one noprint;\n  class g;\n  histogram x\n    / outhistogram=oh;\nrun;\n",
                    renderer),
                0)
          << log_;
      EXPECT_TRUE(logs("every value of x in the key cell is " + number_text(offset + 67) + ", ")) << log_;
      // g,_VAR_,_MIDPT_,_OBSPCT_,_COUNT_: one row per cell, its value's bin.
      std::vector<double> mids;
      for (const std::vector<std::string>& f : csv_rows("oh.csv")) {
        ASSERT_EQ(f.size(), 5u);
        if (std::stod(f[4]) > 0) mids.push_back(std::stod(f[2]));
      }
      ASSERT_EQ(mids.size(), 4u);
      const std::set<double> distinct(mids.begin(), mids.end());
      EXPECT_GE(distinct.size(), 3u);
      for (int i = 0; i < 4; ++i)
        for (double other : distinct)
          EXPECT_LE(std::fabs(offset + base[i] - mids[i]), std::fabs(offset + base[i] - other)) << i;
      // The bars of the cells of 62 and 72 stand apart on the page.
      const kes_test::graph_parts g = kes_test::read_parts(svgs_.at(0));
      std::vector<double> bar_left(g.cells.size(), NAN);
      // The bars, by their fill (the graph style's bar colour in both renderers).
      for (const kes_test::fill_item& f : g.fills)
        for (std::size_t c = 0; c < g.cells.size(); ++c)
          if (f.colour == "#C6DBEF" && g.cells[c].holds((f.b.x0 + f.b.x1) / 2, (f.b.y0 + f.b.y1) / 2, -1))
            bar_left[c] = f.b.x0;
      ASSERT_EQ(bar_left.size(), 4u);
      EXPECT_GT(std::fabs(bar_left[1] - bar_left[3]), 1) << "cells B and D";
    }
  }
}

// A month of daily temperatures per BY group, one value per day as a CLASS cell: each
// month showed every day at its first day's temperature.
TEST_F(RunnerCellData, DailyValuesByMonthEachInTheirOwnBin) {
  std::mt19937_64 rng(1973);
  std::normal_distribution<double> temp(0, 6);
  std::string csv = "month,day,temp\n";
  std::map<std::pair<int, int>, double> value;
  for (int month = 5; month <= 9; ++month)
    for (int day = 1; day <= (month == 6 || month == 9 ? 30 : 31); ++day) {
      const double t = std::round(60 + 4 * month + temp(rng));
      value[{month, day}] = t;
      csv += std::to_string(month) + "," + std::to_string(day) + "," + number_text(t) + "\n";
    }
  dir_.write("air.csv", csv);
  ASSERT_EQ(run("proc kestravine data=air noprint;\n  by month;\n  class day;\n  histogram temp / outhist=oh nrows=4;\n"
                "run;\n",
                "template"),
            0)
      << log_;
  // month,day,_VAR_,_MIDPT_,_OBSPCT_,_COUNT_
  std::map<int, std::set<double>> mids;
  struct placed_value {
    int month;
    double value, mid;
  };
  std::vector<placed_value> placed;
  for (const std::vector<std::string>& f : csv_rows("oh.csv")) {
    ASSERT_EQ(f.size(), 6u);
    const int month = std::stoi(f[0]);
    mids[month].insert(std::stod(f[3]));
    if (std::stod(f[5]) > 0) placed.push_back({month, value.at({month, std::stoi(f[1])}), std::stod(f[3])});
  }
  EXPECT_EQ(placed.size(), value.size());
  for (const auto& [month, m] : mids) EXPECT_GE(m.size(), 3u) << month;
  // Within one month the midpoints are a bin apart: a value's is the nearest of its month's.
  for (const placed_value& p : placed)
    for (double other : mids[p.month]) EXPECT_LE(std::fabs(p.value - p.mid), std::fabs(p.value - other)) << p.value;
}

// Lognormal and Weibull curves over values from 1.615e308 to 1.7e308 had infinite
// heights (their constant passed the largest double, their heights do not): neither
// was drawn, and the template legend named both.
TEST_F(RunnerCellData, CurvesAndPointsNearTheLargestDoubleAreDrawn) {
  std::mt19937_64 rng(308);
  std::uniform_real_distribution<double> u(0, 1);
  std::string csv = "x\n";
  for (int i = 0; i < 50; ++i) csv += number_text(1.615e308 + (1.7e308 - 1.615e308) * u(rng)) + "\n";
  dir_.write("big.csv", csv);
  for (const char* renderer : kRenderers) {
    SCOPED_TRACE(renderer);
    ASSERT_EQ(run("proc kestravine data=big noprint;\n  histogram x / lognormal weibull normal;\nrun;\n", renderer), 0)
        << log_;
    ASSERT_EQ(svgs_.size(), 1u);
    const kes_test::graph_parts g = kes_test::read_parts(svgs_[0]);
    std::set<std::string> curves;
    for (const kes_test::keyed_mark& m : g.data_marks)
      if (m.key.rfind("line ", 0) == 0) curves.insert(m.key);
    EXPECT_EQ(curves.size(), 3u);
    if (std::string(renderer) == "template") {
      EXPECT_EQ(dump_.find("CurveY=inf"), std::string::npos);
      EXPECT_GE(rows_with(dump_, "CurveLabel", "CurveY"), 3 * 100);
    }
  }
}

// Twenty values one ulp apart at either end of the doubles draw their Q-Q points (the
// device drew none under an axis reading one value three times).
TEST_F(RunnerCellData, ValuesOneUlpApartAtTheEndsDrawTheirPoints) {
  for (const double sign : {1.0, -1.0}) {
    std::string ulps = "x\n";
    double v = sign * 1.7976931348623157e308;
    for (int i = 0; i < 20; ++i, v = std::nextafter(v, 0.0)) ulps += number_text(v) + "\n";
    dir_.write("ulp.csv", ulps);
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(renderer) + (sign > 0 ? " +" : " -"));
      run("proc kestravine data=ulp noprint;\n  qqplot x / normal(mu=est sigma=est);\nrun;\n", renderer);
      ASSERT_EQ(svgs_.size(), 1u) << log_;
      const std::vector<long> marks = markers_by_cell(svgs_[0]);
      ASSERT_EQ(marks.size(), 1u);
      EXPECT_GT(marks[0], 0);
    }
  }
}

// A device text height of 0 or below drew the inset as a line at the top of the page,
// its rows lost, without a word: it is refused, naming the option, its value, the
// statement and its place, and the default height draws every row.
TEST_F(RunnerCellData, ADeviceTextHeightOfZeroOrBelowIsRefused) {
  dir_.write("w.csv", positive_csv(kPositive[0], 3));
  struct height_case {
    const char* statements;
    const char* note;
  };
  const height_case cases[] = {
      {"histogram x;\n  inset n mean std / height=-1;", "line 3, column 22: HEIGHT=-1 of the INSET statement"},
      {"histogram x;\n  inset n mean std / pos=ne height=0;", "line 3, column 29: HEIGHT=0 of the INSET statement"},
      {"histogram x / height=0;\n  inset n mean std;", "line 2, column 17: HEIGHT=0 of the HISTOGRAM statement"},
      {"qqplot x / inheight=-2.5;\n  inset n mean std;", "line 2, column 14: INHEIGHT=-2.5 of the QQPLOT statement"},
  };
  for (const height_case& c : cases) {
    SCOPED_TRACE(c.statements);
    ASSERT_EQ(run(std::string("proc kestravine data=w noprint;\n  ") + c.statements + "\nrun;\n", "device"), 0)
        << log_;
    EXPECT_TRUE(logs(std::string(c.note) + " is not a positive text height: it is ignored, and the default height is used."))
        << log_;
    ASSERT_EQ(svgs_.size(), 1u);
    const kes_test::graph_parts g = kes_test::read_parts(svgs_[0]);
    std::vector<double> rows;
    for (const char* label : {"N", "Mean", "Std Deviation"})
      for (const kes_test::text_item& t : g.texts)
        if (t.text == label && t.size > 0 && t.ink.y0 >= 0 && t.ink.y1 <= g.height) rows.push_back(t.y);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_GT(rows[1] - rows[0], 2);
    EXPECT_GT(rows[2] - rows[1], 2);
  }
}

}  // namespace
