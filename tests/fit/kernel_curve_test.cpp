// Kernel curves of a cell: heights on each vertical scale, the AMISE, the bound checks
// and their notes, the points of a panel, the OUTKERNEL rows of two CLASS variables and
// memory shortage. (Rows of several curves in CLASS cells: examples/kernel_curves.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fit/kes_kernel.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kernel_cells.h"
#include "numeric/zmissing.h"
#include "records/kes_layout.h"

namespace kernel_test {
namespace {

std::vector<double> sample(double shift = 0) {
  std::vector<double> x;
  for (int i = 0; i < 60; ++i) x.push_back(10 + 3 * std::sin(i * 1.7) + 0.05 * i + shift);
  return x;
}

double exact_density(const std::vector<double>& x, double h, double at) {
  double d = 0;
  for (double v : x) d += std::exp(-0.5 * (at - v) * (at - v) / (h * h)) / 2.5066282746310002 / (x.size() * h);
  return d;
}

// Trapezoid mass under the rows' densities.
double mass(const std::vector<kernel_row>& rows) {
  double m = 0;
  for (size_t i = 1; i < rows.size(); ++i)
    m += 0.5 * (rows[i].density + rows[i - 1].density) * (rows[i].value - rows[i - 1].value);
  return m;
}

class kernel_curve : public kernel_cells {
 protected:
  // One cell of sample() with the given option, set up; bins of width 1 from 6 to 16.
  kes_cell* one(std::vector<double> k, std::vector<double> c, std::vector<double> lower = {},
                std::vector<double> upper = {}) {
    kernel_option(k, c, lower, upper);
    kes_cell* cell = add_cell(sample());
    bins(6, 16, 1, 1);
    EXPECT_EQ(set_up(cell), 0);
    return cell;
  }
};

TEST_F(kernel_curve, HeightsOnEachVerticalScale) {
  kes_cell* cell = one({}, {0.6});
  const double count = keskdfy(&ctx, cell, 0);
  double top = 0;
  for (double at = 5.5; at <= 16.5; at += 0.01) top = std::max(top, exact_density(sample(), kernel(cell, 0)->kernel.h, at));
  EXPECT_NEAR(count, top * 60 * 1.0, 0.01 * count);  // density * N * w
  bins(6, 16, 1, 0);
  EXPECT_DOUBLE_EQ(keskdfy(&ctx, cell, 0), count * 100 / 60);
  bins(6, 16, 1, 2);
  EXPECT_DOUBLE_EQ(keskdfy(&ctx, cell, 0), count / 60);
}

// The plug-in c is scaled by the standard deviation, the AMISE by the interquartile
// range: the AMISE is formed from h.
TEST_F(kernel_curve, AmiseFromTheBandwidthAndTheNote) {
  kes_cell* cell = one({1, 3}, {0.5, -2});
  const double n = summary(cell)->n, s = summary(cell)->qrange;
  auto amise = [&](double c) { return (1.1283791670955126 / 4 / c + 0.236278331 * std::pow(c, 4)) / (std::pow(n, 0.8) * s); };
  keskdfy(&ctx, cell, 0);
  EXPECT_NEAR(kernel(cell, 0)->kernel.amise, amise(0.5), 1e-15);
  EXPECT_NE(notes.back().text.find("c = 0.5,"), std::string::npos) << notes.back().text;
  keskdfy(&ctx, cell, 1);
  const kes_kernspec& kn = kernel(cell, 1)->kernel;
  ASSERT_GT(std::abs(kn.h * std::pow(n, 0.2) / s - kn.c), 0.01);
  EXPECT_NEAR(kn.amise, amise(kn.h * std::pow(n, 0.2) / s), 1e-15);
  EXPECT_EQ(count("431/12"), 2);
}

// The plug-in's note names the C= value of its bandwidth (C= reads c on the
// interquartile range's scale): given back, it draws the same curve. Other curves
// get no such note.
TEST_F(kernel_curve, PlugInNoteGivesTheCOfItsBandwidth) {
  kes_cell* cell = one({1, 1}, {-2, 0.7});
  keskdfy(&ctx, cell, 0);
  keskdfy(&ctx, cell, 1);
  ASSERT_EQ(count("431/903"), 1);
  const std::string& text = notes[notes.size() - 2].text;
  const size_t at = text.find("this bandwidth is C=");
  ASSERT_NE(at, std::string::npos) << text;
  const double c = std::stod(text.substr(at + 20));
  const double h = kernel(cell, 0)->kernel.h;
  TearDown();
  SetUp();
  kes_cell* again = one({1}, {c});
  EXPECT_NEAR(kernel(again, 0)->kernel.h, h, 1e-13 * h);
}

TEST_F(kernel_curve, BoundNotesAndReflection) {
  const std::vector<double> x = sample();
  const double min = *std::min_element(x.begin(), x.end()), max = *std::max_element(x.begin(), x.end());
  const struct {
    int type;
    double c;      // 0: a normal kernel whose reflected tails cross (3h = 1.2 ranges)
    double lower, upper;
    const char* notes;
    bool kept;     // the bounds survive
  } cases[] = {
      {1, 0.5, 8, 11, "431/856 431/859 431/12", false},    // inside the data: dropped
      {1, 0.5, min - 0.1, zmissing(), "431/871", true},     // reflected
      {2, 100, 0, 30, "431/862 431/865 431/13", false},     // wider than the grid
      {1, 0, min - 0.01, max + 0.01, "431/868 431/12", false},
  };
  for (const auto& c : cases) {
    kes_test::note_recorder::clear();
    cv.levels = cv.keycell = nullptr;
    kernel_option({static_cast<double>(c.type)}, {c.c > 0 ? c.c : 1}, {c.lower}, {c.upper});
    kes_cell* cell = add_cell(x);
    bins(6, 16, 1, 1);
    if (c.c == 0) stmt.list(KES_PLOT_SLOT_KERNEL_C, {1.2 * (max - min) / 3 / (summary(cell)->qrange / std::pow(60, 0.2))});
    ASSERT_EQ(set_up(cell), 0);
    kes_test::note_recorder::clear();
    keskdfy(&ctx, cell, 0);
    EXPECT_EQ(kes_test::note_recorder::keys(), c.notes);
    EXPECT_EQ(!is_missing(kernel(cell, 0)->kernel.lower), c.kept) << c.notes;
    if (!c.kept) continue;
    // Reflected: nothing below the bound, and the density integrates to 1 above it.
    rows.clear();
    record_rows();
    kesoutk(&ctx);
    for (const kernel_row& r : rows) EXPECT_TRUE(r.value >= c.lower || r.density == 0) << r.value;
    EXPECT_NEAR(mass(rows), 1.0, 0.02);
  }
}

TEST_F(kernel_curve, PanelPointsStartAndEndAtThePanelEdges) {
  kes_cell* cell = one({}, {0.5});
  const kes_plotslot* sl = slot(cell);
  std::vector<double> work(2 * summary(cell)->ndistinct + 3 * sl->grid_m), xy(2 * 514);
  int n = 0;
  ASSERT_EQ(keskdf(&ctx, cell, work.data(), xy.data(), 7.03, 13.97, &n, kernel(cell, 0)), 0);
  ASSERT_GT(n, 10);
  EXPECT_EQ(xy[0], 7.03);
  EXPECT_EQ(xy[2 * (n - 1)], 13.97);
  for (int i = 1; i < n; ++i) ASSERT_LT(xy[2 * (i - 1)], xy[2 * i]);
  for (int i = 0; i < n; ++i) ASSERT_NEAR(xy[2 * i + 1], 60 * exact_density(sample(), kernel(cell, 0)->kernel.h, xy[2 * i]), 0.02);
  // A panel from before the grid starts at the grid; a device layout gives panel
  // coordinates.
  kes_layout layout{};
  layout.xscale = 2;
  layout.xoffset = 1;
  layout.yscale = 0.5;
  req.layout = &layout;
  ASSERT_EQ(keskdf(&ctx, cell, work.data(), xy.data(), sl->grid_a - 5, 13.97, &n, kernel(cell, 0)), 0);
  EXPECT_EQ(xy[0], sl->grid_a * 2 + 1);
  EXPECT_NEAR(xy[2 * (n - 1)], 13.97 * 2 + 1, 1e-12);
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
  std::vector<double> work(2 * 1 + 3 * slot(a2)->grid_m);
  int n = 5;
  EXPECT_EQ(keskdf(&ctx, a2, work.data(), nullptr, 0, 10, &n, kernel(a2, 0)), -1);  // not fitted: no points
  EXPECT_EQ(n, 0);
  ASSERT_EQ(kesoutk(&ctx), 0);
  ASSERT_FALSE(rows.empty());
  for (const kernel_row& r : rows) {
    ASSERT_TRUE(r.level[0] == 1 && r.level[1] == 10);
    ASSERT_DOUBLE_EQ(r.height, r.density * 100);  // percent: 100/N * N * w
  }
}

// Without its work buffer kesoutk writes no row and reports out of memory, which ends
// the step (rows missing from the data set would pass for the whole curve).
TEST_F(kernel_curve, WorkMemoryShortageWritesNoRowAndEndsTheStep) {
  kes_cell* cell = one({}, {0.5});
  keskdfy(&ctx, cell, 0);
  record_rows();
  host_pool* real = v_global_gcb_anchor->taskpool;
  host_pool refuse{[](host_pool*, long, int) -> void* { return nullptr; }, real->free};
  v_global_gcb_anchor->taskpool = &refuse;
  EXPECT_EQ(kesoutk(&ctx), KES_RC_OUT_OF_MEMORY);
  EXPECT_EQ(keskdfy(&ctx, cell, 0), -1);
  v_global_gcb_anchor->taskpool = real;
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(memmsgs.size(), 2u);
  EXPECT_EQ(kernel(cell, 0)->fitted, 0u);
}

}  // namespace
}  // namespace kernel_test
