// No text of a device page over another, none across a box's edge, none off the page,
// whatever place its boxes and reference labels find: a box that has no place off the
// bars' values leaves them out (the log counts them), a box that would leave the
// reference labels too few rows moves where they stand apart, and a box keeps off a
// Q-Q or probability plot's points and a CDF plot's steps where the frame has room.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../support/runner_graphs.h"
#include "../support/scratch_files.h"
#include "../support/svg_parts.h"
#include "piled_scores.h"
#include "../support/svg_rules.h"

namespace {

// Three groups of 64 values about an offset in the billions, spread apart unlike
// each other (one group narrow): counts over 20 to 40 bars, piled where the groups
// meet, from a fixed sequence.
std::string groups_csv(double offset) {
  std::ostringstream o;
  o << "x,g\n";
  unsigned s = 171;
  const double spread[3] = {24000, 10000, 24000}, centre[3] = {27000, 5000, 26000};
  for (int i = 0; i < 192; ++i) {
    s = s * 1103515245u + 12345u;
    const double u = static_cast<double>((s >> 8) % 10000) / 10000.0 - 0.5;
    const int k = i % 3;
    o.precision(17);
    o << offset + centre[k] + 2 * spread[k] * u << "," << static_cast<char>('a' + k) << "\n";
  }
  return o.str();
}

std::vector<std::string> device_pages(const std::string& data, const std::string& statements, std::string* log) {
  kes_test::scratch_dir dir("no-text-over-text");
  std::ofstream(dir.path() / "d.csv") << data;
  int status = 0;
  const auto files = kes_test::run_graphs(dir.path(), "proc kestravine data=d noprint;\n" + statements + "\nrun;\n",
                                          "device", &status, log);
  EXPECT_EQ(status, 0) << *log;
  std::vector<std::string> pages;
  for (const auto& f : files) pages.push_back(f.second);
  EXPECT_FALSE(pages.empty()) << *log;
  return pages;
}

// The rules about room for texts that every page keeps.
void expect_texts_apart(const std::vector<std::string>& pages) {
  for (const std::string& page : pages)
    for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(page))
      EXPECT_TRUE(f.rule != kes_test::kRuleTextsOver && f.rule != kes_test::kRuleTextAcrossBox &&
                  f.rule != kes_test::kRuleTextOffPage && f.rule != kes_test::kRuleCellTextsApart)
          << f.rule << ": " << f.detail;
}

// "K of the M values over the bars of a cell are not written: an inset box ...": the
// K of each such note.
std::vector<int> left_under(const std::string& log) {
  std::vector<int> out;
  static const std::regex note(R"((\d+) of the (\d+) values over the bars of a cell are not written: an inset box)");
  for (auto it = std::sregex_iterator(log.begin(), log.end(), note); it != std::sregex_iterator(); ++it) {
    const int k = std::stoi((*it)[1]), m = std::stoi((*it)[2]);
    EXPECT_GT(k, 0);
    EXPECT_LE(k, m);
    out.push_back(k);
  }
  return out;
}

// Two HREF labels close together over counted bars, a box asked at every place: each
// box takes a place off the values and labels where one is free, else the values it
// covers are left out and counted in the log (each count within its cell's values).
TEST(NoTextOverText, BoxesLabelsAndBarValuesOfComparativeHistograms) {
  const std::string data = groups_csv(1733630000);
  int noted = 0;
  for (const char* pos : {"ne", "nw", "se", "sw", "n", "s", "e", "w"})
    for (int bins : {20, 40}) {
      const std::string statements =
          "  class g;\n  histogram x / barlabel=count nmidpoints=" + std::to_string(bins) +
          "\n    href=1733643444 1733645418 hreflabels='short wait' 'cutoff';\n  inset n mean std / pos=" + pos + ";";
      SCOPED_TRACE(statements);
      std::string log;
      expect_texts_apart(device_pages(data, statements, &log));
      noted += static_cast<int>(left_under(log).size());
    }
  // The labels walk along their rows past the values where no place by their lines is
  // free, and every box then finds a place off the values: none is left out.
  EXPECT_EQ(noted, 0);
}

