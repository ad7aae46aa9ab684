// The critical-value look-ups shared by the EDF tests of the families whose p-values
// come from tables (kes_edftab.h).
#include "fitreport/kes_edftab.h"

#include <cmath>

#include "fit/kes_estframe.h"
#include "host/host_services.h"
#include "kes_msg_names.h"
#include "records/kes_curve.h"

namespace {
constexpr double kFixedLevels[8] = {.25, .15, .10, .05, .025, .01, .005, .001};
constexpr double kFixedD[8] = {1.019, 1.138, 1.224, 1.358, 1.48, 1.628, 1.731, 1.95};
constexpr double kFixedW[8] = {0.209, 0.284, 0.347, 0.461, 0.581, 0.743, 0.869, 1.167};
constexpr double kFixedA[8] = {1.248, 1.61, 1.933, 2.492, 3.07, 3.88, 4.5, 6.0};
constexpr double kCoefLevels[11] = {.5, .25, .2, .15, .1, .05, .025, .01, .005, .0025, .001};

// Linear interpolation in p between the critical values that bracket s; crit[from]
// is the first value interpolation starts at.
kes_edfp between(double s, const double* crit, const double* lev, int count) {
  int k = 1;
  while (k < count - 1 && !(s <= crit[k])) ++k;
  return {lev[k - 1] + (s - crit[k - 1]) * (lev[k] - lev[k - 1]) / (crit[k] - crit[k - 1]), ' '};
}

}  // namespace

kes_edfp kes_edf_table(double s, const double* crit, const double* lev, int m) {
  if (std::isnan(s)) return {kes_fit_missing(), ' '};
  if (s < crit[0]) return {lev[0], '>'};
  if (s > crit[m - 1]) return {lev[m - 1], '<'};
  return between(s, crit, lev, m);
}

namespace {
kes_edfp fixed(double s, const double* crit) { return kes_edf_table(s, crit, kFixedLevels, 8); }
}  // namespace

kes_edfp kes_edf_fixed_d(double dmod) { return fixed(dmod, kFixedD); }
kes_edfp kes_edf_fixed_w(double wmod) { return fixed(wmod, kFixedW); }
kes_edfp kes_edf_fixed_a(double asq) { return fixed(asq, kFixedA); }

void kes_edf_asq_wsq(double n, double a, double w, bool amark, double* asq, double* wsq) {
  *asq = kes_fit_missing();
  if (amark) xpmlog(KES_SET_LABEL, KES_MSG_ANDERSON_DARLING_VALUE_AT_THRESHOLD);
  else *asq = -a / n - n;
  *wsq = w + 1.0 / (12.0 * n);
}

void kes_edf_case0(double n, double d, double wsq, double asq, kes_edfp* pd, kes_edfp* pw, kes_edfp* pa) {
  const double rn = std::sqrt(n);
  *pd = kes_edf_fixed_d(d * (rn + 0.12 + 0.11 / rn));
  *pw = kes_edf_fixed_w((wsq - 0.4 / n + 0.6 / (n * n)) * (1.0 + 1.0 / n));
  if (std::isnan(asq)) return;
  if (n >= 5) *pa = kes_edf_fixed_a(asq);
  else xpmlog(KES_SET_LABEL, KES_MSG_ANDERSON_DARLING_TOO_FEW);
}

kes_edfp kes_edf_coef(const kes_edfcoef& t, double n, double s) {
  if (std::isnan(s)) return {kes_fit_missing(), ' '};
  double crit[11];
  for (int j = 0; j < 11; ++j) {
    double e = 0.0;
    for (int r = 0; r < t.nrows; ++r) e += t.rows[r][j] * std::pow(n, t.pow[r]);
    crit[j] = std::exp(e);
  }
  return kes_edf_crit11(crit, s);
}

kes_edfp kes_edf_crit11(const double* crit, double s) {
  if (std::isnan(s)) return {kes_fit_missing(), ' '};
  if (s < crit[0]) return {0.5, '>'};
  if (s < crit[1]) return {0.25, '>'};
  if (s > crit[10]) return {0.001, '<'};
  // From the .25 point on: the first bracket is [crit[1], crit[2]].
  kes_edfp r = between(s, crit + 1, kCoefLevels + 1, 10);
  return r;
}

void kes_edf_store(kes_edfres* r, double d, kes_edfp pd, double wsq, kes_edfp pw, double asq, kes_edfp pa) {
  const double miss = kes_fit_missing();
  r->p_d_missing = std::isnan(pd.p) ? 1 : 0;
  r->d = std::isnan(pd.p) ? miss : d;
  r->asq = std::isnan(pa.p) ? miss : asq;
  r->wsq = std::isnan(pw.p) ? miss : wsq;
  r->p_d = pd.p;
  r->p_wsq = pw.p;
  r->p_asq = pa.p;
  r->rel_d = std::isnan(pd.p) ? ' ' : pd.rel;
  r->rel_wsq = std::isnan(pw.p) ? ' ' : pw.rel;
  r->rel_asq = std::isnan(pa.p) ? ' ' : pa.rel;
  r->tested = std::isnan(pd.p) && std::isnan(pw.p) && std::isnan(pa.p) ? 0 : 1;
  r->shape_out = 0;
  r->cause_noted = 0;
}
