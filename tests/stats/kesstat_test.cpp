// The statistics record: the empty shortcut, sum repair, messages, whiskers, basic
// limits, and which engines run under which options. The quantile block, extremes and
// PCTLPTS= points as the listing and OUTPUT show them are the example programs.
#include "stats/kesstat.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/runtime.h"
#include "driver/kes_ctx.h"
#include "engine_host.h"
#include "host/step_codes.h"
#include "numeric/zmissing.h"
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

// ---- the empty shortcut ---------------------------------------------------------

TEST_F(StatRecord, NoNonmissingValueSetsOnlyCountsAndLists) {
  value_list v({}, false, 3);
  double pts[2] = {0.5, 0.9}, res[2] = {7, 7};
  st().npctlpts = 2;
  st().pctlpts_prob = pts;
  st().pctlpts_result = res;
  st().loc.v[KES_LOC_T] = 42;  // a later engine's cell: untouched
  st().qnt[KES_Q_P90] = 42;    // preset by the caller, not by the shortcut
  run(v);
  EXPECT_EQ(st().mom.v[KES_MOM_N], 0);
  EXPECT_EQ(st().mom.v[KES_MOM_NMISS], 3);
  EXPECT_EQ(st().mom.v[KES_MOM_NOBS], 3);
  EXPECT_EQ(st().missing, v.rec.missing);
  EXPECT_EQ(st().ndistinct, 0);
  EXPECT_TRUE(is_missing(res[0]) && is_missing(res[1]));
  for (int c : {KES_Q_MAX, KES_Q_Q3, KES_Q_MEDIAN, KES_Q_Q1, KES_Q_MIN, KES_Q_WHISKER_LO, KES_Q_WHISKER_HI})
    EXPECT_TRUE(is_missing(st().qnt[c])) << c;
  EXPECT_TRUE(is_missing(st().mom.v[KES_MOM_MEAN]));
  EXPECT_EQ(st().loc.v[KES_LOC_T], 42);
  EXPECT_EQ(st().qnt[KES_Q_P90], 42);
  EXPECT_TRUE(messages.empty());
}

// ---- quantile block and basic measures --------------------------------------------
// Sample B's quantiles, moments, basic measures and extremes as the listing shows them
// are the example option_rules; PCTLPTS= points in the caller's order are outputs.

TEST_F(StatRecord, MissingValuesAreCountedBesideTheValues) {
  value_list v({{2, 3}, {5, 1}}, false, 4);
  run(v);
  EXPECT_EQ(st().mom.v[KES_MOM_N], 4);
  EXPECT_EQ(st().mom.v[KES_MOM_NMISS], 4);
  EXPECT_EQ(st().mom.v[KES_MOM_NOBS], 8);
  EXPECT_EQ(st().missing, v.rec.missing);
  EXPECT_EQ(st().pass_total, 8);
  EXPECT_EQ(st().qnt[KES_Q_MEDIAN], 2);
  EXPECT_EQ(st().qnt[KES_Q_MODE], 2);
  EXPECT_EQ(st().maxfreq, 3);
}

TEST_F(StatRecord, AllValuesEqualGiveExactZeroRanges) {
  value_list v({{1e6 + 0.1, 5}});
  run(v);
  EXPECT_EQ(st().qnt[KES_Q_RANGE], 0.0);
  EXPECT_EQ(st().qnt[KES_Q_QRANGE], 0.0);
  EXPECT_EQ(st().qnt[KES_Q_WHISKER_LO], 1e6 + 0.1);
  EXPECT_EQ(st().qnt[KES_Q_WHISKER_HI], 1e6 + 0.1);
  EXPECT_EQ(st().qnt[KES_Q_MODE], 1e6 + 0.1);
}

