// zkernel.h - kernel density estimate on an equally spaced grid: linear binning,
// smoothing by the kernel's Fourier transform, folding of mass at bounds.
//
// The grid has m = 2^k points (k >= 3) x[i] = lo + i d, d = (hi - lo) / m, so the
// last point is hi - d. Kernel codes: 1 normal, 2 triangular, 3 quadratic; h is the
// normal kernel's standard deviation and the other kernels' half-width.
//
//   int zkerset(const double* x, const double* freq, const double* wgt, int n,
//               double lo, double hi, double* grid, double* binned, int m)
//     bins n values (each of mass wgt * freq, null arrays counting 1; the total is
//     the sum of wgt, or n) and leaves the packed transform of the binned density in
//     binned; grid (optional) receives the grid points. 0; 1 when m is not a power
//     of two of at least 8; 2 when a value lies a step or more outside [lo, hi].
//     A value in the last cell [hi - d, hi] adds no mass.
//   int zkerbin(const double* x, const double* freq, const double* wgt, int n,
//               double lo, double hi, double* binned, int m)
//     zkerset's linear binning alone: adds each value's mass to the two grid points
//     around it in binned (which it does not clear). 0, or 2 as zkerset.
//   void zkergrid(double lo, double d, double* grid, int m)
//     the m grid points lo + i d, each formed once (never a sum of i steps).
//   int zkerfit(int kernel, int keep_negative, double h, double lo, double hi,
//               const double* transform, double* density, int m)
//     the estimate at the grid points from zkerset's transform, cleaned of ripples,
//     negative values set to 0 unless keep_negative. 0; 1 when m is not a power of 2.
//   int zkermod(int kernel, double h, double min, double max, double lower,
//               double upper, const double* grid, double* density, int m)
//     folds the mass beyond the bounds (missing = none) back inside them; min and max
//     are the data's extremes. 0 (also when no bound applies); 1 when the reflected
//     tails would cross the opposite bound (density unchanged).
#pragma once

// The grid a kernel estimate is computed on; the caller owns the arrays.
struct kes_kdegrid {
  int m;            // points, a power of two
  double lo, hi;    // range; spacing (hi - lo) / m
  double* grid;     // m grid points
  double* binned;   // m: the binned data, then its transform
  double* density;  // m: the estimate
};

int zkerset(const double* x, const double* freq, const double* wgt, int n, double lo, double hi,
            double* grid, double* binned, int m);
int zkerbin(const double* x, const double* freq, const double* wgt, int n, double lo, double hi, double* binned,
            int m);
void zkergrid(double lo, double d, double* grid, int m);
int zkerfit(int kernel, int keep_negative, double h, double lo, double hi, const double* transform,
            double* density, int m);
int zkermod(int kernel, double h, double min, double max, double lower, double upper, const double* grid,
            double* density, int m);
