// Graph cells that hold data show it, through the built runner and read back from the
// SVG files: a cell of one value or of equal values draws its bar and says truthfully
// why it has no points, a CDF cell whose family cannot be fitted keeps its step line,
// no marker of a comparative plot with a shape fitted per cell falls outside its
// cell, NOCHART draws nothing, and VREF= labels stand at the left by default.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"
#include "support/svg_rules.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;
using kes_test::svg_element;

class GraphRuns : public ::testing::Test {
 protected:
  // Runs the program with the renderer given (template or device); the graph files are
  // left in the folder "g", sorted by name.
  int run(const std::string& program, const std::string& renderer) {
    dir_.write("prog.kes", program);
    fs::remove_all(dir_ / "g");
    fs::create_directories(dir_ / "g");
    kes_test::runner_process p;
    p.start(dir_.path().string(),
            {"--log", "log", "--listing", "lst", "--graphics", renderer, "--graphs", "g", "prog.kes"},
            [] { ::alarm(120); });
    const int status = p.wait();
    log_ = slurp(dir_ / "log");
    files_.clear();
    for (const auto& e : fs::directory_iterator(dir_ / "g")) files_.push_back(e.path().filename().string());
    std::sort(files_.begin(), files_.end());
    return status;
  }
  std::vector<svg_element> graph(std::size_t i) const {
    return kes_test::svg_elements(slurp(dir_ / "g" / files_.at(i)));
  }

  kes_test::scratch_dir dir_{"graphcells"};
  std::string log_;
  std::vector<std::string> files_;
};

class RunnerGraphCells : public GraphRuns, public ::testing::WithParamInterface<const char*> {};

// Level a holds five values, b one, c three equal ones.
const char* kCells = "g,x\na,1\na,2\na,3\na,4.5\na,2.2\nb,3\nc,5\nc,5\nc,5\n";

std::vector<const svg_element*> bars(const std::vector<svg_element>& doc) {
  std::vector<const svg_element*> out;
  for (const svg_element& e : doc)
    if (e.name == "rect" && e.get("fill") == "#C6DBEF") out.push_back(&e);
  return out;
}

int texts_equal(const std::vector<svg_element>& doc, const std::string& text) {
  return static_cast<int>(std::count_if(doc.begin(), doc.end(), [&](const svg_element& e) {
    return e.name == "text" && e.text == text;
  }));
}

// The bins of width 1 hold a: 1 | 2, 2.2 | 3 | 4.5, b: 3 and c: 5, 5, 5; every cell
// shows its bars, each cell's standing on its own base line.
TEST_P(RunnerGraphCells, CellsOfOneValueOrEqualValuesDrawTheirBars) {
  dir_.write("one.csv", kCells);
  ASSERT_EQ(run("proc kestravine data=one noprint; var x; class g; histogram x / normal; run;\n", GetParam()), 0)
      << log_;
  ASSERT_EQ(files_.size(), 1u) << log_;
  const std::vector<svg_element> doc = graph(0);
  const std::vector<const svg_element*> b = bars(doc);
  EXPECT_EQ(b.size(), 6u);
  std::set<long> bases;
  for (const svg_element* e : b) bases.insert(std::lround(e->num("y") + e->num("height")));
  EXPECT_EQ(bases.size(), 3u);
  // The one-value and equal-value bars are whole: 100 percent, the tallest.
  double tallest = 0;
  int full = 0;
  for (const svg_element* e : b) tallest = std::max(tallest, e->num("height"));
  for (const svg_element* e : b) full += std::fabs(e->num("height") - tallest) < 0.01 ? 1 : 0;
  EXPECT_EQ(full, 2);
  // No curve is fitted in them; the log says so for each.
  EXPECT_NE(log_.find("cell g = b: no distribution is fitted there"), std::string::npos) << log_;
  EXPECT_NE(log_.find("cell g = c: no distribution is fitted there"), std::string::npos) << log_;
}

