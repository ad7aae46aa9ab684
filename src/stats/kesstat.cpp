// kesstat: the statistics of one variable in their fixed order (moments, quantiles
// and modes, whiskers, PCTLPTS= points, basic limits, robust scale, extremes, location
// tests, trimmed and winsorized means, normality); zkesext: the extremes copy.
//
// Every engine reads the cell's view, which the data pass made once; when it could not
// be had (memory) the variable is not computed in the cell.
#include "stats/kesstat.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/zqc.h"
#include "numeric/zqt.h"
#include "records/kes_ctx.h"
#include "records/kes_varsum.h"
#include "records/pool_alloc.h"
#include "records/kes_valview.h"
#include "records/stmt_slots.h"
#include "stats/kes_statconst.h"
#include "stats/kes_stats.h"
#include "stats/kesscl.h"
#include "stats/zkesloc.h"
#include "stats/zkesmnt.h"
#include "stats/zkesnrm.h"
#include "stats/zkesqnt.h"
#include "stats/zkestwm.h"
#include "stats/statistics.h"
#include "stats/value_scale.h"
#include "util/kes_minmax.h"

const double kes_std_percent[KES_NSTDPCT] = {0.01, 0.05, 0.10, 0.25, 0.50, 0.75, 0.90, 0.95, 0.99};

