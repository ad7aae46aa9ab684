// The layout of the plot page: the number of plot lines and the switch from leaves
// to bars. Bars of weights as printed are the example lpplot_one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "driver/kes_ctx.h"
#include "driver/pool_alloc.h"
#include "engine_host.h"
#include "host/host_services.h"
#include "stats/kes_stats.h"
#include "stats/lp_page.h"
#include "value_list_builder.h"

namespace {

using kes_test::value_list;

class LinePlotForm : public kes_test::engine_host {
 protected:
  void SetUp() override {
    engine_host::SetUp();
    ctx.runpool = xmpoolc(0, 1024, KES_POOL_RUN);
    ctx.plotsize = 30;
    std::memcpy(ctx.vardef, "DF      ", 8);
  }
  void TearDown() override {
    xmpoold(ctx.runpool);
    engine_host::TearDown();
  }
  // Statistics of a value list as far as the page reads them.
  void describe(value_list& v, double n, double mean, double sd) {
    st.head = v.head();
    st.ndistinct = v.size();
    st.mom.v[KES_MOM_N] = n;
    st.mom.v[KES_MOM_SUMWGT] = v.rec.sumwgt;
    st.mom.v[KES_MOM_MEAN] = mean;
    st.mom.v[KES_MOM_STD] = sd;
    for (int q : {KES_Q_Q1, KES_Q_MEDIAN, KES_Q_Q3, KES_Q_WHISKER_LO, KES_Q_WHISKER_HI}) st.qnt[q] = mean;
  }
  std::string line(int panel, int i) const {
    const kes_lpline& l = ctx.lppage->lines[panel][i];
    return std::string(l.text, static_cast<size_t>(ctx.lppage->panel[panel].width));
  }
  kes_ctx ctx{};
  kes_stats st{};
};

TEST_F(LinePlotForm, PlotLinesFollowTheCountWithoutPlotsize) {
  struct row {
    double n;
    int page, plotsize, given, lines;
  };
  // L = min(page, PLOTSIZE) - 3, and without PLOTSIZE= at most max(N / 2, 10).
  const row rows[] = {
      {30, 60, 30, 0, 15},   {31.9, 60, 30, 0, 15}, {12, 60, 30, 0, 10},  {30, 15, 15, 0, 12},
      {4000, 60, 30, 0, 27}, {30, 60, 20, 1, 17},   {2500, 80, 80, 0, 77}, {1999, 80, 80, 0, 77},
      {120, 200, 200, 0, 60},
  };
  for (const row& r : rows) {
    ctx.plotsize = r.plotsize;
    ctx.po.plotsize_given = r.given;
    EXPECT_EQ(kes_lp_lines(&ctx, r.n, r.page), r.lines) << r.n << " " << r.page;
  }
}

// 1..30 in 15 lines: 29/14 a line rounds up to 5 leaves of one unit a line, and
// that first scale tried fits: stems 0 to 3 in 7 lines.
TEST_F(LinePlotForm, ThirtyValuesTakeFiveLeavesALine) {
  std::vector<double> xs;
  for (int i = 1; i <= 30; ++i) xs.push_back(i);
  value_list v = value_list::of(xs);
  describe(v, 30, 15.5, 8.8);
  int no_normal = 0;
  const int L = kesform(&ctx, &st, 60, &no_normal);
  const kes_lppage& pg = *ctx.lppage;
  EXPECT_EQ(pg.split, 1);
  EXPECT_EQ(pg.K, 5);
  EXPECT_EQ(pg.scale, 1);
  EXPECT_EQ(L, 7);  // 0-4, 5-9, 10-14, ... 30-34
  EXPECT_EQ(line(KES_LP_STEM, 1).substr(0, 13), "      0 1234 ");
  EXPECT_EQ(line(KES_LP_STEM, 2).substr(0, 14), "      0 56789 ");
  EXPECT_EQ(line(KES_LP_STEM, 7).substr(0, 10), "      3 0 ");
}

TEST_F(LinePlotForm, ALineOfMoreThanFortyEightLeavesBecomesABar) {
  value_list v({{3, 60}, {5, 1}, {27, 1}});
  describe(v, 62, 3.5, 3);
  int no_normal = 0;
  const int L = kesform(&ctx, &st, 60, &no_normal);
  ASSERT_GT(L, 0);
  const kes_lppage& pg = *ctx.lppage;
  EXPECT_EQ(pg.split, 0);
  // 27 lines over 24 units: one unit a line (scale 10, 10 leaves), 60 leaves for 3.
  EXPECT_EQ(pg.scale, 10);
  EXPECT_EQ(pg.mult, 2);    // ceil(60 / 48)
  EXPECT_EQ(pg.marks, 30);  // ceil(60 / 2)
  int len = 0;
  kes_lp_msg(58, &len);
  EXPECT_EQ(line(KES_LP_STEM, L + 2).substr(8 + len, 3), " 2 ");
  // The first line holds 3: 30 marks, its count after them.
  const std::string t = line(KES_LP_STEM, 1);
  EXPECT_EQ(t.substr(8, 31), std::string(30, '*') + " ");
  EXPECT_EQ(t.substr(pg.w + 8, 6), "    60");
}

TEST_F(LinePlotForm, NoPageForOneValueOrNoWeightAndNoNormalPlotWithoutDeviation) {
  int no_normal = 0;
  value_list one = value_list::of({4});
  describe(one, 1, 4, 0);
  EXPECT_EQ(kesform(&ctx, &st, 60, &no_normal), 0);
  value_list two = value_list::of({1, 2});
  describe(two, 2, 1.5, std::nan(""));
  EXPECT_GT(kesform(&ctx, &st, 60, &no_normal), 0);
  EXPECT_EQ(no_normal, 1);
  value_list zero({{1, 1, 0}, {2, 1, 0}}, true);
  describe(zero, 2, 1.5, 0.7);
  ctx.weight_given = 1;
  EXPECT_EQ(kesform(&ctx, &st, 60, &no_normal), 0);
}

}  // namespace
