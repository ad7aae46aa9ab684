// Reference labels of close lines read in both renderers, in every cell alike: two
// lines two units apart keep both labels on the first row, the first left of its line
// rather than across the next one; the cells of a comparative graph place their labels
// as the first cell does, none over another text.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../support/runner_graphs.h"
#include "../support/scratch_files.h"
#include "../support/svg_parts.h"
#include "../support/svg_reader.h"
#include "../support/test_settings.h"

namespace {

// The labels read in a graph, by text, each occurrence in document order.
std::map<std::string, std::vector<kes_test::text_item>> labels_of(const kes_test::graph_parts& g,
                                                                  const std::vector<std::string>& words) {
  std::map<std::string, std::vector<kes_test::text_item>> out;
  for (const kes_test::text_item& t : g.texts)
    for (const std::string& w : words)
      if (t.text == w) out[w].push_back(t);
  return out;
}

std::vector<kes_test::segment> dashed_lines(const std::string& svg) {
  std::vector<kes_test::segment> out;
  for (const kes_test::svg_element& e : kes_test::svg_elements(svg))
    if (e.name == "line" && !e.get("stroke-dasharray").empty())
      out.push_back({e.num("x1"), e.num("y1"), e.num("x2"), e.num("y2")});
  return out;
}

// Prices in the millions in three groups (in hundreds), the second with most of its
// values in the first bins: its bars' counts stand by the lines' labels.
const char* const kPrices[3] = {
    "47670 40309 29926 13975 66502 86757 42958 24935 38972 19778 57134 7414 30512 30693 41352 31923 28109 "
    "29127 21823 15409 102061 27426 12415 19805 24115 87543 46306 31309 39355 84542 21313 38469 18060 "
    "36135 147367 18590 24305 23380 84577 22683 35997 174755 43302 132351 67547 84872 10203 33858 33728 "
    "30883 21395 23110 19544 17201 30486 65365 32352 42181 14538 34641 82810 16756 28585 33013 25198 "
    "16228 106352 24746 34928 12658 32836 15609 33390 64198 21453 18916 66625 11407 35837",
    "41218 1086 127879 26978 1715 7839 1359 70435 26233 1416 2614 4615 2836 18444 27219 644 64598 8713 "
    "36095 29492 1607 3591 3487 12740 3298 44800 1202 40648 160764 80492 3261 2317 4651 3995 2093 14287 "
    "196458 3285 7665 652 26567 4296 879348 48424 9952 15388 196 24704 262070 30273 3432 560168 1039 "
    "11148 730 4825 35063 9854 7486 535 53505 64673 3040 3812 8658 81627 271475 296473 2881 2019 9779 "
    "17871 768 8147 8917 56270 30868 8304 94929",
    "25164 31535 23445 14296 31729 61042 69210 18050 29133 38224 26375 22762 86914 13788 57162 16594 "
    "19034 39882 57814 29527 25335 22553 29242 40349 70486 30237 22047 91858 23204 26830 67563 9106 60065 "
    "30045 51079 9272 49764 19917 19436 23462 20520 82596 43353 31922 68420 21079 86937 38737 37513 29601 "
    "114586 44565 52805 40329 27407 22936 98736 35153 38444 35651 24611 11650 20743 40943 37975 33346 "
    "31951 8644 51418 22618 102558 12222 37100 42941 40679 24779 8297 19352 34993",
};

// Every text of a page that stands in a cell, and the faults among them: two texts
// over each other, a text under a box drawn over it, a reference line through one.
std::vector<std::string> text_faults(const std::string& svg) {
  const kes_test::graph_parts g = kes_test::read_parts(svg);
  std::vector<kes_test::text_item> texts;
  for (const kes_test::text_item& t : g.texts)
    if (kes_test::inside_cell(g, t) && !t.text.empty()) texts.push_back(t);
  std::vector<std::string> out;
  for (std::size_t i = 0; i < texts.size(); ++i)
    for (std::size_t j = i + 1; j < texts.size(); ++j)
      if (texts[i].ink.overlaps(texts[j].ink, kes_test::kSlack))
        out.push_back("'" + texts[i].text + "' " + kes_test::place(texts[i].ink) + " over '" + texts[j].text + "' " +
                      kes_test::place(texts[j].ink));
  for (const kes_test::text_box& b : g.boxes)
    for (const kes_test::text_item& t : texts)
      if (b.kind == kes_test::box_kind::inset && t.in_box < 0 && b.b.overlaps(t.ink, kes_test::kSlack))
        out.push_back("'" + t.text + "' " + kes_test::place(t.ink) + " under the box " + kes_test::place(b.b));
  for (const kes_test::segment& s : dashed_lines(svg))
    for (const kes_test::text_item& t : texts)
      if (kes_test::crosses(s, t.ink.shrunk(kes_test::kSlack)))
        out.push_back("a reference line through '" + t.text + "' " + kes_test::place(t.ink));
  return out;
}

struct page_case {
  const char* what;
  std::string program;  // statements of one step over data set d
};

void expect_pages_read(const std::string& csv, const std::vector<page_case>& cases) {
  kes_test::scratch_dir dir("ref-label-cells");
  std::ofstream(dir.path() / "d.csv") << csv;
  for (const page_case& k : cases)
    for (const std::string renderer : {"template", "device"}) {
      SCOPED_TRACE(renderer + ": " + k.what + "\n" + k.program);
      int status = 0;
      std::string log;
      const auto files = kes_test::run_graphs(dir.path(), "proc kestravine data=d noprint;\n" + k.program + "\nrun;\n",
                                              renderer, &status, &log);
      ASSERT_EQ(status, 0) << log;
      ASSERT_FALSE(files.empty()) << log;
      for (const auto& [name, svg] : files)
        for (const std::string& f : text_faults(svg)) ADD_FAILURE() << name << ": " << f;
    }
}

// R's quakes stations (1,000 counts of stations, 10 to 132), lines at 40 and 42.
TEST(RefLabelRows, CloseLinesKeepBothLabelsOnTheFirstRow) {
  kes_test::scratch_dir dir("ref-label-rows");
  {
    std::ifstream in(std::string(KES_SOURCE_DIR) + "/tests/fit/ref/rdata/quakes_stations.txt");
    std::ofstream out(dir.path() / "quakes.csv");
    out << "stations\n";
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && line[0] != '#') out << line << "\n";
  }
  const std::string program =
      "proc kestravine data=quakes noprint;\n  histogram stations / href=40 42\n"
      "    hreflabels='forty' 'forty-two';\nrun;\n";
  for (const std::string renderer : {"template", "device"}) {
    SCOPED_TRACE(renderer);
    int status = 0;
    std::string log;
    const auto files = kes_test::run_graphs(dir.path(), program, renderer, &status, &log);
    ASSERT_EQ(status, 0) << log;
    ASSERT_EQ(files.size(), 1u) << log;
    const kes_test::graph_parts g = kes_test::read_parts(files[0].second);
    auto got = labels_of(g, {"forty", "forty-two"});
    ASSERT_EQ(got["forty"].size(), 1u);
    ASSERT_EQ(got["forty-two"].size(), 1u);
    const kes_test::text_item& forty = got["forty"][0];
    const kes_test::text_item& next = got["forty-two"][0];
    // One row: "forty" ends at its line, "forty-two" starts at its own.
    EXPECT_NEAR(forty.y, next.y, 0.01);
    EXPECT_EQ(forty.anchor, "end");
    EXPECT_LT(forty.ink.x1, next.ink.x0);
    for (const kes_test::segment& s : dashed_lines(files[0].second))
      for (const kes_test::text_item* t : {&forty, &next})
        EXPECT_FALSE(kes_test::crosses(s, t->ink.shrunk(kes_test::kSlack)))
            << "a reference line through '" << t->text << "' " << kes_test::place(t->ink);
  }
}

