// The statistics record: sum repair, messages, and which engines run under which
// options. The empty shortcut, the quantile block, extremes, PCTLPTS= points, ranges,
// whiskers, basic and trimmed limits as the listing and OUTPUT show them are the
// example programs (option_rules, outputs, record_edges).
#include "stats/kesstat.h"

#include <gtest/gtest.h>

#include <limits>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/runtime.h"
#include "engine_host.h"
#include "host/step_codes.h"
#include "numeric/zmissing.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"
#include "value_list_builder.h"

using kes_test::obs;
using kes_test::value_list;

namespace {

std::vector<double> sample_b() { return {3.1, -2.4, 0.7, 5.5, 1.2, 9.8, 4.4, 0.7, 6.3, 2.2, 7.7, -1.0}; }

class StatRecord : public kes_test::engine_host {
 protected:
  void SetUp() override {
    engine_host::SetUp();
    ctx = std::make_unique<kes_ctx>();
    ctx->stats = &stats_;
    ctx->tables = &tables_;
    for (int i = 0; i < 2; ++i) {
      std::memset(names[i].text, ' ', sizeof names[i].text);
      const char* n = i == 0 ? "HEIGHT" : "WEIGHTKG";
      names[i].len = static_cast<std::uint16_t>(std::strlen(n));
      std::memcpy(names[i].text, n, names[i].len);
    }
    ctx->nvars = 2;
    ctx->varnames = names;
    st().pctldef = 5;
    std::memcpy(st().vardef, "DF      ", 8);
  }
  kes_stats& st() { return *ctx->stats; }
  bool run(value_list& v, int var = 0) { return kesstat(ctx.get(), &v.rec, ctx->stats, var); }
  bool logged(int number) const {
    for (const auto& m : messages)
      if (m.set == 189 && m.number == number) return true;
    return false;
  }

  std::unique_ptr<kes_ctx> ctx;
  kes_stats stats_{};
  kes_tables tables_{};
  kes_name32 names[2];
};

}  // namespace

// A variable without a nonmissing value (only its missing-value counts) is the example
// tables_edges, and missing values counted beside the values with their frequencies
// are datapass_sums.

// One-sided and two-sided limits, and none for one observation, are the example
// record_edges. A record without a standard error keeps the limits of the spread
// (the option pass never asks for them then).
TEST_F(StatRecord, BasicLimitsWithoutStandardErrorKeepStdLimits) {
  ctx->po.cibasic = 3;
  ctx->po.cibasic_alpha = 0.05;
  std::memcpy(st().vardef, "N       ", 8);
  auto v = value_list::of(sample_b());
  run(v);
  EXPECT_TRUE(is_missing(st().bcl[KES_BCL_LO_MEAN]) && is_missing(st().bcl[KES_BCL_UP_MEAN]));
  EXPECT_FALSE(is_missing(st().bcl[KES_BCL_LO_STD]) || is_missing(st().bcl[KES_BCL_UP_VAR]));
}

// ---- sums, messages and the return code -------------------------------------------

// Values one unit of rounding apart spread for real: CSS from the values, no note.
// A mean within the rounding of its sum is set to 0 with a note naming the variable.
TEST_F(StatRecord, RoundingMessagesNameTheVariable) {
  std::vector<obs> d(4, obs{5e8 + 0.25});
  const double next = std::nextafter(5e8 + 0.25, 1e9);
  d.push_back(obs{next});
  value_list v(d);
  v.rec.css = 1e-9;
  run(v, 1);
  const double u = next - (5e8 + 0.25);
  EXPECT_DOUBLE_EQ(st().mom.v[KES_MOM_CSS], 0.8 * u * u);  // weights 4 and 1: 4/5 u^2
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(ctx->rc, 0);

  auto m = value_list::of({-1, 1});
  m.rec.sum = 1e-17;
  m.rec.overflow = 1;
  run(m);
  ASSERT_TRUE(logged(180));
  EXPECT_EQ(messages[0].name, "HEIGHT");
  EXPECT_EQ(ctx->rc, 4);
}

TEST_F(StatRecord, ReturnCodeIsOnlyRaised) {
  ctx->rc = KES_RC_OUT_OF_MEMORY;
  auto m = value_list::of({-1, 1});
  m.rec.sum = 1e-17;
  m.rec.overflow = 1;
  run(m);
  EXPECT_FALSE(messages.empty());
  EXPECT_EQ(ctx->rc, KES_RC_OUT_OF_MEMORY);
}

