// Kernel curves of a cell: heights on each vertical scale, the AMISE, the bound checks
// and their notes, the points of a panel, and the OUTKERNEL rows of several curves and
// cells.
#include <gtest/gtest.h>

#include <cmath>

#include "devgraph/kes_layout.h"
#include "fit/kes_kernel.h"
#include "fit/keskern_cell.h"
#include "fit/zsjpi.h"
#include "host/host_services.h"
#include "kernel_cells.h"
#include "numeric/zmissing.h"

namespace kernel_test {
namespace {

constexpr double kPi = 3.141592653589793;

std::vector<double> sample() {
  std::vector<double> x;
  for (int i = 0; i < 60; ++i) x.push_back(10 + 3 * std::sin(i * 1.7) + 0.05 * i);
  return x;
}

double exact_density(const std::vector<double>& x, double h, double at) {
  double d = 0;
  for (double v : x) d += std::exp(-0.5 * (at - v) * (at - v) / (h * h)) / std::sqrt(2 * kPi) / (x.size() * h);
  return d;
}

class kernel_curve : public kernel_cells {
 protected:
  // One cell of sample() with the given option, set up, bins of width 1 from 6 to 16.
  kes_cell* one(std::vector<double> k, std::vector<double> c, std::vector<double> lower = {},
                std::vector<double> upper = {}, int vscale = 1) {
    kernel_option(k, c, lower, upper);
    kes_cell* cell = add_cell(sample());
    bins(6, 16, 1, vscale);
    EXPECT_EQ(set_up(cell), 0);
    return cell;
  }
};

TEST_F(kernel_curve, HeightsOnEachVerticalScale) {
  kes_cell* cell = one({}, {0.6});
  const double count = keskdfy(&ctx, cell, 0);
  const std::vector<double> x = sample();
  const double h = kernel(cell, 0)->kernel.h;
  double top = 0;
  for (double at = 5.5; at <= 16.5; at += 0.01) top = std::max(top, exact_density(x, h, at));
  EXPECT_NEAR(count, top * 60 * 1.0, 0.01 * count);  // density * N * w
  bins(6, 16, 1, 0);
  EXPECT_DOUBLE_EQ(keskdfy(&ctx, cell, 0), count * 100 / 60);
  bins(6, 16, 1, 2);
  EXPECT_DOUBLE_EQ(keskdfy(&ctx, cell, 0), count / 60);
}

TEST_F(kernel_curve, AmiseFromTheBandwidthAndTheNote) {
  kes_cell* cell = one({1, 3}, {0.5, -2});
  const kes_varsum* vs = summary(cell);
  const double n = vs->n, s = vs->qrange;
  keskdfy(&ctx, cell, 0);
  EXPECT_NEAR(kernel(cell, 0)->kernel.amise,
              (1.1283791670955126 / 4 / 0.5 + 0.236278331 * std::pow(0.5, 4)) / (std::pow(n, 0.8) * s), 1e-15);
  EXPECT_NE(text("431/12").find("c = 0.5,"), std::string::npos) << text("431/12");
  // The plug-in c is scaled by the standard deviation; the AMISE by the interquartile
  // range, so it is formed from h.
  keskdfy(&ctx, cell, 1);
  const kes_kernspec& kn = kernel(cell, 1)->kernel;
  const double c = kn.h * std::pow(n, 0.2) / s;
  ASSERT_GT(std::abs(c - kn.c), 0.01);
  EXPECT_NEAR(kn.amise, (1.1283791670955126 / 4 / c + 0.236278331 * std::pow(c, 4)) / (std::pow(n, 0.8) * s), 1e-15);
  EXPECT_EQ(count("431/12"), 2);
}

TEST_F(kernel_curve, BoundsThatDoNotEncloseTheDataAreDropped) {
  kes_cell* cell = one({}, {0.5}, {8}, {11});
  keskdfy(&ctx, cell, 0);
  EXPECT_EQ(count("431/856"), 1);
  EXPECT_EQ(count("431/859"), 1);
  EXPECT_EQ(count("431/12"), 1);  // the unbounded curve's note
  EXPECT_TRUE(is_missing(kernel(cell, 0)->kernel.lower));
  EXPECT_TRUE(is_missing(kernel(cell, 0)->kernel.upper));
}

TEST_F(kernel_curve, BoundsEnclosingTheDataReflectTheMass) {
  const std::vector<double> x = sample();
  const double min = *std::min_element(x.begin(), x.end());
  kes_cell* cell = one({}, {0.5}, {min - 0.1});
  const double bounded = keskdfy(&ctx, cell, 0);
  EXPECT_EQ(count("431/871"), 1);
  EXPECT_EQ(count("431/12"), 0);
  EXPECT_EQ(kernel(cell, 0)->kernel.lower, min - 0.1);
  // Rows from the bound on: the density integrates to 1 over the bounded range.
  record_rows();
  ASSERT_EQ(kesoutk(&ctx), 0);
  double mass = 0;
  for (size_t i = 1; i < rows.size(); ++i)
    mass += 0.5 * (rows[i].density + rows[i - 1].density) * (rows[i].value - rows[i - 1].value);
  for (const kernel_row& r : rows)
    if (r.value < min - 0.1) {
      EXPECT_EQ(r.density, 0.0) << r.value;
    }
  EXPECT_NEAR(mass, 1.0, 0.02);
  EXPECT_GT(bounded, 0);
}

TEST_F(kernel_curve, WideKernelOrFailedFoldingDropsBothBounds) {
  kes_cell* wide = one({2}, {100}, {0}, {30});
  keskdfy(&ctx, wide, 0);
  ASSERT_EQ(kernel(wide, 0)->kernel.extent, 1);
  EXPECT_EQ(count("431/862"), 1);
  EXPECT_EQ(count("431/865"), 1);
  EXPECT_TRUE(is_missing(kernel(wide, 0)->kernel.lower));
  // A normal kernel whose reflected tails cross: bounds just outside the data.
  notes.clear();
  cv.levels = cv.keycell = nullptr;
  const std::vector<double> x = sample();
  const double min = *std::min_element(x.begin(), x.end()), max = *std::max_element(x.begin(), x.end());
  kes_cell* close = add_cell(x);
  bins(6, 16, 1, 1);
  const double s = summary(close)->qrange / std::pow(60.0, 0.2);
  stmt.list(KES_PLOT_SLOT_KERNEL_K, {1});
  stmt.list(KES_PLOT_SLOT_KERNEL_C, {(max - min) / 2.5 / s});
  stmt.list(KES_PLOT_SLOT_KERNEL_LOWER, {min - 0.01});
  stmt.list(KES_PLOT_SLOT_KERNEL_UPPER, {max + 0.01});
  ASSERT_EQ(set_up(close), 0);
  keskdfy(&ctx, close, 0);
  EXPECT_EQ(count("431/868"), 1);
  EXPECT_EQ(count("431/12"), 1);
  EXPECT_TRUE(is_missing(kernel(close, 0)->kernel.upper));
}

TEST_F(kernel_curve, PanelPointsStartAndEndAtThePanelEdges) {
  kes_cell* cell = one({}, {0.5});
  keskdfy(&ctx, cell, 0);
  const kes_plotslot* sl = slot(cell);
  std::vector<double> work(2 * summary(cell)->ndistinct + 3 * sl->grid_m);
  std::vector<double> xy(2 * 514);
  int n = 0;
  ASSERT_EQ(keskdf(&ctx, cell, work.data(), xy.data(), 7.03, 13.97, &n, kernel(cell, 0)), 0);
  ASSERT_GT(n, 10);
  EXPECT_EQ(xy[0], 7.03);
  EXPECT_EQ(xy[2 * (n - 1)], 13.97);
  for (int i = 1; i < n; ++i) ASSERT_LT(xy[2 * (i - 1)], xy[2 * i]);
  const double h = kernel(cell, 0)->kernel.h;
  for (int i = 0; i < n; ++i) ASSERT_NEAR(xy[2 * i + 1], 60 * exact_density(sample(), h, xy[2 * i]), 0.02);
  // A panel from before the grid starts at its first point; a device layout moves the
  // points to panel coordinates.
  kes_layout layout{};
  layout.xscale = 2;
  layout.xoffset = 1;
  layout.yscale = 0.5;
  layout.yoffset = -3;
  req.layout = &layout;
  std::vector<double> dev(2 * 514);
  ASSERT_EQ(keskdf(&ctx, cell, work.data(), dev.data(), sl->grid_a - 5, 13.97, &n, kernel(cell, 0)), 0);
  EXPECT_EQ(dev[0], sl->grid_a * 2 + 1);
  EXPECT_NEAR(dev[2 * (n - 1)], 13.97 * 2 + 1, 1e-12);
}

// Rows of two curves in three CLASS levels: level by level, each curve's points left
// to right, written once whatever drew the curves.
TEST_F(kernel_curve, OutkernelRowsOfTwoCurvesInThreeLevels) {
  cv.count = 1;
  kernel_option({1, 2}, {0.5, 0.8});
  std::vector<kes_cell*> cells;
  for (int level = 1; level <= 3; ++level) {
    std::vector<double> x = sample();
    for (double& v : x) v += level * 0.3;
    cells.push_back(add_cell(x, level, std::to_string(level).c_str()));
  }
  bins(6, 17, 1, 1);
  record_rows();
  for (kes_cell* cell : cells) {
    ASSERT_EQ(set_up(cell), 0);
    for (int k = 0; k < 2; ++k) keskdfy(&ctx, cell, k);
  }
  ASSERT_EQ(kesoutk(&ctx), 0);
  ASSERT_FALSE(rows.empty());
  std::vector<std::string> blocks;
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string key = std::to_string(static_cast<int>(rows[i].level[0])) + rows[i].type;
    if (blocks.empty() || blocks.back() != key) blocks.push_back(key);
    else ASSERT_GT(rows[i].value, rows[i - 1].value);
    ASSERT_DOUBLE_EQ(rows[i].height, rows[i].density * 60 * 1.0);  // VSCALE=COUNT
  }
  EXPECT_EQ(blocks, (std::vector<std::string>{"1Normal", "1Triangular", "2Normal", "2Triangular", "3Normal",
                                               "3Triangular"}));
  EXPECT_EQ(rows.front().c, 0.5);
  EXPECT_EQ(rows.back().c, 0.8);
  EXPECT_EQ(rows.front().value, 5.5);  // the axis range widened by half a bin
  EXPECT_EQ(rows.back().value, 17.5);
  // A second call writes the same rows again only when asked again: nothing in
  // keskdf writes rows.
  const size_t before = rows.size();
  std::vector<double> work(2 * summary(cells[0])->ndistinct + 3 * slot(cells[0])->grid_m);
  int n = 0;
  keskdf(&ctx, cells[0], work.data(), nullptr, 6, 16, &n, kernel(cells[0], 0));
  EXPECT_GT(n, 0);
  EXPECT_EQ(rows.size(), before);
}

TEST_F(kernel_curve, OutkernelRowsOfTwoClassVariablesAndAConstantCell) {
  cv.count = 2;
  kernel_option({}, {-2});
  kes_cell* a = add_cell({}, 1, "1");
  kes_cell* a1 = add_cell(sample(), 10, "10", a);
  kes_cell* a2 = add_cell({4, 4, 4}, 20, "20", a);  // constant: no plug-in, no rows
  a2->hist_empty = 1;
  bins(6, 16, 1, 0);
  record_rows();
  for (kes_cell* cell : {a1, a2}) {
    ASSERT_EQ(set_up(cell), 0);
    if (kernel(cell, 0)->fitted) keskdfy(&ctx, cell, 0);
  }
  EXPECT_EQ(count("431/921"), 1);
  ASSERT_EQ(kesoutk(&ctx), 0);
  ASSERT_FALSE(rows.empty());
  for (const kernel_row& r : rows) {
    ASSERT_EQ(r.level[0], 1);
    ASSERT_EQ(r.level[1], 10);
    ASSERT_DOUBLE_EQ(r.height, r.density * 100);  // percent: 100/N * N * w
  }
}

TEST_F(kernel_curve, OutkernelWorkMemoryShortageLosesTheRowsOnly) {
  kes_cell* cell = one({}, {0.5});
  keskdfy(&ctx, cell, 0);
  record_rows();
  host_pool* real = v_global_gcb_anchor->taskpool;
  host_pool refuse{[](host_pool*, long, int) -> void* { return nullptr; }, real->free};
  v_global_gcb_anchor->taskpool = &refuse;
  const int r = kesoutk(&ctx);
  v_global_gcb_anchor->taskpool = real;
  EXPECT_EQ(r, 1);
  EXPECT_EQ(memmsgs.size(), 1u);
  EXPECT_TRUE(rows.empty());
  // keskdfy without its block: the curve is lost with the memory note.
  v_global_gcb_anchor->taskpool = &refuse;
  EXPECT_EQ(keskdfy(&ctx, cell, 0), -1);
  v_global_gcb_anchor->taskpool = real;
  EXPECT_EQ(kernel(cell, 0)->fitted, 0u);
  EXPECT_EQ(memmsgs.size(), 2u);
}

}  // namespace
}  // namespace kernel_test
