// Boxes of template graphs keep clear of what the cells draw, run through the runner
// and read back with the shared SVG reader: the box that names the groups an overlay
// leaves out stands off the points and lines (beside the frame where every corner holds
// some); a box keeps off a cell's "1 value" and "all values equal" words and off HREF=
// lines as it keeps off VREF= lines, and off the labels of both; so does the note of
// values at a two-parameter Weibull threshold; boxes beside a frame stand in one line
// when they do not meet, and the page grows for a box beside any cell of a column, not
// only its last.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "graph_run.h"
#include "support/svg_parts.h"

namespace {

using kes_test::box;
using kes_test::graph_parts;
using kes_test::graph_run;
using kes_test::text_item;

// The inset boxes of a graph that hold a text starting with `start`.
std::vector<box> boxes_holding(const graph_parts& g, const std::string& start) {
  std::vector<box> out;
  for (const kes_test::text_box& b : g.boxes) {
    if (b.kind != kes_test::box_kind::inset) continue;
    const bool holds = std::any_of(g.texts.begin(), g.texts.end(), [&](const text_item& t) {
      return t.text.rfind(start, 0) == 0 && b.b.holds(t.cx(), t.cy());
    });
    if (holds) out.push_back(b.b);
  }
  return out;
}

std::vector<box> inset_boxes(const graph_parts& g) {
  std::vector<box> out;
  for (const kes_test::text_box& b : g.boxes)
    if (b.kind == kes_test::box_kind::inset) out.push_back(b.b);
  return out;
}

// What of the data a box covers: markers (within half a marker) and line segments.
std::string covered(const graph_parts& g, const box& b) {
  std::string out;
  for (const auto& [x, y] : g.markers)
    if (b.holds(x, y, -2.5)) out += "a marker at " + std::to_string(x) + "," + std::to_string(y) + "; ";
  for (const kes_test::segment& s : g.lines)
    if (kes_test::crosses(s, b)) {
      out += "a line through it; ";
      break;
    }
  return out;
}

// Twelve groups of ten values, their means far apart so that their points and lines
// reach every corner of the frame, and groups of one value each.
std::string overlay_csv(int single_groups) {
  std::string csv = "c,x\n";
  for (int g = 0; g < 12; ++g)
    for (int i = 0; i < 10; ++i)
      csv += "G" + std::to_string(10 + g) + "," + std::to_string(g * 10 + (i - 4.5) * 1.3 + (i % 3) * 0.4) + "\n";
  for (int g = 0; g < single_groups; ++g) csv += "S" + std::to_string(10 + g) + "," + std::to_string(50 + g) + "\n";
  return csv;
}

TEST(BoxClearRuns, OverlayNoteOfGroupsNotDrawnStandsOffTheData) {
  const struct {
    const char* what;
    const char* plot;
  } kinds[] = {
      {"Q-Q plot", "qqplot x / normal(mu=est sigma=est) overlay;"},
      {"probability plot", "probplot x / normal(mu=est sigma=est) overlay;"},
      {"P-P plot", "ppplot x / normal overlay;"},
      {"CDF plot", "cdfplot x / normal overlay;"},
  };
  for (const int singles : {2, 5})
    for (const auto& k : kinds) {
      SCOPED_TRACE(std::string(k.what) + ", " + std::to_string(singles) + " groups of one value");
      const graph_run r =
          kes_test::run_program(overlay_csv(singles), std::string("proc kestravine data=d noprint; class c; ") +
                                                          k.plot + " run;\n");
      ASSERT_EQ(r.status, 0) << r.log;
      ASSERT_EQ(r.svg.size(), 1u) << r.log;
      const graph_parts g = kes_test::read_parts(r.svg.begin()->second);
      const std::vector<box> notes = boxes_holding(g, "S1");
      ASSERT_EQ(notes.size(), 1u) << "the note of the groups not drawn";
      EXPECT_EQ(covered(g, notes.front()), "");
      for (const text_item& t : g.texts) {
        if (t.text.rfind("S1", 0) != 0 || t.text.find("not drawn") == std::string::npos) continue;
        EXPECT_TRUE(t.ink.x0 >= 0 && t.ink.y0 >= 0 && t.ink.x1 <= g.width && t.ink.y1 <= g.height) << t.text;
      }
    }
}

TEST(BoxClearRuns, BoxAtNorthKeepsOffTheWordsOfACell) {
  // Cell a: a normal-looking sample; b: one value; e: five equal values.
  std::string csv = "c,x\n";
  for (int i = 0; i < 30; ++i) csv += "a," + std::to_string(40 + (i * 7) % 19 + (i % 5) * 0.3) + "\n";
  csv += "b,47\n";
  for (int i = 0; i < 5; ++i) csv += "e,52\n";
  for (const char* plot : {"qqplot x / normal(mu=est sigma=est);", "probplot x / normal(mu=est sigma=est);",
                           "ppplot x / normal;", "cdfplot x / normal;"}) {
    SCOPED_TRACE(plot);
    const graph_run r = kes_test::run_program(
        csv, std::string("proc kestravine data=d noprint; class c; ") + plot +
                 " inset n mean std min max median q1 q3 range / position=n; run;\n");
    ASSERT_EQ(r.status, 0) << r.log;
    ASSERT_EQ(r.svg.size(), 1u) << r.log;
    const graph_parts g = kes_test::read_parts(r.svg.begin()->second);
    int words = 0;
    for (const text_item& t : g.texts) {
      if (t.text != "1 value" && t.text != "all values equal") continue;
      ++words;
      for (const box& b : inset_boxes(g)) EXPECT_FALSE(b.overlaps(t.ink, 0)) << t.text << " under " << place(b);
    }
    EXPECT_EQ(words, 2);
  }
}

TEST(BoxClearRuns, BoxesKeepOffHrefLinesAsOffVrefLines) {
  std::string csv = "x\n";
  for (int i = 0; i < 60; ++i) csv += std::to_string(20 + (i * 37) % 23 + (i % 7) * 0.25) + "\n";
  for (const char* plot : {"histogram x / href=40 41.5;", "histogram x / vref=8;", "qqplot x / href=1.5 1.8;",
                           "cdfplot x / href=40 41;"})
    for (const char* pos : {"ne", "nw", "se"}) {
      SCOPED_TRACE(std::string(plot) + " at " + pos);
      const graph_run r = kes_test::run_program(csv, std::string("proc kestravine data=d noprint; ") + plot +
                                                         " inset n mean std / position=" + pos + "; run;\n");
      ASSERT_EQ(r.status, 0) << r.log;
      ASSERT_EQ(r.svg.size(), 1u) << r.log;
      const graph_parts g = kes_test::read_parts(r.svg.begin()->second);
      const std::vector<box> boxes = inset_boxes(g);
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(covered(g, boxes.front()), "");
    }
}

// A box stands over no text of the graph: reference lines with labels across the top
// (or the bottom) and along both sides of the frame, a box at every position, on every
// plot kind. The labels were left out of what a box keeps off: a box clear of the
// lines stood over the label beside one.
TEST(BoxClearRuns, BoxesKeepOffReferenceLabels) {
  std::string csv = "x\n";
  for (int i = 0; i < 60; ++i) csv += std::to_string(20 + (i * 37) % 23 + (i % 7) * 0.25) + "\n";
  const struct {
    const char* plot;
    const char* hrefs;
    const char* vrefs;
  } kinds[] = {
      {"histogram x", "22 31 40", "2 11"},
      {"qqplot x / normal", "-1.9 -0.2 1.5", "21 41"},
      {"probplot x / normal", "4 40 85", "21 41"},
      {"cdfplot x", "22 31 40", "8 90"},
      {"ppplot x / normal", "0.1 0.45 0.8", "0.08 0.92"},
  };
  const char* const refs[] = {"href=%H hreflabels='Ref one' 'Ref two' 'Ref three'",
                              "href=%H hreflabels='Ref one' 'Ref two' 'Ref three' hreflabpos=3",
                              "vref=%V vreflabels='Ref low' 'Ref high'",
                              "vref=%V vreflabels='Ref low' 'Ref high' vreflabpos=2"};
  const char* const positions[] = {"nw", "n", "ne", "e", "se", "s", "sw", "w"};
  for (const auto& k : kinds)
    for (const char* ref : refs) {
      std::string options = ref;
      const std::size_t at = options.find('%');
      options.replace(at, 2, options[at + 1] == 'H' ? k.hrefs : k.vrefs);
      const std::string slash = std::string(k.plot).find('/') == std::string::npos ? " / " : " ";
      for (const char* pos : positions) {
        SCOPED_TRACE(std::string(k.plot) + slash + options + " at " + pos);
        const graph_run r = kes_test::run_program(csv, std::string("proc kestravine data=d noprint; ") + k.plot +
                                                           slash + options + "; inset n mean std / position=" + pos +
                                                           "; run;\n");
        ASSERT_EQ(r.status, 0) << r.log;
        ASSERT_EQ(r.svg.size(), 1u) << r.log;
        const graph_parts g = kes_test::read_parts(r.svg.begin()->second);
        const std::vector<box> boxes = inset_boxes(g);
        ASSERT_EQ(boxes.size(), 1u);
        int labels = 0, covered_labels = 0;
        for (const text_item& t : g.texts) {
          if (t.text.rfind("Re", 0) != 0 && t.text.rfind("R\u2026", 0) != 0) continue;
          ++labels;
          if (boxes.front().overlaps(t.ink, 0)) {
            ++covered_labels;
            ADD_FAILURE() << "'" << t.text << "' at " << place(t.ink) << " under the box " << place(boxes.front());
          }
        }
        EXPECT_EQ(labels, options[0] == 'h' ? 3 : 2);
        EXPECT_EQ(covered_labels, 0);
        EXPECT_EQ(covered(g, boxes.front()), "");
      }
    }
}

// The note of the values at a two-parameter Weibull threshold stood inside the frame
// over the points wherever they lay, unless an overlay or a box had the cell's boxes
// planned. It keeps off the points and lines as a box does: in a free corner, or beside
// the frame where every corner holds some, at any offset of the threshold.
TEST(BoxClearRuns, ThresholdNoteKeepsOffTheData) {
  for (const double theta : {0.0, 1e9}) {
    // Three values at the threshold; 140 just over it, their points along the foot of
    // the frame; ten far above, at the top right.
    std::string csv = "x\n";
    char v[48];
    for (int i = 0; i < 3; ++i) csv += std::to_string(theta) + "\n";
    for (int i = 0; i < 140; ++i) std::snprintf(v, sizeof v, "%.17g\n", theta + 1 + i * 0.001), csv += v;
    for (int i = 0; i < 10; ++i) std::snprintf(v, sizeof v, "%.17g\n", theta + 40 + i * 0.1), csv += v;
    for (const char* plot : {"qqplot", "probplot"})
      for (const char* refs : {"", " href=%L vref=3.55", " href=%L vref=3.55 hreflabels='Low end' vreflabels='High'"}) {
        std::string options = refs;
        const std::size_t at = options.find("%L");
        if (at != std::string::npos) options.replace(at, 2, std::string(plot) == "qqplot" ? "-5.5" : "0.5");
        SCOPED_TRACE(std::string(plot) + options + " at threshold " + std::to_string(theta));
        char program[256];
        std::snprintf(program, sizeof program, "proc kestravine data=d noprint; %s x / weibull2(theta=%.17g)%s; run;\n",
                      plot, theta, options.c_str());
        const graph_run r = kes_test::run_program(csv, program);
        ASSERT_EQ(r.status, 0) << r.log;
        ASSERT_EQ(r.svg.size(), 1u) << r.log;
        const graph_parts g = kes_test::read_parts(r.svg.begin()->second);
        int notes = 0;
        for (const text_item& t : g.texts) {
          if (t.text != "3 values at the threshold, not drawn") continue;
          ++notes;
          for (const auto& [x, y] : g.markers) EXPECT_FALSE(t.ink.holds(x, y, -2.5)) << "a marker at " << x << "," << y;
          for (const kes_test::segment& s : g.lines) EXPECT_FALSE(kes_test::crosses(s, t.ink)) << "a line under it";
          EXPECT_TRUE(t.ink.x0 >= 0 && t.ink.x1 <= g.width && t.ink.y0 >= 0 && t.ink.y1 <= g.height);
        }
        EXPECT_EQ(notes, 1);
      }
  }
}

// A box of fourteen rows: taller than a third of the frame, so that no rise of the
// axis lets it stand over the bars.
constexpr const char* kTallBox = " inset n mean std min max median q1 q3 range cv skewness kurtosis nmiss mode";

TEST(BoxClearRuns, BoxesAboveOneFrameStandInOneLine) {
  // Even bars: both top corners hold data.
  std::string csv = "x\n";
  for (int i = 0; i < 200; ++i) csv += std::to_string(i % 100 + 0.5) + "\n";
  for (const char* first : {"ne", "nw"}) {
    const std::string second = std::string(first) == "ne" ? "nw" : "ne";
    SCOPED_TRACE(std::string(first) + " then " + second);
    const graph_run r =
        kes_test::run_program(csv, std::string("proc kestravine data=d noprint; histogram x;") + kTallBox +
                                       " / position=" + first + ";" + kTallBox + " / position=" + second + "; run;\n");
    ASSERT_EQ(r.status, 0) << r.log;
    ASSERT_EQ(r.svg.size(), 1u) << r.log;
    const graph_parts g = kes_test::read_parts(r.svg.begin()->second);
    const std::vector<box> boxes = inset_boxes(g);
    ASSERT_EQ(boxes.size(), 2u);
    ASSERT_EQ(g.cells.size(), 1u);
    for (const box& b : boxes) EXPECT_LE(b.y1, g.cells.front().y0) << place(b) << " stands above the frame";
    EXPECT_FALSE(boxes[0].overlaps(boxes[1], 0));
    // Side by side in one line: the page grows by one box's height, not two.
    EXPECT_NEAR(boxes[0].y0, boxes[1].y0, 0.5);
  }
}

TEST(BoxClearRuns, PageGrowsForABoxBesideAnyCellOfAColumn) {
  // Cell a holds its values at the right of the common axis, under its box at E; cell
  // b (drawn under it) at the left, where its box stands inside.
  std::string csv = "c,x\n";
  for (int i = 0; i < 40; ++i) csv += "a," + std::to_string(80 + (i * 7) % 20 + 0.5) + "\n";
  for (int i = 0; i < 40; ++i) csv += "b," + std::to_string(0 + (i * 7) % 20 + 0.5) + "\n";
  csv += "a,0.25\n";
  const graph_run r = kes_test::run_program(
      csv, std::string("proc kestravine data=d noprint; class c; histogram x / nrows=2;") + kTallBox +
               " / position=e; run;\n");
  ASSERT_EQ(r.status, 0) << r.log;
  ASSERT_EQ(r.svg.size(), 1u) << r.log;
  const graph_parts g = kes_test::read_parts(r.svg.begin()->second);
  const std::vector<box> boxes = inset_boxes(g);
  ASSERT_EQ(boxes.size(), 2u);
  const double frame_right = std::max_element(g.cells.begin(), g.cells.end(), [](const box& a, const box& b) {
                               return a.x1 < b.x1;
                             })->x1;
  int beside = 0;
  for (const box& b : boxes) {
    EXPECT_LE(b.x1, g.width) << place(b) << " runs off the page " << g.width << " px wide";
    beside += b.x0 >= frame_right ? 1 : 0;
  }
  EXPECT_EQ(beside, 1) << "one box beside its frame";
}

}  // namespace
