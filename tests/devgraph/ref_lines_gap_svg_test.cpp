// A text over the bars stays readable: no reference line runs through a bar's value
// text (BARLABEL=). Reference lines stand at every bar's centre and both its edges and
// across every value text's height, over bars whose counts have 1 to 5 digits, behind
// the bars and in front of them (FRONTREF).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "../support/svg_parts.h"
#include "devgraph/text_gaps.h"
#include "device_run.h"

namespace {

struct gap_case {
  std::vector<int> counts;  // of the bars, left to right
  double origin;            // the first bar's midpoint
  std::string extra;        // further HISTOGRAM options
};

std::string program(const gap_case& k) {
  const double step = 2;
  const double top = *std::max_element(k.counts.begin(), k.counts.end());
  std::ostringstream p;
  p.precision(17);
  p << "proc kestravine data=d noprint;\n  var x;\n  freq w;\n  histogram x / midpoints=" << k.origin << " to "
    << k.origin + step * (k.counts.size() - 1) << " by " << step << "\n    vscale=count barlabel=count href=";
  // Every bar's edges and centre.
  for (std::size_t i = 0; i < k.counts.size(); ++i)
    for (double d : {-1.0, 0.0}) p << " " << k.origin + step * i + d;
  p << " " << k.origin + step * (k.counts.size() - 1) + 1 << "\n    vref=";
  // Across each value text: the bar's top and up to a text's height above it.
  for (int c : k.counts)
    for (double f : {0.005, 0.012, 0.02, 0.028, 0.035}) p << " " << c + f * top;
  p << " " << k.extra << ";\nrun;\n";
  return p.str();
}

// Runs the program p.kes of dir; its one graph's parts and its reference lines (the
// dashed lines, piece by piece). False, after a failure, when it did not draw one graph.
bool read_graph(const std::filesystem::path& dir, kes_test::graph_parts* g, std::vector<kes_test::segment>* refs) {
  if (devgraph_test::device_run(dir, dir / "p.kes") != 0) {
    ADD_FAILURE() << kes_test::slurp(dir / "log");
    return false;
  }
  const std::vector<std::string> files = devgraph_test::graph_files(dir);
  if (files.size() != 1) return false;
  const std::string svg = kes_test::slurp(dir / "graphs" / files.front());
  *g = kes_test::read_parts(svg);
  for (const kes_test::svg_element& e : kes_test::svg_elements(svg))
    if (e.name == "line" && !e.get("stroke-dasharray").empty())
      refs->push_back({e.num("x1"), e.num("y1"), e.num("x2"), e.num("y2")});
  return true;
}

TEST(DeviceRefLineGaps, NoReferenceLineCrossesABarValueText) {
  const std::vector<gap_case> cases = {
      {{1, 12, 123, 1234, 12345}, 0, ""},
      {{12345, 1234, 123, 12, 1}, 1e9 + 0.05, "frontref"},
      {{7, 30000, 45, 999, 5000, 3, 80}, 1e6, ""},
      {{88888, 2, 77777, 5, 66666}, -40, "frontref\n    interbar=1"},
      {{3, 4, 5, 6, 5, 4, 3, 2, 1}, 10, "href=10 12 14"},
  };
  static const std::regex digits("[0-9]+");
  for (std::size_t n = 0; n < cases.size(); ++n) {
    const gap_case& k = cases[n];
    kes_test::scratch_dir dir("device-ref-gaps");
    {
      std::ofstream csv(dir / "d.csv");
      csv.precision(17);
      csv << "x,w\n";
      for (std::size_t i = 0; i < k.counts.size(); ++i) csv << k.origin + 2.0 * i << "," << k.counts[i] << "\n";
      std::ofstream(dir / "p.kes") << program(k);
    }
    kes_test::graph_parts g;
    std::vector<kes_test::segment> refs;
    ASSERT_TRUE(read_graph(dir.path(), &g, &refs)) << "case " << n;
    EXPECT_GT(refs.size(), 2 * k.counts.size()) << "case " << n << ": reference lines not read";
    int values = 0;
    for (const kes_test::text_item& t : g.texts) {
      if (!std::regex_match(t.text, digits) || !kes_test::inside_cell(g, t)) continue;
      ++values;
      for (const kes_test::segment& s : refs)
        EXPECT_FALSE(kes_test::crosses(s, t.ink))
            << "case " << n << ": the line (" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2
            << ") runs through '" << t.text << "' at " << kes_test::place(t.ink);
    }
    // Every bar's value is written and checked.
    EXPECT_EQ(values, static_cast<int>(k.counts.size())) << "case " << n;
  }
}

}  // namespace

