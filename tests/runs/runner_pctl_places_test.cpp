// A percent text or a reference line given in percent stands at its own cell's
// quantile of that percent, in both renderers: where the cell's own point of that
// plotting position stands. Cells of 19 values with RANKADJ=0 NADJ=1 put their points
// at the percents 5, 10, ..., 95, so that the place each percent must take is read
// from the graph itself: the cell's point of that percent, placed by the cell's fit.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/graph_dump.h"
#include "support/scratch_files.h"
#include "support/svg_marks.h"
#include "support/svg_reader.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

constexpr int kValues = 19;  // a cell's points at i / 20: the percents 5, 10, ..., 95

// Cells a, b, c of 19 values each around `offset`, of spreads that differ, so that
// each cell fits a shape of its own.
void write_cells(const fs::path& file, double offset) {
  std::ofstream out(file);
  out << "g,x\n";
  const char* names[] = {"a", "b", "c"};
  const double spread[] = {0.2, 0.5, 0.9};
  char buf[64];
  for (int k = 0; k < 3; ++k)
    for (int i = 1; i <= kValues; ++i) {
      const double z = (i - 10) / 6.0 + 0.01 * (i % 3);
      const double x = offset == 0 ? 10 * std::exp(spread[k] * z)
                                   : offset + offset * 2e-8 * spread[k] * (z + 2) + (offset < 1e7 ? 2e4 * spread[k] * z : 0);
      std::snprintf(buf, sizeof buf, "%.17g", x);
      out << names[k] << "," << buf << "\n";
    }
}

struct run_out {
  std::string dump, log;
  std::vector<std::string> svgs;
};

run_out run(const kes_test::scratch_dir& dir, const std::string& graphics, const std::string& program) {
  std::ofstream(dir / "p.kes") << program;
  fs::remove_all(dir / "g");
  fs::create_directories(dir / "g");
  const std::string cmd = "cd '" + dir.path().string() + "' && '" + kes_test::built("kestravine") +
                          "' --graphics " + graphics +
                          " --graphs g --work . --listing lst --log log --graph-dump dump p.kes >/dev/null 2>err";
  const int raw = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << slurp(dir / "err") << slurp(dir / "log");
  run_out o{graphics == "template" ? slurp(dir / "dump") : "", slurp(dir / "log"), {}};
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir / "g")) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) o.svgs.push_back(slurp(f));
  return o;
}

// ---- the graph dump ----

using dump_row = std::map<std::string, std::string>;

// The rows of the dump's data objects, each its columns' texts by name.
std::vector<dump_row> dump_rows(const std::string& dump) {
  std::vector<dump_row> rows;
  for (const kes_test::dump_block& b : kes_test::read_dump(dump))
    for (dump_row& r : b.rows()) rows.push_back(std::move(r));
  return rows;
}

double number(const dump_row& r, const std::string& name) {
  const auto it = r.find(name);
  return it == r.end() ? NAN : kes_test::dump_number(it->second);
}

// Per cell: the quantile of its point of each percent, its rows' percent places
// ("PctlPosition") and reference values.
struct cell_places {
  std::map<double, double> point_at;  // percent -> the point's quantile
  std::vector<double> own, href, vref;
};

std::map<std::string, cell_places> cells_of(const std::string& dump) {
  std::map<std::string, cell_places> cells;
  for (const dump_row& r : dump_rows(dump)) {
    const auto key = r.find("Class1") != r.end() ? r.find("Class1") : r.find("Group");
    if (key == r.end()) continue;
    cell_places& c = cells[key->second];
    const double pct = number(r, "Percentile"), q = number(r, "Quantile");
    if (!std::isnan(pct) && !std::isnan(q)) c.point_at[std::round(pct * 1e6) / 1e6] = q;
    if (!std::isnan(number(r, "PctlPosition"))) c.own.push_back(number(r, "PctlPosition"));
    if (!std::isnan(number(r, "HRefValue"))) c.href.push_back(number(r, "HRefValue"));
    if (!std::isnan(number(r, "VRefValue"))) c.vref.push_back(number(r, "VRefValue"));
  }
  return cells;
}

