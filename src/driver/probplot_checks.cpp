// The option checks of the QQPLOT, PROBPLOT, CDFPLOT and PPPLOT statements: one
// distribution at most, its parameters, the plotting-position constants, PCTLORDER=
// and the vertical scale of a CDF plot.
#include <cstring>
#include <iterator>

#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_preq.h"
#include "util/kes_text.h"

namespace {

constexpr double kTinyPositive = 2.225073858507202e-308;
constexpr double kMinShape = 0.15;  // beta, SB and SU shapes on QQ and probability plots
constexpr double kDefaultNadj = 0.25;
constexpr double kDefaultRankadj = -0.375;
constexpr int kMaxTests = 6;

// The first value of a list (tested when its first marker is 0).
constexpr kes_param_test first(int row, double bound, bool strict, int message, bool arg = false) {
  return {KES_PARAM_ROWS[row].values, KES_PARAM_ROWS[row].markers, bound, strict, message, 0, false, arg, false};
}
constexpr kes_param_test first(const kes_param_slots& row, double bound, bool strict, int message) {
  return {row.values, row.markers, bound, strict, message, 0, false, false, false};
}
// A shape list that must be present; every given value is tested.
constexpr kes_param_test shape(int row, double bound, bool strict, int message, int missing, bool arg = false) {
  return {KES_PARAM_ROWS[row].values, KES_PARAM_ROWS[row].markers, bound, strict, message, missing, true, arg, false};
}
// A single value, given through its first or second byte.
constexpr kes_param_test single(int slot, double bound, bool strict, int message, bool second_byte) {
  return {slot, -1, bound, strict, message, 0, false, false, second_byte};
}
// A shape list that must be present but whose values are not tested.
constexpr kes_param_test present(int row, int missing) {
  return {KES_PARAM_ROWS[row].values, KES_PARAM_ROWS[row].markers, -1e308, false, 0, missing, true, false, false};
}

struct family_tests {
  int flag;
  kes_param_test tests[kMaxTests];  // in order; message and missing both 0 after the last
};

const kes_param_test kBetaTol = single(KES_PLOT_SLOT_BETA_TOL, 0, true, KES_MSG_BETA_TOL_NOT_POSITIVE, true);

// QQPLOT and PROBPLOT, in the order of the checks.
const family_tests kQqFamilies[] = {
    {KES_PLOT_FLAG_NORMAL, {first(KES_P_NORMAL_SIGMA, 0, false, KES_MSG_NORMAL_SIGMA_NOT_POSITIVE)}},
    {KES_PLOT_FLAG_LOGNORMAL,
     {shape(KES_P_LOGNORMAL_SIGMA, 0, true, KES_MSG_LOGNORMAL_SIGMA_NOT_POSITIVE, KES_MSG_LOGNORMAL_NEEDS_SIGMA),
      first(KES_PARAM_LOGNORMAL_SLOPE, 0, true, KES_MSG_LOGNORMAL_SLOPE_NOT_POSITIVE)}},
    {KES_PLOT_FLAG_EXPONENTIAL, {first(KES_P_EXPONENTIAL_SIGMA, 0, false, KES_MSG_EXPONENTIAL_SIGMA_NOT_POSITIVE)}},
    {KES_PLOT_FLAG_WEIBULL,
     {first(KES_P_WEIBULL_SIGMA, 0, false, KES_MSG_WEIBULL_SIGMA_NOT_POSITIVE),
      shape(KES_P_WEIBULL_C, 0, true, KES_MSG_WEIBULL_C_NOT_POSITIVE, KES_MSG_WEIBULL_NEEDS_C)}},
    {KES_PLOT_FLAG_GAMMA,
     {first(KES_P_GAMMA_SIGMA, 0, false, KES_MSG_GAMMA_SIGMA_NOT_POSITIVE),
      shape(KES_P_GAMMA_ALPHA, 0, true, KES_MSG_GAMMA_ALPHA_NOT_POSITIVE, KES_MSG_GAMMA_NEEDS_ALPHA)}},
    {KES_PLOT_FLAG_BETA,
     {first(KES_P_BETA_SIGMA, 0, false, KES_MSG_BETA_SIGMA_NOT_POSITIVE),
      shape(KES_P_BETA_ALPHA, kMinShape, false, KES_MSG_BETA_ALPHA_BELOW_LEAST, KES_MSG_BETA_NEEDS_ALPHA, true),
      shape(KES_P_BETA_BETA, kMinShape, false, KES_MSG_BETA_BETA_BELOW_LEAST, KES_MSG_BETA_NEEDS_BETA, true),
      kBetaTol}},
    {KES_PLOT_FLAG_SB,
     {first(KES_P_SB_SIGMA, 0, false, KES_MSG_SB_SIGMA_NOT_POSITIVE),
      shape(KES_P_SB_DELTA, kMinShape, false, KES_MSG_JOHNSON_DELTA_BELOW_LEAST, KES_MSG_SB_NEEDS_DELTA, true),
      present(KES_P_SB_GAMMA, KES_MSG_SB_NEEDS_GAMMA),
      single(KES_PLOT_SLOT_SB_FITTOL, 0, true, KES_MSG_FITTOLERANCE_NOT_POSITIVE, true),
      single(KES_PLOT_SLOT_SB_FITINTERVAL, 0, true, KES_MSG_FITINTERVAL_NOT_POSITIVE, true)}},
    {KES_PLOT_FLAG_SU,
     {first(KES_P_SU_SIGMA, 0, false, KES_MSG_SU_SIGMA_NOT_POSITIVE),
      shape(KES_P_SU_DELTA, kMinShape, false, KES_MSG_JOHNSON_DELTA_BELOW_LEAST, KES_MSG_SU_NEEDS_DELTA, true),
      present(KES_P_SU_GAMMA, KES_MSG_SU_NEEDS_GAMMA),
      single(KES_PLOT_SLOT_SU_FITTOL, 0, true, KES_MSG_FITTOLERANCE_NOT_POSITIVE, true),
      single(KES_PLOT_SLOT_SU_FITINTERVAL, 0, true, KES_MSG_FITINTERVAL_NOT_POSITIVE, true)}},
    {KES_PLOT_FLAG_WEIBULL2,
     {single(KES_PLOT_SLOT_WEIBULL2_SIGMA, 0, true, KES_MSG_WEIBULL_SIGMA_NOT_POSITIVE, true),
      single(KES_PLOT_SLOT_WEIBULL2_C, 0, true, KES_MSG_WEIBULL_C_NOT_POSITIVE, true)}},
};
static_assert(std::size(kQqFamilies) == KES_DIST_WEIBULL2 + 1, "one entry per family of a QQ or probability plot");

// CDFPLOT and PPPLOT: the first value of each parameter only; SB and SU untested.
const family_tests kCdfFamilies[] = {
    {KES_PLOT_FLAG_NORMAL, {first(KES_P_NORMAL_SIGMA, 0, false, KES_MSG_NORMAL_SIGMA_NOT_POSITIVE)}},
    {KES_PLOT_FLAG_LOGNORMAL, {first(KES_P_LOGNORMAL_SIGMA, 0, true, KES_MSG_LOGNORMAL_SIGMA_NOT_POSITIVE)}},
    {KES_PLOT_FLAG_EXPONENTIAL, {first(KES_P_EXPONENTIAL_SIGMA, 0, false, KES_MSG_EXPONENTIAL_SIGMA_NOT_POSITIVE)}},
    {KES_PLOT_FLAG_WEIBULL,
     {first(KES_P_WEIBULL_SIGMA, 0, false, KES_MSG_WEIBULL_SIGMA_NOT_POSITIVE),
      first(KES_P_WEIBULL_C, 0, true, KES_MSG_WEIBULL_C_NOT_POSITIVE),
      single(KES_PLOT_SLOT_WEIBULL_CINITIAL, 0, false, KES_MSG_CINITIAL_NEGATIVE, false),
      single(KES_PLOT_SLOT_WEIBULL_CDELTA, kTinyPositive, false, KES_MSG_CDELTA_NOT_POSITIVE, false)}},
    {KES_PLOT_FLAG_GAMMA,
     {first(KES_P_GAMMA_SIGMA, 0, false, KES_MSG_GAMMA_SIGMA_NOT_POSITIVE),
      first(KES_P_GAMMA_ALPHA, 0, true, KES_MSG_GAMMA_ALPHA_NOT_POSITIVE),
      single(KES_PLOT_SLOT_GAMMA_ALPHAINITIAL, 0, false, KES_MSG_ALPHAINITIAL_NEGATIVE, false),
      single(KES_PLOT_SLOT_GAMMA_ALPHADELTA, kTinyPositive, false, KES_MSG_ALPHADELTA_NOT_POSITIVE, false)}},
    {KES_PLOT_FLAG_BETA,
     {first(KES_P_BETA_SIGMA, 0, false, KES_MSG_BETA_SIGMA_NOT_POSITIVE),
      first(KES_P_BETA_ALPHA, 0, true, KES_MSG_BETA_ALPHA_TOO_SMALL, true),
      first(KES_P_BETA_BETA, 0, true, KES_MSG_BETA_BETA_TOO_SMALL, true), kBetaTol}},
    {KES_PLOT_FLAG_SB, {}},
    {KES_PLOT_FLAG_SU, {}},
};
static_assert(std::size(kCdfFamilies) == KES_DIST_SU + 1, "one entry per fitted family");

// Counts the distributions asked for; more than one is refused, at the first family
// option. -1 after the message.
template <int N>
int count_families(const kes_preq* request, const family_tests (&families)[N]) {
  const kes_stmt* s = request->stmt;
  int n = 0;
  for (const family_tests& f : families) n += kes_flag(s, f.flag);
  if (n > 1) {
    xspplace(s, KES_PLOT_SLOT_FAMILIES);
    xpmlog(KES_SET_PLOT, KES_MSG_ONLY_ONE_DISTRIBUTION, kes_plot_statement_name(request->type));
    return -1;
  }
  return n;
}

template <int N>
bool families_ok(const kes_stmt* s, const family_tests (&families)[N]) {
  for (const family_tests& f : families) {
    if (!kes_flag(s, f.flag)) continue;
    for (const kes_param_test& t : f.tests)
      if ((t.message != 0 || t.missing != 0) && !kes_param_ok(s, t)) return false;
  }
  return true;
}

// NADJ= and RANKADJ=: each at most 1 in absolute value, RANKADJ= below NADJ=.
bool positions_ok(kes_preq* request) {
  const kes_stmt* s = request->stmt;
  request->nadj = kes_pgiven(s, KES_PLOT_SLOT_NADJ) ? kes_pnumber(s, KES_PLOT_SLOT_NADJ) : kDefaultNadj;
  if (request->nadj > 1 || request->nadj < -1) {
    xspplace(s, KES_PLOT_SLOT_NADJ);
    xpmlog(KES_SET_PLOT, KES_MSG_NADJ_ABOVE_ONE, request->nadj);
    return false;
  }
  request->rankadj = kes_pgiven(s, KES_PLOT_SLOT_RANKADJ) ? kes_pnumber(s, KES_PLOT_SLOT_RANKADJ) : kDefaultRankadj;
  if (request->rankadj > 1 || request->rankadj < -1) {
    xspplace(s, KES_PLOT_SLOT_RANKADJ);
    xpmlog(KES_SET_PLOT, KES_MSG_RANKADJ_ABOVE_ONE, request->rankadj);
    return false;
  }
  if (request->rankadj >= request->nadj) {
    xspplace(s, kes_pgiven(s, KES_PLOT_SLOT_RANKADJ) ? KES_PLOT_SLOT_RANKADJ : KES_PLOT_SLOT_NADJ);
    xpmlog(KES_SET_PLOT, KES_MSG_RANKADJ_NOT_BELOW_NADJ, request->rankadj, request->nadj);
    return false;
  }
  return true;
}

bool slope_given(const kes_stmt* s) { return kes_pgiven(s, KES_PARAM_LOGNORMAL_SLOPE.values); }

}  // namespace