// HANGING: a cell without a fitted curve has nothing to hang its bar from; the bars
// of b and c stand on 0, whole.
TEST_P(RunnerGraphCells, CellsWithoutACurveToHangFromStandTheirBars) {
  dir_.write("one.csv", kCells);
  ASSERT_EQ(run("proc kestravine data=one noprint; var x; class g; histogram x / normal hanging; run;\n",
                GetParam()),
            0)
      << log_;
  ASSERT_EQ(files_.size(), 1u) << log_;
  const std::vector<svg_element> doc = graph(0);
  double tallest = 0;
  for (const svg_element* e : bars(doc)) tallest = std::max(tallest, e->num("height"));
  std::set<long> bases;
  for (const svg_element* e : bars(doc))
    if (std::fabs(e->num("height") - tallest) < 0.01) bases.insert(std::lround(e->num("y") + e->num("height")));
  EXPECT_EQ(bases.size(), 2u);
}

// A constant variable without CLASS: one bar of 100 percent.
TEST_P(RunnerGraphCells, ConstantDataDrawTheirBar) {
  dir_.write("k.csv", "x\n7\n7\n7\n7\n");
  ASSERT_EQ(run("proc kestravine data=k noprint; var x; histogram x; run;\n", GetParam()), 0) << log_;
  ASSERT_EQ(files_.size(), 1u) << log_;
  EXPECT_EQ(bars(graph(0)).size(), 1u);
}

class RunnerGraphCellsTemplate : public GraphRuns {};

// A QQ, probability, CDF or P-P cell that cannot place its points says what it holds.
TEST_P(RunnerGraphCells, CellsWithoutSpreadSayWhatTheyHold) {
  dir_.write("one.csv", kCells);
  const char* const programs[] = {
      "proc kestravine data=one noprint; var x; class g; qqplot x / normal(mu=est sigma=est); run;\n",
      "proc kestravine data=one noprint; var x; class g; qqplot x / normal rotate vref=3; run;\n",
      "proc kestravine data=one noprint; var x; class g; probplot x / normal; run;\n",
      "proc kestravine data=one noprint; var x; class g; cdfplot x / normal; run;\n",
      "proc kestravine data=one noprint; var x; class g; ppplot x; run;\n",
  };
  const bool device = std::string(GetParam()) == "device";
  for (const char* program : programs) {
    ASSERT_EQ(run(program, GetParam()), 0) << program << log_;
    ASSERT_EQ(files_.size(), 1u) << program << log_;
    const std::vector<svg_element> doc = graph(0);
    EXPECT_EQ(texts_equal(doc, "1 value"), 1) << program;
    EXPECT_EQ(texts_equal(doc, "all values equal"), 1) << program;
    EXPECT_EQ(texts_equal(doc, "no nonmissing values"), 0) << program;
  }
  // A combination of levels without any value still says so on a template graph.
  if (device) return;
  dir_.write("two.csv", "g,h,x\na,1,1\na,1,2\na,1,4\nb,2,3\nb,2,5\nb,2,4\n");
  ASSERT_EQ(run("proc kestravine data=two noprint; var x; class g h; qqplot x; run;\n", "template"), 0) << log_;
  EXPECT_EQ(texts_equal(graph(0), "no nonmissing values"), 2);
}

// With a large text height the notes of cells in the outer columns stay on the page,
// and stacked vertical values keep apart (the QQ plot's '5' above '1').
TEST_P(RunnerGraphCells, NotesOfCellsWithoutSpreadStayOnThePage) {
  dir_.write("wide.csv",
             "g,h,x\na,p,5\na,q,1\na,q,2\na,q,4\na,q,3\na,r,5\na,r,5\na,r,5\n"
             "b,p,1\nb,p,2\nb,p,4\nb,q,3\nb,q,5\nb,q,4\nb,r,1\nb,r,7\nb,r,3\n");
  const char* const programs[] = {
      "proc kestravine data=wide noprint; var x; class g h; ppplot x / height=10; run;\n",
      "proc kestravine data=wide noprint; var x; class g h; qqplot x / height=10; run;\n",
  };
  for (const char* program : programs) {
    ASSERT_EQ(run(program, GetParam()), 0) << program << log_;
    int notes = 0;
    for (const std::string& file : files_) {
      const std::string doc = slurp(dir_ / "g" / file);
      notes += texts_equal(kes_test::svg_elements(doc), "all values equal");
      for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(doc))
        EXPECT_NE(f.rule, kes_test::kRuleTextOffPage) << program << f.detail;
    }
    EXPECT_EQ(notes, 1) << program;
  }
}

