// Counts, weighted sums and extreme observations of the first pass over a BY group.
// The corrected sum of squares is updated about the running weighted mean, so that
// it never suffers the cancellation of USS - Sum^2/W; the weights, each times its
// frequency, are summed in the record's unit (kes_wunit.h), so that only the values
// can make a sum overflow.
#include "datapass/obs_sums.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "datapass/group_wording.h"
#include "datapass/math_recovery.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_readstate.h"
#include "records/kes_wunit.h"
#include "stats/kes_statconst.h"
#include "util/kes_exp2.h"
#include "util/kes_minmax.h"

namespace {

// Relative size below which the deviation from the mean is taken as 0.
constexpr double kDevEps = kes_stat::EPS13;
constexpr double kRoundBand = kes_stat::EPS11;

// Records an overflow of stage `stage` in r; the record's first one is reported.
void overflow(kes_ctx* ctx, kes_varsum* r, int v, int stage) {
  kes_readstate& rs = kes_dp(ctx)->rs;
  rs.matherr = 1;
  const int code = kes_stage_overflow_code(stage);
  // Without weights the sums are plain ones: the statistics take them again all the
  // same, and name whatever then lies beyond the doubles.
  if (r->overflow == 0 && ctx->weight_given) {
    const kes_name32& nm = ctx->varnames[v];
    xpmlog(KES_SET_PROC,
           kes_group_message(ctx, KES_MSG_WEIGHTED_SUMS_OVERFLOW, KES_MSG_WEIGHTED_SUMS_OVERFLOW_IN_DATA_SET),
           static_cast<int>(nm.len), nm.text);
    ctx->rc = kes::max(ctx->rc, KES_RC_DATA_NOTE);
  }
  if (code > r->overflow) r->overflow = code;
  rs.matherr = 0;
}

// One slot of an extreme list: where its parts live.
struct slot_lists {
  double* val;
  int* obs;
  int* freq;
  double* idnum;
  char* idchar;
};

void move_slot(const slot_lists& l, int from, int to, int k, long t) {
  l.val[to] = l.val[from];
  l.obs[to] = l.obs[from];
  if (l.freq != nullptr) l.freq[to] = l.freq[from];
  if (l.idnum != nullptr && k > 0)
    std::memmove(l.idnum + static_cast<long>(to) * k, l.idnum + static_cast<long>(from) * k, sizeof(double) * static_cast<size_t>(k));
  if (l.idchar != nullptr && t > 0) std::memmove(l.idchar + to * t, l.idchar + from * t, static_cast<size_t>(t));
}

void fill_slot(kes_ctx* ctx, const slot_lists& l, int j, double x, int f) {
  const kes_datapass* dp = kes_dp(ctx);
  l.val[j] = x;
  l.obs[j] = dp->rs.have_obsno ? static_cast<int>(dp->rs.obsno) : dp->rs.nread;
  if (l.freq != nullptr) l.freq[j] = f;
  const int k = ctx->nids;
  const long t = dp->idtextlen;
  for (int i = 0; i < k; ++i) {
    const int var = dp->idvarnums[i];
    if (dp->idtypes[i] == 1) {
      if (l.idnum != nullptr) xvget1f(ctx->data, var, &l.idnum[static_cast<long>(j) * k + i]);
    } else if (l.idchar != nullptr) {
      const int off = dp->idoffsets[i];
      const int len = dp->idoffsets[i + 1] - off;
      if (len > 0) xvget1c(ctx->data, var, len, l.idchar + j * t + off);
    }
  }
}

}  // namespace

