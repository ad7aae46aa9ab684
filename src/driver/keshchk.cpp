// keshchk(ctx, request) -> 0, 1 or 1016: the options of one HISTOGRAM statement: the
// curve counts of the fitted families and the kernel, MAXNBIN= and MAXSIGMAS=, the
// bins (kesmchk), the curve parameters, the kernel, the OUTHISTOGRAM= and OUTKERNEL=
// data sets, NOBARS and the VAXIS= values.
#include <cmath>
#include <cstring>
#include <iterator>

#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "util/kes_minmax.h"

namespace {
constexpr double kTinyPositive = 2.225073858507202e-308;
constexpr int kMaxParams = 4;

// One fitted family on the HISTOGRAM statement.
struct family {
  int flag;
  int code;                // kes_distcode
  int params[kMaxParams];  // parameter rows (kes_param_row); -1 after the last
  kes_param_test tests[4]; // in order; message 0 after the last
  int noprint_flag;
  int fill_flag;
  int fill_note;  // of set KES_SET_LABEL
};

// Given parameter values must be above 0; further options as the family says.
constexpr kes_param_test positive(int row, int message, bool bound_arg = false) {
  return {KES_PARAM_ROWS[row].values, KES_PARAM_ROWS[row].markers, 0.0, true, message, 0, true, bound_arg, false};
}
constexpr kes_param_test single(int slot, double bound, bool strict, int message, bool second_byte) {
  return {slot, -1, bound, strict, message, 0, false, false, second_byte};
}

// In the order of the checks.
const family kFamilies[] = {
    {KES_PLOT_FLAG_NORMAL,
     KES_DIST_NORMAL,
     {KES_P_NORMAL_MU, KES_P_NORMAL_SIGMA, -1, -1},
     {positive(KES_P_NORMAL_SIGMA, KES_MSG_NORMAL_SIGMA_NOT_POSITIVE)},
     KES_PLOT_FLAG_NORMAL_NOPRINT,
     KES_PLOT_FLAG_NORMAL_FILL,
     KES_MSG_FILL_NEEDS_ONE_NORMAL_CURVE},
    {KES_PLOT_FLAG_LOGNORMAL,
     KES_DIST_LOGNORMAL,
     {KES_P_LOGNORMAL_THETA, KES_P_LOGNORMAL_SIGMA, KES_P_LOGNORMAL_ZETA, -1},
     {positive(KES_P_LOGNORMAL_SIGMA, KES_MSG_LOGNORMAL_SIGMA_NOT_POSITIVE)},
     KES_PLOT_FLAG_LOGNORMAL_NOPRINT,
     KES_PLOT_FLAG_LOGNORMAL_FILL,
     KES_MSG_FILL_NEEDS_ONE_LOGNORMAL_CURVE},
    {KES_PLOT_FLAG_EXPONENTIAL,
     KES_DIST_EXPONENTIAL,
     {KES_P_EXPONENTIAL_THETA, KES_P_EXPONENTIAL_SIGMA, -1, -1},
     {positive(KES_P_EXPONENTIAL_SIGMA, KES_MSG_EXPONENTIAL_SIGMA_NOT_POSITIVE)},
     KES_PLOT_FLAG_EXPONENTIAL_NOPRINT,
     KES_PLOT_FLAG_EXPONENTIAL_FILL,
     KES_MSG_FILL_NEEDS_ONE_EXPONENTIAL_CURVE},
    {KES_PLOT_FLAG_WEIBULL,
     KES_DIST_WEIBULL,
     {KES_P_WEIBULL_THETA, KES_P_WEIBULL_SIGMA, KES_P_WEIBULL_C, -1},
     {positive(KES_P_WEIBULL_SIGMA, KES_MSG_WEIBULL_SIGMA_NOT_POSITIVE),
      positive(KES_P_WEIBULL_C, KES_MSG_WEIBULL_C_NOT_POSITIVE),
      single(KES_PLOT_SLOT_WEIBULL_CINITIAL, 0, false, KES_MSG_CINITIAL_NEGATIVE, false),
      single(KES_PLOT_SLOT_WEIBULL_CDELTA, kTinyPositive, false, KES_MSG_CDELTA_NOT_POSITIVE, false)},
     KES_PLOT_FLAG_WEIBULL_NOPRINT,
     KES_PLOT_FLAG_WEIBULL_FILL,
     KES_MSG_FILL_NEEDS_ONE_WEIBULL_CURVE},
    {KES_PLOT_FLAG_GAMMA,
     KES_DIST_GAMMA,
     {KES_P_GAMMA_THETA, KES_P_GAMMA_SIGMA, KES_P_GAMMA_ALPHA, -1},
     {positive(KES_P_GAMMA_SIGMA, KES_MSG_GAMMA_SIGMA_NOT_POSITIVE),
      positive(KES_P_GAMMA_ALPHA, KES_MSG_GAMMA_ALPHA_NOT_POSITIVE),
      single(KES_PLOT_SLOT_GAMMA_ALPHAINITIAL, 0, false, KES_MSG_ALPHAINITIAL_NEGATIVE, false),
      single(KES_PLOT_SLOT_GAMMA_ALPHADELTA, kTinyPositive, false, KES_MSG_ALPHADELTA_NOT_POSITIVE, false)},
     KES_PLOT_FLAG_GAMMA_NOPRINT,
     KES_PLOT_FLAG_GAMMA_FILL,
     KES_MSG_FILL_NEEDS_ONE_GAMMA_CURVE},
    {KES_PLOT_FLAG_BETA,
     KES_DIST_BETA,
     {KES_P_BETA_THETA, KES_P_BETA_SIGMA, KES_P_BETA_ALPHA, KES_P_BETA_BETA},
     {positive(KES_P_BETA_SIGMA, KES_MSG_BETA_SIGMA_NOT_POSITIVE),
      positive(KES_P_BETA_ALPHA, KES_MSG_BETA_ALPHA_TOO_SMALL, true),
      positive(KES_P_BETA_BETA, KES_MSG_BETA_BETA_TOO_SMALL, true),
      single(KES_PLOT_SLOT_BETA_TOL, 0, true, KES_MSG_BETA_TOL_NOT_POSITIVE, true)},
     KES_PLOT_FLAG_BETA_NOPRINT,
     KES_PLOT_FLAG_BETA_FILL,
     KES_MSG_FILL_NEEDS_ONE_BETA_CURVE},
    {KES_PLOT_FLAG_SB,
     KES_DIST_SB,
     {KES_P_SB_THETA, KES_P_SB_SIGMA, KES_P_SB_DELTA, KES_P_SB_GAMMA},
     {positive(KES_P_SB_SIGMA, KES_MSG_SB_SIGMA_NOT_POSITIVE),
      positive(KES_P_SB_DELTA, KES_MSG_JOHNSON_DELTA_NOT_POSITIVE),
      single(KES_PLOT_SLOT_SB_FITTOL, 0, true, KES_MSG_FITTOLERANCE_NOT_POSITIVE, true),
      single(KES_PLOT_SLOT_SB_FITINTERVAL, 0, true, KES_MSG_FITINTERVAL_NOT_POSITIVE, true)},
     KES_PLOT_FLAG_SB_NOPRINT,
     KES_PLOT_FLAG_SB_FILL,
     KES_MSG_FILL_NEEDS_ONE_SB_CURVE},
    {KES_PLOT_FLAG_SU,
     KES_DIST_SU,
     {KES_P_SU_THETA, KES_P_SU_SIGMA, KES_P_SU_DELTA, KES_P_SU_GAMMA},
     {positive(KES_P_SU_SIGMA, KES_MSG_SU_SIGMA_NOT_POSITIVE),
      positive(KES_P_SU_DELTA, KES_MSG_JOHNSON_DELTA_NOT_POSITIVE),
      single(KES_PLOT_SLOT_SU_FITTOL, 0, true, KES_MSG_FITTOLERANCE_NOT_POSITIVE, true),
      single(KES_PLOT_SLOT_SU_FITINTERVAL, 0, true, KES_MSG_FITINTERVAL_NOT_POSITIVE, true)},
     KES_PLOT_FLAG_SU_NOPRINT,
     KES_PLOT_FLAG_SU_FILL,
     KES_MSG_FILL_NEEDS_ONE_SU_CURVE},
};
static_assert(std::size(kFamilies) == KES_DIST_SU + 1, "one entry per fitted family");

// Curve count of a family: the longest of its parameter lists, at least 1.
int curve_count(const kes_stmt* s, const family& f) {
  int n = 1;
  for (int p : f.params)
    if (p >= 0) n = kes::max(n, kes_pcount(s, KES_PARAM_ROWS[p].values));
  return n;
}

}  // namespace

