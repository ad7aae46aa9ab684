// zdiffnrm.h - the probability of an interval of the standard normal distribution.
//
//   double DiffNormal(double a, double b, double w)
//     Phi(a) - Phi(b), with w = a - b supplied by the caller (used by the short-interval
//     series only).  Below |a - b| = 1e-4 the Taylor series of the integral of phi from
//     b to b + w about b, phi(b) w (1 - b w/2 + (b^2 - 1) w^2/6 + (3b - b^3) w^3/24 +
//     (b^4 - 6b^2 + 3) w^4/120); otherwise the difference of the two lower tails, or of
//     the two upper tails when both ends are positive (no values near 1 subtracted).
//
// Measured accuracy (tests/numeric/zdiffnrm_test.cpp, against mpmath at 40 digits):
// relative error below 3.8e-15 for intervals from 1e-12 to 3 wide, |b| <= 8.
#pragma once

double DiffNormal(double a, double b, double w);