// Values up the vertical axes of stacked rows keep a descender's room apart, within a
// cell and from the row above: none of the graphs' texts touch.
TEST_P(RunnerGraphCells, ValuesOfStackedRowsKeepApart) {
  std::string data = "g,h,y\n";
  const double values[] = {-1.1, -0.7, -0.45, -0.3, -0.2, -0.1, 0, 0.05, 0.1, 0.2, 0.3, 0.4, 0.55, 0.8, 1.2};
  for (const char* g : {"a", "b"})
    for (const char* h : {"p", "q", "r"})
      for (double v : values) data += std::string(g) + "," + h + "," + std::to_string(v) + "\n";
  dir_.write("rows.csv", data);
  ASSERT_EQ(run("proc kestravine data=rows noprint; var y; class g h; qqplot y / nrows=7; run;\n", GetParam()), 0)
      << log_;
  ASSERT_FALSE(files_.empty()) << log_;
  for (const std::string& file : files_)
    for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(slurp(dir_ / "g" / file)))
      EXPECT_NE(f.rule, kes_test::kRuleTextsTouch) << file << ": " << f.detail;
}

// The step lines of a CDF graph: polylines that only move right or up, in turn.
int step_lines(const std::vector<svg_element>& doc) {
  int n = 0;
  for (const svg_element& e : doc) {
    if (e.name != "polyline") continue;
    std::vector<double> v;
    std::string pts = e.get("points");
    std::replace(pts.begin(), pts.end(), ',', ' ');
    std::istringstream in(pts);
    for (double d; in >> d;) v.push_back(d);
    if (v.size() < 6) continue;
    bool steps = true;
    for (std::size_t i = 2; i + 1 < v.size(); i += 2) {
      const bool across = std::fabs(v[i + 1] - v[i - 1]) < 0.01, up = std::fabs(v[i] - v[i - 2]) < 0.01;
      steps = steps && (across || up) && v[i] >= v[i - 2] - 0.01 && v[i + 1] <= v[i - 1] + 0.01;
    }
    n += steps ? 1 : 0;
  }
  return n;
}

// LOGNORMAL cannot be fitted to data with a 0 (threshold 0): that cell keeps its step
// line without a curve, and so does the variable without CLASS.
TEST_P(RunnerGraphCells, CdfCellsWhoseFamilyCannotBeFittedKeepTheirStepLine) {
  dir_.write("c.csv", "g,x\na,1\na,2\na,3.5\na,5\nb,0\nb,1\nb,2\nb,4\nc,2\nc,3\nc,7\n");
  ASSERT_EQ(run("proc kestravine data=c noprint; var x; class g; cdfplot x / lognormal(theta=0); run;\n",
                GetParam()),
            0)
      << log_;
  ASSERT_EQ(files_.size(), 1u) << log_;
  EXPECT_EQ(step_lines(graph(0)), 3) << files_[0];
  EXPECT_NE(log_.find("its curve is not drawn"), std::string::npos) << log_;
  EXPECT_EQ(log_.find("No CLASS cell"), std::string::npos) << log_;

  dir_.write("z.csv", "x\n0\n1\n2\n4\n");
  for (const char* family : {"lognormal(theta=0)", "gamma(theta=0)", "weibull(theta=0)", "beta(theta=0 sigma=5)"}) {
    ASSERT_EQ(run(std::string("proc kestravine data=z noprint; var x; cdfplot x / ") + family + "; run;\n",
                  GetParam()),
              0)
        << family << log_;
    ASSERT_EQ(files_.size(), 1u) << family << log_;
    EXPECT_EQ(step_lines(graph(0)), 1) << family;
  }
}

