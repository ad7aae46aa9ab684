// kesitst: the value of an inset statistic, or whether a distribution or kernel block
// applies to the current request; kesimsg: a statistic's default label.
#include <cmath>

#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "inset/inset_build.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/family_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/stmt_slots.h"

namespace {
// The default labels of the statistics 0..KES_IC_LAST_STAT (KES_SET_PROC).
constexpr int kStatLabels[KES_IC_LAST_STAT + 1] = {
    KES_MSG_INSET_LABEL_N,          KES_MSG_INSET_LABEL_SUMWGT,     KES_MSG_INSET_LABEL_MEAN,
    KES_MSG_INSET_LABEL_SUM,        KES_MSG_INSET_LABEL_STD,        KES_MSG_INSET_LABEL_VAR,
    KES_MSG_INSET_LABEL_SKEWNESS,   KES_MSG_INSET_LABEL_KURTOSIS,   KES_MSG_INSET_LABEL_MAX,
    KES_MSG_INSET_LABEL_MIN,        KES_MSG_INSET_LABEL_P1,         KES_MSG_INSET_LABEL_P5,
    KES_MSG_INSET_LABEL_P10,        KES_MSG_INSET_LABEL_Q1,         KES_MSG_INSET_LABEL_MEDIAN,
    KES_MSG_INSET_LABEL_Q3,         KES_MSG_INSET_LABEL_P90,        KES_MSG_INSET_LABEL_P95,
    KES_MSG_INSET_LABEL_P99,        KES_MSG_INSET_LABEL_NOBS,       KES_MSG_INSET_LABEL_RANGE,
    KES_MSG_INSET_LABEL_QRANGE,     KES_MSG_INSET_LABEL_MODE,       KES_MSG_INSET_LABEL_NMISS,
    KES_MSG_INSET_LABEL_SIGNRANK,   KES_MSG_INSET_LABEL_NORMALTEST, KES_MSG_INSET_LABEL_PNORMAL,
    KES_MSG_INSET_LABEL_USS,        KES_MSG_INSET_LABEL_CSS,        KES_MSG_INSET_LABEL_CV,
    KES_MSG_INSET_LABEL_T,          KES_MSG_INSET_LABEL_PROBT,      KES_MSG_INSET_LABEL_PROBS,
    KES_MSG_INSET_LABEL_STDMEAN,    KES_MSG_INSET_LABEL_NEXCL,      KES_MSG_INSET_LABEL_GINI,
    KES_MSG_INSET_LABEL_MAD,        KES_MSG_INSET_LABEL_QN,         KES_MSG_INSET_LABEL_SN,
    KES_MSG_INSET_LABEL_STD_GINI,   KES_MSG_INSET_LABEL_STD_MAD,    KES_MSG_INSET_LABEL_STD_QN,
    KES_MSG_INSET_LABEL_STD_QRANGE, KES_MSG_INSET_LABEL_STD_SN,     KES_MSG_INSET_LABEL_MSIGN,
    KES_MSG_INSET_LABEL_PROBM};

// Where each statistic's value is kept: a field of the cell's record of the variable, or
// an entry of its summary block (ORDER: the statistic codes 0..45).
enum source : int { SUMMARY, N, SUMWGT, MEAN, SUM, STD, MAX, MIN, NOBS, QRANGE, NMISS, USS, CSS, NEXCL };
struct stat_source {
  source where;
  int entry;  // summary block entry
};
constexpr stat_source kSources[KES_IC_LAST_STAT + 1] = {
    {N, 0},       {SUMWGT, 0},  {MEAN, 0},    {SUM, 0},     {STD, 0},     {SUMMARY, 2},  // 0..5
    {SUMMARY, 3}, {SUMMARY, 4}, {MAX, 0},     {MIN, 0},     {SUMMARY, 8}, {SUMMARY, 9},  // 6..11
    {SUMMARY, 10}, {SUMMARY, 14}, {SUMMARY, 5}, {SUMMARY, 15}, {SUMMARY, 11}, {SUMMARY, 12},  // 12..17
    {SUMMARY, 13}, {NOBS, 0},   {SUMMARY, 6}, {QRANGE, 0},  {SUMMARY, 7}, {NMISS, 0},   // 18..23
    {SUMMARY, 16}, {SUMMARY, 31}, {SUMMARY, 32}, {USS, 0},  {CSS, 0},     {SUMMARY, 0},  // 24..29
    {SUMMARY, 17}, {SUMMARY, 18}, {SUMMARY, 19}, {SUMMARY, 1}, {NEXCL, 0}, {SUMMARY, 20},  // 30..35
    {SUMMARY, 21}, {SUMMARY, 23}, {SUMMARY, 22}, {SUMMARY, 25}, {SUMMARY, 26}, {SUMMARY, 28},  // 36..41
    {SUMMARY, 24}, {SUMMARY, 27}, {SUMMARY, 29}, {SUMMARY, 30},                           // 42..45
};
static_assert(sizeof kSources / sizeof kSources[0] == KES_IC_LAST_STAT + 1, "one source per statistic code");

// Plot statement flags of the families other than the normal (probability, PP and QQ
// requests ask for at most one family).
constexpr int kOtherFamilyFlags[8] = {KES_PLOT_FLAG_LOGNORMAL, KES_PLOT_FLAG_WEIBULL, KES_PLOT_FLAG_EXPONENTIAL,
                                      KES_PLOT_FLAG_GAMMA,     KES_PLOT_FLAG_BETA,    KES_PLOT_FLAG_SB,
                                      KES_PLOT_FLAG_SU,        KES_PLOT_FLAG_WEIBULL2};

double missing() { return kes_fit_missing(); }

void skip_stat(kes_insetbox* box) { kes_inset_pass_label_format(box); }

int skip_block(kes_insetbox* box) {
  kes_inset_skip_block(box);
  return 1;
}

int count_family(const kes_plotslot* slot, int family) {
  if (slot == nullptr || slot->curves == nullptr) return 0;
  int n = 0;
  for (int i = 0; i < slot->ncurves; ++i) n += slot->curves[i].dist == family ? 1 : 0;
  return n;
}

// Distribution blocks (49..57): 0 applies, 1 skipped after its note.
int family_applies(int code, kes_insetbox* box, kes_ctx* ctx, kes_cell* cell) {
  const kes_preq* rq = ctx->curreq;
  const int family = code - KES_IC_FIRST_DIST;
  const bool prob_qq = rq->type == KES_PLOT_PROB || rq->type == KES_PLOT_QQ;
  if (family == KES_DIST_WEIBULL2) {
    if (prob_qq && kes_flag(rq->stmt, KES_PLOT_FLAG_WEIBULL2)) return 0;
    if (prob_qq) {
      if (kes_inset_once(ctx, KES_IN_WEIBULL2_NOT)) xpmlog(KES_SET_LABEL, KES_MSG_WEIBULL2_BLOCK_NEEDS_WEIBULL2);
    } else if (kes_inset_once(ctx, KES_IN_WEIBULL2_TYPE)) {
      xpmlog(KES_SET_LABEL, KES_MSG_WEIBULL2_BLOCK_ONLY_ON_PROB_QQ);
    }
    return skip_block(box);
  }
  if (family == KES_DIST_NORMAL && (prob_qq || rq->type == KES_PLOT_PP)) {
    bool other = false;
    for (int f : kOtherFamilyFlags) other = other || kes_flag(rq->stmt, f);
    if (!other) return 0;
  }
  if (count_family(kes_plot_slot(ctx, rq, cell), family) > 0) return 0;
  char name[16];
  const int len = kes_inset_msg(name, 16, KES_SET_LABEL, kes_family_name(family));
  const bool asked = rq->ncurves_dist[family] > 0;
  if (kes_inset_once(ctx, (asked ? KES_IN_FAMILY_ASKED : KES_IN_FAMILY_NOT) + family))
    xpmlog(KES_SET_LABEL, asked ? KES_MSG_INSET_FAMILY_NOT_FITTED : KES_MSG_INSET_FAMILY_NOT_ON_PLOT, len, name, len,
           name);
  return skip_block(box);
}

// Kernel blocks (58..63): 0 applies, 1 skipped after its note.
int kernel_applies(int code, kes_insetbox* box, kes_ctx* ctx) {
  const int asked = ctx->curreq->nkernels;
  const int needed = code - KES_IC_KERNEL > 1 ? code - KES_IC_KERNEL : 1;
  if (asked >= needed) return 0;
  if (asked == 0) {
    if (kes_inset_once(ctx, KES_IN_NO_KERNEL)) xpmlog(KES_SET_LABEL, KES_MSG_INSET_KERNEL_NOT_ON_PLOT);
  } else if (kes_inset_once(ctx, KES_IN_KERNEL_CODE + code - KES_IC_KERNEL)) {
    xpmlog(KES_SET_LABEL, KES_MSG_INSET_KERNEL_NOT_ASKED, code - KES_IC_KERNEL, asked);
  }
  return skip_block(box);
}

}  // namespace

