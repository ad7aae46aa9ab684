// Inset boxes of template graphs through the built runner, read back from the SVG:
// the heading of a curve's block carries the curve's number only when its family has
// several curves (never as a value), a box of many statistics in small cells keeps
// every row, no bar, marker, curve or line of a cell lies under a box in it, no two
// boxes meet, a box stands wholly inside its frame or wholly beside it, and every text
// stays on the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_marks.h"
#include "support/svg_parts.h"
#include "support/svg_reader.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;
using kes_test::svg_element;

using kes_test::box;
using kes_test::box_of;

// Whether a segment crosses the box shrunk by half a pixel. The shared test counts
// only a segment that enters the inside; one drawn exactly half a pixel in (on the
// writer's hundredths) still counts, so the box is shrunk by half a hundredth less.
bool crossed(const box& b, double x1, double y1, double x2, double y2) {
  return kes_test::crosses({x1, y1, x2, y2}, b.shrunk(0.495));
}

// What a page breaks of the rules, one line each; empty when it keeps them. `boxes`
// counts the inset boxes drawn.
std::string faults(const std::vector<svg_element>& doc, int* boxes) {
  std::vector<box> frames, inside;
  for (const svg_element& e : doc)
    if (e.name == "rect" && e.get("fill") == "none" && e.get("stroke") == "#4A4A4A") frames.push_back(box_of(e));
  const auto is_frame = [&](const box& r) {
    for (const box& f : frames)
      if (std::fabs(f.x0 - r.x0) < 0.01 && std::fabs(f.y0 - r.y0) < 0.01 && std::fabs(f.w() - r.w()) < 0.01) return true;
    return false;
  };
  const auto in_frame = [&](const box& r) {
    return std::any_of(frames.begin(), frames.end(), [&](const box& f) { return f.contains(r, 1); });
  };
  // Boxes: white rectangles other than the page and the walls, inside a frame or beside it.
  for (const svg_element& e : doc)
    if (e.name == "rect" && e.get("fill") == "#FFFFFF" && !is_frame(box_of(e)) && !(e.num("x") == 0 && e.num("y") == 0))
      inside.push_back(box_of(e));
  *boxes = static_cast<int>(inside.size());
  std::ostringstream out;
  // A box stands wholly inside a frame or wholly outside every frame.
  for (const box& b : inside)
    if (!in_frame(b))
      for (const box& f : frames)
        if (b.overlaps(f, 0)) out << "a box at y " << b.y0 << " across a frame\n";
  for (std::size_t i = 0; i < inside.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (inside[i].overlaps(inside[j], 0)) out << "box " << i << " meets box " << j << "\n";
  const double width = doc.empty() ? 0 : doc[0].num("width"), height = doc.empty() ? 0 : doc[0].num("height");
  for (const svg_element& e : doc) {
    if (e.name == "text" && !(e.num("x") >= 0 && e.num("x") <= width && e.num("y") > 0 && e.num("y") <= height))
      out << "text off the page: " << e.text << "\n";
    for (const box& b : inside) {
      const std::string fill = e.get("fill");
      // A clip path's rectangle has no fill.
      if (e.name == "rect" && !fill.empty() && fill != "none" && fill != "#FFFFFF" && fill != "#EFEFEF" &&
          b.overlaps(box_of(e), 0.5))
        out << "a bar under a box at y " << b.y0 << "\n";
      if (e.name == "use" && b.holds(e.num("x"), e.num("y"))) out << "a marker under a box\n";
      // Frames, ticks and rules are #4A4A4A, grid lines #E6E6E6: neither is data.
      const std::string stroke = e.get("stroke");
      if (e.name == "line" && stroke != "#4A4A4A" && stroke != "#E6E6E6" &&
          crossed(b, e.num("x1"), e.num("y1"), e.num("x2"), e.num("y2")))
        out << "a line under a box\n";
      if (e.name == "polyline") {
        const std::vector<kes_test::svg_xy> pts = kes_test::svg_points(e.get("points"));
        for (std::size_t k = 1; k < pts.size(); ++k)
          if (crossed(b, pts[k - 1].x, pts[k - 1].y, pts[k].x, pts[k].y)) {
            out << "a curve under a box\n";
            break;
          }
      }
    }
  }
  return out.str();
}

class RunnerCellInsets : public ::testing::Test {
 protected:
  // The program's one graph, drawn by the default renderer.
  std::vector<svg_element> graph_of(const std::string& program) {
    dir_.write("prog.kes", program);
    fs::remove_all(dir_ / "g");
    fs::create_directories(dir_ / "g");
    kes_test::runner_process p;
    p.start(dir_.path().string(), {"--log", "log", "--listing", "lst", "--graphs", "g", "prog.kes"},
            [] { ::alarm(120); });
    EXPECT_EQ(p.wait(), 0);
    log_ = slurp(dir_ / "log");
    const std::vector<std::string> files = kes_test::svg_files(dir_ / "g");
    EXPECT_EQ(files.size(), 1u) << log_;
    return files.empty() ? std::vector<svg_element>{} : kes_test::svg_elements(slurp(dir_ / "g" / files[0]));
  }
  static int count(const std::vector<svg_element>& doc, const std::string& text) {
    return static_cast<int>(
        std::count_if(doc.begin(), doc.end(), [&](const svg_element& e) { return e.name == "text" && e.text == text; }));
  }
  // Six cells (a 3 x b 2) of 30 values each.
  void write_cells() {
    std::string text = "a,b,x\n";
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 30; ++i)
          text += std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(10 + a + (i * 7 % 30) / 6.0) + "\n";
    dir_.write("c.csv", text);
  }

  // Six cells (a 3 x b 2) of 15 values each, and 70 values of one variable skewed
  // to the right, so that the tallest bars stand in the middle and the tail is low.
  void write_room_data() {
    std::string cells = "a,b,x\n";
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 15; ++i)
          cells += std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(10 + a + b + (i * 7 % 15) / 3.0 + (i % 4 == 0 ? 1.5 : 0)) + "\n";
    dir_.write("c.csv", cells);
    std::string rain = "precip\n";
    for (int i = 0; i < 70; ++i) rain += std::to_string(7 + 60 * std::pow((i * 37 % 70 + 0.5) / 70.0, 1.3)) + "\n";
    dir_.write("rain.csv", rain);
  }

  kes_test::scratch_dir dir_{"cellinsets"};
  std::string log_;
};