// The clip rectangle that holds an element: its nearest group with a clip-path, read
// from the clipPath's rect. Null when none does.
const svg_element* clip_of(const std::vector<svg_element>& doc, long i) {
  for (long p = doc[i].parent; p >= 0; p = doc[p].parent) {
    const std::string ref = doc[p].get("clip-path");
    if (ref.size() < 6) continue;
    const std::string id = ref.substr(5, ref.size() - 6);  // url(#id)
    for (std::size_t k = 0; k < doc.size(); ++k)
      if (doc[k].name == "clipPath" && doc[k].get("id") == id && k + 1 < doc.size() && doc[k + 1].name == "rect")
        return &doc[k + 1];
  }
  return nullptr;
}

// Three CLASS cells of two variables each, with shapes far apart (a lognormal sample
// whose sigma grows with the cell): per-cell shapes give quantile ranges far apart.
std::string shaped_cells() {
  std::string text = "a,b,x\n";
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 3; ++b) {
      const double sigma = (0.25 + 0.6 * b) * (1 + a);
      for (int i = 0; i < 25; ++i) {
        const double z = std::sqrt(2.0) * std::erfc(2.0 * (i + 0.5) / 25);  // spread, not a quantile
        text += std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(std::exp(sigma * (z - 0.9))) + "\n";
      }
    }
  return text;
}

struct shaped_case {
  const char* statement;
  const char* class_vars;
};

// Device graphs: over families x CLASS layouts every marker lies inside its clip.
TEST_F(RunnerGraphCellsTemplate, EveryMarkerOfAShapeFittedPerCellLiesInsideItsCell) {
  dir_.write("s.csv", shaped_cells());
  const shaped_case cases[] = {
      {"qqplot x / lognormal(sigma=est theta=0)", "a b"},
      {"qqplot x / lognormal(sigma=est theta=0)", "b"},
      {"qqplot x / lognormal(sigma=est theta=0) rotate", "a b"},
      {"qqplot x / gamma(alpha=est theta=0)", "a b"},
      {"qqplot x / weibull(c=est theta=0)", "a b"},
      {"qqplot x / weibull(c=est theta=0) pctlaxis", "b"},
      {"probplot x / lognormal(sigma=est theta=0)", "a b"},
      {"probplot x / gamma(alpha=est theta=0)", "a b"},
      {"probplot x / gamma(alpha=est theta=0) rotate", "b"},
      {"probplot x / weibull(c=est theta=0)", "a b"},
      {"probplot x / weibull2", "a b"},
  };
  for (const shaped_case& c : cases) {
    const std::string program = std::string("proc kestravine data=s noprint; var x; class ") + c.class_vars + "; " +
                                c.statement + "; run;\n";
    ASSERT_EQ(run(program, "device"), 0) << program << log_;
    ASSERT_FALSE(files_.empty()) << program << log_;
    int markers = 0, outside = 0;
    for (std::size_t f = 0; f < files_.size(); ++f) {
      const std::vector<svg_element> doc = graph(f);
      for (long i = 0; i < static_cast<long>(doc.size()); ++i) {
        if (doc[i].name != "use") continue;
        ++markers;
        const svg_element* r = clip_of(doc, i);
        if (r == nullptr) continue;
        const double x = doc[i].num("x"), y = doc[i].num("y");
        const bool in = x >= r->num("x") - 0.01 && x <= r->num("x") + r->num("width") + 0.01 &&
                        y >= r->num("y") - 0.01 && y <= r->num("y") + r->num("height") + 0.01;
        outside += in ? 0 : 1;
      }
    }
    // 150 points; the page's resolution may merge a few that coincide.
    EXPECT_GT(markers, 120) << program;
    EXPECT_EQ(outside, 0) << program;
  }
}

