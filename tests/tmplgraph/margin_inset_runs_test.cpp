// Inset boxes in the page margins (POSITION=TM, BM, LM, RM) of 1 to 40 rows, on every
// plot kind, in both renderers: each row is drawn or counted in the log's note of the
// rows left out, and every text stays on the page and off every other text. A tall box
// in a side margin makes the page taller (then sets its rows side by side, shrinks, and
// leaves out what still has no room, and the log counts those rows); one in the top or
// bottom margin leaves the plot half of the page; a box in the bottom margin stays in
// sight under a side box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "graph_run.h"
#include "support/svg_parts.h"
#include "support/svg_rules.h"
#include "support/test_settings.h"

namespace {

using kes_test::graph_run;

constexpr int kMostRows = 40;

// x, and the rows of the inset data set: row k reads "Row k" and its value.
std::string data_csv() {
  std::string csv = "k,x,_LABEL_,_VALUE_\n";
  for (int k = 1; k <= 60; ++k)
    csv += std::to_string(k) + "," + std::to_string(20 + (k * 37) % 23 + (k % 7) * 0.25) + ",Row " +
           std::to_string(k) + "," + std::to_string(k * 3) + "\n";
  return csv;
}

// The graphs of a run in the order of its steps (Histogram1, Histogram2, ... sort as
// text otherwise).
std::vector<const std::string*> in_step_order(const graph_run& r) {
  std::vector<std::pair<int, const std::string*>> order;
  for (const auto& [name, svg] : r.svg)
    order.emplace_back(std::atoi(name.c_str() + name.find_first_of("0123456789")), &svg);
  std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<const std::string*> out;
  for (const auto& o : order) out.push_back(o.second);
  return out;
}

// The log of each step, in order.
std::vector<std::string> step_logs(const std::string& log) {
  std::vector<std::string> steps;
  std::size_t from = 0;
  for (std::size_t at = log.find("ended with return code"); at != std::string::npos;
       at = log.find("ended with return code", at + 1)) {
    steps.push_back(log.substr(from, at - from));
    from = at;
  }
  return steps;
}

// The rows a step's notes say were left out of a margin box: a count of a box cut, or
// all of them for a box not drawn at all.
int rows_noted(const std::string& step, int rows) {
  static const std::regex cut("leaves out ([0-9]+) of the ([0-9]+) rows of an inset box");
  std::smatch m;
  if (std::regex_search(step, m, cut)) return std::atoi(m[1].str().c_str());
  if (step.find("inset") != std::string::npos && step.find("is not drawn") != std::string::npos) return rows;
  return 0;
}

int rows_drawn(const kes_test::graph_parts& g) {
  int n = 0;
  for (const kes_test::text_item& t : g.texts) n += t.text.rfind("Row ", 0) == 0 ? 1 : 0;
  return n;
}

// The faults of texts and boxes: off the page, over one another.
std::string text_faults(const std::string& svg) {
  std::string out;
  for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg))
    if (f.rule == kes_test::kRuleTextOffPage || f.rule == kes_test::kRuleTextsTouch ||
        f.rule == kes_test::kRuleTextsOver || f.rule == kes_test::kRuleBoxOverBox)
      out += f.rule + ": " + f.detail + "\n";
  return out;
}

struct plot_kind {
  const char* what;
  const char* plot;
};
const plot_kind kKinds[] = {
    {"histogram", "histogram x / normal;"},
    {"Q-Q plot", "qqplot x / normal(mu=est sigma=est);"},
    {"probability plot", "probplot x / normal(mu=est sigma=est);"},
    {"P-P plot", "ppplot x / normal;"},
    {"CDF plot", "cdfplot x / normal;"},
};

