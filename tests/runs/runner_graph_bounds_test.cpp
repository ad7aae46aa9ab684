// Graphs through the built runner read back from their SVG files: nothing drawn far
// off the page (lines from values near 1e-100 with given parameters), inset boxes
// inside their own cells however many cells and rows, pages as tall as the rows they
// hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_parts.h"
#include "support/svg_reader.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;
using kes_test::svg_element;

using kes_test::box;
using kes_test::box_of;

class RunnerGraphBounds : public ::testing::Test {
 protected:
  // Runs the program; the SVG files it wrote, by name.
  std::vector<std::string> run(const std::string& program, const std::vector<std::string>& extra = {}) {
    dir_.write("prog.kes", program);
    for (const std::string& f : svg_files()) fs::remove(dir_ / f);
    std::vector<std::string> args = {"--log", "log", "--listing", "lst"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("prog.kes");
    kes_test::runner_process p;
    p.start(dir_.path().string(), args, [] { ::alarm(300); });
    status_ = p.wait();
    log_ = slurp(dir_ / "log");
    return svg_files();
  }
  std::vector<std::string> svg_files() const { return kes_test::svg_files(dir_.path()); }
  std::vector<svg_element> read(const std::string& file) const { return kes_test::svg_elements(slurp(dir_ / file)); }

  kes_test::scratch_dir dir_{"graphbounds"};
  std::string log_;
  int status_ = -1;
};

// Values near 1e-100 with given parameters: the reference line runs 1e46 px off the
// page at both ends (mu = 0, sigma = 1e-54 puts it across the plot), and P-P and CDF
// curves come from them too. In both renderers no coordinate lies beyond 1e5 px, and
// the template's QQ and probability lines are drawn inside their plots.
TEST_F(RunnerGraphBounds, NoCoordinateFarOffThePage) {
  std::string data = "x\n";
  for (int i = 0; i < 40; ++i) data += std::to_string(0.8 + 0.01 * i) + "e-100\n";
  dir_.write("tiny.csv", data);
  const std::string program =
      "proc kestravine data=tiny noprint;\n"
      "  qqplot x / normal(mu=0 sigma=1e-54);\n"
      "  probplot x / normal(mu=0 sigma=1e-54);\n"
      "  qqplot x / normal(mu=1e-100 sigma=1e-150);\n"
      "  ppplot x / normal(mu=0 sigma=1);\n"
      "  cdfplot x / normal(mu=0 sigma=1e-54);\n"
      "run;\n";
  for (const char* graphics : {"template", "device"}) {
    const std::vector<std::string> files = run(program, {"--graphics", graphics});
    ASSERT_LT(status_, 2) << log_;
    ASSERT_GE(files.size(), 3u) << graphics << log_;
    for (const std::string& f : files) {
      const std::vector<svg_element> els = read(f);
      EXPECT_LT(kes_test::svg_farthest(els), 1e5) << graphics << " " << f;
      if (std::string(graphics) != "template" || (f != "QQPlot1.svg" && f != "ProbPlot1.svg")) continue;
      // The reference line crosses the plot: it is drawn, cut to its clip (grown by
      // the 8 px margin of a 1.5 px stroke). The legend's swatch lies outside it.
      box clip{0, 0, 0, 0};
      int inside = 0;
      for (const svg_element& e : els) {
        if (e.name == "rect" && e.get("fill").empty() && clip.w() == 0) clip = box_of(e);
        if (e.name == "line" && e.get("stroke") == "#D55E00")
          inside += clip.contains({e.num("x1"), e.num("y1"), e.num("x1"), e.num("y1")}, 8.01) &&
                    clip.contains({e.num("x2"), e.num("y2"), e.num("x2"), e.num("y2")}, 8.01);
      }
      EXPECT_EQ(inside, 1) << f;
    }
  }
}

// Each inset box (white, framed) lies inside the frame of the cell it is drawn in or
// wholly beside the frames, on the page: ten cells across, a box of 29 rows in one
// plot, the same in two QQ cells.
TEST_F(RunnerGraphBounds, InsetsStayInsideTheirCells) {
  std::string data = "x,g,h\n";
  for (int i = 0; i < 600; ++i)
    data += std::to_string(10 + 2 * std::sin(i * 1.7) + (i % 12) * 0.3) + ",L" + std::to_string(10 + i % 12) + "," +
            (i % 2 ? "a" : "b") + "\n";
  dir_.write("lev.csv", data);
  const std::string many =
      "n mean std min max median q1 q3 range qrange var cv skewness kurtosis uss css stdmean sum sumwgt nmiss nobs "
      "mode p1 p5 p10 p90 p95 p99";
  const std::string program = "proc kestravine data=lev noprint; class g;\n"
                              "  histogram x / normal ncols=10 nrows=1; inset n mean std min max / position=ne; run;\n"
                              "proc kestravine data=lev noprint;\n"
                              "  histogram x / normal; inset " + many + " normal(mu sigma) / position=ne; run;\n"
                              "proc kestravine data=lev noprint; class h;\n"
                              "  qqplot x / normal(mu=est sigma=est); inset " + many + " / position=nw; run;\n";
  const std::vector<std::string> files = run(program);
  ASSERT_EQ(status_, 0) << log_;
  int boxes = 0;
  for (const std::string& f : files) {
    std::vector<box> frames, insets;
    const std::vector<svg_element> els = read(f);
    const box page{0, 0, els.front().num("width"), els.front().num("height")};
    for (const svg_element& e : els) {
      if (e.name != "rect" || e.get("stroke") != "#4A4A4A") continue;
      if (e.get("fill") == "none") frames.push_back(box_of(e));
      if (e.get("fill") == "#FFFFFF") insets.push_back(box_of(e));
    }
    for (const box& b : insets) {
      ++boxes;
      // Inside one frame, or beside the frames and on the page.
      const bool inside = std::any_of(frames.begin(), frames.end(), [&b](const box& fr) { return fr.contains(b); });
      const bool beside =
          std::none_of(frames.begin(), frames.end(), [&b](const box& fr) { return b.overlaps(fr, 0); });
      EXPECT_TRUE(inside || (beside && page.contains(b))) << f << ": a box at " << kes_test::place(b);
    }
  }
  // Ten cells across are 43 px wide: their values alone would not fit, and the boxes
  // are left out rather than drawn over the neighbouring cells. The box of 29 rows
  // keeps what fits in each plot.
  EXPECT_EQ(boxes, 0 + 1 + 2);
  // The rows left out are said, with how many.
  EXPECT_NE(log_.find("leaves out 5 of the 5 rows of an inset box: its cell has no room for them"), std::string::npos)
      << log_;
  EXPECT_NE(log_.find("rows of an inset box: its cell has no room for them"), std::string::npos) << log_;
}

// Twelve levels at ten rows a page: the second page holds two rows and is as tall as
// two rows need, its frames reaching down to its axis.
TEST_F(RunnerGraphBounds, PagesAreAsTallAsTheRowsTheyHold) {
  std::string data = "x,g\n";
  for (int i = 0; i < 240; ++i) data += std::to_string(5 + std::cos(i * 0.9) * 2) + ",L" + std::to_string(10 + i % 12) + "\n";
  dir_.write("twelve.csv", data);
  const std::vector<std::string> files =
      run("proc kestravine data=twelve noprint; class g; histogram x / nrows=10; qqplot x / nrows=10; run;\n");
  ASSERT_EQ(status_, 0) << log_;
  ASSERT_EQ(files, (std::vector<std::string>{"Histogram1.svg", "Histogram2.svg", "QQPlot1.svg", "QQPlot2.svg"}));
  for (const std::string& f : files) {
    const std::vector<svg_element> els = read(f);
    const double height = els.front().num("height");
    int frames = 0;
    double lowest = 0;
    for (const svg_element& e : els)
      if (e.name == "rect" && e.get("fill") == "none" && e.get("stroke") == "#4A4A4A") {
        ++frames;
        lowest = std::max(lowest, e.num("y") + e.num("height"));
      }
    const bool last = f.find('2') != std::string::npos;
    EXPECT_EQ(frames, last ? 2 : 10) << f;
    // The default page for up to two rows; ten rows get 150 px each.
    EXPECT_EQ(height, last ? 480 : 1680) << f;
    // Below the lowest frame only the axis, its label and the legend: no empty rows.
    EXPECT_LT(height - lowest, 120) << f;
  }
}

}  // namespace