// Markers of the SVG documents inside and outside the clip rectangle that holds them.
struct clip_count {
  int inside = 0, outside = 0;
};
clip_count markers_in_clips(const std::vector<svg_element>& doc) {
  clip_count n;
  for (long i = 0; i < static_cast<long>(doc.size()); ++i) {
    const svg_element* r = doc[i].name == "use" ? clip_of(doc, i) : nullptr;
    if (r == nullptr) continue;
    const double x = doc[i].num("x"), y = doc[i].num("y");
    const bool in = x >= r->num("x") - 0.01 && x <= r->num("x") + r->num("width") + 0.01 &&
                    y >= r->num("y") - 0.01 && y <= r->num("y") + r->num("height") + 0.01;
    ++(in ? n.inside : n.outside);
  }
  return n;
}

// Values at the two-parameter Weibull threshold (0) in every cell: each cell leaves
// its out with one note saying how many, and draws its other points inside its axes;
// a template graph says it inside the cell too.
TEST_P(RunnerGraphCells, ValuesAtTheWeibullThresholdAreLeftOutOfTheirCell) {
  // Cell A: 0 and five values above; B: 0, 0 and four; C: six values at 0.0005
  // (within 0.001 of the threshold) and below, and four above.
  dir_.write("w.csv", "g,x\nA,0\nA,0.4\nA,1\nA,1.5\nA,2.2\nA,3\nB,0\nB,0\nB,0.7\nB,1.1\nB,2\nB,2.9\n"
                      "C,0.0005\nC,0\nC,-1\nC,0\nC,0\nC,0\nC,0.5\nC,1.2\nC,1.9\nC,2.5\n");
  struct expect {
    const char* cell;
    const char* count;
    const char* in_cell;  // what the cell of a template graph says
  };
  const expect notes[] = {{"A", "1 value.", "1 value at the threshold, not drawn"},
                          {"B", "2 values.", "2 values at the threshold, not drawn"},
                          {"C", "6 values.", "6 values at the threshold, not drawn"}};
  for (const char* plot : {"probplot", "qqplot"}) {
    const std::string program = std::string("proc kestravine data=w noprint; var x; class g; ") + plot +
                                " x / weibull2(c=2 sigma=1); run;\n";
    ASSERT_EQ(run(program, GetParam()), 0) << program << log_;
    ASSERT_EQ(files_.size(), 1u) << program << log_;
    for (const expect& e : notes) {
      const std::string note = std::string("In the cell g = ") + e.cell +
                               ", the values of x at or below the two-parameter Weibull threshold (within 0.001) "
                               "are not plotted: " + e.count;
      EXPECT_NE(log_.find(note), std::string::npos) << program << log_;
    }
    EXPECT_EQ(log_.find("not finite"), std::string::npos) << log_;
    EXPECT_EQ(log_.find("shape values"), std::string::npos) << log_;
    const clip_count n = markers_in_clips(graph(0));
    EXPECT_EQ(n.inside, 5 + 4 + 4) << program;
    EXPECT_EQ(n.outside, 0) << program;
    if (std::string(GetParam()) == "template") {
      for (const expect& e : notes) EXPECT_EQ(texts_equal(graph(0), e.in_cell), 1) << program << e.cell;
    }
  }
  // Without CLASS the same: the values above the threshold are drawn.
  dir_.write("v.csv", "x\n0\n0.3\n1\n2\n");
  ASSERT_EQ(run("proc kestravine data=v noprint; var x; probplot x / weibull2(c=2 sigma=1); run;\n", GetParam()), 0);
  ASSERT_EQ(files_.size(), 1u) << log_;
  EXPECT_NE(log_.find("are not plotted: 1 value."), std::string::npos) << log_;
  EXPECT_EQ(markers_in_clips(graph(0)).inside, 3);
}

