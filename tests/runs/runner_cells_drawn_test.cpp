// Comparative cells that draw fewer of their values than they hold, through the built
// runner in both renderers: each such cell says in the cell how many of its values are
// not drawn and why, and the log names the cell and the count. Probability plots whose
// per-cell gamma fits fail, and Q-Q plots of given shapes whose quantiles cannot be
// computed, or those of only some of their values, over data at everyday offsets and
// at the ends of the doubles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/csv_write.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_marks.h"
#include "support/svg_parts.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

const char* const kRenderers[] = {"template", "device"};

// What one drawn cell shows: its markers and the count its note gives ("100 values,
// not drawn: ..."; 0 without such a note), with the note's text.
struct cell_seen {
  long markers = 0;
  long noted = 0;
  std::string note;
};

long leading_count(const std::string& text) {
  static const std::regex counted(R"(^(\d+) values?, (not drawn|whose quantiles cannot be computed))");
  std::smatch m;
  return std::regex_search(text, m, counted) ? std::strtol(m[1].str().c_str(), nullptr, 10) : 0;
}

std::vector<cell_seen> cells_of(const std::string& svg) {
  const kes_test::graph_parts g = kes_test::read_parts(svg);
  std::vector<cell_seen> out(g.cells.size());
  for (std::size_t c = 0; c < g.cells.size(); ++c) {
    for (const auto& [x, y] : g.markers) out[c].markers += g.cells[c].holds(x, y, -1) ? 1 : 0;
    for (const kes_test::text_item& t : g.texts) {
      if (!g.cells[c].holds(t.cx(), t.cy())) continue;
      // A note too wide for its cell stands on two lines: "100 values," then why.
      if (t.text.size() > 1 && std::isdigit(static_cast<unsigned char>(t.text[0])) && t.text.back() == ',') {
        for (const kes_test::text_item& u : g.texts)
          if (g.cells[c].holds(u.cx(), u.cy()) && u.y > t.y && u.y - t.y < 3 * t.size)
            out[c].note = t.text + " " + u.text;
      } else if (leading_count(t.text) > 0) {
        out[c].note = t.text;
      }
      if (t.text == "no nonmissing values") out[c].note = t.text;
    }
    out[c].noted = leading_count(out[c].note);
  }
  return out;
}

class RunnerCellsDrawn : public ::testing::Test {
 protected:
  int run(const std::string& program, const char* renderer) {
    const int status = kes_test::run_with_graphs(dir_, program, renderer);
    log_ = slurp(dir_ / "log");
    svgs_.clear();
    for (const std::string& f : kes_test::svg_files(dir_ / "g")) svgs_.push_back(slurp(dir_ / "g" / f));
    return status;
  }
  int logged(const std::string& pattern) const {
    const std::regex re(pattern);
    return static_cast<int>(std::distance(std::sregex_iterator(log_.begin(), log_.end(), re), std::sregex_iterator()));
  }
  kes_test::scratch_dir dir_{"cellsdrawn"};
  std::string log_;
  std::vector<std::string> svgs_;
};

// Six cells of 100 values each, g 0..2 by h 0..1: normal values at offset `at` with
// spread `sd`, so that a gamma fit finds an interior maximum in few cells or none.
std::string six_cells(double at, double sd, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> z(0, 1);
  std::string csv = kes_test::csv_line({"g", "h", "x"});
  for (int g = 0; g < 3; ++g)
    for (int h = 0; h < 2; ++h)
      for (int i = 0; i < 100; ++i)
        csv += kes_test::csv_line({std::to_string(g), std::to_string(h), kes_test::number_text(at + sd * z(rng))});
  return csv;
}

// Data from lo to hi, and what they stand for.
struct span_case {
  const char* what;
  double lo, hi;
};