namespace {

// The labels inside the cell (texts with a letter), each checked: no reference line
// runs through it. Their count.
int labels_clear_of_lines(const kes_test::graph_parts& g, const std::vector<kes_test::segment>& refs,
                          const std::string& where) {
  int labels = 0;
  for (const kes_test::text_item& t : g.texts) {
    if (!kes_test::inside_cell(g, t) || t.text.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos)
      continue;
    ++labels;
    for (const kes_test::segment& s : refs)
      EXPECT_FALSE(kes_test::crosses(s, t.ink))
          << where << ": the line (" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ") runs through '"
          << t.text << "' at " << kes_test::place(t.ink);
  }
  return labels;
}

// Reference labels stay readable too: lines of one kind close together, each labelled,
// the labels stacked or beside their lines: no line of that kind runs through another
// line's label.
TEST(DeviceRefLineGaps, NoReferenceLineCrossesAnotherLinesLabel) {
  // Labels (blank but one) on close lines, so that the labels keep clear of one another.
  const std::vector<std::string> options = {
      "href=10 10.5 11 hreflabels='first line' ' ' ' '",
      "href=10 10.4 10.8 11.2 hreflabels='a long first line' ' ' ' ' ' ' hreflabpos=2",
      "href=21.2 21.5 21.8 22 hreflabels=' ' ' ' ' ' 'near the right' hreflabpos=3",
      "href=10 10.3 10.6 hreflabels='from the foot' ' ' ' ' hreflabpos=4 frontref",
      "vref=1.2 1 vreflabels='under' ' '",
      "vref=4 4.2 vreflabels='over' ' ' vreflabpos=2 frontref",
  };
  for (std::size_t n = 0; n < options.size(); ++n) {
    kes_test::scratch_dir dir("device-ref-label-gaps");
    {
      std::ofstream csv(dir / "d.csv");
      csv << "x\n";
      for (int i = 0; i < 40; ++i) csv << 10 + (i * 7 % 13) * 0.9 << "\n";
      std::ofstream(dir / "p.kes") << "proc kestravine data=d noprint;\n  var x;\n  histogram x / vscale=count\n    "
                                   << options[n] << ";\nrun;\n";
    }
    kes_test::graph_parts g;
    std::vector<kes_test::segment> refs;
    ASSERT_TRUE(read_graph(dir.path(), &g, &refs)) << "case " << n;
    EXPECT_EQ(labels_clear_of_lines(g, refs, "case " + std::to_string(n)), 1) << "case " << n << ": labels not read";
  }
}

// Labels that reach over other lines, on 150 heights with the bars' counts written: a
// long label over a blank one's line, two labels of two lines close together, right
// aligned (VREFLABPOS=2), left aligned, and centred on their lines (HREFLABELS=, at the
// top and the foot). No line runs through a label, however the labels' gaps nest.
TEST(DeviceRefLineGaps, LongAndAlignedLabelsKeepOtherLinesOut) {
  const struct {
    const char* options;
    int labels;
  } cases[] = {
      {"vref=2 2.5 vreflabels='' 'A long label for the target share of the adults'", 1},
      {"vref=2.5 2 vreflabels='A long label for the target share of the adults' ''", 1},
      {"vref=10 11 vreflabels='Target share' 'Upper limit' vreflabpos=2", 2},
      {"vref=10 11 vreflabels='Target share' 'Upper limit' vreflabpos=1", 2},
      {"href=170 171 hreflabels='Target height' 'Upper limit'", 2},
      {"href=170 171 hreflabels='Target height' 'Upper limit' hreflabpos=3", 2},
      {"vref=10 10.5 11 vreflabels='A long label over both' ' ' 'Upper limit' vreflabpos=2", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    kes_test::scratch_dir dir("device-ref-long-labels");
    {
      std::ofstream csv(dir / "d.csv");
      csv << "x\n";
      // 150 heights from 150 to 190 cm, most near 170.
      for (int i = 0; i < 150; ++i) csv << 150 + (i * 37 % 41 + i * 11 % 41) / 2.05 << "\n";
      std::ofstream(dir / "p.kes") << "proc kestravine data=d noprint;\n  var x;\n  histogram x / barlabel=count\n    "
                                   << c.options << ";\nrun;\n";
    }
    kes_test::graph_parts g;
    std::vector<kes_test::segment> refs;
    ASSERT_TRUE(read_graph(dir.path(), &g, &refs));
    EXPECT_EQ(labels_clear_of_lines(g, refs, c.options), c.labels) << "labels not read";
  }
}

// The pieces of a line outside text gaps, by hand: a vertical line from 0 to 10 and
// a horizontal one from 0 to 20 through gaps beside, across and over their ends.
TEST(DeviceRefLineGaps, PiecesOutsideTheGaps) {
  using pieces = std::vector<std::pair<double, double>>;
  struct row {
    double x1, y1, x2, y2;
    std::vector<kes_text_gap> gaps;
    pieces want;
  };
  const std::vector<row> rows = {
      {5, 0, 5, 10, {}, {{0, 1}}},
      {5, 0, 5, 10, {{4, 2, 6, 3}}, {{0, 0.2}, {0.3, 1}}},
      {5, 0, 5, 10, {{6, 2, 7, 3}}, {{0, 1}}},                       // beside the line
      {5, 0, 5, 10, {{4, 2, 6, 3}, {4, 2.5, 6, 4}}, {{0, 0.2}, {0.4, 1}}},  // overlapping gaps
      {5, 0, 5, 10, {{4, 2, 6, 8}, {4, 3, 6, 4}}, {{0, 0.2}, {0.8, 1}}},    // a gap inside an earlier one
      {5, 0, 5, 10, {{4, 3, 6, 4}, {4, 2, 6, 8}, {4, 5, 6, 6}}, {{0, 0.2}, {0.8, 1}}},
      {5, 0, 5, 10, {{4, -1, 6, 1}, {4, 9, 6, 11}}, {{0.1, 0.9}}},  // over both ends
      {5, 0, 5, 10, {{0, -1, 9, 11}}, {}},                           // the whole line
      {0, 4, 20, 4, {{2, 3, 4, 5}, {15, 3.5, 16, 4.5}}, {{0, 0.1}, {0.2, 0.75}, {0.8, 1}}},
      {20, 4, 0, 4, {{2, 3, 4, 5}}, {{0, 0.8}, {0.9, 1}}},           // drawn right to left
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const row& r = rows[i];
    const pieces got = kes_pieces_outside(r.x1, r.y1, r.x2, r.y2, r.gaps);
    ASSERT_EQ(got.size(), r.want.size()) << "row " << i;
    for (std::size_t k = 0; k < got.size(); ++k) {
      EXPECT_NEAR(got[k].first, r.want[k].first, 1e-12) << "row " << i << " piece " << k;
      EXPECT_NEAR(got[k].second, r.want[k].second, 1e-12) << "row " << i << " piece " << k;
    }
  }
}

}  // namespace