namespace {

void raise_rc(kes_ctx* ctx, int rc) { ctx->rc = kes::max(ctx->rc, rc); }

const kes_name32* var_name(const kes_ctx* ctx, int var) {
  if (ctx->varnames != nullptr && var >= 0 && var < ctx->nvars) return &ctx->varnames[var];
  return &ctx->curname;
}

void log_with_name(kes_ctx* ctx, int number, int var) {
  const kes_name32* nm = var_name(ctx, var);
  xpmlog(KES_SET_PROC, number, static_cast<int>(nm->len), nm->text);
}

// Number of leading analysis variables whose Qn an OUTPUT statement asks for.
int output_qn_count(const kes_ctx* ctx) {
  int n = 0;
  for (const kes_stmt* s = ctx->proc ? ctx->proc->next : nullptr; s != nullptr; s = s->next) {
    if (std::memcmp(s->name, "OUTPUT  ", 8) != 0 || s->slots == nullptr) continue;
    for (int k : {KES_OUTPUT_SLOT_QN, KES_OUTPUT_SLOT_STD_QN})
      if (kes_pgiven(s, k)) n = kes::max(n, kes::min(kes_pslot(s, k)->v.count, ctx->nvars));
  }
  return n;
}

void empty_shortcut(kes_varsum* rec, kes_stats* st) {
  const double miss = zmissing();
  for (int i = 0; i < st->npctlpts && st->pctlpts_result != nullptr; ++i) st->pctlpts_result[i] = miss;
  st->view = rec->view;
  st->mom.v[KES_MOM_N] = rec->n;
  st->mom.v[KES_MOM_NMISS] = rec->nmiss;
  st->mom.v[KES_MOM_NOBS] = rec->nobs;
  st->pass_total = rec->pass_total;
  st->ndistinct = 0;
  for (int c : {KES_Q_MAX, KES_Q_Q3, KES_Q_MEDIAN, KES_Q_Q1, KES_Q_MIN, KES_Q_WHISKER_LO, KES_Q_WHISKER_HI})
    st->qnt[c] = miss;
  st->pct_ends[0] = st->pct_ends[1] = miss;
  st->mom.v[KES_MOM_MEAN] = miss;
}

void repair_sums(kes_varsum* rec) {
  const double miss = zmissing();
  if (rec->overflow >= 3) {
    rec->sum = rec->uss = rec->css = miss;
  } else if (rec->overflow == 2) {
    rec->uss = rec->css = miss;
  } else if (rec->overflow == 1) {
    rec->uss = miss;
  }
  // A sum that did not overflow stays as summed, however small against the spread
  // (-1e13, 1, 1e13 sum to 1 exactly): the moments judge the mean by the rounding of
  // that sum.
}

// P100 and P0 for the Quantiles table, as PCTLPTS=100 and 0 give them: under the
// weighted definition a value of weight 0 at an end is no percentile of the weights.
void end_percentiles(kes_stats* st, const kes_valview& fv, const kes_moments& mom) {
  st->pct_ends[0] = st->qnt[KES_Q_MAX];
  st->pct_ends[1] = st->qnt[KES_Q_MIN];
  if (st->pctldef != KES_PCTLDEF_WEIGHTED || fv.m <= 0) return;
  double prob[2] = {0.0, 1.0};
  double est[2] = {zmissing(), zmissing()};
  kes_qntblk q{};
  q.count = 2;
  q.prob = prob;
  q.est = est;
  zkesqnt_arrays(st->pctldef, &mom, &fv, &q);
  st->pct_ends[0] = est[1];
  st->pct_ends[1] = est[0];
}

// The normal-theory limits take the mean and std of nt_mom, in units of 2^nt_exp.
void quantiles(kes_ctx* ctx, kes_stats* st, const kes_valview& fv, const kes_moments& nt_mom, int nt_exp) {
  const double miss = zmissing();
  const kes_procopts& po = ctx->po;
  for (double& v : st->qnt) v = miss;
  for (double* a : {st->pct_ntlower, st->pct_ntupper, st->pct_dflower, st->pct_dfupper, st->pct_lrank,
                    st->pct_urank, st->pct_coverage})
    for (int i = 0; i < KES_NSTDPCT; ++i) a[i] = miss;
  for (double& v : st->pct_est) v = miss;

  kes_qntblk& q = st->qreq;
  std::memset(&q, 0, sizeof q);
  q.mode = 1;
  q.count = KES_NSTDPCT;
  q.prob = const_cast<double*>(kes_std_percent);
  q.dfkind = po.cipctldf;
  q.dfalpha = po.cipctldf_alpha;
  q.ntkind = po.cipctlnormal;
  q.ntalpha = po.cipctlnormal_alpha;
  q.est = st->pct_est;
  q.ntlower = st->pct_ntlower;
  q.ntupper = st->pct_ntupper;
  q.dflower = st->pct_dflower;
  q.dfupper = st->pct_dfupper;
  q.lrank = st->pct_lrank;
  q.urank = st->pct_urank;
  q.coverage = st->pct_coverage;
  q.modeval = miss;
  q.ntexp = nt_exp;
  zkesqnt_arrays(st->pctldef, &nt_mom, &fv, &q);

  st->ndistinct = q.distinct;
  if (fv.m > 0) {
    st->qnt[KES_Q_MAX] = fv.x[fv.m - 1];
    st->qnt[KES_Q_MIN] = fv.x[0];
  }
  end_percentiles(st, fv, nt_mom);
  for (int i = 0; i < KES_NSTDPCT; ++i) st->qnt[KES_Q_P99 + i] = st->pct_est[KES_NSTDPCT - 1 - i];
  st->qnt[KES_Q_MODE] = q.modeval;
  st->nmodes = st->basic_nmodes = q.nmodes;
  st->maxfreq = st->basic_maxfreq = q.maxfreq;

  double& q3 = st->qnt[KES_Q_Q3];
  double& q1 = st->qnt[KES_Q_Q1];
  const bool have_iqr = !is_missing(q3) && !is_missing(q1);
  if (st->ndistinct == 1) {
    st->qnt[KES_Q_RANGE] = 0.0;
    if (have_iqr) st->qnt[KES_Q_QRANGE] = 0.0;
  } else {
    st->qnt[KES_Q_RANGE] = st->qnt[KES_Q_MAX] - st->qnt[KES_Q_MIN];
    // From the values the quartiles lie at: q3 - q1 at an offset carries the
    // quartiles' rounding there.
    if (have_iqr) {
      const double r = kes_qrange(st->pctldef, fv.m, fv.x, fv.f, fv.w, &fv);
      st->qnt[KES_Q_QRANGE] = is_missing(r) ? q3 - q1 : r;
    }
  }
}

void basic_measures(kes_stats* st) {
  st->basic[KES_BAS_MEAN] = st->mom.v[KES_MOM_MEAN];
  st->basic[KES_BAS_MEDIAN] = st->qnt[KES_Q_MEDIAN];
  st->basic[KES_BAS_MODE] = st->qnt[KES_Q_MODE];
  st->basic[KES_BAS_BLANK] = v_global_gcb_anchor && v_global_gcb_anchor->consts
                                 ? v_global_gcb_anchor->consts->largest
                                 : zmissing();
  st->basic[KES_BAS_STD] = st->mom.v[KES_MOM_STD];
  st->basic[KES_BAS_VAR] = st->mom.v[KES_MOM_VAR];
  st->basic[KES_BAS_RANGE] = st->qnt[KES_Q_RANGE];
  st->basic[KES_BAS_QRANGE] = st->qnt[KES_Q_QRANGE];
}

// Data values nearest inside the 1.5 IQR fences; the fences are widened slightly so
// that a value exactly on a fence counts as inside: by a share of the interquartile
// range, so that the whiskers are the same in any unit (a fixed widening of 1.05e-8
// took every value in units of 1e-9 inside).
void whiskers(kes_stats* st, const kes_valview& fv) {
  const double iqr = st->qnt[KES_Q_QRANGE];
  if (is_missing(iqr)) return;
  const double e = kes_stat::FENCE_EPS * iqr;
  const double mn = st->qnt[KES_Q_MIN], mx = st->qnt[KES_Q_MAX];
  const double lf = st->qnt[KES_Q_Q1] - 1.5 * iqr;
  if (lf - e <= mn) {
    st->qnt[KES_Q_WHISKER_LO] = mn;
  } else {
    for (int i = 0; i < fv.m; ++i)
      if (fv.x[i] >= lf - 2.0 * e) {
        st->qnt[KES_Q_WHISKER_LO] = fv.x[i];
        break;
      }
  }
  const double uf = st->qnt[KES_Q_Q3] + 1.5 * iqr;
  if (uf + e >= mx) {
    st->qnt[KES_Q_WHISKER_HI] = mx;
  } else {
    for (int i = fv.m - 1; i >= 0; --i)
      if (fv.x[i] <= uf + 2.0 * e) {
        st->qnt[KES_Q_WHISKER_HI] = fv.x[i];
        break;
      }
  }
}

void pctlpts(kes_stats* st, const kes_valview& fv) {
  if (st->npctlpts <= 0 || st->pctlpts_prob == nullptr || st->pctlpts_result == nullptr) return;
  kes_qntblk& q = st->qreq;
  std::memset(&q, 0, sizeof q);
  q.mode = 0;
  q.count = st->npctlpts;
  q.prob = st->pctlpts_prob;
  q.index = st->pctlpts_index;
  q.est = st->pctlpts_result;
  zkesqnt_arrays(st->pctldef, &st->mom, &fv, &q);
}

void basic_limits(kes_ctx* ctx, kes_stats* st, const kes_moments& mom) {
  const kes_procopts& po = ctx->po;
  const int kind = po.cibasic;
  if (kind == 0) return;
  const double miss = zmissing();
  const double alpha = kind == 3 ? po.cibasic_alpha / 2.0 : po.cibasic_alpha;
  const double n = mom.v[KES_MOM_N];
  const double mean = mom.v[KES_MOM_MEAN];
  const double s = mom.v[KES_MOM_STD];
  const double se = mom.v[KES_MOM_STDMEAN];
  double* b = st->bcl;
  b[KES_BCL_EST_MEAN] = mean;
  b[KES_BCL_EST_STD] = s;
  b[KES_BCL_EST_VAR] = mom.v[KES_MOM_VAR];
  for (int c = KES_BCL_LO_MEAN; c < KES_BCL_NCELLS; ++c) b[c] = miss;
  const bool lo = kind == 1 || kind == 3;
  const bool up = kind == 2 || kind == 3;
  if (!(n > 1.0) || is_missing(s)) return;
  double t;
  if (zqt(1.0 - alpha, n - 1.0, &t) == 0 && !is_missing(se) && !is_missing(mean)) {
    if (lo) b[KES_BCL_LO_MEAN] = mean - t * se;
    if (up) b[KES_BCL_UP_MEAN] = mean + t * se;
  }
  double c;
  if (lo && zqc(1.0 - alpha, n - 1.0, &c) == 0 && c > 0.0) b[KES_BCL_LO_STD] = s * std::sqrt((n - 1.0) / c);
  if (up && zqc(alpha, n - 1.0, &c) == 0 && c > 0.0) b[KES_BCL_UP_STD] = s * std::sqrt((n - 1.0) / c);
  if (!is_missing(b[KES_BCL_LO_STD])) b[KES_BCL_LO_VAR] = b[KES_BCL_LO_STD] * b[KES_BCL_LO_STD];
  if (!is_missing(b[KES_BCL_UP_STD])) b[KES_BCL_UP_VAR] = b[KES_BCL_UP_STD] * b[KES_BCL_UP_STD];
}

void robust_scale(kes_ctx* ctx, kes_stats* st, int var, const kes_valview& fv) {
  const int qn_count = output_qn_count(ctx);
  // No plot request of this procedure asks for robust estimators itself.
  const bool wanted = ctx->robustscale || var < ctx->dp.robust_k;
  if (!wanted) return;
  host_pool* pool = v_global_gcb_anchor ? v_global_gcb_anchor->taskpool : nullptr;
  const long m = st->ndistinct;
  // The Sn distances (a double a value), then the prefix counts of Sn and Qn, which
  // values that each occur once do not need.
  const bool unit = fv.f != nullptr && std::all_of(fv.f, fv.f + fv.m, [](int c) { return c == 1; });
  const long size1 = 8 * (m > 0 ? m : 1), size2 = unit ? 0 : 4 * (m + 1);
  void* dwork = vmalcp_handler(pool, size1, KES_ALLOC_6);
  void* iwork = dwork && !unit ? vmalcp_handler(pool, size2, KES_ALLOC_6) : nullptr;
  if (dwork == nullptr || (iwork == nullptr && !unit)) {
    xmemmsg(dwork ? size2 : size1);  // the request that failed
    raise_rc(ctx, KES_RC_OUT_OF_MEMORY);
    if (dwork) vmfree_handler(pool, dwork, -1, KES_FREE_FLAGS);
    return;
  }
  const bool qn_wanted = ctx->robustscale || var < qn_count || ctx->dp.inset_qn;
  const int skipqn = qn_wanted ? 0 : 1;
  const int rc = kesscl_arrays(st->pctldef, fv.m, fv.x, fv.f, fv.w, static_cast<double*>(dwork),
                               static_cast<int*>(iwork), st->scl, skipqn, &fv);
  if (rc == 1 && qn_wanted) {
    log_with_name(ctx, KES_MSG_QN_NOT_COMPUTED, var);
    raise_rc(ctx, KES_RC_DATA_NOTE);
  }
  vmfree_handler(pool, dwork, -1, KES_FREE_FLAGS);
  if (iwork) vmfree_handler(pool, iwork, -1, KES_FREE_FLAGS);
}

// t from the moments (mom_mu0 in their unit); the sign and signed rank tests from the
// values of the order view ov (ov_mu0 in its unit).
void location(kes_ctx* ctx, kes_stats* st, int var, const kes_moments& mom, double mom_mu0, const kes_valview& ov,
              double ov_mu0, double mu0) {
  const bool others_want = ctx->outtable_opt != nullptr || var < ctx->dp.nloc_vars || ctx->dp.inset_stats;
  const bool ranks = (!ctx->noprint || others_want) && !ctx->weight_given;
  zkesloc_arrays(&mom, nullptr, mom_mu0, ctx->weight_given ? 1 : 0, 0, &st->loc);
  if (ranks) zkesloc_ranks(&ov, ov_mu0, &st->loc);
  st->loc.v[KES_LOC_MU0] = mu0;
  if (ctx->loccount) {
    const double* l = st->loc.v;
    st->loccount[KES_LC_MU0] = l[KES_LOC_MU0];
    st->loccount[KES_LC_ABOVE] = l[KES_LOC_NABOVE];
    st->loccount[KES_LC_NDIFF] = l[KES_LOC_NDIFF];
    st->loccount[KES_LC_BELOW] = l[KES_LOC_NDIFF] - l[KES_LOC_NABOVE];
  }
}

void trimmed_winsorized(kes_ctx* ctx, kes_stats* st, int var, bool trimmed, const kes_valview& fv,
                        const kes_moments& mom, double mu0) {
  const kes_procopts& po = ctx->po;
  const int count = trimmed ? ctx->ntrimmed : ctx->nwinsorized;
  const double* amounts = trimmed ? po.trimmed : po.winsorized;
  kes_twmres* res = trimmed ? st->trimmed : st->winsorized;
  if (count <= 0 || amounts == nullptr || res == nullptr) return;
  const int kind = trimmed ? po.trim_kind : po.winsor_kind;
  double alpha = trimmed ? po.trim_alpha : po.winsor_alpha;
  // One-sided limits come from the two-sided interval at twice the level.
  if (kind != 3) alpha *= 2.0;
  for (int k = 0; k < count; ++k) {
    const int rc = zkestwm_arrays(fv.m, &mom, fv.x, fv.f, trimmed ? 1 : 0, amounts[k], mu0, alpha, &res[k]);
    if (rc != 0) {
      const kes_name32* nm = var_name(ctx, var);
      xpmlog(KES_SET_PROC, KES_MSG_TRIMMED_MEAN_LEAVES_NO_OBSERVATION, static_cast<int>(nm->len), nm->text,
             zd2i(st->mom.v[KES_MOM_N]));
    }
  }
}

// The statistics found on values divided by 2^k and weights divided by 2^K, multiplied
// back: the location tests and the normality test are free of the scale but for the
// normal mu and sigma (location() sets mu0 as given). The robust scales (their own
// division) and the trimmed and winsorized means (the values as they stand) are found
// apart.
void scale_back(kes_stats* st, int k, int K, kes_lost_names* lost) {
  const int spread = kes_spread_weight_power(st);
  for (int c : {KES_BCL_EST_MEAN, KES_BCL_LO_MEAN, KES_BCL_UP_MEAN}) kes_scale_back_location(&st->bcl[c], k);
  for (int c : {KES_BCL_EST_STD, KES_BCL_LO_STD, KES_BCL_UP_STD})
    kes_scale_back(&st->bcl[c], 1, kes_back_exp(1, spread / 2, k, K), "basic confidence limits", lost);
  for (int c : {KES_BCL_EST_VAR, KES_BCL_LO_VAR, KES_BCL_UP_VAR})
    kes_scale_back(&st->bcl[c], 1, kes_back_exp(2, spread, k, K), "basic confidence limits", lost);
  kes_scale_back_location(&st->nrm.mu, k);
  kes_scale_back(&st->nrm.sigma, 1, kes_back_exp(1, spread / 2, k, K), "normal standard deviation", lost);
}

}  // namespace