// A value exactly the gap (0.001) above the threshold is one of those left out, counted
// with its frequency; and the values left out keep their ranks, so that the others
// stand at the quantiles of their own ranks: those of 0, 1, 2, 3 where the three highest
// of 0.5, 1, 2, 3 stand (ranks 2 to 4: the middle one half-way, 0.501, not 0.615).
TEST_P(RunnerGraphCells, ValuesLeftOutAtTheWeibullThresholdKeepTheirRanks) {
  dir_.write("gap.csv", "x,f\n0,1\n0.001,3\n1,1\n2,1\n3,1\n");
  for (const auto& [freq, count] : {std::pair<const char*, const char*>{"", "2 values."}, {" freq f;", "4 values."}}) {
    ASSERT_EQ(run(std::string("proc kestravine data=gap noprint; var x;") + freq +
                      " probplot x / weibull2(c=2 sigma=1); run;\n",
                  GetParam()),
              0)
        << log_;
    ASSERT_EQ(files_.size(), 1u) << log_;
    EXPECT_NE(log_.find("are not plotted: " + std::string(count)), std::string::npos) << freq << "\n" << log_;
    EXPECT_EQ(markers_in_clips(graph(0)).inside, 3) << freq;
  }
  const auto marker_xs = [&](const char* data) {
    dir_.write("r.csv", data);
    EXPECT_EQ(run("proc kestravine data=r noprint; var x; qqplot x / weibull2(c=2 sigma=1);"
                  " run;\n",
                  GetParam()),
              0)
        << log_;
    std::vector<double> xs;
    for (const svg_element& e : graph(0))
      if (e.name == "use") xs.push_back(e.num("x"));
    std::sort(xs.begin(), xs.end());
    return xs;
  };
  const std::vector<double> skipped = marker_xs("x\n0\n1\n2\n3\n"), all = marker_xs("x\n0.5\n1\n2\n3\n");
  ASSERT_EQ(skipped.size(), 3u);
  ASSERT_EQ(all.size(), 4u);
  // The axes may differ in scale and offset: the middle point's place between the
  // other two does not.
  const auto middle = [](const double* x) { return (x[1] - x[0]) / (x[2] - x[0]); };
  EXPECT_NEAR(middle(skipped.data()), middle(all.data() + 1), 0.01) << GetParam();
}

// A probability plot whose shape is fitted per cell labels each cell's percents at
// that cell's own quantiles (sigma 0.25, 0.85 and 1.45 here), in both renderers: every
// cell shows its own tick of a percent (one that the narrowest cell's texts keep),
// each at a place of its own.
TEST_F(RunnerGraphCellsTemplate, PercentTicksOfEachCellStandAtItsOwnQuantiles) {
  dir_.write("s.csv", shaped_cells());
  const auto places = [&](const char* text) {
    std::vector<double> at;
    for (const svg_element& e : graph(0))
      if (e.name == "text" && e.text == text) at.push_back(e.num("x"));
    std::sort(at.begin(), at.end());
    return at;
  };
  for (const auto& [renderer, percent] : {std::pair<const char*, const char*>{"template", "75"}, {"device", "99"}}) {
    ASSERT_EQ(run("proc kestravine data=s noprint; var x; class b; probplot x / lognormal(sigma=est theta=0); run;\n",
                  renderer),
              0)
        << log_;
    ASSERT_EQ(files_.size(), 1u) << log_;
    const std::vector<double> at75 = places(percent);
    ASSERT_EQ(at75.size(), 3u) << renderer;
    EXPECT_GT(at75[1] - at75[0], 5) << renderer;
    EXPECT_GT(at75[2] - at75[1], 5) << renderer;
    // A shape common to every cell keeps one list of ticks, under the lowest cell only.
    ASSERT_EQ(run("proc kestravine data=s noprint; var x; class b; probplot x / lognormal(sigma=1 theta=0); run;\n",
                  renderer),
              0);
    EXPECT_EQ(places(percent).size(), 1u) << renderer;
  }
}

