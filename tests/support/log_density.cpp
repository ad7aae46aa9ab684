#include "support/log_density.h"

#include <cmath>
#include <limits>

namespace kes_test {
namespace {

constexpr long double kInf = std::numeric_limits<long double>::infinity();
const long double kHalfLog2Pi = 0.5L * std::log(2 * 3.141592653589793238462643383279502884L);

long double param(const ml_params& p, const char* symbol) {
  const auto it = p.find(symbol);
  return it == p.end() ? std::numeric_limits<long double>::quiet_NaN() : it->second;
}

// A sum of parts, with their magnitudes.
struct parts {
  log_term t;
  parts& add(long double v) {
    t.value += v;
    t.size += std::fabs(v);
    return *this;
  }
};

log_term outside() { return {-kInf, 0, 1}; }

// The density of z^(a-1) at z = 0, times the rest: finite only for a = 1.
log_term at_zero(long double a, long double log_rest) {
  if (a == 1) return {log_rest, std::fabs(log_rest), 1};
  return {a > 1 ? -kInf : kInf, 0, 1};
}

}  // namespace

std::optional<ml_family> ml_family_named(const std::string& name) {
  if (name == "Normal") return ml_family::normal;
  if (name == "Lognormal") return ml_family::lognormal;
  if (name == "Exponential") return ml_family::exponential;
  if (name == "Weibull") return ml_family::weibull;
  if (name == "Gamma") return ml_family::gamma;
  return std::nullopt;
}

log_term log_density(ml_family family, const ml_params& p, long double x) {
  const long double sigma = param(p, "Sigma");
  parts s;
  switch (family) {
    case ml_family::normal: {
      const long double z = (x - param(p, "Mu")) / sigma;
      s.add(-std::log(sigma)).add(-kHalfLog2Pi).add(-z * z / 2);
      break;
    }
    case ml_family::lognormal: {
      const long double d = x - param(p, "Theta");
      if (d <= 0) return outside();
      const long double u = (std::log(d) - param(p, "Zeta")) / sigma;
      s.add(-std::log(d)).add(-std::log(sigma)).add(-kHalfLog2Pi).add(-u * u / 2);
      break;
    }
    case ml_family::exponential: {
      const long double d = x - param(p, "Theta");
      if (d < 0) return outside();
      s.add(-std::log(sigma)).add(-d / sigma);
      break;
    }
    case ml_family::weibull: {
      const long double c = param(p, "C"), z = (x - param(p, "Theta")) / sigma;
      if (z == 0) return at_zero(c, std::log(c) - std::log(sigma));
      if (z < 0) return outside();
      s.add(std::log(c)).add(-std::log(sigma)).add((c - 1) * std::log(z)).add(-std::pow(z, c));
      break;
    }
    case ml_family::gamma: {
      const long double a = param(p, "Alpha"), d = x - param(p, "Theta");
      if (d == 0) return at_zero(a, -std::log(sigma));
      if (d < 0) return outside();
      s.add(-std::lgamma(a)).add(-a * std::log(sigma)).add((a - 1) * std::log(d)).add(-d / sigma);
      break;
    }
  }
  s.t.n = 1;
  if (std::isnan(s.t.value)) s.t.size = 0;
  return s.t;
}

log_term log_likelihood(ml_family family, const ml_params& p, const std::vector<double>& x,
                        const std::vector<double>& freq) {
  log_term sum;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double count = freq.empty() ? 1 : std::trunc(freq[i]);
    if (std::isnan(x[i]) || !(count >= 1)) continue;
    const log_term t = log_density(family, p, x[i]);
    sum.value += count * t.value;
    sum.size += count * t.size;
    sum.n += static_cast<long>(count);
  }
  return sum;
}

}  // namespace kes_test