// A data set of one variable x: n values lo (1 - t) + hi t, a blend that stays finite
// at any ends, at the shares t = place(i) (each within 0..1).
template <class Place>
std::string blend_csv(double lo, double hi, int n, Place place) {
  std::vector<double> x;
  for (int i = 0; i < n; ++i) {
    const double t = place(i);
    x.push_back(lo * (1 - t) + hi * t);
  }
  return kes_test::csv_text({{"x", x}});
}

// The sum of an OUTHISTOGRAM= data set's _COUNT_ column (-1 without the column).
long outhist_counted(const std::string& oh) {
  std::istringstream in(oh);
  std::string head;
  std::getline(in, head);
  const std::vector<std::string> names = kes_test::csv_fields(head);
  if (std::find(names.begin(), names.end(), "_COUNT_") == names.end()) return -1;
  long counted = 0;
  for (const std::string& cell : kes_test::csv_column(oh, "_COUNT_")) counted += std::strtol(cell.c_str(), nullptr, 10);
  return counted;
}

// One bar of values all equal: a tall coloured fill (the page and the frame are white
// or unfilled), and no "no nonmissing values".
void expect_one_bar(const std::string& svg) {
  const kes_test::graph_parts g = kes_test::read_parts(svg);
  const long bars = std::count_if(g.fills.begin(), g.fills.end(), [&](const kes_test::fill_item& f) {
    return f.colour != "#FFFFFF" && f.colour != "none" && f.b.h() > 0.5 * g.height;
  });
  EXPECT_EQ(bars, 1);
  for (const kes_test::text_item& t : g.texts) EXPECT_NE(t.text, "no nonmissing values");
}

// Lines drawn across most of the first cell's width: curves and step lines.
long lines_across(const std::string& svg) {
  const kes_test::graph_parts g = kes_test::read_parts(svg);
  if (g.cells.empty()) return 0;
  long n = 0;
  for (const auto& line : kes_test::svg_polylines(svg)) {
    double x0 = INFINITY, x1 = -INFINITY;
    for (const kes_test::svg_xy& p : line) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
    n += line.size() >= 2 && x1 - x0 > 0.6 * g.cells[0].w() ? 1 : 0;
  }
  return n;
}

// A cell whose gamma fit fails drew nothing and said "no nonmissing values" (template)
// or nothing at all (device), the axis label quoted the one fitted cell's shape, and the
// log never said that values were not drawn. Every cell now draws its values or counts
// them in its note, the log names each such cell with its count, and the axis label
// quotes no one cell's shape while some cell's fit failed.
TEST_F(RunnerCellsDrawn, CellsWhoseFitFailedSayTheirValuesAreNotDrawn) {
  struct offset {
    const char* what;
    double at, sd;
  };
  const offset offsets[] = {
      {"everyday", 50, 10},         {"1e6 + 0.05, spread 2", 1e6 + 0.05, 2}, {"1e9, spread 1e4", 1e9, 1e4},
      {"a spread of 1e300", 5e300, 1e300}, {"below 0", -40, 10},
  };
  int partly_fitted = 0;
  for (const offset& o : offsets) {
    dir_.write("six.csv", six_cells(o.at, o.sd, 7));
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(o.what) + ", " + renderer);
      ASSERT_EQ(run("proc kestravine data=six noprint; var x; class g h;\n"
                    "  probplot x / gamma(alpha=est theta=est sigma=est);\nrun;\n",
                    renderer),
                0)
          << log_;
      const int failed = logged("the Gamma distribution could not be fitted");
      if (failed == 6) {
        // No cell fitted: no graph, and the log says so.
        EXPECT_TRUE(svgs_.empty());
        continue;
      }
      ASSERT_EQ(svgs_.size(), 1u) << log_;
      const std::vector<cell_seen> cells = cells_of(svgs_[0]);
      ASSERT_EQ(cells.size(), 6u);
      int unfitted = 0;
      for (const cell_seen& c : cells) {
        EXPECT_NE(c.note, "no nonmissing values");
        if (c.markers == 0) {
          EXPECT_EQ(c.noted, 100) << c.note;
          EXPECT_NE(c.note.find("not drawn: the fit failed"), std::string::npos) << c.note;
          ++unfitted;
        } else {
          // Markers that share a place are drawn once; no note where values are drawn.
          EXPECT_LE(c.markers, 100);
          EXPECT_GE(c.markers, 50);
          EXPECT_EQ(c.noted, 0) << c.note;
        }
      }
      EXPECT_EQ(unfitted, failed) << log_;
      partly_fitted += failed > 0 ? 1 : 0;
      EXPECT_EQ(logged("In the cell g = \\d, h = \\d, the 100 values of x are not drawn: their places on the plot "
                       "depend on the fit, which failed there\\."),
                failed)
          << log_;
      // Shapes fitted in one cell do not describe the others.
      if (failed > 0) {
        EXPECT_EQ(svgs_[0].find("(Alpha="), std::string::npos);
        EXPECT_NE(svgs_[0].find("Alpha Fitted per Cell"), std::string::npos);
      }
    }
  }
  // The case the rule is about: some cells fitted, some not, in both renderers.
  EXPECT_GE(partly_fitted, 2);
}

