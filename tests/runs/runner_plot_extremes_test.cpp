// Q-Q and probability plots at the ends of the doubles and in any unit, through the
// built runner in both renderers: axes wider than the largest double (a VAXIS= list
// from -1e308 to 1e308, data from -1.7e308 to 1.7e308) are laid out and the step keeps
// its data set; reference lines are drawn through the points at any range; a VAXIS=
// list is judged in its own unit; shapes so small that no quantile can be computed are
// named in the log, cell by cell, and a cell that holds values is never drawn as empty.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/csv_write.h"
#include "support/graph_dump.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_marks.h"
#include "support/svg_reader.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

const char* const kRenderers[] = {"template", "device"};

class RunnerPlotExtremes : public ::testing::Test {
 protected:
  void SetUp() override {
    // 40 ordinary values in two cells of 20, and 40 values spread evenly from
    // -1.7e308 to 1.7e308 in the same two cells.
    std::string ordinary = "c,x\n", wide = "c,x\n";
    for (int i = 0; i < 40; ++i) {
      ordinary += std::string(i % 2 ? "b" : "a") + "," + std::to_string(10 + (i * 37 % 40) * 0.5) + "\n";
      char v[40];
      std::snprintf(v, sizeof v, "%.17g", 1.7e308 * (-1 + 2 * i / 39.0));
      wide += std::string(i % 2 ? "b" : "a") + "," + v + "\n";
    }
    dir_.write("ord.csv", ordinary);
    dir_.write("wide.csv", wide);
  }
  // Runs the program in the renderer; the exit status.
  int run(const std::string& program, const char* renderer) {
    fs::remove(dir_ / "o.csv");
    fs::remove(dir_ / "dump");
    const int status = kes_test::run_with_graphs(dir_, program, renderer);
    log_ = slurp(dir_ / "log");
    svgs_.clear();
    for (const std::string& f : kes_test::svg_files(dir_ / "g")) svgs_.push_back(slurp(dir_ / "g" / f));
    return status;
  }
  int logged(const std::string& text) const { return kes_test::occurrences(log_, text); }
  // A data set of one variable x: 80 values spread evenly from lo to hi.
  static std::string spread(double lo, double hi) {
    return kes_test::csv_text({{"x", kes_test::evenly(lo, hi, 80)}});
  }
  // The text of a dump line `NAME = "..." (text)` in the first panel that has one.
  std::string dyn(const std::string& name) const {
    return kes_test::first_text(kes_test::read_dump(slurp(dir_ / "dump")), name);
  }

  kes_test::scratch_dir dir_{"plotextremes"};
  std::string log_;
  std::vector<std::string> svgs_;
};

// A count made from an infinite axis length was taken for a request of -17179869168
// bytes: "Out of memory", return code 1016 and the OUTPUT data set lost. Every such
// axis is laid out; the step ends well and writes its data set.
TEST_F(RunnerPlotExtremes, AxesWiderThanTheDoublesAreLaidOutAndTheDataSetKept) {
  struct wide_case {
    const char* what;
    const char* program;
    const char* dyn_name;  // a template dynamic that holds the wide axis's ticks
    const char* ticks;
  };
  const wide_case cases[] = {
      {"a VAXIS= list on the quantile axis (ROTATE)",
       "proc kestravine data=ord noprint; var x;\n  qqplot x / rotate vaxis=-1e308 0 1e308;\n"
       "  output out=o mean=m;\nrun;\n",
       "_QNTLVALUES", "-1E308 0 1E308"},
      {"the same list on the data axis",
       "proc kestravine data=ord noprint; var x;\n  qqplot x / vaxis=-1e308 0 1e308;\n  output out=o mean=m;\nrun;\n",
       "_YTICKS", "-1E308 0 1E308"},
      {"data across the doubles",
       "proc kestravine data=wide noprint; var x;\n  qqplot x / normal;\n  probplot x / normal;\n"
       "  output out=o mean=m;\nrun;\n",
       "", "<none>"},
      {"data across the doubles, in cells, quantiles not computed",
       "proc kestravine data=wide noprint; var x; class c;\n  qqplot x / gamma(alpha=1e-5);\n"
       "  output out=o mean=m;\nrun;\n",
       "", "<none>"},
  };
  for (const wide_case& w : cases) {
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(w.what) + ", " + renderer);
      EXPECT_EQ(run(w.program, renderer), 0) << log_;
      EXPECT_EQ(logged("memory"), 0) << log_;
      EXPECT_EQ(logged("Internal error"), 0) << log_;
      EXPECT_EQ(logged("The data set WORK.o has"), 1) << log_;
      EXPECT_TRUE(fs::exists(dir_ / "o.csv"));
      ASSERT_FALSE(svgs_.empty()) << log_;
      // No tick, place or size of a graph is infinite or not a number.
      for (const std::string& svg : svgs_)
        EXPECT_FALSE(std::regex_search(svg, std::regex("[>\" ,(]-?(inf|INF|Inf|nan|NaN|NAN)\\b"))) << svg;
      if (std::string(renderer) == "template") {
        EXPECT_FALSE(std::regex_search(slurp(dir_ / "dump"), std::regex("\\b(Inf|inf|nan|NaN)\\b")));
        if (std::string(w.ticks) != "<none>") {
          EXPECT_EQ(dyn(w.dyn_name), w.ticks);
        }
      }
    }
  }
}