// The first text the dump's panels give `name`.
std::string dyn(const std::string& dump, const std::string& name) {
  for (const kes_test::dump_block& b : kes_test::read_dump(dump))
    if (b.has_text(name)) return b.text(name);
  return "<none>";
}

std::vector<double> numbers(const std::string& text) {
  std::vector<double> out;
  std::istringstream in(text);
  std::string w;
  while (in >> w) out.push_back(std::strtod(w.c_str(), nullptr));
  return out;
}

const std::vector<double> kPercents = {5, 10, 25, 50, 75, 90, 95};
const std::vector<double> kRefs = {10, 90};

// The families whose shapes each cell fits.
const char* const kFamilies[] = {
    "lognormal(sigma=est theta=0 zeta=est)",
    "weibull(c=est theta=0 sigma=est)",
    "gamma(alpha=est theta=0 sigma=est)",
};

// Every percent tick and every HREF= / VREF= line of a cell stands where the cell's own
// point of that percent stands, exactly: offsets 0, 1e6 and Unix seconds, where the
// cells' fitted shapes differ from each other (at 1.7e9 a lognormal sigma of about
// 1E-8, every percent within 1E-7 of 1).
TEST(RunnerPctlPlaces, PercentTicksAndReferenceLinesStandAtTheirOwnCellsQuantile) {
  kes_test::scratch_dir dir{"pctl-places"};
  for (double offset : {0.0, 1e6, 1.7e9}) {
    write_cells(dir / "d.csv", offset);
    for (const char* family : kFamilies) {
      // A gamma shape of about 1E15 is past what its fit reaches: no cell to check.
      if (offset > 1e9 && std::string(family).rfind("gamma", 0) == 0) continue;
      SCOPED_TRACE(std::string(family) + " at offset " + std::to_string(offset));
      const std::string opts = std::string(" / ") + family + " rankadj=0 nadj=1 pctlorder=5 10 25 50 75 90 95";
      for (const bool rotate : {false, true}) {
        const std::string refs = rotate ? " rotate vref=10 90" : " href=10 90";
        const run_out o = run(dir, "template", "proc kestravine data=d noprint;\n  class g; /* cells a b c */\n"
                                                   "  probplot x" + opts + "\n    " + refs + "; * per cell;\nrun;\n");
        int checked = 0;
        for (const auto& [key, c] : cells_of(o.dump)) {
          if (c.point_at.size() != kValues) continue;  // a cell whose fit failed has no points
          ++checked;
          SCOPED_TRACE("cell " + key);
          ASSERT_EQ(c.own.size(), kPercents.size()) << "the cells' shapes differ: each has its own places";
          for (std::size_t k = 0; k < kPercents.size(); ++k) EXPECT_EQ(c.own[k], c.point_at.at(kPercents[k]));
          const std::vector<double>& ref = rotate ? c.vref : c.href;
          ASSERT_EQ(ref.size(), kRefs.size());
          for (std::size_t k = 0; k < kRefs.size(); ++k) EXPECT_EQ(ref[k], c.point_at.at(kRefs[k]));
        }
        EXPECT_GE(checked, 2) << o.log;
        // The key cell's places as the panel passes them read back as its own.
        const std::vector<double> panel = numbers(dyn(o.dump, "_PCTLVALUES"));
        const std::map<std::string, cell_places> cells = cells_of(o.dump);
        const cell_places& key = cells.begin()->second;
        if (key.point_at.size() == kValues && panel.size() == kPercents.size()) {
          for (std::size_t k = 0; k < kPercents.size(); ++k) EXPECT_EQ(panel[k], key.point_at.at(kPercents[k]));
        }
      }
    }
  }
}

// ---- the SVG ----

struct svg_point {
  double x, y;
};

// The markers (uses of a marker symbol "mk...").
std::vector<svg_point> markers(const std::string& svg) {
  std::vector<svg_point> out;
  for (const kes_test::svg_use& u : kes_test::svg_uses(svg))
    if (u.id.rfind("mk", 0) == 0) out.push_back({u.x, u.y});
  return out;
}