// Given shapes so small that no theoretical quantile can be computed: the template
// drew each cell's line with no point and no word. Each cell now counts its values in
// its note in both renderers, and the log says how many of which cell are not drawn.
TEST_F(RunnerCellsDrawn, CellsWithoutQuantilesCountTheirValues) {
  const span_case cases[] = {
      {"everyday", 1, 10},
      {"1e9 plus fractions", 1e9 + 0.05, 1e9 + 0.95},
      {"near the largest double", 1e307, 1.7e308},
  };
  for (const span_case& d : cases) {
    std::string csv = kes_test::csv_line({"c", "x"});
    for (int i = 0; i < 80; ++i)
      csv += kes_test::csv_line({i % 2 ? "b" : "a", kes_test::number_text(d.lo + (d.hi - d.lo) * ((i / 2) / 39.0))});
    dir_.write("two.csv", csv);
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(d.what) + ", " + renderer);
      ASSERT_EQ(run("proc kestravine data=two noprint; var x; class c;\n"
                    "  qqplot x / gamma(alpha=1e-6 sigma=1 theta=0);\nrun;\n",
                    renderer),
                0)
          << log_;
      ASSERT_EQ(svgs_.size(), 1u) << log_;
      const std::vector<cell_seen> cells = cells_of(svgs_[0]);
      ASSERT_EQ(cells.size(), 2u);
      for (const cell_seen& c : cells) {
        EXPECT_EQ(c.markers, 0);
        EXPECT_EQ(c.noted, 40) << c.note;
      }
      EXPECT_EQ(logged("In the cell c = [ab], 40 of the 40 values of x are not drawn: their theoretical quantiles "
                       "cannot be computed\\."),
                2)
          << log_;
    }
  }
}

// "10 of 40 values without a quantile, not drawn": the values lost and the values of
// the cell; {0, 0} for another text.
std::pair<long, long> lost_of(const std::string& text) {
  static const std::regex partial(R"(^(\d+) of (\d+) values without a quantile, not drawn$)");
  std::smatch m;
  if (!std::regex_search(text, m, partial)) return {0, 0};
  return {std::strtol(m[1].str().c_str(), nullptr, 10), std::strtol(m[2].str().c_str(), nullptr, 10)};
}

// Two cells a and b of 40 values each, evenly from lo to hi.
std::string two_cells(const span_case& d) {
  std::string csv = "c,x\n";
  for (int i = 0; i < 80; ++i)
    csv += std::string(i % 2 ? "b" : "a") + "," + kes_test::number_text(d.lo + (d.hi - d.lo) * ((i / 2) / 39.0)) + "\n";
  return csv;
}

