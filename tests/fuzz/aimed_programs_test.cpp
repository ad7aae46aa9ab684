// Programs aimed at the graphs' edges, each run as the fuzzer runs its programs (both
// renderers, the memory cap and the minute) and its graphs held to every rule: data at
// the ends of the doubles and in tiny units, boxes at the corners, options that name
// colours, scales and axis labels. Those known to fail today are listed in
// tests/support/svg_known_faults.txt under "aimed/NAME" until their mends land.
#include <gtest/gtest.h>

#include <set>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fuzz/fuzz_run.h"
#include "support/csv_write.h"
#include "support/scratch_files.h"

namespace {

// n values evenly from lo to hi (no sum that overflows), one a line after header.
std::string spread(double lo, double hi, int n, const std::function<std::string(int)>& more = {}) {
  if (!more) return kes_test::csv_text({{"x", kes_test::evenly(lo, hi, n)}});
  std::string csv = kes_test::csv_line({"x", "g"});
  const std::vector<double> x = kes_test::evenly(lo, hi, n);
  for (int i = 0; i < n; ++i) csv += kes_test::csv_line({kes_test::number_text(x[static_cast<std::size_t>(i)]), more(i)});
  return csv;
}

// Twenty values a unit in the last place apart from the largest double of the sign.
std::string ulps(double sign) {
  std::string csv = "x\n";
  double v = sign * 1.7976931348623157e308;
  for (int i = 0; i < 20; ++i, v = std::nextafter(v, 0.0)) csv += kes_test::csv_line({kes_test::number_text(v)});
  return csv;
}

struct aimed {
  const char* name;
  std::string program, data;
  std::vector<long> cell_values;  // the values of each cell, where the graph does not say
  std::vector<long> cell_counts = {};  // the same, ties and all, for any graph
  std::vector<std::string> percents = {};  // the program's PCTLORDER= list
};

// R's faithful$waiting (datasets package, R 4.x), 272 values from 43 to 96.
std::string faithful_waiting() {
  static const char* const kWaiting =
      "79 54 74 62 85 55 88 85 51 85 54 84 78 47 83 52 62 84 52 79 51 47 78 69 74 83 55 76 78 79 73 77 66 "
      "80 74 52 48 80 59 90 80 58 84 58 73 83 64 53 82 59 75 90 54 80 54 83 71 64 77 81 59 84 48 82 60 92 "
      "78 78 65 73 82 56 79 71 62 76 60 78 76 83 75 82 70 65 73 88 76 80 48 86 60 90 50 78 63 72 84 75 51 "
      "82 62 88 49 83 81 47 84 52 86 81 75 59 89 79 59 81 50 85 59 87 53 69 77 56 88 81 45 82 55 90 45 83 "
      "56 89 46 82 51 86 53 79 81 60 82 77 76 59 80 49 96 53 77 77 65 81 71 70 81 93 53 89 45 86 58 78 66 "
      "76 63 88 52 93 49 57 77 68 81 81 73 50 85 74 55 77 83 83 51 78 84 46 83 55 81 57 76 84 77 81 87 77 "
      "51 78 60 82 91 53 78 46 77 84 49 83 71 80 49 75 64 76 53 94 55 76 50 82 54 75 78 79 78 78 70 79 70 "
      "54 86 50 90 54 54 77 79 64 75 47 86 63 85 82 57 82 67 74 54 83 73 73 88 80 71 83 56 79 78 84 58 83 "
      "43 60 75 81 46 90 46 74";
  std::string csv = "waiting\n";
  for (const char* p = kWaiting; *p != '\0';) {
    const char* end = p;
    while (*end != '\0' && *end != ' ') ++end;
    csv.append(p, end) += "\n";
    p = *end == ' ' ? end + 1 : end;
  }
  return csv;
}

// R's mtcars hp by am (datasets package): 19 automatic and 13 manual cars.
const char* const kMtcars =
    "hp,am\n110,1\n110,1\n93,1\n110,0\n175,0\n105,0\n245,0\n62,0\n95,0\n123,0\n123,0\n180,0\n180,0\n"
    "180,0\n205,0\n215,0\n230,0\n66,1\n52,1\n65,1\n97,0\n150,0\n150,0\n245,0\n175,0\n66,1\n91,1\n"
    "113,1\n264,1\n175,1\n335,1\n109,1\n";

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
      // SQUARE with offsets of the axes unlike: the device's framed cell, offsets and
      // all, is square (its units then are not).
      {"pp-square-offsets", "proc kestravine data=d; ppplot x / normal square hoffset=10 voffset=0.5; run;\n", pct, {}},
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
      // Everyday cases the graph rules reach (listed in the fault list until mended).
      // PCTLSCALE with NOHLABEL on R's women: percents at evenly placed quantiles.
      {"women-pctlscale-nohlabel",
       "proc kestravine data=d;\n  qqplot x / normal(mu=est sigma=est) pctlscale nohlabel;\nrun;\n",
       spread(58, 72, 15), {15}},
      // Reference labels a label-width apart.
      {"faithful-close-hrefs",
       "proc kestravine data=d noprint;\n  var waiting;\n  histogram waiting / normal\n"
       "    href=54 55 hreflabels='short wait' 'cutoff';\nrun;\n",
       faithful_waiting(), {}},
      // A box at its design corner over a reference label.
      {"faithful-ne-box-over-label",
       "proc kestravine data=d noprint;\n  var waiting;\n  histogram waiting / href=80 hreflabels='long wait';\n"
       "  inset n mean std / pos=ne;\nrun;\n",
       faithful_waiting(), {}},
      // Three-digit counts over 30 bins (heights like R's volcano, 94 to 195).
      {"volcano-counts-30-bins",
       "proc kestravine data=d noprint;\n  var x;\n  histogram x / barlabel=count nmidpoints=30;\nrun;\n",
       spread(94, 195, 5307), {}},
      // Bins of values in the millions: their midpoints read exactly.
      {"millions-default-bins", "proc kestravine data=d noprint;\n  var x;\n  histogram x;\nrun;\n",
       spread(250000, 2.7e7, 300), {}},
      // Listed midpoints at 1e9 + half steps.
      {"billion-listed-midpoints",
       "proc kestravine data=d noprint;\n  var x;\n"
       "  histogram x / midpoints = 1000000000.005 to 1000000000.045 by 0.01;\nrun;\n",
       spread(1e9, 1e9 + 0.05, 200), {}},
      // A PCTLORDER= percent of seven digits.
      {"pctlorder-seven-digits",
       "proc kestravine data=d noprint;\n  var x;\n  probplot x / normal pctlorder=0.1 50 99.99999;\nrun;\n",
       spread(10, 20, 100), {}, {}, {"0.1", "50", "99.99999"}},
      // Each cell's own fit of R's mtcars hp by am: its own percents and HREF=90.
      {"mtcars-probplot-href90",
       "proc kestravine data=d noprint;\n  var hp;\n  class am;\n"
       "  probplot hp / lognormal(sigma=est theta=0 zeta=est) href=90 hreflabels='P90';\nrun;\n",
       kMtcars, {}},
      // Turned by ROTATE: each cell's percents up its side and its VREF=90 across.
      {"mtcars-probplot-rotate-vref90",
       "proc kestravine data=d noprint;\n  var hp;\n  class am;\n"
       "  probplot hp / lognormal(sigma=est theta=0 zeta=est) rotate vref=90 vreflabels='P90';\nrun;\n",
       kMtcars, {}},
      // Each cell's own percent axis above it.
      {"mtcars-qqplot-pctlaxis",
       "proc kestravine data=d noprint;\n  var hp;\n  class am;\n"
       "  qqplot hp / lognormal(sigma=est theta=0 zeta=est) pctlaxis;\nrun;\n",
       kMtcars, {}},
      // Overlaid groups: a row of each group's own percents, or (turned) none, saying why.
      {"mtcars-overlay-percent-rows",
       "proc kestravine data=d noprint;\n  var hp;\n  class am;\n"
       "  qqplot hp / lognormal(sigma=est theta=0 zeta=est) pctlaxis overlay;\n"
       "  probplot hp / lognormal(sigma=est theta=0 zeta=est) overlay href=90;\n"
       "  qqplot hp / lognormal(sigma=est theta=0 zeta=est) pctlaxis overlay rotate;\nrun;\n",
       kMtcars, {}},
      // A gamma fit that fails over NOBARS (a 0 in every cell) says nothing untrue.
      {"gamma-nobars-zeros",
       "proc kestravine data=d noprint;\n  var x;\n  class g;\n  histogram x / gamma nobars;\nrun;\n",
       spread(0, 200, 40, halves), {}, {20, 20}},
      // Twenty values a unit in the last place apart at either end of the doubles: each
      // drawn, under an axis that reads no value twice.
      {"ulps-top-qq", "proc kestravine data=d noprint;\n  qqplot x / normal(mu=est sigma=est);\nrun;\n",
       ulps(1), {20}},
      {"ulps-bottom-qq", "proc kestravine data=d noprint;\n  qqplot x / normal(mu=est sigma=est);\nrun;\n",
       ulps(-1), {20}},
      // Four boxes of a P-P plot, two at one corner: none over another, nor over the data.
      {"pp-four-insets",
       "proc kestravine data=d noprint;\n  ppplot x / normal square;\n  inset n mean std min max / pos=ne;\n"
       "  inset std p1 p5 p95 / pos=ne;\n  inset min max / pos=se;\n  inset median q1 q3 / pos=nw;\nrun;\n",
       pct, {}},
  };
  kes_test::scratch_dir root("aimed");
  for (const aimed& r : rows) {
    kes_fuzz::graph_check check;
    check.every_rule = true;
    check.cell_values = r.cell_values;
    check.cell_counts = r.cell_counts;
    check.listed_percents = r.percents;
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

namespace {

// A plot statement that draws no graph file is found, unless the log says why.
TEST(AimedPrograms, APlotStatementWithoutItsGraphIsFoundUnlessTheLogSaysWhy) {
  kes_test::scratch_dir root("aimed-missing");
  const std::string one = "proc kestravine data=d noprint;\n  histogram x;\nrun;\n";
  kes_fuzz::graph_check two;
  two.drawing_statements = 2;
  std::size_t missing = 0;
  for (const std::string& w : kes_fuzz::run_and_check(root.path(), one, spread(1, 9, 20), "aimed/missing", two))
    missing += w.find(kes_fuzz::kRuleGraphMissing) != std::string::npos ? 1 : 0;
  EXPECT_EQ(missing, kes_fuzz::renderers().size());
  kes_fuzz::graph_check drawn;
  drawn.drawing_statements = 1;
  EXPECT_TRUE(kes_fuzz::run_and_check(root.path(), one, spread(1, 9, 20), "aimed/missing", drawn).empty());
  // A Weibull Q-Q plot of waiting times with zeros at THETA=0: no cell can be shown,
  // and the log says so.
  const std::string zeros = "proc kestravine data=d noprint;\n  qqplot x / weibull2(sigma=est c=est);\nrun;\n";
  std::string data = "x\n";
  for (int i = 0; i < 40; ++i) data += std::to_string(i % 10 == 0 ? 0 : 3 + (i * 7) % 50) + "\n";
  for (const std::string& w : kes_fuzz::run_and_check(root.path(), zeros, data, "aimed/missing", drawn))
    EXPECT_EQ(w.find(kes_fuzz::kRuleGraphMissing), std::string::npos) << w;
}

TEST(AimedPrograms, ALogSaysWhyAGraphIsNotDrawn) {
  const struct {
    const char* log;
    bool says;
  } cases[] = {
      {"NOTE: No cell of secs can be shown on the Q-Q plot.\n", true},
      {"NOTE: x: 3 values at the threshold, not drawn.\n", true},
      {"WARNING: The histogram of x is not drawn: all values are missing.\n", true},
      {"NOTE: The KESTRAVINE step (lines 1-2) ended with return code 0.\n", false},
      {"NOTE: The step took 0.00 seconds of real time.\nThe curve is not drawn.\n", false},  // not a note line
  };
  for (const auto& c : cases) EXPECT_EQ(kes_fuzz::log_says_graph_not_drawn(c.log), c.says) << c.log;
}

}  // namespace
