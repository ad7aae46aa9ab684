// GRID and SQUARE of device probability and P-P plots, read back from the SVG: the
// grid lines of a probability plot stand at the ticks of its vertical axis (the data
// axis, or the percent axis under ROTATE), and SQUARE makes a P-P plot's axes as long
// as each other.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "../support/svg_reader.h"
#include "device_run.h"

namespace {

using kes_test::slurp;
using kes_test::svg_element;

constexpr const char* kGrid = "#EFEFEF";
constexpr const char* kInk = "#1F1F1F";

std::vector<svg_element> page(const kes_test::scratch_dir& dir, const std::string& program) {
  dir.write("p.kes", program);
  EXPECT_EQ(devgraph_test::device_run(dir.path(), dir / "p.kes"), 0) << slurp(dir / "log");
  const std::vector<std::string> files = devgraph_test::graph_files(dir.path());
  EXPECT_EQ(files.size(), 1u);
  return files.empty() ? std::vector<svg_element>{} : kes_test::svg_elements(slurp(dir / "graphs" / files[0]));
}

bool flat(const svg_element& e) { return std::fabs(e.num("y1") - e.num("y2")) < 0.01; }

TEST(DeviceGridSquare, ProbabilityGridStandsAtTheVerticalTicks) {
  kes_test::scratch_dir dir("devgrid");
  std::string data = "x\n";
  for (int i = 1; i <= 40; ++i) data += std::to_string(1 + (i * 37 % 40) / 8.0) + "\n";
  dir.write("d.csv", data);
  for (const char* rotate : {"", " rotate"}) {
    const std::vector<svg_element> doc =
        page(dir, std::string("proc kestravine data=d noprint; probplot x / normal grid") + rotate + "; run;\n");
    // The vertical axis's major ticks: short flat lines of the axis ink left of it.
    std::set<long> ticks, grid;
    double axis_x = INFINITY;
    for (const svg_element& e : doc)
      if (e.name == "line" && e.get("stroke") == kGrid) axis_x = std::min(axis_x, std::min(e.num("x1"), e.num("x2")));
    for (const svg_element& e : doc) {
      if (e.name != "line") continue;
      if (e.get("stroke") == kGrid) {
        EXPECT_TRUE(flat(e)) << rotate;  // never a vertical line at a percent tick
        grid.insert(std::lround(e.num("y1") * 10));
      } else if (e.get("stroke") == kInk && flat(e) && std::max(e.num("x1"), e.num("x2")) <= axis_x + 0.01 &&
                 std::fabs(e.num("x1") - e.num("x2")) < 10) {
        ticks.insert(std::lround(e.num("y1") * 10));
      }
    }
    EXPECT_GE(grid.size(), 3u) << rotate;
    // Every grid line is at a tick (the bottom one may stand on the axis line alone).
    int at_tick = 0;
    for (long y : grid) at_tick += ticks.count(y) ? 1 : 0;
    EXPECT_GE(at_tick, static_cast<int>(grid.size()) - 1) << rotate;
  }
}

TEST(DeviceGridSquare, SquarePpPlotHasAxesOfOneLength) {
  kes_test::scratch_dir dir("devsquare");
  dir.write("d.csv", "x\n1\n2\n2.5\n3\n4.5\n5\n7\n8\n");
  struct extent {
    double w, h;
  };
  // The 45-degree line runs corner to corner of the axes: its extents are theirs.
  const auto diagonal = [](const std::vector<svg_element>& doc) {
    extent best{0, 0};
    for (const svg_element& e : doc) {
      if (e.name != "line" || e.get("stroke") == kInk || e.get("stroke") == kGrid) continue;
      const double w = std::fabs(e.num("x2") - e.num("x1")), h = std::fabs(e.num("y2") - e.num("y1"));
      if (w * h > best.w * best.h) best = {w, h};
    }
    return best;
  };
  const extent plain = diagonal(page(dir, "proc kestravine data=d noprint; ppplot x / normal; run;\n"));
  const extent square = diagonal(page(dir, "proc kestravine data=d noprint; ppplot x / normal square; run;\n"));
  ASSERT_GT(plain.w * plain.h, 0);
  EXPECT_GT(plain.w, plain.h * 1.1);
  ASSERT_GT(square.h, 0);
  EXPECT_NEAR(square.w / square.h, 1.0, 0.02);
}

}  // namespace