// The percentile axis of a comparative QQ plot stands above the first row's strips,
// whose level texts it would otherwise cover, in one row of cells or in one column.
TEST_F(RunnerGraphCellsTemplate, ThePercentileAxisStandsAboveTheStrips) {
  std::string data = "g,y\n";
  for (const char* g : {"a", "b", "c"})
    for (int i = 1; i <= 40; ++i) data += std::string(g) + "," + std::to_string(std::sqrt(i) + (*g - 'a')) + "\n";
  dir_.write("p.csv", data);
  for (const char* layout : {"", " ncols=3 nrows=1"}) {
    ASSERT_EQ(run(std::string("proc kestravine data=p noprint; var y; class g; qqplot y / normal pctlaxis") + layout +
                      "; run;\n",
                  "template"),
              0)
        << log_;
    ASSERT_EQ(files_.size(), 1u) << log_;
    const std::vector<svg_element> doc = graph(0);
    double strip_top = 1e9;
    for (const svg_element& e : doc)
      if (e.name == "rect" && e.get("fill") == "#EFEFEF") strip_top = std::min(strip_top, e.num("y"));
    int percents = 0;
    for (const svg_element& e : doc)
      if (e.name == "text" && (e.text == "5" || e.text == "25" || e.text == "75" || e.text == "95")) {
        ++percents;
        EXPECT_LT(e.num("y"), strip_top) << layout << ": '" << e.text << "'";
      }
    EXPECT_GE(percents, 4) << layout;
  }
}

// The places of the texts t in a document whose values stand over a cell (the area its
// data are clipped to): every right-aligned text at x, as the values of a column's
// percent axis stand.
std::string values_over_cells(const std::vector<svg_element>& doc, double x) {
  std::string over;
  for (const svg_element& t : doc) {
    if (t.name != "text" || std::fabs(t.num("x") - x) > 0.01 || t.get("text-anchor") != "end") continue;
    const double left = x - t.num("textLength");
    for (std::size_t i = 0; i + 1 < doc.size(); ++i) {
      if (doc[i].name != "clipPath" || doc[i + 1].name != "rect") continue;
      const svg_element& cell = doc[i + 1];
      const bool across = left < cell.num("x") + cell.num("width") && x > cell.num("x");
      const bool down =
          t.num("y") > cell.num("y") && t.num("y") - t.num("font-size") < cell.num("y") + cell.num("height");
      if (across && down)
        over += "'" + t.text + "' at x " + std::to_string(left) + " lies over the cell at x " +
                std::to_string(cell.num("x")) + "\n";
    }
  }
  return over;
}

// Under ROTATE the percents stand on each cell's vertical axis: the columns right of
// the first show theirs too (here 99, which the first column's narrow cells leave out),
// each column at a place of its own, in room of its own clear of the first column's
// cells: with two CLASS variables, and with one in two columns by NCOLS=2.
TEST_F(RunnerGraphCellsTemplate, RotatedPercentAxesOfEveryColumnShowTheirOwnPercents) {
  dir_.write("s.csv", shaped_cells());
  const char* const steps[] = {"class a b; probplot x / lognormal(sigma=est theta=0) rotate;",
                               "class a; probplot x / lognormal(sigma=est theta=0) rotate ncols=2;"};
  for (const char* step : steps)
    for (const char* renderer : {"template", "device"}) {
      ASSERT_EQ(run(std::string("proc kestravine data=s noprint; var x; ") + step + " run;\n", renderer), 0) << log_;
      ASSERT_EQ(files_.size(), 1u) << log_;
      const std::vector<svg_element> doc = graph(0);
      std::set<double> columns;
      for (const svg_element& e : doc)
        if (e.name == "text" && e.text == "99") columns.insert(e.num("x"));
      ASSERT_EQ(columns.size(), 2u) << renderer << ": " << step;
      EXPECT_EQ(values_over_cells(doc, *columns.rbegin()), "") << renderer << ": " << step;
    }
}