// Given shapes under which the quantiles of the lowest ranks underflow: a cell drew its
// other values and said only in the log that some were not drawn. Each cell now says
// in a note how many of its values it leaves out, in both renderers, the note agrees
// with the log and the markers drawn, and it covers none of them nor the line.
TEST_F(RunnerCellsDrawn, CellsThatLoseSomeValuesCountThemInANote) {
  const span_case spans[] = {
      {"everyday", 1, 10.75},
      {"1e9 plus fractions", 1e9 + 0.05, 1e9 + 0.95},
      {"1e15 plus integers", 1e15, 1e15 + 78},
  };
  const char* const plots[] = {"qqplot x / gamma(alpha=%A sigma=1 theta=0);",
                               "probplot x / gamma(alpha=%A sigma=1 theta=0);"};
  for (const span_case& d : spans) {
    dir_.write("two.csv", two_cells(d));
    for (const char* alpha : {"0.002", "0.0005"})
      for (const char* plot : plots)
        for (const char* renderer : kRenderers) {
          std::string statement = plot;
          statement.replace(statement.find("%A"), 2, alpha);
          const bool device = std::string(renderer) == "device";
          SCOPED_TRACE(std::string(d.what) + ", " + statement + ", " + renderer);
          ASSERT_EQ(run("proc kestravine data=two noprint; var x; class c;\n  " + statement + "\nrun;\n", renderer), 0)
              << log_;
          ASSERT_EQ(svgs_.size(), 1u) << log_;
          // The log's count of each cell.
          static const std::regex logged_lost(R"(In the cell c = ([ab]), (\d+) of the 40 values of x are not drawn)");
          std::map<std::string, long> said;
          for (auto it = std::sregex_iterator(log_.begin(), log_.end(), logged_lost); it != std::sregex_iterator(); ++it)
            said[(*it)[1].str()] = std::strtol((*it)[2].str().c_str(), nullptr, 10);
          ASSERT_EQ(said.size(), 2u) << log_;
          const kes_test::graph_parts g = kes_test::read_parts(svgs_[0]);
          ASSERT_EQ(g.cells.size(), 2u);
          // Each note goes to the cell nearest it: a template note may stand beside
          // its frame.
          std::vector<std::pair<long, long>> noted(2, {0, 0});
          for (const kes_test::text_item& t : g.texts) {
            const std::pair<long, long> n = lost_of(t.text);
            if (n.second == 0) continue;
            std::size_t nearest = 0;
            double best = INFINITY;
            for (std::size_t c = 0; c < 2; ++c) {
              const kes_test::box& b = g.cells[c];
              const double dx = std::max({b.x0 - t.cx(), 0.0, t.cx() - b.x1});
              const double dy = std::max({b.y0 - t.cy(), 0.0, t.cy() - b.y1});
              if (std::hypot(dx, dy) < best) best = std::hypot(dx, dy), nearest = c;
            }
            EXPECT_EQ(noted[nearest].second, 0) << "a second note in a cell: " << t.text;
            noted[nearest] = n;
            for (const auto& [x, y] : g.markers)
              EXPECT_FALSE(t.ink.holds(x, y, -2.5)) << "'" << t.text << "' over a marker at " << x << "," << y;
            for (const kes_test::segment& l : g.lines)
              EXPECT_FALSE(kes_test::crosses(l, t.ink)) << "'" << t.text << "' over a line";
          }
          const std::vector<cell_seen> cells = cells_of(svgs_[0]);
          // The theoretical axis under the cells carries values: it is had from the
          // quantiles of the values drawn where a tick's cannot be had (at 28 of 40
          // lost the percent ticks left stand close, and one may be thinned out).
          double bottom = 0;
          for (const kes_test::box& b : g.cells) bottom = std::max(bottom, b.y1);
          int values_below = 0;
          for (const kes_test::text_item& t : g.texts)
            values_below += t.cy() > bottom && t.cy() < bottom + 40 && !t.text.empty() &&
                                    std::isdigit(static_cast<unsigned char>(t.text.back()))
                                ? 1
                                : 0;
          EXPECT_GE(values_below, 1);
          for (std::size_t c = 0; c < 2; ++c) {
            const long lost = said[c == 0 ? "a" : "b"];
            EXPECT_GT(lost, 0);
            EXPECT_LT(lost, 40);
            EXPECT_EQ(noted[c], std::make_pair(lost, 40L));
            // The device draws markers that share a place once.
            if (device) EXPECT_TRUE(cells[c].markers >= 1 && cells[c].markers <= 40 - lost) << cells[c].markers;
            else EXPECT_EQ(cells[c].markers, 40 - lost);
          }
        }
  }
}

