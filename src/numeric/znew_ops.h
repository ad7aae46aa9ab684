// The optimiser's inner operations, shared by its files (see znew.h for the records).
#pragma once
#include "numeric/znew.h"

// Column offset of a packed triangle.
inline long znew_col(int j) { return static_cast<long>(j) * (j + 1) / 2; }

// Search direction and reduced vector in the work area (placed by znewlay).
double* znew_dir(const znew_work* st, const znew_ctl* ctl);
double* znew_red(const znew_work* st, const znew_ctl* ctl);

// Places the factor, the free flags or work row, the reflections and (when the
// caller gave none) the active list in the work area.
void znewlay(znew_work* st, const znew_ctl* ctl);

// Start of bounds and general mode: 0, or 5 for an infeasible start.
int zbinit(znew_work* st, znew_ctl* ctl);
int zcinit(znew_work* st, znew_ctl* ctl, double* ridge);

// Projected Hessian of the free directions, packed into the factor area.
void zhproj(const znew_work* st, const znew_ctl* ctl);
// Adds the ridge shift to the m x m packed matrix and returns the pivot tolerance.
double zridgit(double* f, int m, double ridge, double reltol);
// Raises the ridge: 0 to the first ridge, else by the growth factor.
void bigger(double* ridge, const znew_ctl* ctl);
// Projects, ridges and factors until every pivot passes: 0, or 3 when the ridge
// passes its limit. *tol receives the last pivot tolerance.
int znewfct(znew_work* st, const znew_ctl* ctl, double* ridge, double* tol);
// Newton direction d = -Z (Z'HZ + shift I)^-1 Z'g from the factor.
void zgproj(const znew_work* st, const znew_ctl* ctl);

// Largest feasible step along the direction and the step-length search: the step
// length taken (0 for none; the search may add the blocking constraint).
double znewstp(void* data, znew_work* st, znew_ctl* ctl, double* ridge, znew_objfn obj);
double getalf(void* data, znew_work* st, znew_ctl* ctl, double* ridge, znew_objfn obj,
              double amax, double amin, int block);

// Adding and dropping an active constraint (bounds mode: parameter k; general mode:
// row position k). A request that does not fit the active set changes nothing.
void zconadd(znew_work* st, znew_ctl* ctl, double* ridge, int k);
void zcondrp(znew_work* st, znew_ctl* ctl, double* ridge, int k);
// Swaps constraint rows i and j with their right-hand sides and order entries.
void colswap(znew_work* st, const znew_ctl* ctl, int i, int j);
