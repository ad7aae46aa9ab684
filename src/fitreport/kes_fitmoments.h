// The mean and standard deviation of a fitted law, formed so that they keep their
// digits at any offset: the data moved by c (Unix seconds, 1.7e9) fitted with a
// threshold of 0 give a law of tiny shape whose spread is a small difference of two
// numbers near 1 (exp(sigma^2) - 1, Gamma(1 + 2/c) - Gamma(1 + 1/c)^2), which the plain
// forms round to 0.
#pragma once

struct kes_fit_moments {
  double mean, std;  // the missing value where they cannot be formed
};

// Lognormal: mean theta + e^(zeta + sigma^2/2), standard deviation
// e^(zeta + sigma^2/2) sqrt(e^(sigma^2) - 1), the difference by expm1; missing where
// zeta + sigma^2/2 (the mean), 2 sigma^2 or zeta (the standard deviation) reach the
// logarithm of the largest double.
kes_fit_moments kes_lognormal_moments(double theta, double zeta, double sigma);

// Weibull: mean theta + sigma Gamma(1 + 1/c), standard deviation
// sigma sqrt(Gamma(1 + 2/c) - Gamma(1 + 1/c)^2); both missing where either gamma
// function fails.
kes_fit_moments kes_weibull_moments(double theta, double sigma, double c);

// Gamma(1 + 2t) / Gamma(1 + t)^2 - 1, whole for small t (where the ratio is near 1),
// or NaN where t is not a finite number of at least 0.
double kes_gamma_ratio_m1(double t);
