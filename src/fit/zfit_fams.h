// The fit routines of the lognormal, Weibull and gamma laws that the engine runs,
// with their curve functions and the pieces their tests reach.
#pragma once
#include "fit/zfit.h"
#include "records/kes_values.h"
#include "util/kes_ordered_map.h"

// The sample p-quantile of the values by the request's percentile definition.
double zfit_quantile(const zfit_work* w, double p);
// The quantities of the percentile fits: z and the ratio tolerance (the request's,
// or 0.524 and 0.01), the sample quantiles at the probabilities of -3z, -z, z, 3z,
// the spreads m = q4 - q3, n = q2 - q1, p = q3 - q2 and the ratio m n / p^2. With
// notes, the notes on the percents, quantiles and spreads, and on where the ratio
// lies. ok is false (after note 1333 with notes) when p is too small; the ratio is
// then 0.
struct zfit_spreads {
  double z, tol, q[4], m, n, p, ratio;
  bool ok;
};
zfit_spreads zfit_pctl_spreads(const zfit_work* w, bool notes);

// Like kes_each_value over the request's values, with the costly part of each value's terms, term(x) -> T, computed
// on the request's threads; use(x, f, term) runs in ascending order on the caller's
// thread, so sums come out as in a serial loop.
template <class T, class Term, class Use>
inline void zfit_each_mapped(const zfit_work* w, Term&& term, Use&& use) {
  const kes_valview* a = w->values;
  if (a == nullptr) return;
  kes::ordered_map<T>(
      w->req->threads, a->m, [&](long i) { return term(a->x[i]); },
      [&](long i, const T& t) {
        use(a->x[i], static_cast<double>(a->f[i]), t);
        return true;
      });
}

int fitlognormal(zfit_work* w);
double lognormplot(double x, const zfit_work* w);
void ZetaEst(zfit_work* w);
void SigmaEst(zfit_work* w);

int fitweibull(zfit_work* w);
double weibullplot(double x, const zfit_work* w);
// Newton iteration for the shape with the threshold given: 0, or 1 after its notes.
int NRweibull(zfit_work* w, int maxiter, double tol);
// Skewness of the Weibull law of shape c.
double sqrtbeta1(double c);

int fitgamma(zfit_work* w);
double gammaplot(double x, const zfit_work* w);
int NRgamma(zfit_work* w, int maxiter, double tol, double a, double gm);

int fitbeta(zfit_work* w);
double betaplot(double x, const zfit_work* w);
// The shapes a (first) and b (second) from g1 = psi(a + b) - psi(a) and
// g2 = psi(a + b) - psi(b); a given first shape (not missing) is kept. 0 solved, 1 not;
// *resid gets the final residual.
int zbtamle(double g1, double g2, double* a, double* b, double tol, double* resid);
// The digamma function (-1000 below 0.001, where the shapes stop) and the trigamma
// function, as the beta fit uses them.
double zbeta_psi(double v);
double zbeta_psi1(double v);

// The iteration limit and tolerance of a request: its own when given, else the
// defaults.
int zfit_maxiter(const zfit_req* r, int dflt);
double zfit_tol(const zfit_req* r, double dflt);

// The notes of a shape iteration that stops without converging (KES_SET_PLOT): the
// warning with the iteration count, then that the shape is not converged.
struct zfit_shape_notes {
  int stopped, not_converged;
};
// One Newton step of a shape iteration: shape -= f / fp (a negative result becomes
// 0.05). 0 converged (|step| <= tol), or stopped at the iteration limit with the
// shape reached (after both notes); -1 go on.
int zfit_shape_step(double* shape, double f, double fp, double tol, int it, int maxiter, const zfit_shape_notes& notes);
// A shape iteration that is not run (limit 0 or less, or no positive tolerance): with
// a limit of exactly 0 both notes. Whether it is not run.
bool zfit_shape_idle(int maxiter, double tol, const zfit_shape_notes& notes);
struct zfit_optrec;
// Holds the given (equal-bounded) parameters of an optimiser record: no gradient,
// unit diagonal, no coupling.
void zfit_hold_given(zfit_optrec* o);