void zkesext(const kes_varsum* rec, kes_extremes* dst) {
  dst->highest = rec->highest;
  dst->lowest = rec->lowest;
  dst->nslots = rec->nslots;
  dst->low_idnum = rec->low_idnum;
  dst->high_idnum = rec->high_idnum;
  dst->low_idchar = rec->low_idchar;
  dst->high_idchar = rec->high_idchar;
  dst->low_obs = rec->low_obs;
  dst->high_obs = rec->high_obs;
  dst->low_freq = rec->low_freq;
  dst->high_freq = rec->high_freq;
}

bool kesstat(kes_ctx* ctx, kes_varsum* rec, kes_stats* st, int var) {
  if (rec->view == nullptr) {
    // The data pass could not make the view: what it would have taken.
    xmemmsg(kes_valview_bytes(rec->ndistinct, rec->weight_given != 0, 0));
    raise_rc(ctx, KES_RC_OUT_OF_MEMORY);
    return false;
  }
  if (rec->n <= kes_stat::EPS11) {
    empty_shortcut(rec, st);
    return true;
  }
  repair_sums(rec);
  const kes_valview& fv = *rec->view;
  st->view = rec->view;

  // Values near the ends of the doubles: every statistic built on sums is found on
  // the values divided by 2^k (mv, mom) and multiplied back.
  kes_scaled_values sc;
  const int k = kes_value_scale(rec, fv);
  if (k != 0 && !kes_scale_values(rec, fv, k, &sc)) xmemmsg(8L * fv.m);
  const bool scaled = sc.k != 0;
  if (scaled) repair_sums(&sc.rec);
  const kes_valview& mv = scaled ? sc.view : fv;
  const double mu0 = ctx->po.mu0 ? ctx->po.mu0[var] : 0.0;
  const double mv_mu0 = scaled ? std::ldexp(mu0, -k) : mu0;
  // The statistics of order (ranks, signs, robust scales) take the values divided
  // only as far as keeps them finite (ko), so that none far below the largest
  // flushes to zero.
  const int ko_wanted = kes_order_scale(fv, mu0, scaled ? k : 0);
  kes_scaled_values osc;
  int ko = 0;
  const kes_valview* ovp = &fv;
  if (ko_wanted == sc.k) {
    ko = sc.k;
    ovp = &mv;
  } else if (ko_wanted != 0 && kes_scale_values(rec, fv, ko_wanted, &osc)) {
    ko = ko_wanted;
    ovp = &osc.view;
  } else if (ko_wanted != 0) {
    xmemmsg(8L * fv.m);
  }
  const kes_valview& ov = *ovp;
  kes_lost_names lost;

  // The data pass kept the weighted sums in units of 2^K (kes_wunit.h).
  const int K = rec->wexp;
  const bool rescaled = scaled || K != 0;
  const int mrc = zkesmnt_arrays(scaled ? &sc.rec : rec, st->vardef, &mv, &st->mom);
  const kes_moments mom = st->mom;
  if (rescaled) {
    kes_scale_back_moments(st, sc.k, K, &lost);
    // Later readers of the record (the insets) see the sums taken again, in the units
    // of the data and the weights.
    rec->sum = st->mom.v[KES_MOM_SUM];
    rec->uss = st->mom.v[KES_MOM_USS];
    rec->sumwgt = st->mom.v[KES_MOM_SUMWGT];
    rec->wexp = 0;
  } else {
    kes_settle_wide_moments(st, &lost);
  }
  // The insets' CSS is the table's, taken from the values.
  rec->css = st->mom.v[KES_MOM_CSS];
  st->pass_total = rec->pass_total;
  if (mrc == KES_MNT_VAR_ZEROED || mrc == KES_MNT_MEAN_ZEROED) {
    log_with_name(
        ctx,
        mrc == KES_MNT_VAR_ZEROED ? KES_MSG_CSS_ZERO_VARIANCE_SET_TO_ZERO : KES_MSG_MEAN_WITHIN_SUM_ROUNDING_SET_TO_ZERO,
        var);
    raise_rc(ctx, KES_RC_DATA_NOTE);
  }

  // The normal-theory percentile limits are found on the values divided by 2^k, where
  // std times a t quantile stays finite (no weights: the limits are not computed
  // with them).
  const bool nt_scaled = scaled && K == 0;
  quantiles(ctx, st, fv, nt_scaled ? mom : st->mom, nt_scaled ? sc.k : 0);
  basic_measures(st);
  whiskers(st, fv);
  pctlpts(st, fv);
  basic_limits(ctx, st, mom);
  robust_scale(ctx, st, var, ov);
  zkesext(rec, &st->ext);
  location(ctx, st, var, mom, mv_mu0, ov, std::ldexp(mu0, -ko), mu0);
  trimmed_winsorized(ctx, st, var, true, fv, mom, mu0);
  trimmed_winsorized(ctx, st, var, false, fv, mom, mu0);

  if (ctx->normal || var < ctx->dp.nnormal_vars) {
    const double miss = zmissing();
    zkesnrm_arrays(mv.m, &mom, mv.x, mv.f, KES_NRM_BOTH_EST, ctx->normal ? 1 : 0, miss, miss, &st->nrm);
  }
  if (rescaled) scale_back(st, sc.k, K, &lost);
  if (rescaled || ko != 0) {
    // The robust table's interquartile range is no row's cell (QRANGE reads the
    // quantiles, found on the values as they stand) but carries the values' unit.
    kes_scale_back(&st->scl[KES_SCL_QRANGE], 1, ko, KES_STAT_ROWS[KES_STAT_QRANGE].name, &lost);
    kes_scale_back_group(st, KES_SG_ROBUST, ko, K, &lost);
  }
  kes_drop_overflow(st, ctx->ntrimmed, ctx->nwinsorized, &lost);
  if (lost.count > 0) {
    char names[512];
    lost.text(names, sizeof names);
    const kes_name32* nm = var_name(ctx, var);
    xpmlog(KES_SET_PROC, KES_MSG_STATISTICS_BEYOND_THE_DOUBLES, static_cast<int>(nm->len), nm->text, names);
    raise_rc(ctx, KES_RC_DATA_NOTE);
  }
  return true;
}