double kes_inset_stat(kes_ctx* ctx, kes_cell* cell, int code) {
  const kes_varsum* vs = kes_fit_varsum(ctx, cell);
  if (vs == nullptr || code < 0 || code > KES_IC_LAST_STAT) return missing();
  const stat_source s = kSources[code];
  switch (s.where) {
    case SUMMARY: return vs->summary != nullptr ? vs->summary[s.entry] : missing();
    case N: return vs->n;
    case SUMWGT: return vs->sumwgt;
    case MEAN: return vs->mean;
    case SUM: return vs->sum;
    case STD: return vs->std;
    case MAX: return vs->max;
    case MIN: return vs->min;
    case NOBS: return vs->nobs;
    case QRANGE: return vs->qrange;
    case NMISS: return vs->nmiss;
    case USS: return vs->uss;
    case CSS: return vs->css;
    case NEXCL: {
      const kes_plotslot* slot = kes_plot_slot(ctx, ctx->curreq, cell);
      return slot != nullptr ? slot->nexcluded : 0.0;
    }
  }
  return missing();
}

int kes_inset_stat_class(int code) {
  switch (code) {
    case 0: case 19: case 23: return KES_IF_INTEGER;
    case 26: case 31: case 32: case 45: return KES_IF_FIXED;
    default: return KES_IF_BEST;
  }
}

