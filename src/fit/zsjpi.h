// zsjpi.h - plug-in bandwidth of the normal kernel by the solve-the-equation method
// on binned data.
//
//   double zsjpi(const double* counts, int m, double a, double b, double hmax,
//                double hmin, int trials, double tol)
//     counts: m counts at the equally spaced points a .. b. The bandwidth h solving
//     h = [R(K) / (n psi4(alpha(h)))]^(1/5), searched among trials bandwidths rising
//     geometrically from hmin to hmax and refined by bisection to tol. When no trial
//     pair brackets a root: note KES_MSG_PLUGIN_BANDWIDTH_NO_ROOT and hmax. When its work memory cannot be had:
//     the host's memory note and the missing value.
#pragma once

// The integral of the squared normal kernel, 1 / (2 sqrt(pi)).
inline constexpr double ZSJ_RK = 1.0 / (2.5066282746310007 * 1.4142135623730951);

double zsjpi(const double* counts, int m, double a, double b, double hmax, double hmin, int trials, double tol);
