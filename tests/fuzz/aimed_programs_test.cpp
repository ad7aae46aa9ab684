// Programs aimed at the graphs' edges, each run as the fuzzer runs its programs (both
// renderers, the memory cap and the minute) and its graphs held to every rule: data at
// the ends of the doubles and in tiny units, boxes at the corners, options that name
// colours, scales and axis labels. Those known to fail today are listed in
// tests/support/svg_known_faults.txt under "aimed/NAME" until their mends land.
#include <gtest/gtest.h>

#include <set>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fuzz/fuzz_run.h"
#include "support/scratch_files.h"

namespace {

// n values evenly from lo to hi (no sum that overflows), one a line after header.
std::string spread(double lo, double hi, int n, const std::function<std::string(int)>& more = {}) {
  std::string csv = more ? "x,g\n" : "x\n";
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / (n - 1);
    char b[40];
    std::snprintf(b, sizeof b, "%.17g", lo * (1 - t) + hi * t);
    csv += b + (more ? "," + more(i) : std::string()) + "\n";
  }
  return csv;
}

struct aimed {
  const char* name;
  std::string program, data;
  std::vector<long> cell_values;  // the values of each cell, where the graph does not say
};

TEST(AimedPrograms, GraphsAtTheEdgesKeepEveryRule) {
  const std::string huge = spread(1e308, 1.7e308, 80);
  const std::string pct = spread(0.6, 27, 60);
  const auto halves = [](int i) { return std::string(i < 20 ? "a" : "b"); };
  const aimed rows[] = {
      // A box over data near the largest double: the room-making must end.
      {"huge-inset-ne",
       "proc kestravine data=d; qqplot x / normal(mu=est sigma=est); inset n mean std / pos=ne; run;\n", huge, {}},
      {"huge-negated-inset-sw",
       "proc kestravine data=d; qqplot x / normal(mu=est sigma=est); inset n mean std / pos=sw; run;\n",
       spread(-1.7e308, -1e308, 80), {}},
      {"subnormal-inset-ne", "proc kestravine data=d; probplot x / normal; inset n mean / pos=ne; run;\n",
       spread(4.9406564584124654e-324, 4.9406564584124654e-318, 30), {}},
      // Axes that keep their scales with a box at the top, and SQUARE's one unit.
      {"pp-square-inset-ne",
       "proc kestravine data=d; ppplot x / normal square; inset n mean std min max p1 p5 / pos=ne; run;\n", pct, {}},
      {"cdf-inset-ne", "proc kestravine data=d; cdfplot x / normal; inset n mean std min max / pos=ne; run;\n", pct,
       {}},
      // Every value drawn or noted: a VAXIS= list in units of 1e-9.
      {"nano-vaxis", "proc kestravine data=d; qqplot x / normal vaxis=0 1e-9 2e-9; run;\n",
       spread(1.15e-9, 8.67e-9, 80), {80}},
      // Axes wider than the doubles: every value drawn.
      {"wide-qq", "proc kestravine data=d; qqplot x / normal; run;\n", spread(-1.7e308, 1.7e308, 40), {40}},
      // A reference line named in the legend is drawn.
      {"huge-qq-line", "proc kestravine data=d; qqplot x / normal(mu=est sigma=est); run;\n", huge, {}},
      // Cells whose quantiles cannot be computed say why.
      {"tiny-shape-cells", "proc kestravine data=d; class g; qqplot x / gamma(alpha=1e-5); run;\n",
       spread(1, 20, 40, halves), {20, 20}},
      // Colour names of any length, and text readable on its fill.
      {"long-colour-names",
       "proc kestravine data=d; histogram x / cfill=lightblue cbarline=darkgreen; inset n mean / cfill=lightyellow; "
       "run;\n",
       pct, {}},
      // A turned axis label beside its tick values, not over them.
      {"axis-label-turned",
       "axis1 order=(0 to 100 by 25) label=(r=90 'Pct');\n"
       "proc kestravine data=d; histogram x / vscale=percent vaxis=axis1; run;\n",
       pct, {}},
  };
  kes_test::scratch_dir root("aimed");
  for (const aimed& r : rows) {
    kes_fuzz::graph_check check;
    check.every_rule = true;
    check.cell_values = r.cell_values;
    for (const std::string& w :
         kes_fuzz::run_and_check(root.path(), r.program, r.data, std::string("aimed/") + r.name, check))
      ADD_FAILURE() << r.name << ": " << w << "\n" << r.program;
  }
}

}  // namespace

namespace {

// The programs whose vertical axis lists its own ticks, as the checker is told: a list
// of numbers after VAXIS=, in any case and spacing; a definition's name is not one.
TEST(AimedPrograms, AProgramsOwnVerticalListIsFound) {
  const struct {
    const char* program;
    bool lists;
  } cases[] = {
      {"proc kestravine data=d; ppplot x / normal vaxis=0 to 100 by 25; run;", true},
      {"proc kestravine data=d; cdfplot x / VAXIS = 0 1E308; run;", true},
      {"proc kestravine data=d; histogram x /\n  vaxis=\n  -5 to 5; run;", true},
      {"proc kestravine data=d; histogram x / vaxis=.5 1; run;", true},
      {"axis1 order=(0 to 10); proc kestravine data=d; histogram x / vaxis=axis1; run;", false},
      {"proc kestravine data=d; histogram x / vaxislabel='Share'; run;", false},
      {"proc kestravine data=d; histogram x / haxis=0 to 10; run;", false},
  };
  for (const auto& c : cases) EXPECT_EQ(kes_fuzz::program_lists_vaxis(c.program), c.lists) << c.program;
}

// The colours a program gives texts, as the contrast rule is told: every spelling of a
// colour after CTEXT= and its kin; other colour options and unknown words are not.
TEST(AimedPrograms, AProgramsOwnTextColoursAreFound) {
  const struct {
    const char* program;
    std::set<std::string> colours;
  } cases[] = {
      {"ppplot x / CTEXTSIDE=#C6DBEF CTEXT='#c6dbef';", {"#C6DBEF"}},
      {"probplot y / CT='light gray' ctextside=CX12 ctexttop=cx336699;", {"#336699"}},
      {"cdfplot y / ctext=LightSteelBlue cfill=red;", {"#B0C4DE"}},
      {"cdfplot y / cfill=red cframe=#000000 vct=red;", {}},
      {"cdfplot y / ctext=nosuchcolour;", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(kes_fuzz::program_text_colours(c.program), c.colours) << c.program;
}

}  // namespace
