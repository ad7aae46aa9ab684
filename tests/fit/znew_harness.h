// Runs the optimiser on a problem given by lambdas, in bounds mode (with ConvCheck
// as the convergence test, as the fits use it) or in general mode (with a
// Lagrange-multiplier test written here), and solves small convex quadratic programs
// by brute force over active sets as an independent reference.
#pragma once
#include <functional>
#include <vector>

using vec = std::vector<double>;

struct znew_problem {
  int n;
  std::function<double(const double* x)> f;
  std::function<void(const double* x, double* g, double* h)> d;  // h packed
};

struct znew_setup {
  vec x0;
  vec lo{}, hi{};    // bounds mode when given
  int maxiter = 50;
  vec a{}, b{};      // general mode: constraint rows (n each) and right-hand sides
  int neq = 0;
  double ridgemax = 1024.0;
  double tol = 1e-8;
};

struct znew_result {
  int status;
  vec x;
  double f;          // the state's objective
  int nobj, nderiv, ntests;
  double ridge, crit;
  std::vector<int> active;  // bounds mode: held parameters in order of entry
};

znew_result znew_run(const znew_problem& p, const znew_setup& s);

// The quadratic 0.5 x'Hx + c'x (H full, n x n).
znew_problem quadratic(int n, const vec& h, const vec& c);

// The problem with parameter j held the way the fits hold a given parameter: zero
// gradient entry, unit Hessian diagonal, zero cross entries.
znew_problem hold(znew_problem p, int j);

// Minimiser of a strictly convex quadratic under a_k . x = b_k (k < neq) and
// a_k . x >= b_k: the active set whose KKT point is feasible with nonnegative
// multipliers. Empty when none is found.
vec qp_reference(int n, const vec& h, const vec& c, const vec& a, const vec& b, int neq);