int kes_vertical_values(const kes_preq* request) {
  const kes_stmt* s = request->stmt;
  const int n = kes_pcount(s, KES_PLOT_SLOT_VAXIS);
  if (n == 0) return kes_layout_vorder_count(request);
  if (n < 2) {
    xspplace(s, KES_PLOT_SLOT_VAXIS);
    xpmlog(KES_SET_LABEL, KES_MSG_VAXIS_TOO_FEW_VALUES);
    return 0;
  }
  switch (kes_tick_steps(kes_pnumbers(s, KES_PLOT_SLOT_VAXIS), n)) {
    case KES_STEPS_NOT_INCREASING:
      xspplace(s, KES_PLOT_SLOT_VAXIS);
      xpmlog(KES_SET_LABEL, KES_MSG_VAXIS_NOT_INCREASING);
      return 0;
    case KES_STEPS_UNEQUAL:
      xspplace(s, KES_PLOT_SLOT_VAXIS);
      xpmlog(KES_SET_LABEL, KES_MSG_VAXIS_NOT_EQUALLY_SPACED);
      xpmlog(KES_SET_AXIS_NOTE, KES_MSG_VERTICAL_AXIS_DEFAULT_TICKS_NOTE);
      return 0;
    default:
      return n;
  }
}

int keshchk(kes_ctx* ctx, kes_preq* request) {
  const kes_stmt* s = request->stmt;
  request->outhist = request->outkernel = nullptr;
  request->outhist_def = request->outkernel_def = nullptr;
  bool failed = false;
  request->bincode = static_cast<int*>(
      kes_zalloc(ctx->runpool, static_cast<long>(sizeof(int)) * kes::max(ctx->nvars, 1), KES_ALLOC_2, &failed));
  if (failed) return KES_RC_OUT_OF_MEMORY;

  // Curve counts.
  int nparam = 0;
  for (const family& f : kFamilies) {
    if (!kes_flag(s, f.flag)) continue;
    request->ncurves_dist[f.code] = curve_count(s, f);
    nparam += request->ncurves_dist[f.code];
    if (!kes_flag(s, f.noprint_flag)) ctx->printed = 1;
  }
  int nkernel = 0;
  if (kes_flag(s, KES_PLOT_FLAG_KERNEL) || kes_pgiven(s, KES_PLOT_SLOT_OUTKERNEL)) {
    nkernel = kes::max(1, kes::max(kes_pcount(s, KES_PLOT_SLOT_KERNEL_K), kes_pcount(s, KES_PLOT_SLOT_KERNEL_C)));
    if (!kes_flag(s, KES_PLOT_FLAG_KERNEL_NOPRINT)) ctx->printed = 1;
  }
  if (nparam > 0) ctx->fitted_curves = 1;
  request->ncurves_dist[KES_DIST_KERNEL] = nkernel;
  request->nkernels = nkernel;
  request->ncurves = nparam + nkernel;
  request->tabcontents = !kes_flag(s, KES_PLOT_FLAG_NOTABCONTENTS);
  request->binlimit = KES_BINLIMIT_NONE;
  request->rtinclude = kes_flag(s, KES_PLOT_FLAG_RTINCLUDE);

  // Bin limits: a value above 0 is kept truncated toward zero, so one between 0 and 1
  // becomes 0 and lets the bins grow no further than the key cell's own.
  if (kes_pgiven(s, KES_PLOT_SLOT_MAXNBIN)) {
    const double v = kes_pnumber(s, KES_PLOT_SLOT_MAXNBIN);
    if (kes_pgiven(s, KES_PLOT_SLOT_MAXSIGMAS)) {
      xspplace(s, KES_PLOT_SLOT_MAXSIGMAS);
      xpmlog(KES_SET_PROC, KES_MSG_MAXNBIN_MAXSIGMAS_CANNOT_BOTH);
      return 1;
    }
    if (!(v > 0)) {
      xspplace(s, KES_PLOT_SLOT_MAXNBIN);
      xpmlog(KES_SET_PROC, KES_MSG_MAXNBIN_NOT_POSITIVE, v);
      return 1;
    }
    request->maxnbin = static_cast<int>(kes::fmin(std::trunc(v), 2147483647.0));
    request->binlimit = KES_BINLIMIT_MAXNBIN;
  }
  if (kes_pgiven(s, KES_PLOT_SLOT_MAXSIGMAS)) {
    const double v = kes_pnumber(s, KES_PLOT_SLOT_MAXSIGMAS);
    if (!(v > 0)) {
      xspplace(s, KES_PLOT_SLOT_MAXSIGMAS);
      xpmlog(KES_SET_PROC, KES_MSG_MAXSIGMAS_NOT_POSITIVE, v);
      return 1;
    }
    request->maxsigmas = static_cast<int>(kes::fmin(std::trunc(v), 2147483647.0));
    request->binlimit = KES_BINLIMIT_MAXSIGMAS;
  }

  if (kesmchk(ctx, request) != 0) return 1;

  // Curve parameters, per requested family.
  for (const family& f : kFamilies) {
    if (!kes_flag(s, f.flag)) continue;
    for (const kes_param_test& test : f.tests)
      if (test.message != 0 && !kes_param_ok(s, test)) return 1;
    if (ctx->devgraph && kes_flag(s, f.fill_flag) && request->ncurves_dist[f.code] > 1)
      xpmlog(KES_SET_LABEL, f.fill_note);
  }

  // Kernel.
  if (kes_flag(s, KES_PLOT_FLAG_KERNEL)) {
    if (kes_flag(s, KES_PLOT_FLAG_HANGING)) {
      xpmlog(KES_SET_LABEL, KES_MSG_HANGING_WITH_KERNEL);
      return 1;
    }
    const int n = kes_pcount(s, KES_PLOT_SLOT_KERNEL_C);
    const double* c = kes_pnumbers(s, KES_PLOT_SLOT_KERNEL_C);
    bool mise_noted = false;
    for (int i = 0; i < n; ++i) {
      if (c[i] == KES_KERNEL_C_SJPI) continue;
      if (c[i] == KES_KERNEL_C_MISE) {
        if (!mise_noted) xpmlog(KES_SET_LABEL, KES_MSG_C_MISE_BANDWIDTH);
        mise_noted = true;
        continue;
      }
      if (c[i] <= 0) {
        xspplace(s, KES_PLOT_SLOT_KERNEL_C);
        xpmlog(KES_SET_LABEL, KES_MSG_KERNEL_C_NOT_POSITIVE, c[i]);
        return 1;
      }
    }
    if (ctx->devgraph && kes_flag(s, KES_PLOT_FLAG_KERNEL_FILL) && nkernel > 1)
      xpmlog(KES_SET_LABEL, KES_MSG_FILL_NEEDS_ONE_KERNEL);
  }

  // The output data sets. When their variables cannot be defined the check fails:
  // the data sets would be left half defined.
  if (kes_pgiven(s, KES_PLOT_SLOT_OUTHISTOGRAM) || kes_pgiven(s, KES_PLOT_SLOT_OUTKERNEL)) {
    const int r = kes_outhist_define(ctx, request);
    if (r != 0) return r;
  }

  if (kes_flag(s, KES_PLOT_FLAG_NOBARS)) {
    if (request->ncurves <= 0) {
      xspplace(s, KES_STMT_KEYWORD);
      xpmlog(KES_SET_PLOT, KES_MSG_NOBARS_NEEDS_FITTED_CURVE);
      return 1;
    }
    request->nobars = 1;
  }
  request->nvvalues = kes_vertical_values(request);
  return 0;
}
