// kescomp(ctx, mode, var, records): the statistics of one analysis variable in one
// cell. The result areas of the statistics record are preset missing; in mode 0 the
// record is filled and, unless NOPRINT, the variable's tables are printed; in mode 2
// (the reader kept no values) a note names the variable and the results stay
// missing. Either way the variable's records of the side-by-side box plots and its
// OUTTABLE observation are written when those are asked, so that every variable
// keeps its place.
#include "driver/kescomp.h"

#include <cstring>

#include "datapass/group_wording.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"
#include "stats/kesotab.h"
#include "stats/kesoutp.h"
#include "stats/kesstat.h"
#include "util/kes_minmax.h"

namespace {
template <std::size_t N>
void preset(double (&cells)[N], double miss) {
  for (double& c : cells) c = miss;
}

// The result areas that the statistics fill, all missing.
void preset_results(kes_ctx* ctx, kes_stats* st) {
  const double miss = v_global_gcb_anchor->consts->std_missing;
  preset(st->mom.v, miss);
  st->pass_total = miss;
  preset(st->basic, miss);
  st->basic_nmodes = st->basic_maxfreq = 0;
  preset(st->bcl, miss);
  kes_nrmres& n = st->nrm;
  n.ntests = 0;
  n.mu = n.sigma = n.w = n.d = n.wsq = n.asq = miss;
  n.pw = n.pd = n.pwsq = n.pasq = n.out_stat = n.out_prob = miss;
  std::memset(n.qual, ' ', sizeof n.qual);
  preset(st->qnt, miss);
  preset(st->pct_est, miss);
  preset(st->pct_ntlower, miss);
  preset(st->pct_ntupper, miss);
  preset(st->pct_dflower, miss);
  preset(st->pct_dfupper, miss);
  preset(st->pct_lrank, miss);
  preset(st->pct_urank, miss);
  preset(st->pct_coverage, miss);
  st->nmodes = st->maxfreq = 0;
  preset(st->scl, miss);
  preset(st->loc.v, miss);
  preset(st->loccount, miss);
  st->view = nullptr;
  st->ndistinct = 0;
  std::memset(&st->ext, 0, sizeof st->ext);
  for (int i = 0; i < ctx->ntrimmed && st->trimmed != nullptr; ++i) preset(st->trimmed[i].cell, miss);
  for (int i = 0; i < ctx->nwinsorized && st->winsorized != nullptr; ++i) preset(st->winsorized[i].cell, miss);
  if (st->npctlpts > 0 && st->pctlpts_result != nullptr)
    for (int i = 0; i < st->npctlpts; ++i) st->pctlpts_result[i] = miss;
}

// The trimmed and winsorized result records live for the step.
bool twm_records(kes_ctx* ctx, kes_stats* st) {
  auto take = [&](int count) -> kes_twmres* {
    const long size = static_cast<long>(sizeof(kes_twmres)) * count;
    auto* p = static_cast<kes_twmres*>(vmalcp_handler(ctx->runpool, size, KES_ALLOC_2));
    if (p == nullptr) xmemmsg(size);
    return p;
  };
  if (ctx->ntrimmed > 0 && st->trimmed == nullptr && (st->trimmed = take(ctx->ntrimmed)) == nullptr) return false;
  if (ctx->nwinsorized > 0 && st->winsorized == nullptr && (st->winsorized = take(ctx->nwinsorized)) == nullptr)
    return false;
  return true;
}

}  // namespace

void kescomp(kes_ctx* ctx, int mode, int var, kes_varsum* records) {
  kes_stats* st = ctx->stats;
  if (!twm_records(ctx, st)) {
    ctx->rc = kes::max(ctx->rc, KES_RC_OUT_OF_MEMORY);
    xexit(ctx->rc, 0);
    return;
  }
  preset_results(ctx, st);

  // Values beyond the whiskers that the plots write count from here.
  const std::uint32_t before = ctx->utilword;
  if (mode == KES_COMP_NORMAL && kesstat(ctx, &records[var], st, var)) {
    if (!ctx->noprint) kesprt(ctx, st);
  } else {
    const kes_name32& name = ctx->varnames[var];
    xpmlog(KES_SET_PROC,
           kes_group_message(ctx, KES_MSG_STATISTICS_NO_MEMORY_FOR_VALUES, KES_MSG_STATISTICS_NO_MEMORY_FOR_DATA_SET),
           static_cast<int>(name.len), name.text);
    ctx->rc = kes::max(ctx->rc, KES_RC_NOT_COMPUTED);
  }
  // Every variable of every BY group keeps its place in the utility files, also when
  // nothing was computed or printed for it.
  if (ctx->sideplots) {
    kesoutp(ctx, st);
    kes_side_index(ctx, var, before);
  }
  if (ctx->outtable != nullptr) kesotab_put(ctx);
}
