// Comparative device histograms are laid out for the columns they draw: a column that
// is the only one spans the plot width, and the columns of two CLASS variables fill the
// page across, whatever NCOLS= asks beyond them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "../support/svg_parts.h"
#include "device_run.h"

namespace {

struct grid_case {
  int levels1, levels2;  // levels2 0: one CLASS variable
  std::string options;   // the HISTOGRAM statement's layout options
  int columns;           // the columns of cells drawn on the first page
};

// The cells of the first page (the graph written first).
std::vector<kes_test::box> first_page_cells(const grid_case& k, std::string* where) {
  kes_test::scratch_dir dir("device-drawn-columns");
  {
    std::ofstream csv(dir / "d.csv");
    csv << "g,h,x\n";
    for (int a = 0; a < k.levels1; ++a)
      for (int b = 0; b < std::max(k.levels2, 1); ++b)
        for (int i = 0; i < 6; ++i) csv << "a" << a << ",b" << b << "," << 1e9 + 0.05 + (a + b + i * i) % 7 << "\n";
    std::ofstream kes(dir / "p.kes");
    kes << "proc kestravine data=d noprint;\n  class g" << (k.levels2 > 0 ? " h" : "") << ";\n  var x;\n"
        << "  histogram x /\n    " << k.options << ";\nrun;\n";
  }
  *where = k.options + " levels " + std::to_string(k.levels1) + "x" + std::to_string(k.levels2);
  if (devgraph_test::device_run(dir.path(), dir / "p.kes") != 0) {
    ADD_FAILURE() << *where << ": " << kes_test::slurp(dir / "log");
    return {};
  }
  std::vector<std::string> files = devgraph_test::graph_files(dir.path());
  std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
    return std::make_pair(a.size(), a) < std::make_pair(b.size(), b);
  });
  if (files.empty()) return {};
  return kes_test::read_parts(kes_test::slurp(dir / "graphs" / files.front())).cells;
}

TEST(DeviceDrawnColumns, CellsSpanThePlotWidthOfTheColumnsDrawn) {
  std::vector<grid_case> cases;
  // One CLASS variable laid out in rows: NCOLS= is not used, the one column is wide.
  for (int levels = 3; levels <= 12; ++levels) cases.push_back({levels, 0, "nrows=5 ncols=8", 1});
  cases.push_back({4, 0, "ncols=8 nrows=5", 1});
  cases.push_back({4, 0, "NROW=3 NCOL=2", 1});
  cases.push_back({4, 0, "down=2 across=4", 1});
  // Across: NCOLS= to a page, no more than the levels.
  cases.push_back({3, 0, "ncols=8", 3});
  cases.push_back({9, 0, "ncols=4", 4});
  cases.push_back({2, 0, "nrows=1 ncols=6", 2});
  // Two CLASS variables: the second's levels across.
  cases.push_back({2, 3, "nrows=2 ncols=8", 3});
  cases.push_back({2, 3, "nrows=2 ncols=3", 3});
  cases.push_back({3, 5, "nrows=3 ncols=2", 2});
  cases.push_back({2, 4, "nrows=2", 4});
  for (const grid_case& k : cases) {
    std::string where;
    const std::vector<kes_test::box> cells = first_page_cells(k, &where);
    if (cells.empty()) {
      ADD_FAILURE() << where << ": no cells read";
      continue;
    }
    double left = cells.front().x0, right = cells.front().x1, widest = 0;
    std::vector<double> columns;
    for (const kes_test::box& b : cells) {
      left = std::min(left, b.x0), right = std::max(right, b.x1), widest = std::max(widest, b.w());
      if (std::none_of(columns.begin(), columns.end(), [&](double x) { return std::abs(x - b.x0) < 1; }))
        columns.push_back(b.x0);
    }
    EXPECT_EQ(static_cast<int>(columns.size()), k.columns) << where;
    // The default page is 640 wide: the columns drawn take most of it (the vertical
    // axis, its label and the side strips take the rest).
    EXPECT_GT(right - left, 0.7 * 640) << where << ": cells span " << left << " to " << right;
    EXPECT_GT(widest * k.columns, 0.6 * 640) << where << ": widest cell " << widest;
  }
}

}  // namespace
