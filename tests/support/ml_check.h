// What the tests of the maximum-likelihood fits check a reported fit against: the
// log-likelihood of the Johnson SU, beta, Weibull and gamma laws, in long double, and
// an interior local maximum by finite differences of it.
#pragma once
#include <string>
#include <vector>

namespace kes_test {

// Log-likelihood of the values x under the law dist (a distribution code) at p in
// curve order (threshold, scale, shape 1, shape 2); minus infinity outside the support.
long double loglik(int dist, const std::vector<double>& x, const long double* p);

// Whether p is an interior local maximum over its first n parameters: steps of 1e-5 of
// each parameter's size (a threshold's and a support end's of its distance to the
// data), the Newton gain g' (-H)^-1 g below 1e-6 and -H positive definite; *why says
// which failed, or the gain.
bool interior_maximum(int dist, const std::vector<double>& x, const double* p, int n, std::string* why);

}  // namespace kes_test