int kesqchk(kes_ctx*, kes_preq* request) {
  const kes_stmt* s = request->stmt;
  const int n = count_families(request, kQqFamilies);
  if (n < 0) return 1;
  request->pctlaxis = kes_flag(s, KES_PLOT_FLAG_PCTLAXIS);
  request->pctlscale = kes_flag(s, KES_PLOT_FLAG_PCTLSCALE);
  if (!families_ok(s, kQqFamilies)) return 1;
  if (kes_flag(s, KES_PLOT_FLAG_LOGNORMAL)) {
    if (slope_given(s) && request->pctlaxis) xpmlog(KES_SET_PLOT, KES_MSG_SLOPE_WITH_PERCENTILE_AXIS);
    if (slope_given(s) && kes_pgiven(s, KES_PARAM_ROWS[KES_P_LOGNORMAL_ZETA].values))
      xpmlog(KES_SET_PLOT, KES_MSG_ZETA_IGNORED_WITH_SLOPE);
  }
  if (!positions_ok(request)) return 1;
  if (kes_flag(s, KES_PLOT_FLAG_NOFRAME) && request->pctlaxis)
    xpmlog(KES_SET_PLOT, KES_MSG_NOFRAME_IGNORED_WITH_PCTLAXIS);
  return 0;
}