// R: quantile(y, c(.25, .75), type = 2) = 2, 7 for y below; the fences 2 - 7.5 and
// 7 + 7.5 fall exactly on data values, which count as inside.
TEST_F(StatRecord, WhiskersIncludeValuesOnTheFences) {
  auto v = value_list::of({-9, -5.5, 2, 3, 4, 5, 6, 7, 14.5, 20});
  run(v);
  EXPECT_EQ(st().qnt[KES_Q_Q1], 2);
  EXPECT_EQ(st().qnt[KES_Q_Q3], 7);
  EXPECT_EQ(st().qnt[KES_Q_WHISKER_LO], -5.5);
  EXPECT_EQ(st().qnt[KES_Q_WHISKER_HI], 14.5);
  auto w = value_list::of({-9, -5.6, 2, 3, 4, 5, 6, 7, 14.6, 20});
  run(w);
  EXPECT_EQ(st().qnt[KES_Q_WHISKER_LO], 2);
  EXPECT_EQ(st().qnt[KES_Q_WHISKER_HI], 7);
}

// ---- basic confidence limits ------------------------------------------------------

// R: mean -/+ qt(.9, 11) s / sqrt(n); sqrt(11 s^2 / qchisq(.9 or .1, 11)). A one-sided
// limit uses the full alpha; without a standard error (VARDEF=N) the mean has no
// limits; one observation has none. -1: missing; -2: not missing; 0: not checked.
TEST_F(StatRecord, BasicLimits) {
  const struct {
    int kind;
    double alpha;
    const char* vardef;
    std::vector<double> data;
    double lo_mean, up_mean, lo_std, up_std, lo_var, up_var;
  } rows[] = {
      {1, 0.10, "DF      ", sample_b(), 1.7462005837098518, -1, 2.913679442443958, -1, 0, 0},
      {2, 0.10, "DF      ", sample_b(), -1, 4.6204660829568152, 0, 5.12766953250605, -1, 0},
      {3, 0.05, "N       ", sample_b(), -1, -1, -2, 0, 0, -2},
      {3, 0.05, "DF      ", {4}, -1, -1, -1, -1, -1, -1},
  };
  for (const auto& r : rows) {
    ctx->po.cibasic = r.kind;
    ctx->po.cibasic_alpha = r.alpha;
    std::memcpy(st().vardef, r.vardef, 8);
    auto v = value_list::of(r.data);
    run(v);
    const double* l = st().bcl;
    const std::pair<double, double> cells[] = {{l[KES_BCL_LO_MEAN], r.lo_mean}, {l[KES_BCL_UP_MEAN], r.up_mean},
                                               {l[KES_BCL_LO_STD], r.lo_std},   {l[KES_BCL_UP_STD], r.up_std},
                                               {l[KES_BCL_LO_VAR], r.lo_var},   {l[KES_BCL_UP_VAR], r.up_var}};
    for (const auto& [got, want] : cells)
      EXPECT_TRUE(want == 0 || (want == -1 ? is_missing(got)
                                : want == -2 ? !is_missing(got)
                                             : std::fabs(got - want) <= 1e-11 * std::fabs(want)))
          << r.kind << " " << r.vardef << ": " << got << " for " << want;
  }
  EXPECT_EQ(st().bcl[KES_BCL_EST_MEAN], 4);
}

// ---- sums, messages and the return code -------------------------------------------