void kes_obs_sums(kes_ctx* ctx, kes_varsum* r, int v, double x, double c, int f) {
  if (!(c > 0)) return;
  kes_readstate& rs = kes_dp(ctx)->rs;
  // The weight c f in the record's unit; a unit that grows takes the sums along.
  // Without WEIGHT the sums count observations (FREQ alone), in no unit but their own.
  const int e = r->weight_given ? kes_wunit_after(r->wexp, kes_wunit_exponent(c, f), r->sumwgt == 0.0) : 0;
  if (e != r->wexp) {
    const int d = r->wexp - e;
    for (double* s : {&r->sumwgt, &r->sum, &r->css, &r->uss}) *s = kes::ldexp(*s, d);
    r->wexp = e;
  }
  const double w = kes::ldexp(c, -e) * f;
  const double W = r->sumwgt;
  double W1 = W;
  if (r->overflow < 4) {
    W1 = W + w;
    if (kes_failed(W1)) {
      overflow(ctx, r, v, KES_STAGE_SUMWGT);
      r->sumwgt = v_global_gcb_anchor->consts->std_missing;
    }
  }
  rs.neww = W1;
  // The deviation from the mean before this observation: the corrected sum grows by
  // w W / W1 times its square, a factor below w however the new weight compares with
  // the old sum, so that no order of the weights cancels it.
  const double before = W > 0.0 && r->overflow < 3 ? r->sum / W : x;
  double p = 0.0;
  if (r->overflow < 3) {
    p = w * x;
    rs.wx = p;
    if (kes_failed(p)) {
      overflow(ctx, r, v, KES_STAGE_WX);
    } else {
      const double s = r->sum + p;
      if (kes_failed(s)) overflow(ctx, r, v, KES_STAGE_SUM);
      else r->sum = s;
    }
  }
  if (r->overflow < 2) {
    const double g = W > 0.0 ? w * (W / W1) : 0.0;
    double d = x - before;
    if (std::fabs(d) <= kDevEps * kes::fmax(std::fabs(x), std::fabs(before))) d = 0.0;
    rs.oldw = g;
    rs.dev = d;
    if (kes_failed(d)) {
      overflow(ctx, r, v, KES_STAGE_DEV);
    } else {
      const double css = r->css + g * d * d;
      if (kes_failed(css)) overflow(ctx, r, v, KES_STAGE_CSS);
      else r->css = css;
    }
  }
  if (r->overflow == 0) {
    const double u = r->uss + x * p;
    if (kes_failed(u)) overflow(ctx, r, v, KES_STAGE_USS);
    else r->uss = u;
  }
  if (r->overflow < 4) r->sumwgt = W1;
}

void kes_obs_extremes(kes_ctx* ctx, kes_varsum* r, double x, int f) {
  const int n = r->nslots;
  if (n <= 0 || r->lowest == nullptr) return;
  const int k = ctx->nids;
  const long t = kes_dp(ctx)->idtextlen;

  // Lowest values: ascending from slot 0; a later equal value goes before earlier ones.
  const slot_lists lo{r->lowest, r->low_obs, r->low_freq, r->low_idnum, r->low_idchar};
  if (std::isnan(lo.val[n - 1])) {
    int kk = 0;
    while (kk < n && !std::isnan(lo.val[kk])) ++kk;
    int j = 0;
    while (j < kk && lo.val[j] < x) ++j;
    for (int s = kk; s > j; --s) move_slot(lo, s - 1, s, k, t);
    fill_slot(ctx, lo, j, x, f);
  } else if (x <= lo.val[n - 1]) {
    int j = 0;
    while (j < n && lo.val[j] < x) ++j;
    for (int s = n - 1; s > j; --s) move_slot(lo, s - 1, s, k, t);
    fill_slot(ctx, lo, j, x, f);
  }

  // Highest values: ascending, filled from the last slot down; a later equal value
  // goes above earlier ones.
  const slot_lists hi{r->highest, r->high_obs, r->high_freq, r->high_idnum, r->high_idchar};
  if (std::isnan(hi.val[0])) {
    int kk = n - 1;
    while (kk >= 0 && !std::isnan(hi.val[kk])) --kk;
    int j = n - 1;
    while (j > kk && hi.val[j] > x) --j;
    for (int s = kk; s < j; ++s) move_slot(hi, s + 1, s, k, t);
    fill_slot(ctx, hi, j, x, f);
  } else if (x >= hi.val[0]) {
    int j = n - 1;
    while (j >= 0 && hi.val[j] > x) --j;
    for (int s = 0; s < j; ++s) move_slot(hi, s + 1, s, k, t);
    fill_slot(ctx, hi, j, x, f);
  }
}

void kes_obs_update(kes_ctx* ctx, kes_varsum* r, int v, double x, int f, double c) {
  if (std::isnan(x)) {
    r->nmiss += f;
    return;
  }
  r->nobs += 1.0;
  r->n += f;
  kes_obs_sums(ctx, r, v, x, c, f);
  kes_obs_extremes(ctx, r, x, f);
}

void kes_final_counts(kes_varsum* r, bool single_cell, double total) {
  r->nobs = r->n + r->nmiss;
  r->pass_total = single_cell ? total : r->n + r->nmiss;
}

double kes_round_value(double x, double u, bool* failed) {
  *failed = false;
  const double q = std::fabs(x) / u;
  if (kes_failed(q)) {
    *failed = true;
    return v_global_gcb_anchor->consts->std_missing;
  }
  if (q <= 0.5) return 0.0;
  const double r = std::fmod(q, 2.0);
  double q1;
  if (r <= 0.5 + kRoundBand) q1 = std::floor(q + 0.499);
  else if (r < 1.5 - kRoundBand) q1 = std::floor(q + 0.5);
  else q1 = std::floor(q + 0.501);
  const double y = q1 * u;
  if (kes_failed(y)) {
    *failed = true;
    return v_global_gcb_anchor->consts->std_missing;
  }
  return x > 0 ? y : -y;
}