// Dashed vertical lines (reference lines): x and their y span.
struct svg_vline {
  double x, y1, y2;
};
std::vector<svg_vline> dashed_vlines(const std::string& svg) {
  std::vector<svg_vline> out;
  for (const kes_test::svg_element& e : kes_test::svg_elements(svg))
    if (e.name == "line" && e.attrs.count("stroke-dasharray") && e.get("x1") == e.get("x2"))
      out.push_back({e.num("x1"), std::min(e.num("y1"), e.num("y2")), std::max(e.num("y1"), e.num("y2"))});
  return out;
}

// The x of the k-th point (from the left) of those between y1 and y2.
double kth_point_x(const std::vector<svg_point>& pts, double y1, double y2, std::size_t k) {
  std::vector<double> xs;
  for (const svg_point& p : pts)
    if (p.y >= y1 && p.y <= y2) xs.push_back(p.x);
  std::sort(xs.begin(), xs.end());
  return k < xs.size() ? xs[k] : NAN;
}

// Texts of the SVG that read `text`: the centre of each and its baseline.
std::vector<svg_point> texts_reading(const std::string& svg, const std::string& text) {
  std::vector<svg_point> out;
  for (const kes_test::svg_element& e : kes_test::svg_elements(svg)) {
    if (e.name != "text" || e.text != text) continue;
    double x = e.num("x");
    // Texts anchored at their start: the centre is half their length on.
    if (!e.attrs.count("text-anchor") && e.attrs.count("textLength")) x += e.num("textLength") / 2;
    out.push_back({x, e.num("y")});
  }
  return out;
}

// The one graph a program draws under `graphics`, and its markers.
struct one_graph {
  std::string svg;
  std::vector<svg_point> pts;
};
one_graph draw_one(const kes_test::scratch_dir& dir, const std::string& graphics, const std::string& program) {
  const run_out o = run(dir, graphics, program);
  EXPECT_EQ(o.svgs.size(), 1u) << o.log;
  one_graph g;
  if (!o.svgs.empty()) g.svg = o.svgs[0], g.pts = markers(g.svg);
  return g;
}

// The x of the k-th point (from the left) of each overlaid group, by the colour of its
// marker; the group's marker in the legend, below the frame, left out.
std::map<std::string, double> kth_x_by_colour(const std::string& svg, std::size_t k) {
  std::map<std::string, std::string> colour;
  for (const kes_test::svg_element& e : kes_test::svg_elements(svg))
    if (e.name == "path" && e.get("id").rfind("mk", 0) == 0 && e.get("fill") == "none") colour[e.get("id")] = e.get("stroke");
  std::map<std::string, std::vector<svg_point>> by_colour;
  for (const kes_test::svg_use& u : kes_test::svg_uses(svg))
    if (u.id.rfind("mk", 0) == 0) by_colour[colour[u.id]].push_back({u.x, u.y});
  std::map<std::string, double> out;
  for (auto& [c, pts] : by_colour) {
    std::sort(pts.begin(), pts.end(), [](const svg_point& a, const svg_point& b) { return a.y < b.y; });
    if (pts.size() == kValues + 1) pts.pop_back();
    out[c] = kth_point_x(pts, -1e9, 1e9, k);
  }
  return out;
}

// Those x in increasing order.
std::vector<double> groups_kth_x(const std::string& svg, std::size_t k) {
  std::vector<double> out;
  for (const auto& [c, x] : kth_x_by_colour(svg, k)) out.push_back(x);
  std::sort(out.begin(), out.end());
  return out;
}

// R's mtcars (hp by am), as R 4.x gives it: each cell fits its own lognormal sigma.
void write_mtcars(const fs::path& file) {
  const int hp[] = {110, 110, 93,  110, 175, 105, 245, 62,  95,  123, 123, 180, 180, 180, 205, 215,
                    230, 66,  52,  65,  97,  150, 150, 245, 175, 66,  91,  113, 264, 175, 335, 109};
  const int am[] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1};
  std::ofstream out(file);
  out << "hp,am\n";
  for (int i = 0; i < 32; ++i) out << hp[i] << "," << am[i] << "\n";
}

