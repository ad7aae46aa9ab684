// The table of laws and the members derived from them (kes_law.h).
#include <cmath>
#include <iterator>

#include "fit/family/kes_law.h"
#include "fit/kes_estframe.h"
#include "records/kes_curve.h"

// ORDER: kes_distcode 0 to 8; kes_law_of and the test of the table check each law's code.
const kes_law* const kes_laws[] = {
    &kes_law_normal,       // 0
    &kes_law_lognormal,    // 1
    &kes_law_exponential,  // 2
    &kes_law_weibull,      // 3
    &kes_law_gamma,        // 4
    &kes_law_beta,         // 5
    &kes_law_sb,           // 6 Johnson SB
    &kes_law_su,           // 7 Johnson SU
    &kes_law_weibull2,     // 8 two-parameter Weibull, on the log scale
};
static_assert(std::size(kes_laws) == KES_DIST_KERNEL, "one law per distribution code below the kernel");

const kes_law* kes_law_of(int code) { return code >= 0 && code < KES_DIST_KERNEL ? kes_laws[code] : nullptr; }

void kes_law_standard(const kes_law& law, const double* params, double std[4]) {
  std[0] = 0.0;
  std[1] = law.log_scale ? 0.0 : 1.0;
  std[2] = law.nparams > 2 ? params[2] : kes_fit_missing();
  std[3] = law.nparams > 3 ? params[3] : kes_fit_missing();
}

double kes_law_p(const kes_law& law, const double* params, double z) {
  if (law.from_zero && !(z > 1e-7)) return 0.0;
  if (law.to_one && !(z < 1.0 - 1e-7)) return 100.0;
  double std[4];
  kes_law_standard(law, params, std);
  const double v = law.cdf(std, z);
  return std::isnan(v) ? 0.0 : 100.0 * v;
}

int kes_law_x(const kes_law& law, const double* params, double p, double* out) {
  double std[4];
  kes_law_standard(law, params, std);
  const double v = kes_law_quantile(law, std, p);
  if (std::isnan(v)) return 1;
  *out = v;
  return 0;
}

double kes_law_q(const kes_law& law, kes_plotslot* slot, double p) {
  // A law without shapes needs no curve.
  const kes_curve* c = law.nparams > 2 ? kes_fit_curve(slot) : nullptr;
  if (law.nparams > 2 && c == nullptr) return kes_fit_missing();
  const double none[4] = {0.0, 1.0, 0.0, 0.0};
  double v = kes_fit_missing();
  kes_law_x(law, c != nullptr ? c->params : none, p, &v);
  return v;
}

double kes_law_scale(const kes_law& law, const double* params) {
  return law.log_scale ? std::exp(params[1]) : params[1];
}

double kes_law_quantile(const kes_law& law, const double* params, double p) {
  double v = 0.0;
  return law.quantile(params, p, &v) == 0 && std::isfinite(v) ? v : kes_fit_missing();
}