// Cells that lose the quantiles of their lowest values: the template's Q-Q axis of
// quantiles ran from 0 to the key cell's smallest value (1), a value it does not draw,
// and drew its points at 0..0.0002 of it in one column at the left. An axis end is set
// by the values drawn: in both renderers, for Q-Q and probability plots, every marker
// lies inside its frame and the markers span a fifth of the data axis; on a Q-Q plot
// they span a fifth of the quantile axis too, across or, rotated, up the page, at
// everyday offsets (the device's corner note then finds room on two lines); a
// probability plot's percent axis spans its percent ticks.
TEST_F(RunnerCellsDrawn, AxesEndAtTheValuesDrawn) {
  const span_case spans[] = {
      {"everyday", 1, 10.75},
      {"1e9 plus fractions", 1e9 + 0.05, 1e9 + 0.95},
      {"1e15 plus integers", 1e15, 1e15 + 78},
      {"Unix seconds", 1733650000.2, 1733650000.7},
  };
  const char* const plots[] = {"qqplot", "probplot"};
  int cases = 0;
  std::size_t index = 0;
  for (const span_case& d : spans) {
    dir_.write("two.csv", two_cells(d));
    for (const char* alpha : {"0.002", "0.0005"})
      for (const char* plot : plots)
        for (const char* rotate : {"", " rotate"})
          for (const char* renderer : kRenderers) {
            // Under the sanitizers every third run (a stride prime to each inner list).
            if (!kes_test::sanitized_share(index++, 3)) continue;
            const std::string statement =
                std::string(plot) + " x / gamma(alpha=" + alpha + " sigma=1 theta=0)" + rotate + ";";
            SCOPED_TRACE(std::string(d.what) + ", " + statement + ", " + renderer);
            ASSERT_EQ(run("proc kestravine data=two noprint; var x; class c;\n  " + statement + "\nrun;\n", renderer),
                      0)
                << log_;
            ASSERT_EQ(svgs_.size(), 1u) << log_;
            ASSERT_EQ(logged("values of x are not drawn"), 2) << log_;
            const kes_test::graph_parts g = kes_test::read_parts(svgs_[0]);
            ASSERT_EQ(g.cells.size(), 2u);
            // Each marker belongs to the cell it is nearest to.
            const auto nearest = [&g](double x, double y) {
              const auto off = [x, y](const kes_test::box& b) {
                return std::hypot(std::max({b.x0 - x, 0.0, x - b.x1}), std::max({b.y0 - y, 0.0, y - b.y1}));
              };
              return off(g.cells[0]) <= off(g.cells[1]) ? 0u : 1u;
            };
            for (std::size_t k = 0; k < 2; ++k) {
              const kes_test::box& c = g.cells[k];
              double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
              long inside = 0;
              for (const auto& [x, y] : g.markers) {
                if (nearest(x, y) != k) continue;
                EXPECT_TRUE(c.holds(x, y, -1)) << "a marker at " << x << "," << y << " outside its frame";
                ++inside;
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
              }
              ASSERT_GE(inside, 2);
              const bool across = *rotate == '\0';  // the quantile axis
              // The data axis spans every value, drawn or not: at 28 of 40 lost the
              // values drawn are a fifth of it before its pad.
              if (std::string(alpha) == "0.002") {
                EXPECT_GE(across ? y1 - y0 : x1 - x0, (across ? c.h() : c.w()) / 5) << "the data axis";
              }
              if (std::string(plot) == "qqplot") {
                EXPECT_GE(across ? x1 - x0 : y1 - y0, (across ? c.w() : c.h()) / 5) << "the quantile axis";
              }
            }
            ++cases;
          }
  }
  EXPECT_EQ(cases, kes_test::under_sanitizers() ? (4 * 2 * 2 * 2 * 2 + 2) / 3 : 4 * 2 * 2 * 2 * 2);
}

