// How template graphs read, checked on the SVG files of whole runs: data ends inside
// padded frames, room above the tallest bar, opaque insets drawn after the curves and
// moved to the free corner, empty CLASS cells with frame, strip and note, short legend
// numbers, tick texts that never meet, legends of only what is drawn, the plot's half
// of the page under a long legend, VAXIS= on histograms, and a comparative QQ panel
// with values that are not finite left out with a note.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "graph_run.h"
#include "support/svg_marks.h"
#include "support/svg_reader.h"

namespace {

using kes_test::svg_element;

struct box {
  double x, y, w, h;
  bool holds(double px, double py) const { return px > x && px < x + w && py > y && py < y + h; }
};

box box_of(const svg_element& e) { return {e.num("x"), e.num("y"), e.num("width"), e.num("height")}; }

// The frame lines of the cells: unfilled rectangles in the frame colour.
std::vector<box> frames(const std::vector<svg_element>& els) {
  std::vector<box> out;
  for (const svg_element& e : els)
    if (e.name == "rect" && e.get("fill") == "none" && e.get("stroke") == "#4A4A4A") out.push_back(box_of(e));
  return out;
}

// The one SVG file a run wrote (most tests make one graph).
std::vector<svg_element> only_graph(const kes_test::graph_run& r) {
  EXPECT_EQ(r.svg.size(), 1u) << r.log;
  return r.svg.empty() ? std::vector<svg_element>{} : kes_test::svg_elements(r.svg.begin()->second);
}

kes_test::graph_run run(const std::string& csv, const std::string& statements) {
  return kes_test::run_program(csv, "proc kestravine data=d noprint; var x; " + statements + " run;\n");
}

std::string values(const std::vector<double>& xs) {
  std::string csv = "x\n";
  for (double v : xs) csv += std::to_string(v) + "\n";
  return csv;
}

TEST(GraphLook, FirstAndLastValuesLieInsideTheFrame) {
  // The ECDF of 1, 2, 3, 4 jumps at 1 and at 4; QQ and P-P points at the data's ends.
  struct row {
    const char* statements;
    const char* element;  // what carries the data: the ECDF step line, or point markers
  };
  const row rows[] = {
      {"cdfplot x / normal;", "polyline"},
      {"qqplot x / normal(mu=est sigma=est);", "use"},
      {"probplot x / normal(mu=est sigma=est);", "use"},
      {"ppplot x / normal(mu=est sigma=est);", "use"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.statements);
    const auto els = only_graph(run(values({1, 2, 3, 4}), r.statements));
    const std::vector<box> f = frames(els);
    ASSERT_EQ(f.size(), 1u);
    int checked = 0;
    const bool marker = std::string(r.element) == "use";
    for (const svg_element& e : els) {
      if (e.name != r.element || (!marker && e.get("stroke") != "#1F1F1F")) continue;
      // The step line's ends; a marker's circle (5 px across) at its place.
      std::vector<std::pair<double, double>> ends;
      if (marker) {
        const double x = std::stod(e.get("x")), y = std::stod(e.get("y"));
        ends = {{x - 2.5, y}, {x + 2.5, y}, {x, y - 2.5}, {x, y + 2.5}};
      } else {
        const auto pts = kes_test::svg_points(e.get("points"));
        ASSERT_FALSE(pts.empty());
        ends = {{pts.front().x, pts.front().y}, {pts.back().x, pts.back().y}};
      }
      for (const auto& [x, y] : ends) EXPECT_TRUE(f[0].holds(x, y)) << x << "," << y;
      ++checked;
    }
    EXPECT_GE(checked, 1);
  }
}

TEST(GraphLook, TallestBarAndEndBarsKeepRoomFromTheFrame) {
  // One value (a single bar of 100 %), two bars of 50 %, and bars reaching a round 20 %.
  const std::vector<std::vector<double>> sets = {
      {5, 5, 5, 5},
      {1, 1, 2, 2},
      {1, 2, 2, 3, 3, 4, 4, 5, 5, 6},
  };
  for (const auto& s : sets) {
    const auto els = only_graph(run(values(s), "histogram x;"));
    const std::vector<box> f = frames(els);
    ASSERT_EQ(f.size(), 1u);
    int bars = 0;
    for (const svg_element& e : els) {
      if (e.name != "rect" || e.get("fill") != "#C6DBEF") continue;
      const box b = box_of(e);
      EXPECT_GT(b.y, f[0].y + 1) << "bar top on the frame";
      EXPECT_GT(b.x, f[0].x + 1) << "bar on the left side of the frame";
      EXPECT_LT(b.x + b.w, f[0].x + f[0].w - 1) << "bar on the right side of the frame";
      ++bars;
    }
    EXPECT_GE(bars, 1);
  }
}

TEST(GraphLook, InsetBoxIsOpaqueDrawnAfterTheCurvesAndTakesTheFreeCorner) {
  // Most values lie low: the tall bars stand on the left, so an inset without a
  // position leaves the upper left corner for the free upper right one.
  std::vector<double> xs;
  for (int i = 0; i < 40; ++i) xs.push_back(i < 34 ? 1 : 4 + (i % 7));
  struct row {
    const char* inset;
    bool right;
  };
  const row rows[] = {
      {"inset n mean std;", true},           // automatic: the free corner
      {"inset n mean std / pos=nw;", false},  // the program's corner stays
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.inset);
    const auto els = only_graph(run(values(xs), std::string("histogram x / normal; ") + r.inset));
    const std::vector<box> f = frames(els);
    ASSERT_EQ(f.size(), 1u);
    std::ptrdiff_t curve = -1, inset = -1;
    for (std::size_t i = 0; i < els.size(); ++i) {
      if (els[i].name == "polyline") curve = static_cast<std::ptrdiff_t>(i);
      if (els[i].name == "rect" && els[i].get("stroke") == "#4A4A4A" && els[i].get("fill") == "#FFFFFF")
        inset = static_cast<std::ptrdiff_t>(i);
    }
    ASSERT_GE(curve, 0);
    ASSERT_GE(inset, 0) << "no filled inset box";
    EXPECT_GT(inset, curve);
    const box b = box_of(els[static_cast<std::size_t>(inset)]);
    EXPECT_EQ(b.x + b.w / 2 > f[0].x + f[0].w / 2, r.right);
  }
}