int kesimsg(int set, int code) { return set == 0 && code >= 0 && code <= KES_IC_LAST_STAT ? kStatLabels[code] : 0; }

int kesitst(int code, kes_insetbox* box, kes_ctx* ctx, kes_cell* cell, double* value, int* kind) {
  if (code >= 0 && code <= KES_IC_LAST_STAT) {
    if ((code == 25 || code == 26) && !ctx->normal) {
      if (kes_inset_once(ctx, code == 25 ? KES_IN_NORMALTEST : KES_IN_PNORMAL))
        xpmlog(KES_SET_PROC, code == 25 ? KES_MSG_NORMALTEST_NEEDS_NORMAL : KES_MSG_PNORMAL_NEEDS_NORMAL);
      skip_stat(box);
      return 1;
    }
    *value = kes_inset_stat(ctx, cell, code);
    *kind = KES_IK_PLAIN;
    return 0;
  }
  if (code >= KES_IC_FIRST_DIST && code <= KES_IC_LAST_DIST) {
    if (family_applies(code, box, ctx, cell) != 0) return 1;
    *kind = 6;
    return 0;
  }
  if (code >= KES_IC_KERNEL && code <= KES_IC_LAST_KERNEL) {
    if (kernel_applies(code, box, ctx) != 0) return 1;
    *kind = 7;
    return 0;
  }
  // Sibling statistics and unknown codes never come from this grammar.
  skip_stat(box);
  return 1;
}