// Reference values outside their axes: the device noted each graph's, the template
// dropped them without a word. Both renderers now say it in the log, for every plot
// kind, and a value inside the axis is drawn without a note.
TEST_F(RunnerCellsDrawn, ReferenceValuesOutsideTheAxesAreNoted) {
  std::string csv = "x\n";
  for (int i = 0; i < 50; ++i) csv += std::to_string(1000.05 + 0.3 * (i % 17) + 0.01 * i) + "\n";
  dir_.write("ref.csv", csv);
  struct ref_case {
    const char* statement;
    int h, v;  // graphs that leave out HREF= values, VREF= values
  };
  const ref_case cases[] = {
      {"qqplot x / normal href=-100 1000 vref=-50 2e9;", 1, 1},
      {"cdfplot x / href=0 vref=200;", 1, 1},
      {"histogram x / href=2e9 vref=400;", 1, 1},
      {"qqplot x / normal href=0 vref=1003;", 0, 0},
  };
  for (const ref_case& c : cases) {
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(c.statement) + ", " + renderer);
      ASSERT_EQ(run(std::string("proc kestravine data=ref noprint; var x;\n  ") + c.statement + "\nrun;\n", renderer),
                0)
          << log_;
      const bool device = std::string(renderer) == "device";
      EXPECT_EQ(logged(device ? "A HREF= value lies outside the horizontal axis"
                              : "HREF= values outside the horizontal axis have no line: \\d+ not drawn"),
                c.h)
          << log_;
      EXPECT_EQ(logged(device ? "A VREF= value lies outside the vertical axis"
                              : "VREF= values outside the vertical axis have no line: \\d+ not drawn"),
                c.v)
          << log_;
    }
  }
}

// Values all equal near the ends of the doubles: the one bin of width |x| had an
// infinite edge, so 1.25e308 fell in no bin (an empty histogram, a note blaming
// MAXNBIN= or MAXSIGMAS=, which were not given). Its bin now halves until the edges
// beside it are finite: every value is counted in a drawn bar, at any magnitude.
TEST_F(RunnerCellsDrawn, OneDistinctValueIsBinnedAtAnyMagnitude) {
  const double values[] = {1.25e308, -1.25e308, -1.5e308, 9e307, 5, 1e9 + 0.05, 1e15 + 3, 0, -2.5e-320};
  for (double x : values) {
    const std::string v = kes_test::number_text(x);
    dir_.write("one.csv", blend_csv(x, x, 10, [](int) { return 0.0; }));
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(v + ", " + renderer);
      ASSERT_EQ(run("proc kestravine data=one noprint; var x; histogram x;\nrun;\n", renderer), 0) << log_;
      EXPECT_EQ(logged("outside its bins"), 0) << log_;
      EXPECT_EQ(logged("cannot be binned"), 0) << log_;
      ASSERT_EQ(svgs_.size(), 1u) << log_;
      expect_one_bar(svgs_[0]);
    }
  }
}

