// A device box keeps off its cell's data where the frame has room, and where it must
// stay over bars or points its texts still read: it takes the page's colour as its
// fill (a fill given keeps its own). Scores piled high at the right with a box asked
// at the upper right, bars of one height across the frame, a P-P plot with a box at
// every corner.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/runner_graphs.h"
#include "../support/scratch_files.h"
#include "../support/svg_parts.h"
#include "piled_scores.h"

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  return s;
}

std::string scores_csv() { return kes_piled_scores_csv(); }

// 400 values, four of each of 0 to 99: bars of one height across the frame.
std::string even_csv() {
  std::ostringstream o;
  o << "u\n";
  for (int i = 0; i < 400; ++i) o << i % 100 << "\n";
  return o.str();
}

struct box_case {
  const char* what;
  std::string data, program;
  std::string fill;  // the fill a box over the data takes ("" where none should be over it)
};

// The device boxes of the page and what each stands over.
void expect_boxes_read(const box_case& k) {
  kes_test::scratch_dir dir("box-off-data");
  std::ofstream(dir.path() / "d.csv") << k.data;
  SCOPED_TRACE(std::string(k.what) + "\n" + k.program);
  int status = 0;
  std::string log;
  const auto files = kes_test::run_graphs(dir.path(), "proc kestravine data=d noprint;\n  " + k.program + "\nrun;\n",
                                          "device", &status, &log);
  ASSERT_EQ(status, 0) << log;
  ASSERT_EQ(files.size(), 1u) << log;
  const kes_test::graph_parts g = kes_test::read_parts(files[0].second);
  int boxes = 0;
  for (const kes_test::text_box& b : g.boxes) {
    if (b.kind != kes_test::box_kind::inset) continue;
    ++boxes;
    const kes_test::box inner = b.b.shrunk(1);
    bool over = false;
    for (const kes_test::box& bar : g.bars) over = over || bar.overlaps(inner, kes_test::kSlack);
    for (const auto& [x, y] : g.markers) over = over || inner.holds(x, y);
    if (!over) continue;
    ASSERT_FALSE(k.fill.empty()) << "a box over the data " << kes_test::place(b.b) << " where the frame has room";
    bool filled = false;
    for (const kes_test::fill_item& f : g.fills) filled = filled || (f.b.contains(inner, 1.5) && lower(f.colour) == k.fill);
    EXPECT_TRUE(filled) << "a box over the data " << kes_test::place(b.b) << " not filled with " << k.fill;
  }
  EXPECT_GT(boxes, 0);
}

TEST(BoxOffData, ABoxLeavesTheDataWhereTheFrameHasRoom) {
  for (const box_case& k : {
           box_case{"scores piled high, a box asked at the upper right", scores_csv(),
                    "histogram score;\n  inset n mean std min max / pos=ne;", ""},
           box_case{"the same over lines", scores_csv(),
                    "histogram score /\n    normal;\n  inset n mean std min max\n    / pos=ne;", ""},
           box_case{"a P-P plot with a box at every corner", scores_csv(),
                    "ppplot score / normal;\n  inset n mean / pos=ne;\n  inset std / pos=nw;\n"
                    "  inset min / pos=se;\n  inset max / pos=sw;",
                    "#ffffff"},
       })
    expect_boxes_read(k);
}

TEST(BoxOffData, ABoxThatMustStayOverBarsTakesThePagesColour) {
  expect_boxes_read({"bars of one height", even_csv(),
                     "histogram u / midpoints=5 to 95 by 10;\n  inset n mean std min max / pos=ne;", "#ffffff"});
}

TEST(BoxOffData, AFillGivenStillRules) {
  kes_test::scratch_dir dir("box-fill-given");
  std::ofstream(dir.path() / "d.csv") << even_csv();
  int status = 0;
  std::string log;
  const auto files = kes_test::run_graphs(
      dir.path(), "proc kestravine data=d noprint;\n  histogram u / midpoints=5 to 95 by 10;\n"
                  "  inset n mean / pos=ne cfill=yellow;\nrun;\n",
      "device", &status, &log);
  ASSERT_EQ(status, 0) << log;
  ASSERT_EQ(files.size(), 1u) << log;
  const kes_test::graph_parts g = kes_test::read_parts(files[0].second);
  int yellow = 0;
  for (const kes_test::fill_item& f : g.fills)
    if (lower(f.colour) == "#ffff00") {
      ++yellow;
      for (const kes_test::fill_item& o : g.fills)
        EXPECT_FALSE(lower(o.colour) == "#ffffff" && o.b.same(f.b)) << "the box is filled white over its yellow";
    }
  EXPECT_EQ(yellow, 1);
}

// Text as tall as half the page (INHEIGHT=50) shrinks with its box to the frame: its
// rows keep apart, as they do at every other height.
TEST(BoxOffData, RowsOfATallBoxKeepApart) {
  kes_test::scratch_dir dir("box-tall-rows");
  std::ofstream(dir.path() / "d.csv") << scores_csv();
  for (const char* height : {"3", "8", "20", "50"}) {
    SCOPED_TRACE(std::string("INHEIGHT=") + height);
    int status = 0;
    std::string log;
    const auto files = kes_test::run_graphs(
        dir.path(), std::string("proc kestravine data=d noprint;\n  cdfplot score / inheight=") + height +
                        ";\n  inset std qn probs mean n;\nrun;\n",
        "device", &status, &log);
    ASSERT_EQ(status, 0) << log;
    ASSERT_EQ(files.size(), 1u) << log;
    const kes_test::graph_parts g = kes_test::read_parts(files[0].second);
    std::vector<kes_test::text_item> rows;
    for (const kes_test::text_item& t : g.texts)
      if (t.in_box >= 0) rows.push_back(t);
    EXPECT_GE(rows.size(), 10u);
    for (std::size_t i = 0; i < rows.size(); ++i)
      for (std::size_t j = i + 1; j < rows.size(); ++j)
        EXPECT_FALSE(rows[i].ink.overlaps(rows[j].ink, kes_test::kSlack))
            << "'" << rows[i].text << "' " << kes_test::place(rows[i].ink) << " over '" << rows[j].text << "' "
            << kes_test::place(rows[j].ink);
  }
}

}  // namespace
