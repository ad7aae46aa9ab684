// The axes and notes of probability, QQ, P-P and CDF requests: percent ticks, the QQ
// percentile axis, the theoretical range, the empty and unusable cells, the output
// group. Reference values: R 4.x (ppoints, qnorm), quoted beside each value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "kes_gram_names.h"
#include "plotreq/plot_requests.h"
#include "plotreq/prob_driver.h"
#include "plotreq/prob_fixture.h"
#include "records/kes_layout.h"
#include "records/kes_plotslot.h"

namespace kes_test {
namespace {

class prob_axes : public prob_fixture {};

std::vector<double> values(int n) {
  std::vector<double> v;
  for (int i = 1; i <= n; ++i) v.push_back(i * 1.5);
  return v;
}

struct pct_case {
  const char* what;
  int n;
  double rankadj, nadj;
  std::vector<double> pctlorder;
  std::vector<double> ticks;  // empty: no graph
  std::string notes;
};

TEST_F(prob_axes, PercentTicksOfProbabilityPlots) {
  const pct_case cases[] = {
      // Positions 100 (1 - 0.375)/20.25 = 3.09 and 96.91: the ticks 1 to 99 (m = 4).
      {"N = 20", 20, -0.375, 0.25, {}, {1, 5, 10, 25, 50, 75, 90, 95, 99}, ""},
      // Positions 27.8 and 72.2.
      {"N = 2", 2, -0.375, 0.25, {}, {25, 50, 75}, ""},
      {"PCTLORDER= covering", 20, -0.375, 0.25, {1, 5, 50, 95, 99}, {1, 5, 50, 95, 99}, ""},
      {"PCTLORDER= not covering", 20, -0.375, 0.25, {10, 50, 90}, {1, 5, 10, 25, 50, 75, 90, 95, 99},
       "308/171 308/172"},
      // RANKADJ=-1 puts the first position at 0 percent: no tick range covers it.
      {"positions beyond the ticks", 20, -1, 0.25, {}, {}, "308/168 308/169"},
  };
  for (const pct_case& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    kind(KES_PLOT_PROB, "PROBPLOT");
    req.rankadj = c.rankadj;
    req.nadj = c.nadj;
    if (!c.pctlorder.empty()) stmt.list(KES_PLOT_SLOT_PCTLORDER, c.pctlorder);
    data(values(c.n));
    const int rc = run(kespini);
    EXPECT_EQ(notes(), c.notes);
    if (c.ticks.empty()) {
      EXPECT_EQ(rc, 1);
      EXPECT_TRUE(graphs.empty());
      continue;
    }
    ASSERT_EQ(graphs.size(), 1u);
    EXPECT_EQ(graphs[0].pctl, c.ticks);
    // The theoretical range: the standard normal quantiles of the end ticks.
    const drawn_graph& g = graphs[0];
    EXPECT_NEAR(g.key.tmin, -g.key.tmax, 1e-12);
    EXPECT_EQ(g.key.tticks, 2);
    EXPECT_DOUBLE_EQ(g.key.tstep, g.key.tmax - g.key.tmin);
  }
}

TEST_F(prob_axes, ProbabilityAxisRangeIsTheQuantileOfTheEndTicks) {
  kind(KES_PLOT_PROB, "PROBPLOT");
  data(kScores);
  ASSERT_EQ(run(kespini), 0);
  ASSERT_EQ(graphs.size(), 1u);
  // N = 10: positions 6.1 to 93.9 percent, ticks 5 to 95. R: qnorm(0.05) = -1.6448536269514726.
  EXPECT_EQ(graphs[0].pctl, (std::vector<double>{5, 10, 25, 50, 75, 90, 95}));
  EXPECT_NEAR(graphs[0].key.tmin, -1.6448536269514726, 1e-13);
  EXPECT_NEAR(graphs[0].key.tmax, 1.6448536269514715, 1e-13);
}

struct qq_case {
  const char* what;
  int n;
  std::vector<double> ticks;
};

TEST_F(prob_axes, PercentileAxisOfQqPlots) {
  const qq_case cases[] = {
      // Positions 0.0309 to 0.9691: the default percents strictly inside.
      {"N = 20", 20, {5, 10, 25, 50, 75, 90, 95}},
      {"N = 2", 2, {50}},
  };
  for (const qq_case& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    kind(KES_PLOT_QQ, "QQPLOT");
    req.pctlaxis = 1;
    data(values(c.n));
    ASSERT_EQ(run(kesqini), 0);
    ASSERT_EQ(graphs.size(), 1u);
    EXPECT_EQ(graphs[0].pctl, c.ticks);
  }
}

TEST_F(prob_axes, QqTheoreticalAxisIsANiceScaleOverTheQuantiles) {
  kind(KES_PLOT_QQ, "QQPLOT");
  data(values(20));
  ASSERT_EQ(run(kesqini), 0);
  ASSERT_EQ(graphs.size(), 1u);
  // R: qnorm(0.625 / 20.25) = -1.8682416548639302: the scale -2 to 2 by 1.
  const kes_plotslot& k = graphs[0].key;
  EXPECT_DOUBLE_EQ(k.tmin, -2);
  EXPECT_DOUBLE_EQ(k.tmax, 2);
  EXPECT_DOUBLE_EQ(k.tstep, 1);
  EXPECT_EQ(k.tticks, 5);
  EXPECT_DOUBLE_EQ(k.hmin_copy, -2);
  // The data axis covers 1.5 to 30.
  EXPECT_LE(k.dstart, 1.5);
  EXPECT_GE(k.dend, 30);
}

TEST_F(prob_axes, CellsWithoutSpread) {
  // The only cell: a note and 1008; with CLASS variables the cell is left out.
  kind(KES_PLOT_QQ, "QQPLOT");
  data({2, 2, 2});
  EXPECT_EQ(run(kesqini), 1008);
  EXPECT_EQ(notes(), "308/398");
  EXPECT_TRUE(graphs.empty());

  restart();
  class_vars(2);
  kind(KES_PLOT_PROB, "PROBPLOT");
  kes_cell* p = parent_level("p");
  data({2, 2}, "u", p);
  data(kScores, "v", p);
  EXPECT_EQ(run(kespini), 0);
  EXPECT_EQ(notes(), "308/1398");
  EXPECT_EQ(graphs.size(), 1u);

  restart();
  class_vars(1);
  kind(KES_PLOT_QQ, "QQPLOT");
  data({1, 1}, "a");
  data({4, 4}, "b");
  EXPECT_EQ(run(kesqini), 1008);
  EXPECT_EQ(notes(), "308/1400 308/1400 308/1408");
}

TEST_F(prob_axes, OutputGroupIsOpenedUnlessContentsIsEmpty) {
  kind(KES_PLOT_PP, "PPPLOT");
  stmt.text(KES_PLOT_SLOT_CONTENTS, "");
  data(kScores);
  EXPECT_EQ(run(keszini), 0);
  EXPECT_EQ(graphs.size(), 1u);  // drawn outside any group
}

TEST_F(prob_axes, QqOrderListsOnADeviceAndRotate) {
  // Both lists refused: two pairs of notes, the computed scales stay.
  kind(KES_PLOT_QQ, "QQPLOT");
  device({-1, 0, 1}, {3, 4, 5});
  data(kScores);
  ASSERT_EQ(run(kesqini), 0);
  EXPECT_EQ(notes(), "189/316 308/495 189/316 308/495");
  ASSERT_EQ(graphs.size(), 1u);
  EXPECT_DOUBLE_EQ(graphs[0].key.tmin, -2);
  EXPECT_LE(graphs[0].key.dstart, 2.2);

  // ROTATE: the theoretical axis is checked against the vertical list, the data axis
  // against the horizontal one, and the device renderer sees the axes exchanged.
  restart();
  kind(KES_PLOT_QQ, "QQPLOT");
  stmt.flag(KES_PLOT_FLAG_ROTATE);
  device({0, 2, 4, 6, 8}, {-3, -1.5, 0, 1.5, 3});
  kes_cell* c = data(kScores);
  ASSERT_EQ(run(kesqini), 0);
  EXPECT_EQ(notes(), "");
  ASSERT_EQ(graphs.size(), 1u);
  const kes_plotslot& seen = graphs[0].key;
  EXPECT_DOUBLE_EQ(seen.tmin, 0);  // the data axis in the horizontal place
  EXPECT_DOUBLE_EQ(seen.tmax, 8);
  EXPECT_DOUBLE_EQ(seen.hmin_copy, 0);
  EXPECT_DOUBLE_EQ(seen.dstart, -3);
  EXPECT_EQ(seen.dticks, 5);
  const kes_plotslot& after = c->slots[0];  // put back after the call
  EXPECT_DOUBLE_EQ(after.tmin, -3);
  EXPECT_DOUBLE_EQ(after.dstart, 0);
}

// P-P requests.
TEST_F(prob_axes, PpCellWithOneValueIsNotFitted) {
  class_vars(1);
  kind(KES_PLOT_PP, "PPPLOT");
  data({7}, "a");
  data(kScores, "b");
  ASSERT_EQ(run(keszini), 0);
  // One value has no standard deviation: the cell is left out before its fit.
  EXPECT_EQ(notes(), "308/1404");
  ASSERT_EQ(graphs.size(), 1u);
  const drawn_graph& g = graphs[0];
  EXPECT_EQ(g.curves[0].fitted, 0u);  // the record is kept, unfitted
  EXPECT_EQ(g.curves[1].fitted, 1u);
  EXPECT_EQ(g.cells[1].line, 1u);      // the diagonal
  EXPECT_DOUBLE_EQ(g.key.tmin, 0);
  EXPECT_DOUBLE_EQ(g.key.tmax, 1);
  EXPECT_DOUBLE_EQ(g.key.tstep, 0.2);
  EXPECT_EQ(g.key.dticks, 6);
}

TEST_F(prob_axes, PpWithoutAnyFittedCell) {
  kind(KES_PLOT_PP, "PPPLOT");
  data({5, 5});
  EXPECT_EQ(run(keszini), 1008);
  EXPECT_EQ(notes(), "308/455");

  // The threshold above the data: the fit fails in the only cell, whose note says that
  // the P-P plot is not drawn (no second note says it of all cells).
  restart();
  kind(KES_PLOT_PP, "PPPLOT");
  stmt.flag(KES_PLOT_FLAG_LOGNORMAL);
  stmt.param(KES_PARAM_ROWS[KES_P_LOGNORMAL_THETA], {10}, {0});
  data(kScores);
  EXPECT_EQ(run(keszini), 1);
  EXPECT_EQ(notes(), "308/248 308/249 189/286");
  EXPECT_TRUE(graphs.empty());
}

TEST_F(prob_axes, PpCellFitNeedsTwoValues) {
  kind(KES_PLOT_PP, "PPPLOT");
  kes_cell* c = data({3});
  req.dist = 0;
  note_recorder::clear();
  EXPECT_EQ(kespp(ctx, c, &c->slots[0]), 1);
  EXPECT_EQ(notes(), "308/202");
}

TEST_F(prob_axes, PpOrderListsOnADevice) {
  kind(KES_PLOT_PP, "PPPLOT");
  device({0, 0.25, 0.5, 0.75, 1}, {0.1, 0.4, 0.7, 1});  // the vertical list misses 0
  data(kScores);
  EXPECT_EQ(run(keszini), 0);
  EXPECT_EQ(notes(), "189/316 308/495");
  const kes_plotslot& key = cells[0]->slots[0];
  EXPECT_EQ(key.tticks, 5);
  EXPECT_DOUBLE_EQ(key.tstep, 0.25);
  EXPECT_EQ(key.dticks, 6);  // refused: 0 to 1 by 0.2 stays
  EXPECT_DOUBLE_EQ(key.dstep, 0.2);
}

// CDF requests.
TEST_F(prob_axes, CdfAxes) {
  kind(KES_PLOT_CDF, "CDFPLOT");
  stmt.flag(KES_PLOT_FLAG_NORMAL);
  stmt.name(KES_PLOT_SLOT_VSCALE, "PROPORTI");
  data(kScores);
  ASSERT_EQ(run(kescini), 0);
  ASSERT_EQ(graphs.size(), 1u);
  const kes_plotslot& k = graphs[0].key;
  EXPECT_DOUBLE_EQ(k.vmax, 1);
  EXPECT_DOUBLE_EQ(k.vstep, 0.2);
  EXPECT_DOUBLE_EQ(k.scale, 1);
  EXPECT_EQ(k.vticks, 6);
  EXPECT_LE(k.hlow, 2.2);
  EXPECT_GE(k.hhigh, 7.1);
  EXPECT_EQ(graphs[0].key_curve.fitted, 1u);
  EXPECT_TRUE(graphs[0].line_wanted);

  restart();
  kind(KES_PLOT_CDF, "CDFPLOT");
  data(kScores);
  ASSERT_EQ(run(kescini), 0);
  EXPECT_EQ(graphs[0].key.curves, nullptr);  // no family: no curve records
  EXPECT_DOUBLE_EQ(graphs[0].key.vmax, 100);
  EXPECT_FALSE(graphs[0].line_wanted);
}

TEST_F(prob_axes, CdfCellsThatCannotBePlotted) {
  kind(KES_PLOT_CDF, "CDFPLOT");
  data({4});
  EXPECT_EQ(run(kescini), 1);
  EXPECT_EQ(notes(), "308/227");

  restart();
  class_vars(1);
  kind(KES_PLOT_CDF, "CDFPLOT");
  data({4}, "a");
  data({6, 6}, "b");
  EXPECT_EQ(run(kescini), 1);
  EXPECT_EQ(notes(), "308/1466 308/1446 308/458");

  restart();
  class_vars(1);
  kind(KES_PLOT_CDF, "CDFPLOT");
  stmt.flag(KES_PLOT_FLAG_NORMAL);
  data({4}, "a");
  data(kScores, "b");
  EXPECT_EQ(run(kescini), 0);
  EXPECT_EQ(notes(), "308/1466");
  ASSERT_EQ(graphs.size(), 1u);
  EXPECT_EQ(graphs[0].curves[1].fitted, 1u);
}

TEST_F(prob_axes, CdfHaxisWithinTheToleranceIsTaken) {
  kind(KES_PLOT_CDF, "CDFPLOT");
  device({2, 3, 4, 5, 6, 7.1 - 1e-9}, {});
  data(kScores);
  EXPECT_EQ(run(kescini), 0);
  EXPECT_EQ(notes(), "");
  const kes_plotslot& key = cells[0]->slots[0];
  EXPECT_EQ(key.hticks, 6);
  EXPECT_DOUBLE_EQ(key.hlow, 2);
  EXPECT_DOUBLE_EQ(key.hhigh, 7.1 - 1e-9);
  EXPECT_DOUBLE_EQ(key.width, 1);
}

// A list covers the data or not whatever the unit they are written in: data and list
// scaled alike by any power of ten get the verdict they get in unit 1. Values from
// 1.15e-9 to 8.67e-9 against the list 0 1e-9 2e-9 were taken as covered, since they
// missed it by less than an absolute 1.05e-8, and 66 of 80 points fell off the axis.
TEST_F(prob_axes, OrderListVerdictKeepsToTheListsUnit) {
  struct cover_case {
    const char* what;
    std::vector<double> list, data;
    bool covers;
  };
  // The list's span is 8 or 10 in unit 1: a miss of 1e-9 of it is taken, 1e-6 is not.
  const cover_case cases[] = {
      {"the list ends below the data", {0, 1, 2}, {1.15, 3.5, 6.2, 8.67}, false},
      {"the list spans the data", {0, 2, 4, 6, 8, 10}, {1.15, 3.5, 6.2, 8.67}, true},
      {"the data end a part in 1e9 of the span past it", {2, 4, 6, 8, 10}, {2 - 8e-9, 5, 10 + 8e-9}, true},
      {"the data end a part in 1e6 of the span past it", {2, 4, 6, 8, 10}, {2, 5, 10 + 8e-6}, false},
      {"the data start a part in 1e6 of the span before it", {2, 4, 6, 8, 10}, {2 - 8e-6, 5, 10}, false},
  };
  const double units[] = {1e-150, 1e-20, 1e-9, 1, 1e9, 1e20, 1e150};
  for (const cover_case& c : cases) {
    for (const double unit : units) {
      for (const bool on_device : {false, true}) {
        char trace[160];
        std::snprintf(trace, sizeof trace, "%s, unit %g, %s", c.what, unit, on_device ? "ORDER=" : "VAXIS=");
        SCOPED_TRACE(trace);
        std::vector<double> list, data_values;
        for (double v : c.list) list.push_back(v * unit);
        for (double v : c.data) data_values.push_back(v * unit);
        restart();
        kind(KES_PLOT_QQ, "QQPLOT");
        if (on_device) {
          device({}, list);
        } else {
          stmt.list(KES_PLOT_SLOT_VAXIS, list);
          req.nvvalues = static_cast<int>(list.size());
        }
        data(data_values);
        ASSERT_EQ(run(kesqini), 0);
        ASSERT_EQ(graphs.size(), 1u);
        const kes_plotslot& key = graphs[0].key;
        if (c.covers) {
          EXPECT_EQ(notes(), "");
          EXPECT_EQ(key.dstart, list.front());
          EXPECT_EQ(key.dend, list.back());
          EXPECT_EQ(key.dticks, static_cast<int>(list.size()));
        } else {
          EXPECT_NE(notes(), "");
          // The computed scale stays: it holds every value (to its rounding).
          const double ulps = 1e-15 * std::fabs(data_values.back());
          EXPECT_LE(key.dstart, data_values.front() + ulps);
          EXPECT_GE(key.dend, data_values.back() - ulps);
        }
      }
    }
  }
}

}  // namespace
}  // namespace kes_test