// Overflow levels 1, 2 and 4 (USS, CSS, the sum of weights overflowed in the data
// pass) take the sums again from the values, divided by a power of two: {1, 2, 3}
// have USS 14, variance 1 and mean 2 whatever the level.
TEST_F(StatRecord, OverflowLevelsTakeTheSumsAgainFromTheValues) {
  for (int level : {1, 2, 4}) {
    auto v = value_list::of({1, 2, 3});
    v.rec.overflow = level;
    v.rec.sum = v.rec.uss = v.rec.css = std::numeric_limits<double>::infinity();
    run(v);
    EXPECT_DOUBLE_EQ(st().mom.v[KES_MOM_USS], 14) << level;
    EXPECT_DOUBLE_EQ(st().mom.v[KES_MOM_VAR], 1) << level;
    EXPECT_DOUBLE_EQ(st().mom.v[KES_MOM_MEAN], 2) << level;
    EXPECT_EQ(st().qnt[KES_Q_MEDIAN], 2) << level;
  }
}

// A sum far below the spread stays as summed: the mean is what it gives, set to 0
// (with the note) only within the rounding error of the sum (N units of rounding of
// the sum of |x|: 1.3e-16 here).
TEST_F(StatRecord, SumStaysAsSummedAndTheMeanFollowsIt) {
  auto v = value_list::of({-0.3, -0.1, 0.1, 0.3});
  v.rec.sum = 5e-17;  // what a running sum may leave
  run(v);
  EXPECT_EQ(st().mom.v[KES_MOM_SUM], 5e-17);
  EXPECT_EQ(st().mom.v[KES_MOM_MEAN], 0.0);
  EXPECT_TRUE(logged(180));

  messages.clear();
  auto w = value_list::of({-1e13, 1, 1e13});
  run(w);
  EXPECT_EQ(st().mom.v[KES_MOM_SUM], 1.0);
  EXPECT_EQ(st().mom.v[KES_MOM_MEAN], 1.0 / 3);
  EXPECT_TRUE(messages.empty());
}

// ---- which engines run --------------------------------------------------------------

TEST_F(StatRecord, RankTestsUnderNoprintOnlyWhenSomethingReadsThem) {
  ctx->noprint = 1;
  auto a = value_list::of(sample_b());
  run(a);
  EXPECT_FALSE(is_missing(st().loc.v[KES_LOC_T]));
  EXPECT_TRUE(is_missing(st().loc.v[KES_LOC_S]));
  ctx->dp.nloc_vars = 1;
  auto b = value_list::of(sample_b());
  run(b, 0);
  EXPECT_FALSE(is_missing(st().loc.v[KES_LOC_S]));
  auto c = value_list::of(sample_b());
  run(c, 1);  // beyond the OUTPUT demand
  EXPECT_TRUE(is_missing(st().loc.v[KES_LOC_S]));
  ctx->dp.inset_stats = 1;
  auto d = value_list::of(sample_b());
  run(d, 1);
  EXPECT_FALSE(is_missing(st().loc.v[KES_LOC_S]));
}

// A WEIGHT variable's weighted percentiles and Student's t alone, and the percentile
// limits in their descending arrays, are the engines' tests and the option_rules example.

TEST_F(StatRecord, RobustScaleAndNormalityOnlyWhenAsked) {
  auto a = value_list::of(sample_b());
  for (double& x : st().scl) x = 42;
  st().nrm.w = 42;
  run(a);
  EXPECT_EQ(st().scl[KES_SCL_GINI], 42);
  EXPECT_EQ(st().nrm.w, 42);
  ctx->robustscale = 1;
  ctx->normal = 1;
  auto b = value_list::of(sample_b());
  run(b);
  EXPECT_NEAR(st().scl[KES_SCL_QRANGE], st().qnt[KES_Q_QRANGE], 1e-12);
  EXPECT_FALSE(is_missing(st().scl[KES_SCL_QN]));
  EXPECT_GT(st().nrm.w, 0);
  EXPECT_LE(st().nrm.w, 1);
  // An OUTPUT demand alone also runs them, for the leading variables only.
  ctx->robustscale = 0;
  ctx->normal = 0;
  ctx->dp.robust_k = 1;
  ctx->dp.nnormal_vars = 1;
  for (double& x : st().scl) x = 42;
  st().nrm.w = 42;
  auto c = value_list::of(sample_b());
  run(c, 1);
  EXPECT_EQ(st().scl[KES_SCL_GINI], 42);
  EXPECT_EQ(st().nrm.w, 42);
  run(c, 0);
  EXPECT_NE(st().scl[KES_SCL_GINI], 42);
  EXPECT_NE(st().nrm.w, 42);
}