TEST(GraphLook, EmptyClassCombinationHasFrameStripLevelAndNote) {
  struct row {
    const char* csv;
    const char* layout;
    const char* page;      // the graph that shows cell (b, v)
    std::size_t frames;    // frames on that page
    const char* cells;     // its description's count
  };
  const row rows[] = {
      // (b, v) holds only a missing value: a cell of its own on the one page.
      {"x,c,d\n1,a,u\n2,a,u\n3,a,v\n4,a,v\n5,b,u\n6,b,u\n.,b,v\n", "nrows=2 ncols=2", "Histogram1.svg", 4,
       "4 CLASS cells."},
      // (b, v) has no row at all: its page shows only that combination.
      {"x,c,d\n1,a,u\n2,a,u\n3,a,v\n4,a,v\n5,b,u\n6,b,u\n", "nrows=1 ncols=1", "Histogram4.svg", 1,
       "1 CLASS cell."},
  };
  for (const row& t : rows) {
    SCOPED_TRACE(t.layout);
    const auto r = kes_test::run_program(
        t.csv, std::string("proc kestravine data=d noprint; var x; class c d; histogram x / ") + t.layout + "; run;\n");
    ASSERT_EQ(r.status, 0) << r.log;
    ASSERT_EQ(r.svg.count(t.page), 1u) << r.log;
    const std::string& doc = r.svg.at(t.page);
    const auto els = kes_test::svg_elements(doc);
    const std::vector<box> f = frames(els);
    EXPECT_EQ(f.size(), t.frames);
    const svg_element* note = nullptr;
    bool strip = false;
    for (const svg_element& e : els) {
      if (e.name == "text" && e.text == "no nonmissing values") note = &e;
      if (e.name == "text" && e.text == "c = b, d = v") strip = true;
    }
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(strip);
    EXPECT_TRUE(std::any_of(f.begin(), f.end(), [&](const box& b) { return b.holds(note->num("x"), note->num("y")); }));
    EXPECT_NE(doc.find(t.cells), std::string::npos);
  }
}

// Significant digits of a number's text ("0.0012" 2, "1.27665442" 9, "1.2346E8" 5).
int significant(const std::string& number) {
  std::string mantissa = number.substr(0, number.find_first_of("Ee"));
  std::string digits;
  for (char ch : mantissa)
    if (std::isdigit(static_cast<unsigned char>(ch))) digits += ch;
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  if (mantissa.find('.') == std::string::npos) digits.erase(digits.find_last_not_of('0') + 1);
  return static_cast<int>(digits.size());
}

