// The once-only note flags of the insets: kept over the HISTOGRAM requests of a
// variable, cleared before its QQPLOT, CDFPLOT, PROBPLOT and PPPLOT requests, so that
// an inset note is given once per plot type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/step_run.h"
#include "records/kes_ctx.h"
#include "records/kes_stages.h"

namespace {

std::vector<std::string> seen;  // "<kind>:<flag 0 on entry>"

int visit(kes_ctx* ctx, const char* kind) {
  seen.push_back(std::string(kind) + ":" + std::to_string(ctx->inset_notes[0]));
  ctx->inset_notes[0] = 1;  // the request gives its note
  return 0;
}
int hist(kes_ctx* ctx, int) { return visit(ctx, "hist"); }
int qq(kes_ctx* ctx, int) { return visit(ctx, "qq"); }
int cdf(kes_ctx* ctx, int) { return visit(ctx, "cdf"); }
int prob(kes_ctx* ctx, int) { return visit(ctx, "prob"); }
int pp(kes_ctx* ctx, int) { return visit(ctx, "pp"); }

TEST(InsetNotes, ClearedBeforeEachPlotTypeButTheHistograms) {
  kes_stages stages{};
  stages.keshini = hist, stages.kesqini = qq, stages.kescini = cdf, stages.kespini = prob, stages.keszini = pp;
  kes_ctx ctx{};
  ctx.stages = &stages;
  ctx.tmplgraph = 1;
  ctx.nhist = 2, ctx.nqq = 2, ctx.ncdf = 1, ctx.nprob = 1, ctx.npp = 1;
  int slot[1] = {0};
  kes_preq reqs[7] = {};
  for (kes_preq& r : reqs) r.varslot = slot;
  ctx.preqs = reqs;
  ctx.nvars = 1;
  kes_run run{};
  run.ctx = &ctx;
  seen.clear();
  ASSERT_EQ(kes_plot_requests(run), kes_flow::go_on);
  EXPECT_EQ(seen, (std::vector<std::string>{"hist:0", "hist:1", "qq:0", "qq:1", "cdf:0", "prob:0", "pp:0"}));
}

}  // namespace
