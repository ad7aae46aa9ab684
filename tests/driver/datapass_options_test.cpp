// Procedure options read from the PROC node and the rules that tie them together.
// PCTLDEF= out of range and three CLASS variables are the example programs
// quiet_faults and datapass_steps.
#include "data/dataset.h"
#include "datapass_test_support.h"
#include "driver/kes_procopts.h"
#include "driver/kes_readstate.h"
#include "driver/kesgopt_options.h"

namespace dp_test {
namespace {

enum {
  sBy = 0, sVar = 1, sWeight = 2, sFreq = 3, sId = 4, sClass = 5, sData = 6, sPctldef = 11, sRound = 12, sVardef = 13, sPlotsize = 14,
  sMu0 = 15, sAlpha = 16, sTrimmed = 17, sWinsor = 18, sNextrval = 20, sCiBasicAlpha = 24,
};
enum { kNoprint = 1, kPlot = 2, kNormal = 4, kLoccount = 6, kRobust = 7, kCiBasic = 10, kAll = 14 };

class DatapassOptions : public datapass_fixture {
 protected:
  void SetUp() override {
    datapass_fixture::SetUp();
    write_csv("d", "x,y,z,w,g,h,k\n1,2,3,1,a,b,c\n");
  }
  proc_builder base(bool noprint = true) {
    proc_builder p;
    p.handle(sData, open_data("d")).ints(sVar, {var_of("x"), var_of("y"), var_of("z")});
    if (noprint) p.flag(kNoprint);
    return p;
  }
  // kesgopt alone; the xexit code, or 0.
  int options(proc_builder& p) {
    ctx_->proc = p.node();
    try {
      return kesgopt_impl(ctx_.get());
    } catch (const plat::step_exit& e) {
      return e.code;
    }
  }
  kes_ctx* ctx() { return ctx_.get(); }
};

TEST_F(DatapassOptions, Defaults) {
  proc_builder p = base();
  ASSERT_EQ(options(p), 0);
  EXPECT_EQ(ctx()->pctldef, 5);
  EXPECT_EQ(ctx()->nextrobs, 5);
  EXPECT_EQ(ctx()->nextrval, 0);
  EXPECT_EQ(ctx()->plotsize, 30);
  EXPECT_EQ(std::string(ctx()->vardef, 8), "DF      ");
  EXPECT_DOUBLE_EQ(kes_po(ctx())->alpha, 0.05);
  EXPECT_EQ(ctx()->nvars, 3);
  EXPECT_EQ(std::string(ctx()->statlabel[0], 6), "Normal");
}

TEST_F(DatapassOptions, PlotsizeLimits) {
  proc_builder p = base(false);
  p.num(sPlotsize, 7);
  ASSERT_EQ(options(p), 0);
  EXPECT_EQ(ctx()->plotsize, 8);
  EXPECT_EQ(count_in_log("PLOTSIZE=7 is below"), 1);

  ctx_ = std::make_unique<kes_ctx>();
  proc_builder q = base(false);
  q.num(sPlotsize, 500);
  ASSERT_EQ(options(q), 0);
  EXPECT_EQ(ctx()->plotsize, ctx()->pagesize);
  EXPECT_EQ(count_in_log("PLOTSIZE=500 is larger than the page size"), 1);
}

TEST_F(DatapassOptions, WeightTurnsOffNormalLoccountRobustscale) {
  proc_builder p = base();
  p.flag(kNormal).flag(kLoccount).flag(kRobust).ints(sWeight, {var_of("w")}).num(sPctldef, 2);
  ASSERT_EQ(options(p), 0);
  EXPECT_FALSE(ctx()->normal);
  EXPECT_FALSE(ctx()->loccount);
  EXPECT_FALSE(ctx()->robustscale);
  EXPECT_EQ(ctx()->pctldef, 6);
  EXPECT_EQ(count_in_log("NORMAL is ignored"), 1);
  EXPECT_EQ(count_in_log("LOCCOUNT is ignored"), 1);
  EXPECT_EQ(count_in_log("ROBUSTSCALE is ignored"), 1);
  EXPECT_EQ(count_in_log("PCTLDEF= is ignored"), 1);
}

TEST_F(DatapassOptions, ClassOrderAndMissingCodes) {
  proc_builder p = base();
  p.marks(sClass, {var_of("g"), -1, -5, var_of("h"), -4});
  ASSERT_EQ(options(p), 0);
  const kes_classvars* cv = ctx()->classvars;
  ASSERT_EQ(cv->count, 2);
  EXPECT_EQ(cv->var[0].order, 0);
  EXPECT_EQ(cv->var[0].keep_missing, 1);
  EXPECT_EQ(cv->var[1].order, 3);
  EXPECT_EQ(cv->var[1].keep_missing, 0);
}

TEST_F(DatapassOptions, MissingDataOrVarEndsWith1008) {
  proc_builder p;
  p.flag(kNoprint);
  EXPECT_EQ(options(p), 1008);
  // Without VAR, every numeric variable has another role: none is left to analyse.
  ctx_ = std::make_unique<kes_ctx>();
  proc_builder q;
  q.flag(kNoprint).handle(sData, open_data("d"));
  q.ints(sBy, {var_of("x")}).ints(sFreq, {var_of("y")}).ints(sWeight, {var_of("z")}).ints(sId, {var_of("w"), var_of("g")});
  EXPECT_EQ(options(q), 1008);
  EXPECT_EQ(count_in_log("No analysis variables"), 1);
}

TEST_F(DatapassOptions, WithoutVarTheNumericVariablesWithoutARoleAreAnalysedInDataSetOrder) {
  struct row {
    const char* what;
    std::vector<int> by, cls, freq, weight, id;
    std::vector<int> want;
  };
  // Variables: x 0, y 1, z 2, w 3 numeric; g 4, h 5, k 6 character. CLASS codes are negative.
  const row rows[] = {
      {"no roles", {}, {}, {}, {}, {}, {0, 1, 2, 3}},
      {"BY and CLASS with codes", {2}, {4, -1, 0, -5}, {}, {}, {}, {1, 3}},
      {"FREQ, WEIGHT and ID", {}, {}, {3}, {0}, {5, 1}, {2}},
  };
  for (const row& r : rows) {
    ctx_ = std::make_unique<kes_ctx>();
    proc_builder p;
    p.flag(kNoprint).handle(sData, open_data("d"));
    if (!r.by.empty()) p.ints(sBy, r.by);
    if (!r.cls.empty()) p.marks(sClass, r.cls);
    if (!r.freq.empty()) p.ints(sFreq, r.freq);
    if (!r.weight.empty()) p.ints(sWeight, r.weight);
    if (!r.id.empty()) p.ints(sId, r.id);
    ASSERT_EQ(options(p), 0) << r.what;
    EXPECT_EQ(std::vector<int>(ctx()->varnums, ctx()->varnums + ctx()->nvars), r.want) << r.what;
  }
}

TEST_F(DatapassOptions, AlphaOutsideTheUnitIntervalEndsTheStep) {
  proc_builder p = base();
  p.num(sAlpha, 1.0);
  EXPECT_EQ(options(p), 1008);
  ctx_ = std::make_unique<kes_ctx>();
  proc_builder q = base();
  q.flag(kCiBasic).num(sCiBasicAlpha, 0);
  EXPECT_EQ(options(q), 1008);
  EXPECT_EQ(count_in_log("ALPHA= of CIBASIC is 0"), 1);
}

TEST_F(DatapassOptions, TrimmedValuesAreFiltered) {
  proc_builder p = base();
  p.list(sTrimmed, {0, 0.1, 0.7, 3}).list(sWinsor, {0.2});
  ASSERT_EQ(options(p), 0);
  ASSERT_EQ(ctx()->ntrimmed, 2);
  EXPECT_DOUBLE_EQ(kes_po(ctx())->trimmed[0], 0.1);
  EXPECT_DOUBLE_EQ(kes_po(ctx())->trimmed[1], 3);
  EXPECT_EQ(kes_po(ctx())->trim_kind, 3);
  EXPECT_EQ(ctx()->nwinsorized, 1);
  EXPECT_EQ(count_in_log("is not above 0"), 1);
  EXPECT_EQ(count_in_log("is at least 0.5"), 1);
}

TEST_F(DatapassOptions, Mu0AndRoundPerVariable) {
  proc_builder p = base();
  p.list(sMu0, {1, 2}).list(sRound, {0.5, 0, 2});
  ASSERT_EQ(options(p), 0);
  const kes_procopts* po = kes_po(ctx());
  EXPECT_EQ(po->mu0[0], 1);
  EXPECT_EQ(po->mu0[1], 2);
  EXPECT_EQ(po->mu0[2], 0);
  const kes_datapass* dp = kes_dp(ctx());
  EXPECT_EQ(dp->round_flag[0], 1);
  EXPECT_EQ(dp->round_flag[1], 0);
  EXPECT_EQ(dp->round_inc[2], 2);
}

TEST_F(DatapassOptions, NegativeRoundEndsWith2001) {
  proc_builder p = base();
  p.list(sRound, {-1});
  EXPECT_EQ(options(p), 2001);
}

TEST_F(DatapassOptions, VardefWeightNeedsAWeight) {
  proc_builder p = base();
  p.name(sVardef, "WGT");
  ASSERT_EQ(options(p), 0);
  EXPECT_EQ(std::string(ctx()->vardef, 2), "DF");
  EXPECT_EQ(count_in_log("VARDEF=WGT needs a WEIGHT variable"), 1);
}

TEST_F(DatapassOptions, AllTurnsOnTheFullSet) {
  proc_builder p = base();
  p.flag(kAll);
  ASSERT_EQ(options(p), 0);
  const kes_procopts* po = kes_po(ctx());
  EXPECT_TRUE(po->modes);
  EXPECT_TRUE(ctx()->robustscale && ctx()->normal && ctx()->loccount);
  EXPECT_EQ(ctx()->nextrval, 5);
  EXPECT_EQ(po->cibasic, 3);
  EXPECT_EQ(po->cipctldf, 4);
  ASSERT_EQ(ctx()->ntrimmed, 1);
  EXPECT_DOUBLE_EQ(po->trimmed[0], 0.25);
  // ALL comes after the NOPRINT rule and sets PLOT again.
  EXPECT_TRUE(ctx()->plot);
}

}  // namespace
}  // namespace dp_test