TEST_F(StatRecord, RoundingMessagesNameTheVariable) {
  std::vector<obs> d(4, obs{5e8 + 0.25});
  value_list v(d);
  v.rec.css = 1e-9;
  run(v, 1);
  ASSERT_TRUE(logged(179));
  EXPECT_EQ(messages[0].name, "WEIGHTKG");
  EXPECT_EQ(ctx->rc, 4);
  EXPECT_EQ(st().mom.v[KES_MOM_VAR], 0);

  messages.clear();
  ctx->rc = 0;
  auto m = value_list::of({-1, 1});
  m.rec.sum = 1e-17;
  // With the uncorrected sum overflowed the cancellation repair of the sum does not
  // apply, and the moments zero the mean themselves.
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

// The range of -1e308 and 1e308 overflowed to infinity and was printed as "Inf" and
// written to OUTPUT; a statistic beyond the largest double stays missing.
TEST_F(StatRecord, StatisticsBeyondTheLargestDoubleAreMissing) {
  auto v = value_list::of({-1e308, 3, 1e308});
  run(v);
  EXPECT_TRUE(is_missing(st().qnt[KES_Q_RANGE]));
  EXPECT_TRUE(is_missing(st().basic[KES_BAS_RANGE]));
  EXPECT_EQ(st().qnt[KES_Q_MAX], 1e308);
  EXPECT_EQ(st().qnt[KES_Q_MEDIAN], 3);
  for (double x : st().qnt) EXPECT_FALSE(std::isinf(x));
  for (double x : st().basic) EXPECT_FALSE(std::isinf(x));
  for (double x : st().mom.v) EXPECT_FALSE(std::isinf(x));
}

// Overflow levels 1, 2 and 4 drop USS, CSS and the sum with what derives from them;
// the quantiles do not depend on the sums.
TEST_F(StatRecord, OverflowLevelsDropTheSumsThatOverflowed) {
  const struct {
    int level, dropped, other_dropped, kept;
    double kept_value;
  } rows[] = {{1, KES_MOM_USS, KES_MOM_USS, KES_MOM_VAR, 1},
              {2, KES_MOM_CSS, KES_MOM_VAR, KES_MOM_MEAN, 2},
              {4, KES_MOM_SUM, KES_MOM_MEAN, KES_MOM_N, 3}};
  for (const auto& r : rows) {
    auto v = value_list::of({1, 2, 3});
    v.rec.overflow = r.level;
    run(v);
    EXPECT_TRUE(is_missing(st().mom.v[r.dropped]) && is_missing(st().mom.v[r.other_dropped])) << r.level;
    EXPECT_EQ(st().mom.v[r.kept], r.kept_value) << r.level;
    EXPECT_EQ(st().qnt[KES_Q_MEDIAN], 2) << r.level;
  }
}

TEST_F(StatRecord, CancelledSumBecomesExactlyZero) {
  auto v = value_list::of({-0.3, -0.1, 0.1, 0.3});
  v.rec.sum = 5e-17;  // what a running sum may leave
  run(v);
  EXPECT_EQ(st().mom.v[KES_MOM_SUM], 0.0);
  EXPECT_EQ(st().mom.v[KES_MOM_MEAN], 0.0);
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

TEST_F(StatRecord, WeightedVariableUsesTheWeightedDefinitionAndOnlyT) {
  ctx->weight_given = 1;
  st().pctldef = 6;
  ctx->po.cipctlnormal = 3;
  ctx->po.cipctlnormal_alpha = 0.05;
  value_list v({{1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {4, 1, 1}}, true);
  run(v);
  EXPECT_EQ(st().qnt[KES_Q_MEDIAN], 2.5);
  EXPECT_EQ(st().qnt[KES_Q_Q1], 1.5);
  EXPECT_TRUE(is_missing(st().pct_ntlower[4]));
  EXPECT_FALSE(is_missing(st().loc.v[KES_LOC_T]));
  EXPECT_TRUE(is_missing(st().loc.v[KES_LOC_M]));
}

TEST_F(StatRecord, PercentileLimitsFillTheDescendingArrays) {
  ctx->po.cipctldf = 4;
  ctx->po.cipctldf_alpha = 0.05;
  ctx->po.cipctlnormal = 3;
  ctx->po.cipctlnormal_alpha = 0.05;
  std::vector<double> xs;
  for (int i = 1; i <= 20; ++i) xs.push_back(i);
  auto v = value_list::of(xs);
  run(v);
  // Index 4 is the median in both orders; ranks 6 and 15 (R pbinom, see the engine tests).
  EXPECT_EQ(st().pct_lrank[4], 6);
  EXPECT_EQ(st().pct_dfupper[4], 15);
  // Descending order: index 0 is P99, whose normal limits lie above P1's (index 8).
  EXPECT_GT(st().pct_ntlower[0], st().pct_ntupper[8]);
}

TEST_F(StatRecord, TrimmedAmountLeavingNothingIsANoteOnly) {
  kes_twmres tr[2]{};
  double amounts[2] = {0.1, 3};
  st().trimmed = tr;
  ctx->ntrimmed = 2;
  ctx->po.trimmed = amounts;
  ctx->po.trim_kind = 3;
  ctx->po.trim_alpha = 0.05;
  auto v = value_list::of({1, 2, 3, 4, 5, 6});
  run(v);
  ASSERT_TRUE(logged(153));
  EXPECT_EQ(messages.back().name, "HEIGHT");
  EXPECT_EQ(messages.back().extra, 6);
  EXPECT_EQ(ctx->rc, 0);
  EXPECT_EQ(tr[0].cell[KES_TWM_AMOUNT], 0.1);
  EXPECT_EQ(tr[0].cell[KES_TWM_ALPHA], 0.05);
}

TEST_F(StatRecord, OneSidedTrimmedLimitsPassDoubleAlpha) {
  kes_twmres wr[1]{};
  double amounts[1] = {1};
  st().winsorized = wr;
  ctx->nwinsorized = 1;
  ctx->po.winsorized = amounts;
  ctx->po.winsor_kind = 1;
  ctx->po.winsor_alpha = 0.05;
  auto v = value_list::of(sample_b());
  run(v);
  EXPECT_EQ(wr[0].cell[KES_TWM_ALPHA], 0.10);
}

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

TEST_F(StatRecord, RobustScaleWithoutMemoryIsReported) {
  ctx->robustscale = 1;
  auto v = value_list::of(sample_b());
  for (double& x : st().scl) x = 42;
  plat::set_memory_cap(1);
  run(v);
  plat::set_memory_cap(0);
  ASSERT_EQ(memmsgs.size(), 1u);
  EXPECT_EQ(memmsgs[0], 24 * 11);
  EXPECT_EQ(ctx->rc, KES_RC_OUT_OF_MEMORY);
  EXPECT_EQ(st().scl[KES_SCL_GINI], 42);  // skipped
  EXPECT_FALSE(is_missing(st().loc.v[KES_LOC_T]));  // the later engines still run
}

// The engines read one copy of the value list; without room for it the variable is
// not computed. The copy is refused in a child process whose address space is capped
// (the sanitizers need more address space than such a cap leaves).
TEST_F(StatRecord, AValueListThatCannotBeCopiedIsNotComputed) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "an address-space cap does not fit the sanitizers";
#else
  auto v = value_list::of(sample_b());
  v.rec.ndistinct = 1 << 30;      // the copy reserves room for this many values at once
  st().mom.v[KES_MOM_MEAN] = 42;  // the caller's preset: no engine runs
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
      std::fclose(f);
    }
    const rlim_t cap = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (512L << 20);
    const rlimit lim{cap, cap};
    if (pages == 0 || setrlimit(RLIMIT_AS, &lim) != 0) _exit(2);
    const bool computed = run(v);
    _exit(computed                          ? 3
          : memmsgs.size() != 1             ? 4
          : ctx->rc != KES_RC_OUT_OF_MEMORY ? 5
          : st().mom.v[KES_MOM_MEAN] != 42  ? 6
                                            : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3 computed, 4 no memory message, 5 return code, 6 an engine ran";
#endif
}

TEST(StatMessages, EveryKeyIsInTheCatalogue) {
  for (int n : {153, 179, 180, 183}) {
    const std::string* t = plat::catalogue_text(189, n);
    ASSERT_NE(t, nullptr) << n;
    EXPECT_NE(t->find("{L}"), std::string::npos) << n;
  }
}
