// The layout of the plot page: the number of plot lines, and no page where there is
// nothing to draw. Leaves a line and the switch from leaves to bars are the example
// lpplot_forms; bars of weights as printed are lpplot_one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "engine_host.h"
#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
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
    st.view = v.view();
    st.ndistinct = v.size();
    st.mom.v[KES_MOM_N] = n;
    st.mom.v[KES_MOM_SUMWGT] = v.rec.sumwgt;
    st.mom.v[KES_MOM_MEAN] = mean;
    st.mom.v[KES_MOM_STD] = sd;
    for (int q : {KES_Q_Q1, KES_Q_MEDIAN, KES_Q_Q3, KES_Q_WHISKER_LO, KES_Q_WHISKER_HI}) st.qnt[q] = mean;
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