// In both renderers each cell's HREF=90 line stands at the x of the cell's point of
// 90 %, and (device) each cell's reference line is in its own frame.
TEST(RunnerPctlPlaces, ReferenceLinesInTheSvgStandOnTheCellsOwnPoint) {
  kes_test::scratch_dir dir{"pctl-places-svg"};
  write_cells(dir / "d.csv", 1.7e9);
  for (const std::string graphics : {"template", "device"}) {
    SCOPED_TRACE(graphics);
    const one_graph g = draw_one(dir, graphics,
                                 "proc kestravine data=d noprint; class g;\n"
                                 "  probplot x / lognormal(sigma=est theta=0 zeta=est) rankadj=0 nadj=1\n"
                                 "    pctlorder=5 10 25 50 75 90 95 href=90 hreflabels='P90';\nrun;\n");
    const std::vector<svg_vline> lines = dashed_vlines(g.svg);
    ASSERT_EQ(lines.size(), 3u);
    for (const svg_vline& l : lines) EXPECT_NEAR(l.x, kth_point_x(g.pts, l.y1, l.y2, 17), 0.011);
  }
}

// A Q-Q plot's percentile axis over cells of shapes of their own: every cell carries
// its own, whose 90 stands over the cell's point of 90 % (both renderers); overlaid
// groups of such shapes get a row of percents each, or (rotated) none, saying why.
TEST(RunnerPctlPlaces, QqPercentileAxesAreEachCellsOwn) {
  kes_test::scratch_dir dir{"pctl-places-qq"};
  write_cells(dir / "d.csv", 0);
  for (const std::string graphics : {"template", "device"}) {
    SCOPED_TRACE(graphics);
    const one_graph g =
        draw_one(dir, graphics,
                 "proc kestravine data=d noprint; class g;\n"
                 "  qqplot x / lognormal(sigma=est theta=0 zeta=est) rankadj=0 nadj=1 pctlaxis;\nrun;\n");
    const std::vector<svg_point> nineties = texts_reading(g.svg, "90");
    ASSERT_EQ(nineties.size(), 3u) << "one percentile axis a cell";
    // Each axis stands over its own cell: the points below it down to the next axis.
    std::vector<double> ys;
    for (const svg_point& t : nineties) ys.push_back(t.y);
    std::sort(ys.begin(), ys.end());
    for (const svg_point& t : nineties) {
      const auto next = std::upper_bound(ys.begin(), ys.end(), t.y);
      const double below = next == ys.end() ? 1e9 : *next;
      EXPECT_NEAR(t.x, kth_point_x(g.pts, t.y, below, 17), 0.02);
    }
  }
  // Overlaid, each group's percents stand in a row of their own (under the frame, or
  // over it for the percentile axis) and its HREF=90 line on its own point of 90 %,
  // named by its group.
  const run_out over = run(dir, "template",
                           "proc kestravine data=d noprint; class g;\n"
                           "  probplot x / lognormal(sigma=est theta=0 zeta=est) rankadj=0 nadj=1\n"
                           "    pctlorder=5 10 25 50 75 90 95 overlay href=90 hreflabels='P90';\n"
                           "  qqplot x / lognormal(sigma=est theta=0 zeta=est) rankadj=0 nadj=1 pctlaxis overlay;\nrun;\n");
  ASSERT_EQ(over.svgs.size(), 2u) << over.log;
  EXPECT_EQ(over.log.find("The OVERLAY groups"), std::string::npos) << over.log;
  for (const std::string& svg : over.svgs) {
    ASSERT_EQ(groups_kth_x(svg, 17).size(), 3u);
    // Each group's 90 (in its colour) over its own point of 90 %; group a's percents
    // crowd, so that its 90 may be thinned out, never misplaced.
    const std::map<std::string, double> own = kth_x_by_colour(svg, 17);
    int rows = 0;
    for (const kes_test::svg_element& e : kes_test::svg_elements(svg)) {
      if (e.name != "text" || e.text != "90") continue;
      ++rows;
      const std::string fill = e.get("fill");
      ASSERT_EQ(own.count(fill), 1u) << fill;
      EXPECT_NEAR(e.num("x"), own.at(fill), 0.011) << fill;
    }
    EXPECT_GE(rows, 2) << "a row of percents a group";
    for (const char* name : {">g = a<", ">g = b<", ">g = c<"}) EXPECT_NE(svg.find(name), std::string::npos) << name;
  }
  std::vector<double> on_lines;
  for (const svg_vline& l : dashed_vlines(over.svgs[0])) on_lines.push_back(l.x);
  std::sort(on_lines.begin(), on_lines.end());
  const std::vector<double> on_points = groups_kth_x(over.svgs[0], 17);
  ASSERT_EQ(on_lines.size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(on_lines[k], on_points[k], 0.011);
  for (const char* label : {">P90 (g = a)<", ">P90 (g = b)<", ">P90 (g = c)<"})
    EXPECT_NE(over.svgs[0].find(label), std::string::npos) << label;

  // Rotated, a frame holds no row a group: none, saying so.
  const run_out o = run(dir, "template",
                        "proc kestravine data=d noprint; class g;\n"
                        "  qqplot x / lognormal(sigma=est theta=0 zeta=est) pctlaxis overlay rotate;\n"
                        "  probplot x / lognormal(sigma=est theta=0 zeta=est) overlay rotate;\nrun;\n");
  ASSERT_EQ(o.svgs.size(), 2u);
  for (const std::string& svg : o.svgs) {
    EXPECT_NE(svg.find("No percent axis: the groups"), std::string::npos);
    EXPECT_TRUE(texts_reading(svg, "90").empty());
  }
  EXPECT_NE(o.log.find("The OVERLAY groups of the Q-Q plot of x fit shapes of their own"), std::string::npos) << o.log;
  EXPECT_NE(o.log.find("The OVERLAY groups of the probability plot of x fit shapes of their own"), std::string::npos);
}

// The everyday cases: a shape of 3E-8 (Unix times a minute apart) and a Weibull shape
// of 75,000 (arrival times over a day) keep every percent apart, and R's mtcars puts
// HREF=90 at each cell's own 90 % place (R: exp(qnorm(0.9) * sd(log(hp))) by am).
TEST(RunnerPctlPlaces, EverydayPercentPlaces) {
  kes_test::scratch_dir dir{"pctl-places-everyday"};
  {
    std::ofstream out(dir / "ts.csv");
    out << "ts\n";
    char buf[64];
    for (int i = 0; i < 200; ++i) {
      std::snprintf(buf, sizeof buf, "%.3f", 1733650000 + 60 * std::sin(i * 1.7) * std::sqrt(3.0));
      out << buf << "\n";
    }
  }
  write_mtcars(dir / "mtcars.csv");
  const run_out o = run(dir, "template",
                        "proc kestravine data=ts noprint;\n  probplot ts / lognormal(sigma=est theta=0 zeta=est);\nrun;\n"
                        "proc kestravine data=mtcars noprint;\n  class am;\n"
                        "  probplot hp / lognormal(sigma=est theta=0 zeta=est) href=90 hreflabels='P90';\nrun;\n");
  const std::vector<double> places = numbers(dyn(o.dump, "_PCTLVALUES"));
  ASSERT_EQ(places.size(), 11u);
  for (std::size_t k = 1; k < places.size(); ++k) EXPECT_LT(places[k - 1], places[k]) << "percents kept apart";
  const std::map<std::string, cell_places> cells = cells_of(o.dump.substr(o.dump.find("data=mtcars") == std::string::npos
                                                                             ? o.dump.rfind("data ProbPlotData")
                                                                             : 0));
  ASSERT_EQ(cells.at("0").href.size(), 1u);
  ASSERT_EQ(cells.at("1").href.size(), 1u);
  // R 4.x: exp(qnorm(0.9) * sd(log(hp))) by am.
  EXPECT_NEAR(cells.at("0").href[0], 1.61520711022760888, 1e-13);
  EXPECT_NEAR(cells.at("1").href[0], 2.02642142711925377, 1e-13);
}

}  // namespace
