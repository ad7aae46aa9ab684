// Runs the optimiser on problems given by lambdas: bounds mode with ConvCheck as the
// convergence test (as the fits use it), general mode with a Lagrange-multiplier test
// written here.
#pragma once
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "numeric/zmissing.h"
#include "numeric/znew.h"

using vec = std::vector<double>;
constexpr double BIG = ZDBL_BIG;

struct znew_problem {
  int n;
  std::function<double(const double*)> f;
  std::function<void(const double*, double*, double*)> d;  // gradient, packed Hessian
};

struct znew_setup {
  vec x0, lo{}, hi{};  // bounds mode when lo is given
  int maxiter = 50;
  vec a{}, b{};        // general mode: rows of n and right-hand sides, equalities first
  int neq = 0;
  double ridgemax = 1024;
};

struct znew_result {
  int status;
  vec x;
  double f;
  int nobj, nderiv, ntests;
  double ridge;
  std::vector<int> held;  // bounds mode: held parameters in order of entry
};

// Solves M y = r (k x k, column-major) with partial pivoting; empty when singular.
inline vec solve(vec m, vec r, int k) {
  for (int c = 0; c < k; ++c) {
    int p = c;
    for (int i = c + 1; i < k; ++i) p = std::fabs(m[c * k + i]) > std::fabs(m[c * k + p]) ? i : p;
    if (std::fabs(m[c * k + p]) < 1e-13) return {};
    for (int j = 0; j < k; ++j) std::swap(m[j * k + c], m[j * k + p]);
    std::swap(r[c], r[p]);
    for (int i = c + 1; i < k; ++i) {
      const double q = m[c * k + i] / m[c * k + c];
      for (int j = c; j < k; ++j) m[j * k + i] -= q * m[j * k + c];
      r[i] -= q * r[c];
    }
  }
  for (int i = k - 1; i >= 0; --i) {
    for (int j = i + 1; j < k; ++j) r[i] -= m[j * k + i] * r[j];
    r[i] /= m[i * k + i];
  }
  return r;
}

struct znew_harness {
  zfit_optrec o{};
  const znew_problem* p = nullptr;
  znew_work st{};
  znew_ctl ctl{};
  int nobj = 0, nderiv = 0, ntests = 0;

  static znew_harness* of(void* d) {
    return static_cast<znew_harness*>(static_cast<zfit_optrec*>(d)->fitwork);
  }
  static double obj(void* d) {
    ++of(d)->nobj;
    return of(d)->o.f = of(d)->p->f(of(d)->o.x);
  }
  static int deriv(void* d) {
    ++of(d)->nderiv;
    of(d)->p->d(of(d)->o.x, of(d)->o.grad, of(d)->o.hess);
    return 0;
  }
  // Converged when g = A'l over the active rows (least squares) and no inequality
  // multiplier is negative; else the most negative one is released.
  static int kkt(void* d) {
    znew_harness* h = of(d);
    ++h->ntests;
    const int n = h->ctl.n, t = h->ctl.nactive;
    const double *a = h->st.amat, *g = h->st.grad;
    vec m(t * t), r(t), res(g, g + n);
    for (int i = 0; i < t; ++i)
      for (int c = 0; c < n; ++c) {
        r[i] += a[i * n + c] * g[c];
        for (int j = 0; j < t; ++j) m[j * t + i] += a[i * n + c] * a[j * n + c];
      }
    const vec l = solve(m, r, t);
    double rr = 0.0;
    for (int c = 0; c < n; ++c) {
      for (int i = 0; i < t; ++i) res[c] -= l[i] * a[i * n + c];
      rr += res[c] * res[c];
    }
    if (rr > 1e-20) return 1;
    int worst = -1;
    for (int i = h->ctl.neq; i < t; ++i)
      if (l[i] < -1e-10 && (worst < 0 || l[i] < l[worst])) worst = i;
    return worst < 0 ? 0 : -(worst + 1);
  }
};

inline znew_result znew_run(const znew_problem& p, const znew_setup& s) {
  const int n = p.n, ncon = static_cast<int>(s.b.size());
  const bool bounds = !s.lo.empty();
  vec x = s.x0, lo = s.lo, hi = s.hi, a = s.a, b = s.b, g(n), hess(n * (n + 1) / 2), saved(n);
  vec test(2 * n + hess.size()), work(znewwsz(n, bounds, ncon));
  std::vector<int> active(bounds ? n : 0, 7);
  znew_harness h;
  h.p = &p;
  h.st = {work.data(), hess.data(), g.data(), saved.data(), x.data(), a.data(), b.data(),
          nullptr, nullptr, lo.data(), hi.data(), nullptr, nullptr, 0.0,
          bounds ? active.data() : nullptr};
  h.ctl = {n, 0, s.neq, ncon - s.neq, bounds, 0, s.maxiter, 0, 1, 1e-6, s.ridgemax, 0.3125, 4};
  h.o = {n, 0, 0, s.maxiter, nullptr, h.st.active, 1e-8, BIG, 0.0, x.data(), lo.data(),
         hi.data(), g.data(), hess.data(), test.data(), &h};
  double ridge = 0.0;
  const int status = znewrap(&h.o, &h.st, &h.ctl, &ridge, znew_harness::obj,
                             znew_harness::deriv, bounds ? ConvCheck : znew_harness::kkt);
  active.resize(bounds ? h.ctl.nactive : 0);
  return {status, x, h.st.f, h.nobj, h.nderiv, bounds ? h.o.ntests : h.ntests, ridge, active};
}

// 0.5 x'Hx + c'x, H full n x n.
inline znew_problem quadratic(int n, const vec& h, const vec& c) {
  auto grad = [=](const double* x, int i) {
    double gi = c[i];
    for (int j = 0; j < n; ++j) gi += h[j * n + i] * x[j];
    return gi;
  };
  return {n,
          [=](const double* x) {
            double f = 0.0;
            for (int i = 0; i < n; ++i) f += x[i] * (grad(x, i) + c[i]) / 2;
            return f;
          },
          [=](const double* x, double* g, double* hp) {
            for (int j = 0, k = 0; j < n; ++j) {
              g[j] = grad(x, j);
              for (int i = 0; i <= j; ++i) hp[k++] = h[j * n + i];
            }
          }};
}

// Parameter j held the way the fits hold a given one: zero gradient entry, unit
// Hessian diagonal, zero cross entries.
inline znew_problem hold(znew_problem p, int j) {
  auto d = p.d;
  p.d = [d, j, n = p.n](const double* x, double* g, double* h) {
    d(x, g, h);
    g[j] = 0.0;
    for (int k = 0; k < n; ++k) h[k <= j ? j * (j + 1) / 2 + k : k * (k + 1) / 2 + j] = k == j;
  };
  return p;
}
