// zfit_threshold_ml: the maximum-likelihood fits of a shape and a threshold (Weibull,
// gamma). The likelihood of such a law has an interior local maximum for some samples
// only: it grows without bound as the threshold nears the smallest value when the
// shape allows it, and it can fall away from a start on a ridge. So the optimiser runs
// on parameters scaled by their curvature, from starts whose offsets below the data are
// in units of the data's range, and a run counts as a fit only where it ends at a point
// with the threshold strictly below its bound, the shape strictly inside its bounds
// and a positive definite Hessian of the negative log-likelihood: an interior local
// maximum. A run that ends elsewhere is tried again from the next start.
#include "fit/zfit_thresh.h"

#include <cmath>

#include "fit/zfit_fams.h"
#include "host/step_codes.h"
#include "numeric/zmissing.h"
#include "numeric/znew.h"

namespace {
// The threshold's bound below the smallest value, and the offsets of the later starts,
// in units of the data's range.
constexpr double kEdge = 1e-6;
constexpr double kStarts[3] = {0.1, 1.0, 0.01};

// Whether the fit's parameters x are an interior local maximum: within their bounds
// where free, and the negative log-likelihood's Hessian there positive definite over
// the free parameters.
bool interior_maximum(zfit_work* w, const zfit_thresh_spec& s, const double* lo, const double* hi, const double* x,
                      int* flags) {
  for (int i = 0; i < 2; ++i)
    if (lo[i] != hi[i] && !(x[i] > lo[i] && x[i] < hi[i])) return false;
  double p[2] = {x[0], x[1]}, l[2] = {lo[0], lo[1]}, u[2] = {hi[0], hi[1]}, g[2], h[3];
  zfit_optrec o{2, 0, 0, 0, flags, nullptr, 0.0, ZDBL_BIG, 0.0, p, l, u, g, h, nullptr, w};
  if (!std::isfinite(s.obj(&o))) return false;
  s.deriv(&o);
  const bool free0 = lo[0] != hi[0], free1 = lo[1] != hi[1];
  if (free0 && !(h[0] > 0.0)) return false;
  if (free1 && !(h[2] > 0.0)) return false;
  return !(free0 && free1) || h[0] * h[2] - h[1] * h[1] > 0.0;
}
}  // namespace

int zfit_threshold_ml(zfit_work* w, const zfit_thresh_spec& s, double* x) {
  const zfit_req* r = w->req;
  const double range = w->data_range;
  if (!(range > 0.0)) return 1;
  double lo[2] = {s.shape_lo, -ZDBL_BIG}, hi[2] = {s.shape_hi, r->min - kEdge * range};
  // A threshold so close to the data that it rounds to the smallest value has no room.
  if (!(hi[1] < r->min)) return 1;
  int flags[3] = {w->estimate[2], w->estimate[1], w->estimate[0]};
  double starts[4] = {s.theta0, 0, 0, 0};
  int nstarts = 0;
  if (std::isfinite(s.theta0) && s.theta0 <= hi[1]) ++nstarts;
  for (double d : kStarts) starts[nstarts++] = r->min - d * range;
  for (int k = 0; k < nstarts; ++k) {
    const double x0[2] = {s.shape0, starts[k]};
    const int rc = zfit_optimise_scaled(w, 2, flags, zfit_tol(r, 1e-12), zfit_maxiter(r, 50), x0, lo, hi, s.obj,
                                        s.deriv, x);
    if (rc == KES_RC_OUT_OF_MEMORY) return rc;
    if (rc == 0 && interior_maximum(w, s, lo, hi, x, flags)) return 0;
  }
  return 1;
}
