#include "znew_harness.h"

#include <cmath>

#include "fit/znew.h"
#include "numeric/zmissing.h"

namespace {
struct harness {
  zfit_optrec o{};
  const znew_problem* p;
  znew_work* st;
  znew_ctl* ctl;
  int nobj = 0, nderiv = 0, ntests = 0;
};

harness* of(void* data) { return static_cast<harness*>(static_cast<zfit_optrec*>(data)->fitwork); }

double objective(void* data) {
  harness* h = of(data);
  ++h->nobj;
  ++h->o.nevals;
  return h->o.f = h->p->f(h->o.x);
}

int derivatives(void* data) {
  harness* h = of(data);
  ++h->nderiv;
  h->p->d(h->o.x, h->o.grad, h->o.hess);
  return 0;
}

// Solves the k x k system M y = r (column-major) by elimination with partial
// pivoting; empty when singular.
vec solve(vec m, vec r, int k) {
  for (int c = 0; c < k; ++c) {
    int piv = c;
    for (int i = c + 1; i < k; ++i)
      if (std::fabs(m[c * k + i]) > std::fabs(m[c * k + piv])) piv = i;
    if (std::fabs(m[c * k + piv]) < 1e-13) return {};
    for (int j = 0; j < k; ++j) std::swap(m[j * k + c], m[j * k + piv]);
    std::swap(r[c], r[piv]);
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

// Multipliers of the active rows by least squares: (A A') l = A g.
vec multipliers(const double* a, int n, int t, const double* g) {
  vec m(t * t), r(t);
  for (int i = 0; i < t; ++i) {
    for (int j = 0; j < t; ++j)
      for (int c = 0; c < n; ++c) m[j * t + i] += a[i * n + c] * a[j * n + c];
    for (int c = 0; c < n; ++c) r[i] += a[i * n + c] * g[c];
  }
  return solve(m, r, t);
}

// General mode: converged when the gradient lies in the span of the active rows and
// no inequality multiplier is negative; else release the most negative one.
int kkt_test(void* data) {
  harness* h = of(data);
  ++h->ntests;
  const int n = h->ctl->n, t = h->ctl->nactive;
  const double* g = h->st->grad;
  vec l = multipliers(h->st->amat, n, t, g);
  double res = 0.0;
  for (int c = 0; c < n; ++c) {
    double r = g[c];
    for (int i = 0; i < t; ++i) r -= l[i] * h->st->amat[i * n + c];
    res += r * r;
  }
  if (res > 1e-20) return 1;
  int worst = -1;
  for (int i = h->ctl->neq; i < t; ++i)
    if (l[i] < -1e-10 && (worst < 0 || l[i] < l[worst])) worst = i;
  return worst < 0 ? 0 : -(worst + 1);
}
}  // namespace

znew_result znew_run(const znew_problem& p, const znew_setup& s) {
  const int n = p.n;
  const bool bounds = !s.lo.empty();
  const int ncon = static_cast<int>(s.b.size());
  vec x = s.x0, lo = s.lo, hi = s.hi, a = s.a, b = s.b;
  vec grad(n), hess(n * (n + 1) / 2), saved(n), test(2 * n + hess.size());
  vec work(znewwsz(n, bounds, ncon));
  std::vector<int> active(bounds ? n : 0, 7);
  znew_work st{};
  st.work = work.data();
  st.hess = hess.data();
  st.grad = grad.data();
  st.saved = saved.data();
  st.x = x.data();
  st.amat = a.data();
  st.rhs = b.data();
  st.lower = lo.data();
  st.upper = hi.data();
  st.active = bounds ? active.data() : nullptr;
  znew_ctl ctl{n, 0, s.neq, ncon - s.neq, bounds, 0, s.maxiter, 0, 1, 1e-6, s.ridgemax, 0.3125, 4.0};
  harness h;
  h.p = &p;
  h.st = &st;
  h.ctl = &ctl;
  h.o = {n, 0, 0, s.maxiter, nullptr, st.active, s.tol, ZDBL_BIG, 0.0, st.x, st.lower,
         st.upper, st.grad, st.hess, test.data(), &h};
  double ridge = 0.0;
  const int status = znewrap(&h.o, &st, &ctl, &ridge, objective, derivatives,
                             bounds ? ConvCheck : kkt_test);
  std::vector<int> held(active.begin(), active.begin() + (bounds ? ctl.nactive : 0));
  return {status, x, st.f, h.nobj, h.nderiv, bounds ? h.o.ntests : h.ntests, ridge, h.o.crit, held};
}

znew_problem quadratic(int n, const vec& h, const vec& c) {
  return {n,
          [=](const double* x) {
            double f = 0.0;
            for (int i = 0; i < n; ++i) {
              f += c[i] * x[i];
              for (int j = 0; j < n; ++j) f += 0.5 * x[i] * h[j * n + i] * x[j];
            }
            return f;
          },
          [=](const double* x, double* g, double* hp) {
            for (int i = 0; i < n; ++i) {
              g[i] = c[i];
              for (int j = 0; j < n; ++j) g[i] += h[j * n + i] * x[j];
            }
            for (int j = 0, k = 0; j < n; ++j)
              for (int i = 0; i <= j; ++i) hp[k++] = h[j * n + i];
          }};
}

znew_problem hold(znew_problem p, int j) {
  auto d = p.d;
  p.d = [d, j, n = p.n](const double* x, double* g, double* h) {
    d(x, g, h);
    g[j] = 0.0;
    for (int k = 0; k < n; ++k) h[k <= j ? j * (j + 1) / 2 + k : k * (k + 1) / 2 + j] = k == j;
  };
  return p;
}

vec qp_reference(int n, const vec& h, const vec& c, const vec& a, const vec& b, int neq) {
  const int nin = static_cast<int>(b.size()) - neq;
  for (unsigned mask = 0; mask < (1u << nin); ++mask) {
    std::vector<int> rows;
    for (int k = 0; k < neq; ++k) rows.push_back(k);
    for (int k = 0; k < nin; ++k)
      if (mask >> k & 1) rows.push_back(neq + k);
    const int t = static_cast<int>(rows.size()), m = n + t;
    if (t > n) continue;
    // [H -A'; A 0] [x; l] = [-c; b]
    vec k(m * m), r(m);
    for (int i = 0; i < n; ++i) {
      r[i] = -c[i];
      for (int j = 0; j < n; ++j) k[j * m + i] = h[j * n + i];
    }
    for (int q = 0; q < t; ++q) {
      r[n + q] = b[rows[q]];
      for (int i = 0; i < n; ++i) {
        k[(n + q) * m + i] = -a[rows[q] * n + i];
        k[i * m + n + q] = a[rows[q] * n + i];
      }
    }
    vec y = solve(k, r, m);
    if (y.empty()) continue;
    bool ok = true;
    for (int q = 0; q < t; ++q) ok = ok && (rows[q] < neq || y[n + q] >= -1e-9);
    for (int kk = neq; kk < neq + nin; ++kk) {
      double v = 0.0;
      for (int i = 0; i < n; ++i) v += a[kk * n + i] * y[i];
      ok = ok && v >= b[kk] - 1e-9;
    }
    if (ok) return vec(y.begin(), y.begin() + n);
  }
  return {};
}