// GAMMA(ALPHA=1e-5) or less on 40 ordinary values: both quantiles failed, a count of 2
// taken for "nothing above the threshold": without CLASS no graph and no note, with
// CLASS a graph whose cells read "no nonmissing values" though each holds 20. The
// quantiles that cannot be computed are noted wherever they fail (ALPHA=1e-4 was), and
// a cell without points says so.
TEST_F(RunnerPlotExtremes, QuantilesOfTinyShapesAreNotedCellByCell) {
  const std::string alone = "The theoretical quantiles of x cannot be computed for these shape values; that graph is "
                            "not drawn.";
  const char* const cell_a = "In the cell c = a, the theoretical quantiles of x cannot be computed for these shape values.";
  const char* const cell_b = "In the cell c = b, the theoretical quantiles of x cannot be computed for these shape values.";
  for (const char* alpha : {"1e-4", "1e-5", "1e-9"}) {
    for (const char* plot : {"qqplot", "probplot"}) {
      const std::string request = std::string("  ") + plot + " x / gamma(alpha=" + alpha + ");\n";
      for (const char* renderer : kRenderers) {
        SCOPED_TRACE(std::string(plot) + " alpha=" + alpha + ", " + renderer);
        // Without CLASS: the note, and no graph.
        EXPECT_EQ(run("proc kestravine data=ord noprint; var x;\n" + request + "run;\n", renderer), 0) << log_;
        EXPECT_EQ(logged(alone), 1) << log_;
        EXPECT_TRUE(svgs_.empty());
        // With CLASS: each cell named once, the graph drawn, no cell called empty.
        EXPECT_EQ(run("proc kestravine data=ord noprint; var x; class c;\n" + request + "run;\n", renderer), 0)
            << log_;
        EXPECT_EQ(logged(cell_a), 1) << log_;
        EXPECT_EQ(logged(cell_b), 1) << log_;
        EXPECT_EQ(logged(alone), 0) << log_;
        ASSERT_EQ(svgs_.size(), 1u) << log_;
        EXPECT_EQ(svgs_[0].find("no nonmissing values"), std::string::npos);
        // At 1e-4 the inner points keep their quantiles; below it none has one, and
        // each cell says what it holds and why it shows no point, over a data axis that
        // spans the data (10 to 29.5): the template's ran 0 to 1, the device's cells
        // were blank.
        if (std::string(alpha) != "1e-4") {
          EXPECT_EQ(kes_test::occurrences(svgs_[0], ">20 values, whose quantiles cannot be computed<"), 2);
          double lo = INFINITY, hi = -INFINITY;
          for (const kes_test::svg_element& e : kes_test::svg_elements(svgs_[0])) {
            char* end = nullptr;
            const double v = std::strtod(e.text.c_str(), &end);
            if (e.name != "text" || e.text.empty() || *end != '\0' || e.get("text-anchor") != "end") continue;
            lo = std::min(lo, v), hi = std::max(hi, v);
          }
          EXPECT_LE(lo, 10);
          EXPECT_GE(hi, 29.5);
          EXPECT_LE(hi - lo, 40);
        }
      }
    }
  }
}