// Fitted CDF curves near the ends of the doubles: k x (hi - lo) passed the largest
// double, so the curve's points were infinite (the template drew a 2-point dash, the
// device nothing); an axis from 1.79e308 to the largest double had no finite scale (an
// empty frame). The curve's points are now taken in a scaled form and the axis runs
// over the data: every curve and step line is drawn, with values on the axis.
TEST_F(RunnerCellsDrawn, CdfCurvesAtTheEndsOfTheDoublesAreDrawn) {
  struct cdf_case {
    const char* what;
    double lo, hi;
    const char* family;  // "" for the empirical steps alone
  };
  const cdf_case cases[] = {
      {"everyday", 10, 90, "normal"},
      {"1e6 plus fractions", 1e6 + 0.05, 1e6 + 20.05, "normal"},
      {"near 1e308", 1.2e308, 1.4e308, "normal"},
      {"across the doubles", -1.66e308, 1.68e308, "normal"},
      {"gamma up to a third of the largest double", 6.1e305, 8.3e307, "gamma(theta=0)"},
      {"the largest doubles", 1.79e308, 1.7976931348623157e308, ""},
  };
  for (const cdf_case& c : cases) {
    // Values crowding towards lo, both ends included.
    dir_.write("cdf.csv", blend_csv(c.lo, c.hi, 120, [](int i) { return (i / 119.0) * (i / 119.0); }));
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(c.what) + ", " + renderer);
      ASSERT_EQ(run(std::string("proc kestravine data=cdf noprint; var x; cdfplot x / ") + c.family + ";\nrun;\n",
                    renderer),
                0)
          << log_;
      ASSERT_EQ(svgs_.size(), 1u) << log_;
      EXPECT_EQ(svgs_[0].find("inf"), std::string::npos);
      // The steps, and the fitted curve when a family is named.
      EXPECT_EQ(lines_across(svgs_[0]), std::string(c.family).empty() ? 1 : 2) << log_;
      const kes_test::graph_parts g = kes_test::read_parts(svgs_[0]);
      ASSERT_FALSE(g.cells.empty());
      // The horizontal axis reads values: two numbers at least under the frame.
      long under = 0;
      for (const kes_test::text_item& t : g.texts)
        under += t.cy() > g.cells[0].y1 && t.cy() < g.cells[0].y1 + 30 && std::isdigit(static_cast<unsigned char>(t.text.back()))
                     ? 1
                     : 0;
      EXPECT_GE(under, 2);
    }
  }
}

// Subnormal data: the template's nice scale divided by 10^321, which is infinite, and
// every tick became 0 (a Q-Q plot without data-axis values, a CDF plot with one "0").
// The data axis of each plot now reads several distinct values in both renderers.
TEST_F(RunnerCellsDrawn, SubnormalDataAxesReadTheirValues) {
  const span_case cases[] = {
      {"subnormal", 1.2e-320, 3.7e-320},
      {"about the smallest normal", 1e-308, 9e-308},
      {"everyday, at an offset", 1000.05, 1020.05},
  };
  // The values of the other axes: quantiles and percents.
  const std::vector<double> other = {-4, -3, -2, -1, 0, 1, 2, 3, 4, 20, 40, 60, 80, 100};
  for (const span_case& d : cases) {
    dir_.write("small.csv", blend_csv(d.lo, d.hi, 40, [](int i) { return (i * 7 % 40) / 39.0; }));
    for (const char* statement : {"qqplot x / normal;", "cdfplot x / normal;"}) {
      for (const char* renderer : kRenderers) {
        SCOPED_TRACE(std::string(d.what) + ", " + statement + ", " + renderer);
        ASSERT_EQ(run(std::string("proc kestravine data=small noprint; var x; ") + statement + "\nrun;\n", renderer),
                  0)
            << log_;
        ASSERT_EQ(svgs_.size(), 1u) << log_;
        const kes_test::graph_parts g = kes_test::read_parts(svgs_[0]);
        std::vector<double> values;
        for (const kes_test::text_item& t : g.texts) {
          char* end = nullptr;
          const double x = std::strtod(t.text.c_str(), &end);
          if (end == t.text.c_str() || *end != '\0' || kes_test::inside_cell(g, t)) continue;
          if (x == 0 || std::find(other.begin(), other.end(), x) != other.end()) continue;
          if (std::find(values.begin(), values.end(), x) == values.end()) values.push_back(x);
        }
        EXPECT_GE(values.size(), 3u) << svgs_[0];
      }
    }
  }
}