// With a WEIGHT variable an OUTPUT row holds one interquartile range: QRANGE from the
// quantiles and STD_QRANGE, MAD and STD_MAD from the robust scale both use the
// weighted quartiles and median. By hand, x = 1 2 4 7 with weights 1 2 1 3 (W = 7,
// cumulative 1 3 4 7): Q1 at 1.75 and the median at 3.5 fall inside 2 and 4, Q3 at
// 5.25 inside 7; deviations from 4 are 0 (weight 1), 2 (2) and 3 (1 + 3), and 3.5
// falls inside 3. Unit weights (W = 4): Q1 at 1, the median at 2 and Q3 at 3 lie on
// steps and average their neighbours; the deviations from 3, 1 (weight 2) and 2,
// average on the step at 2 as well.
TEST_F(StatRecord, WeightedRobustScaleSharesTheQuartilesOfTheQuantiles) {
  struct weighted_case {
    std::vector<obs> data;
    double q1, median, q3, mad;
  };
  const weighted_case cases[] = {
      {{{1, 1, 1.0}, {2, 1, 2.0}, {4, 1, 1.0}, {7, 1, 3.0}}, 2, 4, 7, 3},
      {{{1, 1, 1.0}, {2, 1, 1.0}, {4, 1, 1.0}, {7, 1, 1.0}}, 1.5, 3, 5.5, 1.5},
  };
  for (const weighted_case& c : cases) {
    SCOPED_TRACE(c.q3);
    st().pctldef = 6;
    ctx->dp.robust_k = 1;  // an OUTPUT statement asks for the robust scale
    value_list v(c.data, true);
    run(v);
    EXPECT_EQ(st().qnt[KES_Q_Q1], c.q1);
    EXPECT_EQ(st().qnt[KES_Q_MEDIAN], c.median);
    EXPECT_EQ(st().qnt[KES_Q_Q3], c.q3);
    EXPECT_EQ(st().qnt[KES_Q_QRANGE], c.q3 - c.q1);
    EXPECT_EQ(st().scl[KES_SCL_QRANGE], st().qnt[KES_Q_QRANGE]);
    EXPECT_DOUBLE_EQ(st().scl[KES_SCL_STD_QRANGE], (c.q3 - c.q1) / 1.34898);
    EXPECT_EQ(st().scl[KES_SCL_MAD], c.mad);
    EXPECT_DOUBLE_EQ(st().scl[KES_SCL_STD_MAD], 1.4826 * c.mad);
  }
  // The first sample unweighted (definition 5) has IQR 4: (4 + 7)/2 - (1 + 2)/2.
  st().pctldef = 5;
  auto u = value_list::of({1, 2, 4, 7});
  run(u);
  EXPECT_EQ(st().scl[KES_SCL_QRANGE], 4);
  EXPECT_EQ(st().qnt[KES_Q_QRANGE], 4);
}

TEST_F(StatRecord, RobustScaleWithoutMemoryIsReported) {
  ctx->robustscale = 1;
  auto v = value_list::of(sample_b());
  for (double& x : st().scl) x = 42;
  plat::set_memory_cap(1);
  run(v);
  plat::set_memory_cap(0);
  ASSERT_EQ(memmsgs.size(), 1u);
  EXPECT_EQ(memmsgs[0], 8 * 11);  // the first request, a double per value, failed
  EXPECT_EQ(ctx->rc, KES_RC_OUT_OF_MEMORY);
  EXPECT_EQ(st().scl[KES_SCL_GINI], 42);  // skipped
  EXPECT_FALSE(is_missing(st().loc.v[KES_LOC_T]));  // the later engines still run
}

// The engines read the record's view; a record whose view the data pass could not
// make (memory) is not computed, with the memory message, for an empty cell too.
TEST_F(StatRecord, ARecordWithoutItsViewIsNotComputed) {
  for (bool empty : {false, true}) {
    SCOPED_TRACE(empty ? "empty" : "values");
    auto v = empty ? value_list(std::vector<obs>{}, false, 2) : value_list::of(sample_b());
    v.rec.view = nullptr;
    memmsgs.clear();
    ctx->rc = 0;
    st().mom.v[KES_MOM_MEAN] = 42;  // the caller's preset: no engine runs
    EXPECT_FALSE(run(v));
    EXPECT_EQ(memmsgs.size(), 1u);
    EXPECT_EQ(ctx->rc, KES_RC_OUT_OF_MEMORY);
    EXPECT_EQ(st().mom.v[KES_MOM_MEAN], 42);
  }
}

TEST(StatMessages, EveryKeyIsInTheCatalogue) {
  for (int n : {179, 180, 183}) {  // 153 is in the example record_edges
    const std::string* t = plat::catalogue_text(189, n);
    ASSERT_NE(t, nullptr) << n;
    EXPECT_NE(t->find("{L}"), std::string::npos) << n;
  }
}