// Cells of one value each, two labels by the frame's left side, a box at W: in the
// cell whose bar stands at the right, the box leaves the left to the labels.
TEST(NoTextOverText, ABoxLeavesTheLabelsTheirRows) {
  for (const char* pos : {"w", "nw", "sw", "e"}) {
    const std::string statements =
        std::string("  class g;\n  histogram x / lognormal href=2240600 3916790 hreflabels='P50' 'target';\n"
                    "  inset n mean std / pos=") + pos + ";";
    SCOPED_TRACE(statements);
    std::string log;
    expect_texts_apart(device_pages("x,g\n1789400,A\n123971200,B\n2240600,C\n2821300,D\n", statements, &log));
  }
}

// Three groups of 75 bell-shaped values about 1733650000, narrow, wide and narrow
// (sums of four draws of a fixed sequence): tall neighbouring bars whose counts take two
// rows and reach the frame's top.
std::string bells_csv(unsigned seed) {
  std::ostringstream o;
  o << "x,g\n";
  unsigned s = seed;
  const double spread[3] = {64, 150, 57};
  for (int i = 0; i < 225; ++i) {
    double sum = 0;
    for (int j = 0; j < 4; ++j) {
      s = s * 1103515245u + 12345u;
      sum += static_cast<double>((s >> 8) % 10000) / 10000.0 - 0.5;
    }
    const int k = i % 3;
    o << 1733650000 + static_cast<long>(spread[k] * 1.7 * sum) << "," << static_cast<char>('a' + k) << "\n";
  }
  return o.str();
}

// Counts over tall neighbouring bars, some risen over the others and some dropped into
// their bars at the frame's top: no two are written over each other.
TEST(NoTextOverText, BarValuesRisenAndDroppedKeepApart) {
  for (unsigned seed : {200u, 201u, 202u, 203u, 204u, 205u})
    for (int bins : {30, 35, 40}) {
      const std::string statements = "  class g;\n  histogram x / barlabel=count nmidpoints=" + std::to_string(bins) +
                                     ";\n  inset n mean std / pos=sw;";
      SCOPED_TRACE(statements + " seed " + std::to_string(seed));
      std::string log;
      expect_texts_apart(device_pages(bells_csv(seed), statements, &log));
    }
}

std::string scores_csv() { return kes_piled_scores_csv(); }

// Scores piled toward 100 put a Q-Q or probability plot's points along the frame's top
// at the right and a CDF plot's steps along its foot at the left: a box asked there
// leaves its corner for a free one, or, staying, takes the page's colour.
TEST(NoTextOverText, BoxesKeepOffPointsAndSteps) {
  struct plot_case {
    const char* plot;
    const char* pos;
    bool top, right;  // the corner asked
  };
  for (const plot_case& k : {plot_case{"qqplot score / normal(mu=est sigma=est);", "ne", true, true},
                             plot_case{"probplot score / normal(mu=est sigma=est);", "ne", true, true},
                             plot_case{"cdfplot score / normal;", "sw", false, false},
                             plot_case{"cdfplot score;", "sw", false, false}}) {
    const std::string statements = std::string("  ") + k.plot + "\n  inset n mean std min max / pos=" + k.pos + ";";
    SCOPED_TRACE(statements);
    std::string log;
    const std::vector<std::string> pages = device_pages(scores_csv(), statements, &log);
    expect_texts_apart(pages);
    for (const std::string& page : pages) {
      const kes_test::graph_parts g = kes_test::read_parts(page);
      for (const kes_test::text_box& b : g.boxes) {
        if (b.kind != kes_test::box_kind::inset) continue;
        const double cx = (b.b.x0 + b.b.x1) / 2, cy = (b.b.y0 + b.b.y1) / 2;
        // SVG's y grows downward.
        if ((cx > g.width / 2) != k.right || (cy < g.height / 2) != k.top) continue;
        const kes_test::box inner = b.b.shrunk(1);
        bool filled = false;
        for (const kes_test::fill_item& f : g.fills) {
          std::string colour = f.colour;
          std::transform(colour.begin(), colour.end(), colour.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
          // The box's own fill, not the page's.
          filled = filled || (f.b.contains(inner, 1.5) && b.b.contains(f.b, 1.5) && colour == "#ffffff");
        }
        EXPECT_TRUE(filled) << "a box left over the data at " << kes_test::place(b.b) << " without the page's colour";
      }
    }
  }
}

}  // namespace