// A cell of three values fitted on its own still shows its own whole percent axis under
// NROWS=3, on the horizontal axis and, under ROTATE, on the vertical one: the ticks its
// fitted shape places run past the three rows its points take.
TEST_F(RunnerGraphCellsTemplate, ACellOfThreeValuesShowsItsWholeOwnPercentAxis) {
  std::string csv = "b,x\n";
  for (int b = 0; b < 3; ++b) {
    const int n = b == 2 ? 3 : 25;
    for (int i = 0; i < n; ++i) {
      const double z = std::sqrt(2.0) * std::erfc(2.0 * (i + 0.5) / n);
      csv += std::to_string(b) + "," + std::to_string(std::exp((0.25 + 0.6 * b) * (z - 0.9))) + "\n";
    }
  }
  dir_.write("t.csv", csv);
  struct row {
    const char* option;
    std::size_t least;  // percents the cell shows, at the least
  };
  for (const row& r : {row{"", 6}, row{" rotate", 5}}) {
    ASSERT_EQ(run(std::string("proc kestravine data=t noprint; var x; class b; probplot x / "
                              "lognormal(sigma=est theta=0) nrows=3") + r.option + "; run;\n", "template"), 0)
        << log_;
    ASSERT_EQ(files_.size(), 1u) << log_;
    const std::vector<svg_element> doc = graph(0);
    // The cell of three values is the lowest: its texts stand below its strip.
    double strip = NAN;
    for (const svg_element& e : doc)
      if (e.name == "text" && e.text == "b = 2") strip = e.num("y");
    ASSERT_FALSE(std::isnan(strip)) << r.option;
    std::set<std::string> percents;
    for (const svg_element& e : doc)
      if (e.name == "text" && e.num("y") > strip && !e.text.empty() &&
          e.text.find_first_not_of("0123456789") == std::string::npos)
        percents.insert(e.text);
    EXPECT_GE(percents.size(), r.least) << r.option;
    EXPECT_TRUE(percents.count("1") && percents.count("90")) << r.option;
  }
}

// NOCHART, as NOPLOT, draws no graph in either renderer; the tables are still made.
TEST_P(RunnerGraphCells, NochartWritesNoGraph) {
  dir_.write("n.csv", "x\n1\n2\n4\n5\n7\n");
  for (const char* statement : {"histogram x / nochart normal", "qqplot x / nochart", "probplot x / nochart",
                                "cdfplot x / normal nochart", "ppplot x / nochart"}) {
    ASSERT_EQ(run(std::string("proc kestravine data=n noprint; var x; ") + statement + "; run;\n", GetParam()), 0)
        << statement << log_;
    EXPECT_TRUE(files_.empty()) << statement << files_.front();
    EXPECT_EQ(log_.find("was written"), std::string::npos) << statement << log_;
  }
}

// The label of a VREF= line stands left of the plot's middle unless VREFLABPOS=2.
TEST_P(RunnerGraphCells, VrefLabelsStandLeftByDefault) {
  dir_.write("v.csv", "x\n1\n2\n2.5\n3\n4\n5\n");
  // Each statement's VREF= value lies on its vertical axis: percents, or the data.
  for (const char* pos : {"", "vreflabpos=1", "vreflabpos=2"}) {
    for (const char* statement : {"histogram x / vref=20", "qqplot x / vref=3", "cdfplot x / vref=20"}) {
      const std::string program = std::string("proc kestravine data=v noprint; var x; ") + statement +
                                  " vreflabel='LIMIT' " + pos + "; run;\n";
      ASSERT_EQ(run(program, GetParam()), 0) << program << log_;
      ASSERT_EQ(files_.size(), 1u) << program << log_;
      const std::vector<svg_element> doc = graph(0);
      const auto label = std::find_if(doc.begin(), doc.end(), [](const svg_element& e) {
        return e.name == "text" && e.text == "LIMIT";
      });
      ASSERT_NE(label, doc.end()) << program;
      // The reference line: the one dashed line across the plot.
      double left = NAN, right = NAN;
      for (const svg_element& e : doc)
        if (e.name == "line" && !e.get("stroke-dasharray").empty() && std::fabs(e.num("y1") - e.num("y2")) < 0.01)
          left = std::min(e.num("x1"), e.num("x2")), right = std::max(e.num("x1"), e.num("x2"));
      ASSERT_FALSE(std::isnan(left)) << program;
      const double x = label->num("x");
      const double middle = (left + right) / 2;
      if (std::string(pos) == "vreflabpos=2") EXPECT_GT(x, middle) << program;
      else EXPECT_LT(x, middle) << program;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Renderers, RunnerGraphCells, ::testing::Values("template", "device"));

}  // namespace