int keschk1(kes_ctx*, kes_preq* request) {
  const kes_stmt* s = request->stmt;
  const int n = count_families(request, kCdfFamilies);
  if (n < 0) return 1;
  if (request->type == KES_PLOT_CDF && n == 0 && kes_flag(s, KES_PLOT_FLAG_NOECDF)) {
    xspplace(s, KES_STMT_KEYWORD);
    xpmlog(KES_SET_PLOT, KES_MSG_NOECDF_NOTHING_TO_PLOT);
    return 1;
  }
  return families_ok(s, kCdfFamilies) ? 0 : 1;
}

int kescchk(kes_ctx*, kes_preq* request) {
  const kes_stmt* s = request->stmt;
  if (!kes_pgiven(s, KES_PLOT_SLOT_VSCALE)) return 0;
  const char* name = kes_pslot(s, KES_PLOT_SLOT_VSCALE)->v.name;
  if (std::memcmp(name, "PERCENT", 7) == 0 || std::memcmp(name, "PROP", 4) == 0) return 0;
  xspplace(s, KES_PLOT_SLOT_VSCALE);
  xpmlog(KES_SET_PLOT, KES_MSG_VSCALE_INVALID_CDFPLOT, wzstrip(name, 8), name);
  return 1;
}

int kespchk(kes_ctx*, kes_preq* request) {
  const kes_stmt* s = request->stmt;
  const int n = kes_pcount(s, KES_PLOT_SLOT_PCTLORDER);
  const double* v = kes_pnumbers(s, KES_PLOT_SLOT_PCTLORDER);
  for (int i = 0; i < n; ++i) {
    if (v[i] <= 0 || v[i] >= 100) {
      xspplace(s, KES_PLOT_SLOT_PCTLORDER);
      xpmlog(KES_SET_PLOT, KES_MSG_PCTLORDER_VALUE_NOT_VALID, v[i]);
      return 1;
    }
    if (i > 0 && v[i] <= v[i - 1]) {
      xspplace(s, KES_PLOT_SLOT_PCTLORDER);
      xpmlog(KES_SET_PLOT, KES_MSG_PCTLORDER_VALUES_MUST_INCREASE, v[i - 1], v[i]);
      return 1;
    }
  }
  if (kes_flag(s, KES_PLOT_FLAG_LOGNORMAL) && slope_given(s))
    xpmlog(KES_SET_PLOT, KES_MSG_SLOPE_WITH_PERCENTILE_AXIS);
  if (kes_flag(s, KES_PLOT_FLAG_WEIBULL2) &&
      (kes_pgiven2(s, KES_PLOT_SLOT_WEIBULL2_SLOPE) || kes_pgiven(s, KES_PLOT_SLOT_WEIBULL2_SLOPE_EST)))
    xpmlog(KES_SET_PLOT, KES_MSG_SLOPE_FOR_WEIBULL2);
  return 0;
}

int keszchk(kes_ctx*, kes_preq* request) { return positions_ok(request) ? 0 : 1; }