TEST_F(RunnerCellInsets, HeadingsCarryTheCurveNumberOnlyAmongSeveral) {
  write_cells();
  struct heading_case {
    const char* curves;
    const char* heading;  // the text each cell's heading reads
    int per_cell;         // headings of that text in each cell
    int legend;           // legend entries of that text
  };
  const heading_case cases[] = {
      {"normal(noprint)", "Normal", 1, 1},
      {"normal(noprint mu=est 11)", "Normal 2", 1, 0},
  };
  for (const heading_case& c : cases) {
    const std::vector<svg_element> doc = graph_of(std::string("proc kestravine data=c noprint; var x; class a; ") +
                                                  "histogram / " + c.curves + "; inset n normal(mu sigma); run;\n");
    EXPECT_EQ(count(doc, c.heading), 3 * c.per_cell + c.legend) << c.curves;
    // The number never stands alone in a value column.
    EXPECT_EQ(count(doc, "1"), 0) << c.curves;
    EXPECT_EQ(count(doc, "2"), 0) << c.curves;
    EXPECT_EQ(count(doc, "Mean"), 3 * (c.per_cell + (std::string(c.heading) == "Normal" ? 0 : 1))) << c.curves;
  }
}

TEST_F(RunnerCellInsets, TwelveStatisticsInSmallCellsKeepEveryRow) {
  write_cells();
  const std::vector<svg_element> doc =
      graph_of("proc kestravine data=c noprint; var x; class a b; histogram / normal(noprint);\n"
               "  inset n mean std min max range median q1 q3 skewness kurtosis cv; run;\n");
  for (const char* label : {"N", "Mean", "Median", "Kurtosis", "Coeff of Variation"})
    EXPECT_EQ(count(doc, label), 6) << label;
  EXPECT_EQ(log_.find("leaves out"), std::string::npos) << log_;
}

