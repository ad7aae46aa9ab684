// znewrap: the optimiser's iteration (see znew.h).
#include "numeric/zchol.h"
#include "numeric/znew_ops.h"

namespace {
void set_defaults(znew_ctl* ctl) {
  ctl->maxiter = 50;
  ctl->lsmode = 1;
  ctl->reltol = 1e-6;
  ctl->ridgemax = 1024.0;
  ctl->ridge0 = 0.3125;
  ctl->ridgegrow = 4.0;
}

bool valid(const znew_ctl* ctl) {
  if (ctl->n < 1) return false;
  if (ctl->bounds) return true;
  return ctl->neq >= 0 && ctl->nineq >= 0 && ctl->neq <= ctl->n;
}

void copy(double* to, const double* from, long n) {
  for (long i = 0; i < n; ++i) to[i] = from[i];
}

// Converged: a ridge in the last iteration means the point may be a saddle, so the
// whole unridged Hessian must factor with the last pivot tolerance.
int final_test(void* data, znew_work* st, const znew_ctl* ctl, double ridge, double tol,
               znew_derivfn deriv) {
  if (!(ridge > 0.0)) return ZNEW_CONVERGED;
  if (ctl->reeval) deriv(data);
  const int n = ctl->n;
  copy(st->factor, st->hess, znew_col(n));
  for (int k = 0; k < n; ++k) {
    zchol(k, st->factor, tol);
    const double dk = st->factor[znew_col(k) + k];
    if (!(dk > 0.0) || dk < tol) return ZNEW_RIDGEDSOL;
  }
  return ZNEW_CONVERGED;
}
}  // namespace

int znewrap(void* data, znew_work* st, znew_ctl* ctl, double* ridge, znew_objfn obj,
            znew_derivfn deriv, znew_testfn test) {
  if (ctl->defaults) set_defaults(ctl);
  if (!valid(ctl)) return ZNEW_INFEASIBLE;
  const int n = ctl->n;
  st->f = obj(data);
  deriv(data);
  znewlay(st, ctl);
  const int rc = ctl->bounds ? zbinit(st, ctl) : zcinit(st, ctl, ridge);
  if (rc != 0) return rc;
  if (ctl->maxiter <= 0) return ZNEW_NOTCONVERGED;

  int zeros = 0;  // zero steps in a row
  double tol = 0.0;
  for (int iter = 0; iter < ctl->maxiter; ++iter) {
    *ridge = 0.0;
    copy(st->saved, st->x, n);
    if (znewfct(st, ctl, ridge, &tol) != 0) {
      copy(st->x, st->saved, n);
      return ZNEW_RIDGEFAIL;
    }
    zgproj(st, ctl);
    const int held = ctl->nactive;
    if (znewstp(data, st, ctl, ridge, obj) == 0.0) {
      if (zeros >= n + 1) return ZNEW_NOTCONVERGED;
      ++zeros;
      // A constraint taken with a zero step: the point barely moved, so go straight
      // on with the smaller free space.
      if (ctl->nactive > held) continue;
    } else {
      zeros = 0;
    }
    deriv(data);
    const int conv = test(data);
    if (conv == 0) return final_test(data, st, ctl, *ridge, tol, deriv);
    if (conv < 0) zcondrp(st, ctl, ridge, -(conv + 1));
  }
  return ZNEW_NOTCONVERGED;
}