TEST(GraphLook, NoTextShowsMoreThanEightSignificantDigits) {
  EXPECT_EQ(significant("0.0012"), 2);
  EXPECT_EQ(significant("1.27665442008386"), 15);
  EXPECT_EQ(significant("1.2346E8"), 5);
  EXPECT_EQ(significant("1200"), 2);
  const char* const statements[] = {
      "histogram x / kernel;",
      "histogram x / kernel(k=normal triangular lower=20 upper=80) normal;",
      "histogram x / normal; inset mean std skewness / header='Fit';",
      "cdfplot x / normal; inset mean std;",
  };
  const std::regex number("[0-9]+(\\.[0-9]+)?([Ee][-+]?[0-9]+)?");
  for (const char* s : statements) {
    SCOPED_TRACE(s);
    const auto r = kes_test::run_graphs(s);
    ASSERT_EQ(r.status, 0) << r.log;
    int texts = 0;
    for (const auto& [file, doc] : r.svg)
      for (const svg_element& e : kes_test::svg_elements(doc)) {
        if (e.name != "text") continue;
        ++texts;
        for (auto it = std::sregex_iterator(e.text.begin(), e.text.end(), number); it != std::sregex_iterator(); ++it)
          EXPECT_LE(significant(it->str()), 8) << e.text;
      }
    EXPECT_GT(texts, 0);
  }
}

// Boxes of the tick texts (11 px) of the horizontal axes (centred) and vertical axes
// (right-aligned), from their anchor and textLength.
struct tick_box {
  double lo, hi, across;
};
void tick_boxes(const std::vector<svg_element>& els, std::vector<tick_box>* horizontal, std::vector<tick_box>* vertical) {
  for (const svg_element& e : els) {
    if (e.name != "text" || e.get("font-size") != "11" || !e.get("transform").empty()) continue;
    const double x = e.num("x"), y = e.num("y"), w = e.num("textLength");
    if (e.get("text-anchor") == "middle") horizontal->push_back({x - w / 2, x + w / 2, y});
    else if (e.get("text-anchor") == "end") vertical->push_back({y - 9, y + 2, x});
  }
}

// Texts in one row (same baseline) or one column (same right edge) that overlap.
int overlaps(std::vector<tick_box> boxes, double room) {
  std::sort(boxes.begin(), boxes.end(), [](const tick_box& a, const tick_box& b) {
    return a.across != b.across ? a.across < b.across : a.lo < b.lo;
  });
  int n = 0;
  for (std::size_t i = 1; i < boxes.size(); ++i)
    if (std::fabs(boxes[i].across - boxes[i - 1].across) < 0.01 && boxes[i].lo < boxes[i - 1].hi + room) ++n;
  return n;
}

TEST(GraphLook, TickTextsOfOneAxisAndOfNeighbouringPanelsNeverMeet) {
  const char* const statements[] = {
      "histogram x / midpoints=20 to 80 by 1.5;",
      "class c; histogram x / ncols=3 nrows=1 midpoints=25.05 to 74.95 by 1.05;",
      "class c d; histogram x / ncols=2 nrows=3 nmidpoints=40;",
      "class c; qqplot x / normal ncols=3 nrows=1;",
      "probplot x / normal pctlorder=1 1.1 1.2 1.3 50 99 99.5;",
  };
  for (const char* s : statements) {
    SCOPED_TRACE(s);
    const auto r = kes_test::run_graphs(s);
    ASSERT_EQ(r.status, 0) << r.log;
    for (const auto& [file, doc] : r.svg) {
      std::vector<tick_box> h, v;
      tick_boxes(kes_test::svg_elements(doc), &h, &v);
      EXPECT_GE(h.size(), 2u) << file;
      EXPECT_EQ(overlaps(h, 4), 0) << file;
      EXPECT_EQ(overlaps(v, 0), 0) << file;
    }
  }
}

std::vector<std::string> legend_texts(const std::vector<svg_element>& els) {
  // The legend is the last framed box of the page (#BDBDBD); its texts follow it.
  std::vector<std::string> out;
  bool in = false;
  for (const svg_element& e : els) {
    if (e.name == "rect" && e.get("stroke") == "#BDBDBD") in = true;
    else if (in && e.name == "text") out.push_back(e.text);
  }
  return out;
}

