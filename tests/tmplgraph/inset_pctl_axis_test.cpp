// Boxes in the page margins and beside the frames of a Q-Q plot with its percentile
// axis, over generated samples, straight and rotated, in one cell and in 3 x 2 CLASS
// cells, with and without the axis's label: the axis keeps its label and shows only
// its own values, and no box stands over any of them. (The graph rules,
// texts-over among them, run over every graph too.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "graph_run.h"
#include "support/svg_parts.h"
#include "support/svg_reader.h"

namespace {

using kes_test::svg_element;

using kes_test::box;

// Whether a point lies in a box or on its edge.
bool covers(const box& b, double x, double y) { return b.contains({x, y, x, y}, 0); }

const char* const kPercents[] = {"1", "5", "10", "25", "50", "75", "90", "95", "99"};
const char* const kLabel = "Percent of the normal";

// The percentile axis's texts (its values and its label) on the far side of the
// frames, with their anchors, and the boxes of a graph.
struct far_side {
  std::vector<std::pair<std::string, std::pair<double, double>>> texts;
  std::vector<box> boxes;
  double right = 0;  // the right edge of the last column's frames
};

far_side read_far_side(const std::string& svg, bool rotated) {
  const std::vector<svg_element> els = kes_test::svg_elements(svg);
  std::vector<box> frames;
  far_side out;
  for (const svg_element& e : els) {
    if (e.name != "rect" || e.get("stroke") != "#4A4A4A") continue;
    const box r = kes_test::box_of(e);
    if (e.get("fill") == "none") frames.push_back(r);
    if (e.get("fill") == "#FFFFFF") out.boxes.push_back(r);
  }
  if (frames.empty()) return out;
  double top = frames.front().y0, right = 0;
  for (const box& f : frames) top = std::min(top, f.y0), right = std::max(right, f.x1);
  out.right = right;
  for (const svg_element& e : els) {
    if (e.name != "text") continue;
    const bool percent = std::any_of(std::begin(kPercents), std::end(kPercents), [&](const char* s) { return e.text == s; });
    if (!percent && e.text != kLabel) continue;
    // Straight, the axis stands over the highest frames; rotated, right of the last.
    if (rotated ? e.num("x") > right : e.num("y") < top) out.texts.push_back({e.text, {e.num("x"), e.num("y")}});
  }
  std::sort(out.texts.begin(), out.texts.end());
  return out;
}

struct box_case {
  const char* what;
  const char* insets;  // INSET statements
};
const box_case kBoxes[] = {
    {"top margin", " inset n mean std min max median / position=tm;"},
    {"right margin", " inset n mean std min max median / position=rm;"},
    {"every margin", " inset n mean / position=tm; inset std min / position=rm; inset max / position=bm;"
                     " inset median / position=lm;"},
    {"top margin and a box at each top corner", " inset n mean std / position=tm; inset n mean std min max median"
                                               " / position=nw; inset n min max / position=ne;"},
    {"right margin and boxes at E and W", " inset n mean std min max median / position=rm; inset n mean std"
                                         " min max median / position=e; inset n / position=w;"},
};

TEST(InsetPercentileAxis, NoBoxStandsOverThePercentileAxis) {
  // Samples of a generated scale and spread (a fixed linear congruential sequence).
  std::uint64_t state = 20261208;
  const auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  for (int sample = 0; sample < 3; ++sample) {
    const double scale = sample == 0 ? 1 : sample == 1 ? 1e6 : 1e-4, shift = (next() - 0.5) * 100 * scale;
    std::string csv = "a,b,x\n";
    for (int i = 0; i < 120; ++i) {
      char line[64];
      std::snprintf(line, sizeof line, "%d,%d,%.17g\n", i % 3, (i / 3) % 2, shift + (next() + next() + next()) * 10 * scale);
      csv += line;
    }
    for (const bool rotated : {false, true})
      for (const bool panels : {false, true})
        for (const bool label : {false, true}) {
          const std::string head = std::string("proc kestravine data=d; var x; ") + (panels ? "class a b; " : "") +
                                   "qqplot / normal(mu=est sigma=est) pctlaxis" +
                                   (label ? std::string("(label='") + kLabel + "')" : "") + (rotated ? " rotate;" : ";");
          std::string program = head + " run;\n";
          for (const box_case& b : kBoxes) program += head + b.insets + " run;\n";
          const kes_test::graph_run r = kes_test::run_program(csv, program);
          SCOPED_TRACE("sample " + std::to_string(sample) + (rotated ? ", rotated" : "") +
                       (panels ? ", 3 x 2 cells" : ", one cell") + (label ? ", labelled" : ""));
          ASSERT_EQ(r.status, 0) << r.log;
          ASSERT_EQ(r.svg.size(), std::size(kBoxes) + 1) << r.log;
          // QQPlot1 is drawn without a box; the others, in the order of kBoxes, with.
          std::vector<far_side> graphs(r.svg.size());
          for (const auto& [name, svg] : r.svg) {
            const int n = std::atoi(name.c_str() + name.find_first_of("0123456789"));
            ASSERT_GE(n, 1);
            ASSERT_LE(static_cast<std::size_t>(n), graphs.size());
            graphs[static_cast<std::size_t>(n - 1)] = read_far_side(svg, rotated);
          }
          const far_side& plain = graphs.front();
          ASSERT_FALSE(plain.texts.empty());
          EXPECT_EQ(std::count_if(plain.texts.begin(), plain.texts.end(), [](const auto& t) { return t.first == kLabel; }),
                    label ? 1 : 0);
          for (std::size_t g = 1; g < graphs.size(); ++g) {
            SCOPED_TRACE(kBoxes[g - 1].what);
            std::vector<std::string> shown, plain_shown;
            for (const auto& t : graphs[g].texts) shown.push_back(t.first);
            for (const auto& t : plain.texts) plain_shown.push_back(t.first);
            // A margin box narrows the plot area, so crowded percents may thin; the
            // label stays, and no value appears that the axis does not have.
            EXPECT_TRUE(std::includes(plain_shown.begin(), plain_shown.end(), shown.begin(), shown.end()));
            EXPECT_EQ(std::count(shown.begin(), shown.end(), kLabel), label ? 1 : 0);
            for (const auto& [text, at] : graphs[g].texts)
              for (const box& b : graphs[g].boxes) {
                EXPECT_FALSE(covers(b, at.first, at.second))
                    << "'" << text << "' at " << at.first << "," << at.second << " under a box at " << kes_test::place(b);
                // Rotated, the label stands next to the values: a box right of them
                // stands past the label too.
                if (rotated && text == kLabel && b.x0 > graphs[g].right) {
                  EXPECT_GT(b.x0, at.first) << "a box at " << b.x0 << " between the values and the label at " << at.first;
                }
              }
          }
        }
  }
}

}  // namespace