TEST(MarginInsetRuns, EveryRowDrawnOrCountedAndEveryTextOnThePage) {
  const std::string csv = data_csv();
  // Boxes of each number of rows; under the sanitizers of every third (1, 4, ..., 40):
  // the steps between reach the same layout code.
  std::vector<int> sizes;
  for (int n = 1; n <= kMostRows; ++n)
    if (kes_test::sanitized_share(static_cast<std::size_t>(n - 1), 3)) sizes.push_back(n);
  for (const char* renderer : {"template", "device"})
    for (const plot_kind& kind : kKinds)
      for (const char* margin : {"tm", "bm", "lm", "rm"}) {
        SCOPED_TRACE(std::string(renderer) + " " + kind.what + " at " + margin);
        std::string program;
        for (int n : sizes)
          program += std::string("proc kestravine data=d noprint; ") + kind.plot + " inset data=d(where=(k <= " +
                     std::to_string(n) + ")) / position=" + margin + "; run;\n";
        const graph_run r = kes_test::run_program(csv, program, {"--graphics", renderer});
        ASSERT_EQ(r.status, 0) << r.log;
        const std::vector<const std::string*> graphs = in_step_order(r);
        const std::vector<std::string> steps = step_logs(r.log);
        ASSERT_EQ(graphs.size(), sizes.size()) << r.log;
        ASSERT_EQ(steps.size(), sizes.size()) << r.log;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
          const int n = sizes[i];
          SCOPED_TRACE(std::to_string(n) + " rows");
          const std::string& svg = *graphs[i];
          const kes_test::graph_parts g = kes_test::read_parts(svg);
          EXPECT_EQ(rows_drawn(g) + rows_noted(steps[i], n), n) << steps[i];
          EXPECT_EQ(text_faults(svg), "");
          // The plot keeps a readable height, whatever the box takes.
          ASSERT_FALSE(g.cells.empty());
          EXPECT_GE(g.cells.front().h(), 0.3 * g.height);
        }
      }
}

TEST(MarginInsetRuns, ASideBoxPastTwicePageSetsPairsSideBySideAndCountsWhatItLeavesOut) {
  std::string csv = "k,x,_LABEL_,_VALUE_\n";
  for (int k = 1; k <= 200; ++k)
    csv += std::to_string(k) + "," + std::to_string(k % 17) + ",Row " + std::to_string(k) + "," + std::to_string(k) + "\n";
  for (const char* side : {"lm", "rm"}) {
    SCOPED_TRACE(side);
    const graph_run r = kes_test::run_program(
        csv, std::string("proc kestravine data=d noprint; histogram x; inset data=d / position=") + side + "; run;\n");
    ASSERT_EQ(r.status, 0) << r.log;
    ASSERT_EQ(r.svg.size(), 1u);
    const kes_test::graph_parts g = kes_test::read_parts(r.svg.begin()->second);
    const int noted = rows_noted(r.log, 200);
    EXPECT_GT(noted, 0) << r.log;
    EXPECT_EQ(rows_drawn(g) + noted, 200);
    // Twice the page's height at most, its rows in more than one column.
    EXPECT_LE(g.height, 2 * 480.0 + 0.5);
    EXPECT_GT(rows_drawn(g), 100);
    EXPECT_EQ(text_faults(r.svg.begin()->second), "");
  }
}

TEST(MarginInsetRuns, BottomBoxUnderASideBoxStaysInSight) {
  const std::string csv = data_csv();
  for (const char* renderer : {"template", "device"})
    for (const char* side : {"lm", "rm"})
      for (const int rows : {5, 40}) {
        SCOPED_TRACE(std::string(renderer) + " " + side + " " + std::to_string(rows));
        const graph_run r = kes_test::run_program(
            csv,
            "proc kestravine data=d noprint; histogram x; inset data=d(where=(k <= 1)) / position=bm; inset "
            "data=d(where=(k <= " + std::to_string(rows) + ")) / position=" + side + "; run;\n",
            {"--graphics", renderer});
        ASSERT_EQ(r.status, 0) << r.log;
        ASSERT_EQ(r.svg.size(), 1u);
        const std::string& svg = r.svg.begin()->second;
        const kes_test::graph_parts g = kes_test::read_parts(svg);
        int first_rows = 0;
        for (const kes_test::text_item& t : g.texts) first_rows += t.text == "Row 1" ? 1 : 0;
        EXPECT_EQ(first_rows, 2);
        EXPECT_EQ(text_faults(svg), "");
      }
}

}  // namespace