bool has_prefix(const std::vector<std::string>& texts, const std::string& prefix) {
  return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
}

TEST(GraphLook, LegendListsOnlyWhatIsDrawn) {
  // A normal line far above every point is wholly off the plot.
  const auto off = only_graph(run(values({1, 2, 3, 4, 5}), "qqplot x / normal(mu=1000 sigma=1);"));
  EXPECT_FALSE(has_prefix(legend_texts(off), "Normal Line"));
  const auto on = only_graph(run(values({1, 2, 3, 4, 5}), "qqplot x / normal(mu=3 sigma=1);"));
  EXPECT_TRUE(has_prefix(legend_texts(on), "Normal Line"));

  // In cell a every value is equal: its normal fit fails, and its panel's legend does
  // not list the curve that cell b draws.
  const std::string csv = "x,c\n2,a\n2,a\n2,a\n1,b\n2,b\n4,b\n7,b\n";
  const auto r = kes_test::run_program(
      csv, "proc kestravine data=d noprint; var x; class c; histogram x / normal kernel nrows=1 ncols=1; run;\n");
  ASSERT_EQ(r.status, 0) << r.log;
  ASSERT_EQ(r.svg.size(), 2u) << r.log;
  const auto a = legend_texts(kes_test::svg_elements(r.svg.at("Histogram1.svg")));
  const auto b = legend_texts(kes_test::svg_elements(r.svg.at("Histogram2.svg")));
  EXPECT_FALSE(has_prefix(a, "Normal")) << r.log;
  EXPECT_TRUE(has_prefix(b, "Normal"));
}

TEST(GraphLook, ThirteenCurvesLeaveThePlotHalfThePage) {
  std::string mus, sigmas;
  for (int i = 0; i < 13; ++i) mus += " " + std::to_string(40 + i), sigmas += " " + std::to_string(6 + i);
  const auto r = kes_test::run_graphs("histogram x / normal(mu=" + mus + " sigma=" + sigmas + ");");
  ASSERT_EQ(r.status, 0) << r.log;
  const auto els = only_graph(r);
  const std::vector<box> f = frames(els);
  ASSERT_EQ(f.size(), 1u);
  double page = 0;
  for (const svg_element& e : els)
    if (e.name == "svg") page = e.num("height");
  EXPECT_GE(f[0].h, page / 2);
  EXPECT_EQ(legend_texts(els).size(), 14u);  // the title and every curve
}

TEST(GraphLook, VaxisListSetsTheVerticalAxisOfATemplateHistogram) {
  const auto r = kes_test::run_graphs("histogram x / vaxis=0 to 50 by 10;");
  ASSERT_EQ(r.status, 0) << r.log;
  const auto els = only_graph(r);
  std::vector<std::string> texts;
  for (const svg_element& e : els)
    if (e.name == "text" && e.get("text-anchor") == "end") texts.push_back(e.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"0", "10", "20", "30", "40", "50"}));
  // The top tick sits on the frame's top (its text centred on it): the program fixed the range.
  const std::vector<box> f = frames(els);
  ASSERT_EQ(f.size(), 1u);
  for (const svg_element& e : els) {
    if (e.name == "text" && e.get("text-anchor") == "end" && e.text == "50") {
      EXPECT_NEAR(e.num("y"), f[0].y + 3, 2);
    }
  }
}

TEST(GraphLook, ComparativeQqPanelLeavesValuesAtTheThresholdOutWithANote) {
  // Weibull2 takes logs: the values at 0 of cell a have none, and are left out of it.
  const std::string csv = "x,c\n0,a\n0,a\n1,a\n2,a\n3,b\n4,b\n5,b\n";
  const auto r = kes_test::run_program(
      csv, "proc kestravine data=d noprint; var x; class c; qqplot x / weibull2 nrows=1 ncols=1; run;\n");
  EXPECT_EQ(r.status, 0) << r.log;
  EXPECT_EQ(r.log.find("Internal error"), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("In the cell c = a, the values of x at or below the two-parameter Weibull threshold "
                       "(within 0.001) are not plotted: 2 values."),
            std::string::npos)
      << r.log;
  EXPECT_EQ(r.log.find("not finite"), std::string::npos) << r.log;
  // Both panels are drawn.
  EXPECT_EQ(r.svg.size(), 2u) << r.log;
}

}  // namespace