// A histogram of values up to about a third of the largest double was refused with its
// fits (its check asked for room of two ranges past the data, which only a kernel's
// grid takes). It is now binned, every value counted in a bar, and a fitted curve,
// whose constant (width x count x scale) passed the doubles, is formed in a scaled form
// and drawn.
TEST_F(RunnerCellsDrawn, HistogramsAndCurvesUpToTheLargestThirdAreDrawn) {
  const span_case cases[] = {
      {"6.1e305 to 8.3e307", 6.1e305, 8.3e307},
      {"-8.3e307 to -6.1e305", -8.3e307, -6.1e305},
      {"1e9 + 0.05 to 1e9 + 50", 1e9 + 0.05, 1e9 + 50},
  };
  for (const span_case& c : cases) {
    dir_.write("third.csv", blend_csv(c.lo, c.hi, 100, [](int i) { return (i * 37 % 100) / 99.0; }));
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(c.what) + ", " + renderer);
      ASSERT_EQ(run("proc kestravine data=third noprint; var x; histogram x / outhistogram=oh;\nrun;\n", renderer), 0)
          << log_;
      EXPECT_EQ(logged("cannot be binned"), 0) << log_;
      EXPECT_EQ(logged("outside its bins"), 0) << log_;
      ASSERT_EQ(svgs_.size(), 1u) << log_;
      // Every value is counted: the bins' counts sum to 100.
      EXPECT_EQ(outhist_counted(slurp(dir_ / "oh.csv")), 100);

      ASSERT_EQ(run("proc kestravine data=third noprint; var x; histogram x / normal;\nrun;\n", renderer), 0)
          << log_;
      EXPECT_EQ(logged("cannot be binned"), 0) << log_;
      ASSERT_EQ(svgs_.size(), 1u) << log_;
      EXPECT_EQ(lines_across(svgs_[0]), 1) << log_;
    }
  }
}

// Values all equal to the largest double (or its negative) kept a bin of width |x|:
// one of its edges was infinite, and the values were noted as outside their bins. No
// finite bin has the largest double inside it: the bin now ends at it, and a value on
// that outer edge counts in it, whichever side the bins close, with midpoints or
// endpoints.
TEST_F(RunnerCellsDrawn, ValuesAtTheLargestDoubleAreBinnedAndDrawn) {
  const double top = std::numeric_limits<double>::max();
  const double values[] = {top, -top, std::nextafter(top, 0.0), -std::nextafter(top, 0.0), 1.79e308, -1.7976e308,
                           1e9 + 0.05, 1e15 + 3};
  const char* const options[] = {"", "rtinclude", "endpoints", "endpoints rtinclude"};
  for (double x : values) {
    const std::string v = kes_test::number_text(x);
    dir_.write("top.csv", blend_csv(x, x, 7, [](int) { return 0.0; }));
    for (const char* option : options) {
      for (const char* renderer : kRenderers) {
        SCOPED_TRACE(v + ", " + option + ", " + renderer);
        ASSERT_EQ(run(std::string("proc kestravine data=top noprint; var x; histogram x / outhistogram=oh ") + option +
                          ";\nrun;\n",
                      renderer),
                  0)
            << log_;
        EXPECT_EQ(logged("outside its bins"), 0) << log_;
        EXPECT_EQ(logged("cannot be binned"), 0) << log_;
        EXPECT_EQ(outhist_counted(slurp(dir_ / "oh.csv")), 7);
        ASSERT_EQ(svgs_.size(), 1u) << log_;
        EXPECT_EQ(svgs_[0].find("inf"), std::string::npos);
        expect_one_bar(svgs_[0]);
      }
    }
  }
}

}  // namespace