// Each cell places its labels by the one rule: where the second cell's bar counts stand
// by the lines, its labels still take rows of their own.
TEST(RefLabelRows, EveryCellOfAComparativeHistogramReads) {
  std::ostringstream csv;
  csv << "x,g\n";
  for (int g = 0; g < 3; ++g) {
    std::istringstream in(kPrices[g]);
    for (long v; in >> v;) csv << v * 100 << "," << static_cast<char>('a' + g) << "\n";
  }
  expect_pages_read(csv.str(), {
      {"two close labels over bar counts in every cell",
       "  var x;\n  class g;\n  histogram x /\n    normal\n     barlabel=count nmidpoints=36\n"
       "    href=1622800 2677003\n     hreflabels='short wait' 'cutoff'\n  ;"},
      {"the same with a box at the upper right",
       "  var x;\n  class g;\n  histogram x / barlabel=count nmidpoints=36 href=1622800 2677003\n"
       "    hreflabels='short wait' 'cutoff';\n  inset n mean std / pos=ne;"},
  });
}

// A box at its corner leaves the rows beside it to the labels of lines it covers.
TEST(RefLabelRows, LabelsUnderABoxTakeTheRowsBesideIt) {
  expect_pages_read("x,g\n2209000,A\n5316900,B\n4963300,C\n5810200,D\n",
                    {{"one price a group, two lines under the box",
                      "  var x;\n  class g;\n  histogram x / href=5316900 5352999\n    hreflabels='P50' 'target';\n"
                      "  inset n mean std / pos=ne;"}});
}

}  // namespace