// The reference line of a normal fit through 80 values spread evenly over a range, at
// ordinary and extreme ranges, in both renderers: where the fit exists, its line is
// drawn across the frame through the middle of the points (and the device's data axis
// has its values); where it does not, no line, the log says why, and no legend entry
// names a line. Values from 1e308 to 1.7e308 gave the template a legend entry "Normal
// Line (Mu=1.35e+308, ...)" and no line (a + b x at the axis's end passed the doubles),
// and the device the note that the line lies outside the plot area, with no data tick
// values (step x length passed them).
TEST_F(RunnerPlotExtremes, ReferenceLinesRunThroughThePointsAtAnyRange) {
  struct range_case {
    const char* what;
    double lo, hi;
    bool line;  // whether the normal fit exists
  };
  const range_case ranges[] = {
      {"ordinary", 10, 30, true},
      {"near the largest double", 1e308, 1.7e308, true},
      {"near its negative", -1.7e308, -1e308, true},
      {"across the doubles", -1.7e308, 1.7e308, true},
      {"a small unit", 1e-9, 1.7e-9, true},
      // Fitted in the data's own unit, where the variance does not underflow.
      {"near the smallest normal double", 1e-300, 1.7e-300, true},
  };
  for (const range_case& rc : ranges) {
    dir_.write("r.csv", spread(rc.lo, rc.hi));
    for (const char* plot : {"qqplot", "probplot"}) {
      for (const char* renderer : kRenderers) {
        SCOPED_TRACE(std::string(rc.what) + ", " + plot + ", " + renderer);
        const bool device = std::string(renderer) == "device";
        ASSERT_EQ(run(std::string("proc kestravine data=r noprint; var x;\n  ") + plot +
                          " x / normal(mu=est sigma=est);\nrun;\n",
                      renderer),
                  0)
            << log_;
        ASSERT_EQ(svgs_.size(), 1u) << log_;
        const std::string& svg = svgs_[0];
        EXPECT_EQ(logged("The distribution reference line lies outside the plot area"), 0) << log_;
        EXPECT_EQ(logged("could not be fitted"), rc.line ? 0 : 1) << log_;
        // The template's legend names the line only when it is drawn.
        if (!device) {
          EXPECT_EQ(kes_test::occurrences(svg, ">Normal Line (Mu="), rc.line ? 1 : 0);
        }
        // The reference line: the longest line in its colour (the legend's swatch is short).
        const std::vector<kes_test::svg_element> els = kes_test::svg_elements(svg);
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0, longest = 0;
        for (const kes_test::svg_element& e : els) {
          if (e.name != "line" || e.get("stroke") != "#D55E00") continue;
          const double len = std::hypot(e.num("x2") - e.num("x1"), e.num("y2") - e.num("y1"));
          if (len > longest) longest = len, x1 = e.num("x1"), y1 = e.num("y1"), x2 = e.num("x2"), y2 = e.num("y2");
        }
        const std::vector<kes_test::svg_use> marks = kes_test::svg_uses(svg);
        ASSERT_EQ(marks.size(), 80u);
        if (!rc.line) {
          EXPECT_EQ(longest, 0);
          continue;
        }
        ASSERT_GT(longest, 100) << "no reference line drawn";
        // Through the middle point of the data (its median, at the middle quantile),
        // within a few pixels: the fit of evenly spread values passes there.
        std::vector<kes_test::svg_use> by_height = marks;
        std::sort(by_height.begin(), by_height.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
        const kes_test::svg_use mid = by_height[40];
        const double off = std::fabs((x2 - x1) * (y1 - mid.y) - (x1 - mid.x) * (y2 - y1)) / longest;
        EXPECT_LT(off, 6) << "the line passes " << off << " px from the middle point";
        if (device) {
          // The data axis has its values: numbers left of every point, at two heights at least.
          double left = INFINITY;
          for (const kes_test::svg_use& m : marks) left = std::min(left, m.x);
          int values = 0;
          for (const kes_test::svg_element& e : els) {
            char* end = nullptr;
            std::strtod(e.text.c_str(), &end);
            if (e.name == "text" && !e.text.empty() && *end == '\0' && e.num("x") < left) ++values;
          }
          EXPECT_GE(values, 2) << svg;
        }
      }
    }
  }
}

// Every value of every plot at the ends of the doubles, in both renderers: 30 values
// spread over subnormal numbers, near 1e-300, near 1.7e308 and near -1.7e308. A plot of
// points draws all 30 inside its frame, over a data axis with tick values (a P-P plot's
// axes are probabilities); a CDF plot's step line climbs at each of them; a histogram
// draws its bars or the log says why it cannot bin them. Subnormal data gave the
// device no data axis (a nice step of 10^-319 came out 0) and so no point and no step.
TEST_F(RunnerPlotExtremes, EveryValueIsDrawnAtTheEndsOfTheDoubles) {
  struct data_case {
    const char* what;
    double lo, hi;
  };
  const data_case sets[] = {{"subnormal", 4.9406564584124654e-324, 4.9406564584124654e-318},
                            {"near 1e-300", 1e-300, 9e-300},
                            {"near the largest double", 1e308, 1.7e308},
                            {"near its negative", -1.7e308, -1e308}};
  constexpr int kValues = 30;
  for (const data_case& d : sets) {
    std::string csv = "x\n";
    for (int i = 0; i < kValues; ++i) {
      const double t = static_cast<double>(i) / (kValues - 1);
      char v[40];
      std::snprintf(v, sizeof v, "%.17g", d.lo * (1 - t) + d.hi * t);
      csv += std::string(v) + "\n";
    }
    dir_.write("e.csv", csv);
    for (const char* plot : {"histogram", "qqplot", "probplot", "ppplot", "cdfplot"}) {
      for (const char* renderer : kRenderers) {
        SCOPED_TRACE(std::string(d.what) + ", " + plot + ", " + renderer);
        const std::string kind = plot;
        const bool device = std::string(renderer) == "device";
        ASSERT_EQ(run("proc kestravine data=e noprint; var x;\n  " + kind +
                          (kind == "histogram" ? " x;\n" : " x / normal;\n") + "run;\n",
                      renderer),
                  0)
            << log_;
        if (kind == "histogram" && svgs_.empty()) {
          EXPECT_EQ(logged("which cannot be binned or smoothed in double precision"), 1) << log_;
          continue;
        }
        ASSERT_EQ(svgs_.size(), 1u) << log_;
        const std::string& svg = svgs_[0];
        const std::vector<kes_test::svg_element> els = kes_test::svg_elements(svg);
        if (kind == "histogram") {
          int bars = 0;
          for (const kes_test::svg_element& e : els)
            bars += e.name == "rect" && e.get("fill") != "#FFFFFF" && e.get("fill") != "none" ? 1 : 0;
          EXPECT_GT(bars, 0) << svg;
          continue;
        }
        // The data's frame: the clip rectangle.
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        for (const kes_test::svg_element& e : els)
          if (e.name == "rect" && e.parent >= 0 && els[static_cast<std::size_t>(e.parent)].name == "clipPath")
            x0 = e.num("x"), y0 = e.num("y"), x1 = x0 + e.num("width"), y1 = y0 + e.num("height");
        ASSERT_GT(x1 - x0, 50) << svg;
        const auto inside = [&](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
        if (kind == "cdfplot") {
          // The longest line in the frame is the step line: a rise and a run per value.
          std::size_t most = 0;
          for (const std::vector<kes_test::svg_xy>& line : kes_test::svg_polylines(svg)) {
            std::size_t in = 0;
            for (const kes_test::svg_xy& p : line) in += inside(p.x, p.y) ? 1 : 0;
            most = std::max(most, in);
          }
          EXPECT_GE(most, static_cast<std::size_t>(2 * kValues - 1)) << svg;
        } else {
          const std::vector<kes_test::svg_use> marks = kes_test::svg_uses(svg);
          EXPECT_EQ(marks.size(), static_cast<std::size_t>(kValues)) << svg;
          for (const kes_test::svg_use& m : marks) EXPECT_TRUE(inside(m.x, m.y)) << m.x << "," << m.y;
          // The data axis has its values at two heights at least, left of the frame.
          if (device && kind != "ppplot") {
            std::vector<double> heights;
            for (const kes_test::svg_element& e : els) {
              char* end = nullptr;
              std::strtod(e.text.c_str(), &end);
              if (e.name == "text" && !e.text.empty() && *end == '\0' && e.num("x") < x0 &&
                  std::find(heights.begin(), heights.end(), e.num("y")) == heights.end())
                heights.push_back(e.num("y"));
            }
            EXPECT_GE(heights.size(), 2u) << svg;
          }
        }
      }
    }
  }
}

// Cells too narrow for the note on one line say what they hold on one line and why on
// the next, whole: cut to one line, the why was lost to the ellipsis.
TEST_F(RunnerPlotExtremes, NarrowCellsKeepTheWhyOfTheirNote) {
  std::string three = "c,x\n";
  for (int i = 0; i < 60; ++i)
    three += std::string(1, "abc"[i % 3]) + "," + std::to_string(10 + (i * 37 % 60) * 0.5) + "\n";
  dir_.write("three.csv", three);
  for (const char* renderer : kRenderers) {
    SCOPED_TRACE(renderer);
    ASSERT_EQ(run("proc kestravine data=three noprint; var x; class c;\n"
                  "  qqplot x / gamma(alpha=1e-5) ncols=3 nrows=1;\nrun;\n",
                  renderer),
              0)
        << log_;
    ASSERT_EQ(svgs_.size(), 1u) << log_;
    EXPECT_EQ(kes_test::occurrences(svgs_[0], ">20 values,<"), 3);
    EXPECT_EQ(kes_test::occurrences(svgs_[0], ">whose quantiles cannot be computed<"), 3);
  }
}

// The list 0 1 2 (in the unit) ends below the data: noted, and the default ticks hold
// every point; 0 to 10 by 2 covers them: taken, and every point lies on it. In units
// of 1e-9 the first list was taken for one that covers the data (it missed them by
// less than an absolute 1.05e-8): 14 markers drawn, 66 points dropped, no note.
TEST_F(RunnerPlotExtremes, AVaxisListIsJudgedInItsOwnUnit) {
  struct unit_case {
    const char* name;
    double unit;
    const char* tick;  // the unit's own number, as a list holds it
  };
  const unit_case units[] = {{"1e-9", 1e-9, "e-9"}, {"1", 1, ""}, {"1e9", 1e9, "e9"}};
  struct list_case {
    const char* what;
    std::vector<int> ticks;
    bool covers;
  };
  const list_case lists[] = {{"0 1 2", {0, 1, 2}, false}, {"0 to 10 by 2", {0, 2, 4, 6, 8, 10}, true}};
  for (const unit_case& u : units) {
    dir_.write("d.csv", spread(1.15 * u.unit, 8.67 * u.unit));
    for (const list_case& l : lists) {
      std::string vaxis, order;
      for (int t : l.ticks) vaxis += " " + std::to_string(t) + (t != 0 ? u.tick : "");
      // The same ticks as an axis definition's ORDER= list (device graphs only).
      order = "axis1 order=(" + vaxis.substr(1) + ");\n";
      for (const char* renderer : kRenderers) {
        for (const bool definition : {false, true}) {
          if (definition && std::string(renderer) == "template") continue;
          for (const char* plot : {"qqplot", "probplot"}) {
            SCOPED_TRACE(std::string("unit ") + u.name + ", list" + vaxis + ", " + plot + ", " + renderer +
                         (definition ? ", ORDER=" : ", VAXIS="));
            const std::string program = (definition ? order : std::string()) +
                                        "proc kestravine data=d noprint; var x;\n  " + plot + " x / normal vaxis=" +
                                        (definition ? std::string("axis1") : vaxis.substr(1)) + ";\nrun;\n";
            ASSERT_EQ(run(program, renderer), 0) << log_;
            const int notes = definition ? logged("The VAXIS= axis definition does not cover the range")
                                         : logged("The VAXIS= values do not cover the vertical range");
            EXPECT_EQ(notes, l.covers ? 0 : 1) << log_;
            ASSERT_EQ(svgs_.size(), 1u) << log_;
            EXPECT_EQ(kes_test::occurrences(svgs_[0], "<use href=\"#mk"), 80);
          }
        }
      }
    }
  }
}

}  // namespace
