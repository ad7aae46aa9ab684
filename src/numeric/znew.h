// The constrained Newton-Raphson optimiser: records shared by the optimiser, the
// maximum-likelihood fits that call it and their callbacks.
//
// znewrap minimises a smooth function of a few parameters by Newton steps on a ridged
// Cholesky factor of the Hessian, a step-length search and an active set of
// constraints: in bounds mode each parameter has a lower and an upper bound, in
// general mode the constraints are linear (a_k . x = b_k first, then a_k . x >= b_k).
// Everything it learns about the function comes through three callbacks; it reads
// and writes the parameters, gradient, Hessian, bounds and active list through the
// caller's arrays, allocates nothing and writes no messages.
//
// Symmetric matrices (the Hessian and every factor) are packed: the upper triangle
// column by column, element (i, j), i <= j, at j(j+1)/2 + i.
#pragma once

// Control record. Every field is the caller's; znewrap changes only the active count
// (and, with the defaults flag, the six tuning fields).
struct znew_ctl {
  int n;               // parameter count
  int nactive;         // active constraints (bounds mode: parameters held at a bound)
  int neq;             // general mode: equality constraints (they come first)
  int nineq;           // general mode: inequality constraints
  int bounds;          // nonzero: simple bounds; zero: general linear constraints
  int defaults;        // nonzero: znewrap first writes the defaults below
  int maxiter;         // largest number of iterations (50)
  int reeval;          // nonzero: refresh the derivatives before the final Hessian test (0)
  int lsmode;          // 1: the first step length passing the decrease test (1);
                       // no other search is offered, every value searches so
  double reltol;       // pivot tolerance factor and relative-ridge threshold (1e-6)
  double ridgemax;     // largest ridge factor (1024)
  double ridge0;       // ridge factor used when the ridge is raised from zero (0.3125)
  double ridgegrow;    // factor by which a nonzero ridge is raised (4)
};

// State record. The arrays are the caller's; those marked "placed" are set by
// znewrap inside the work area (znewwsz gives its size).
struct znew_work {
  double* work;        // the optimiser's work area
  double* hess;        // packed Hessian, written by the derivative callback
  double* grad;        // gradient, written by the derivative callback
  double* saved;       // parameters at the start of the current iteration
  double* x;           // in: a feasible start; out: the last accepted point
  double* amat;        // general mode: one row of n per constraint, swapped in place
  double* rhs;         // general mode: right-hand sides, swapped with the rows
  double* factor;      // placed: projected Hessian and its Cholesky factor
  double* aux;         // placed: bounds mode the free flags (1 free, 0 held),
                       // general mode a work row of n
  double* lower;       // bounds mode: -ZDBL_BIG where there is no lower bound
  double* upper;       // bounds mode: ZDBL_BIG where there is no upper bound
  double* hhv;         // placed, general mode: reflection vectors of the active rows
  double* hhbeta;      // placed, general mode: their coefficients
  double f;            // objective at the parameters
  int* active;         // bounds mode: held parameters in order of entry, then -1
                       // (placed when null); general mode: the constraint that now
                       // stands at each row position (placed when null)
};

// Callback record of the maximum-likelihood fits, read by their callbacks and by
// ConvCheck. The arrays are the ones of the state record.
struct zfit_optrec {
  int n;               // parameter count
  int nevals;          // raised by the objective callback, reset by ConvCheck
  int ntests;          // raised by each ConvCheck call
  int maxiter;         // copied into the control record
  int* estflags;       // which distribution parameters are estimated (family's own)
  int* active;         // the state record's active list
  double tol;          // ConvCheck tolerance (1e-8 by default)
  double crit;         // last convergence criterion; preset to the largest double
  double f;            // written by the objective callback
  double* x;
  double* lower;
  double* upper;
  double* grad;
  double* hess;
  double* testwork;    // 2n + n(n+1)/2 doubles for ConvCheck
  void* fitwork;       // the fitting engine's work record of the fit
};

using znew_objfn = double (*)(void* data);
using znew_derivfn = int (*)(void* data);
using znew_testfn = int (*)(void* data);

// Status of znewrap.
enum : int {
  ZNEW_CONVERGED = 0,
  ZNEW_NOTCONVERGED = 1,   // iteration limit, or n + 2 zero steps in a row
  ZNEW_RIDGEFAIL = 3,      // the ridge passed its limit
  ZNEW_RIDGEDSOL = 4,      // converged on a ridged Hessian that is not positive definite
  ZNEW_INFEASIBLE = 5,     // the start violates a bound or a constraint
};

// Minimises: the objective returns f at the state's parameters, the derivative
// callback writes the gradient and packed Hessian there, the test returns 0
// (converged), 1 (not yet), or -(k+1) to release constraint k (bounds mode:
// parameter k; general mode: the active row at position k). `data` goes to every
// callback unchanged. *ridge is the caller's ridge factor (0 = none). Callers take
// 0 and 4 as success. A control record with n < 1, negative constraint counts or
// more equalities than parameters is refused with status 5.
int znewrap(void* data, znew_work* st, znew_ctl* ctl, double* ridge, znew_objfn obj,
            znew_derivfn deriv, znew_testfn test);

// Doubles the work area needs: bounds mode (ncon ignored) or general mode with ncon
// constraints in all. A caller-given active list has n entries in bounds mode and
// one per constraint in general mode.
long znewwsz(int n, int bounds, int ncon);

// The convergence test of the bounds-mode fits, on a zfit_optrec: releases a held
// parameter whose gradient points into the feasible side, else compares
// g' H^-1 g / |f| over the free parameters with the tolerance.
int ConvCheck(void* data);
