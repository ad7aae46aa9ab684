// The log densities of the families fitted by maximum likelihood, written out apart
// from the module's own, in long double: tests judge a fit by the likelihood of its
// data where its maximum is too flat for the parameters to be compared.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kes_test {

enum class ml_family { normal, lognormal, exponential, weibull, gamma };

// The family of a fit table's name ("Normal", "Lognormal", "Exponential", "Weibull",
// "Gamma"); none for the others (SU is fitted by percentiles, the kernel has no law).
std::optional<ml_family> ml_family_named(const std::string& name);

// Parameters by the fit table's symbols: normal Mu, Sigma; lognormal Theta, Zeta,
// Sigma; exponential Theta, Sigma; Weibull Theta, Sigma, C; gamma Theta, Sigma, Alpha.
using ml_params = std::map<std::string, long double>;

// A log density, or a sum of them, with the sum of the magnitudes of the parts it adds
// (what its rounding is relative to). Outside the support the value is -inf.
struct log_term {
  long double value = 0;
  long double size = 0;
  long n = 0;  // the values summed
};

// NaN (with size 0) where a parameter the family needs is missing.
log_term log_density(ml_family family, const ml_params& p, long double x);
// The sum over the values that are not missing (NaN), each counted as often as its
// frequency says when there are frequencies (truncated to a whole number; below 1 or
// missing, the value is not counted), as a FREQ variable counts it.
log_term log_likelihood(ml_family family, const ml_params& p, const std::vector<double>& x,
                        const std::vector<double>& freq = {});

}  // namespace kes_test