constexpr const char* kTwelve = "n mean std min max median q1 q3 p1 p99 skewness kurtosis";
constexpr const char* kTwenty = "n mean std min max median q1 q3 p1 p5 p10 p90 p95 p99 skewness kurtosis cv range qrange var";
constexpr const char* kTwentyNine =
    "n mean std min max median q1 q3 p1 p5 p10 p90 p95 p99 skewness kurtosis cv range qrange var sum uss css mode "
    "stdmean nmiss nobs gini mad";

TEST_F(RunnerCellInsets, NoBoxLiesOverTheDataOrAnotherBox) {
  write_room_data();
  struct room_case {
    std::string statements;
    int boxes;          // boxes drawn on the graph
    const char* note;   // a text the log holds ("" for none)
  };
  const std::string comp = "data=c noprint; var x; class a b; histogram / normal; inset ";
  const std::string rain = "data=rain noprint; var precip; histogram / normal; inset ";
  const room_case cases[] = {
      // Twelve statistics in cells of 15 values, at a named corner and at the default one.
      {comp + kTwelve + " / position=ne;", 6, ""},
      {comp + kTwelve + ";", 6, ""},
      {comp + kTwelve + " / position=nw;", 6, ""},
      // 29 rows over the low tail of one histogram.
      {rain + kTwentyNine + ";", 1, ""},
      {rain + kTwentyNine + " / position=ne;", 1, ""},
      // Boxes at the bottom corners over the bars stand under the axis.
      {comp + "n mean std / position=se;", 6, ""},
      {rain + "n mean std / position=se; inset n / position=sw;", 2, ""},
      // Coordinates the template does not take: the box keeps clear of the one at NE.
      {rain + kTwenty + " / position=ne; inset gini mad qn sn / position=(5,60) refpoint=tl;", 2,
       "POSITION=(x, y) does not apply to template graphs"},
      // Boxes at named places that would meet: the later one stands beside the cell.
      {rain + "n mean std min / position=nw; inset n mean std min / position=n; inset n mean / position=w;", 3, ""},
      {rain + kTwenty + " / position=nw; inset " + kTwenty + " / position=w;", 2, ""},
      // Q-Q and probability plots: points, reference lines and VREF= lines keep clear
      // of the boxes, whichever axis is vertical.
      {"data=c noprint; var x; class a; qqplot / normal(mu=est sigma=est); inset " + std::string(kTwentyNine) + ";",
       3, ""},
      {"data=rain noprint; var precip; qqplot / normal(mu=est sigma=est) vref=60; inset n mean std min max / "
       "position=ne; inset n mean / position=se;", 2, ""},
      {"data=rain noprint; var precip; probplot / normal(mu=est sigma=est) rotate vref=50; inset " +
       std::string(kTwelve) + " / position=nw;", 1, ""},
      // P-P and CDF plots: their axes keep 0 to 1 and 0 to 100 %; boxes over the data stand beside.
      {"data=c noprint; var x; class a; ppplot / normal; inset " + std::string(kTwentyNine) + ";", 3, ""},
      {"data=rain noprint; var precip; cdfplot / normal vref=50; inset " + std::string(kTwelve) +
       " / position=ne; inset n mean / position=se;", 2, ""},
  };
  for (const room_case& c : cases) {
    SCOPED_TRACE(c.statements);
    const std::vector<svg_element> doc = graph_of("proc kestravine " + c.statements + " run;\n");
    ASSERT_FALSE(doc.empty()) << log_;
    int boxes = 0;
    EXPECT_EQ(faults(doc, &boxes), "");
    EXPECT_EQ(boxes, c.boxes);
    if (*c.note != '\0') {
      EXPECT_NE(log_.find(c.note), std::string::npos) << log_;
    }
    // REFPOINT= came with the coordinates: the note that it needs them would be false.
    EXPECT_EQ(log_.find("REFPOINT= applies only"), std::string::npos) << log_;
    EXPECT_EQ(log_.find("leaves out"), std::string::npos) << log_;
  }
}

}  // namespace
