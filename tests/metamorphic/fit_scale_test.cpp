// Fits of one sample at scales 2^k far from 1, run by the built runner: each family's
// parameters at 2^k are those at 1 with locations and scales times 2^k (a lognormal's
// zeta plus k log 2) and shapes unchanged. The scales keep the histogram's range
// binnable, so every fit made at 1 must be made at each of them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "metamorphic/meta_run.h"
#include "support/scratch_files.h"

namespace {

constexpr int kScales[] = {-1000, 0, 900, 1000};
// The fits stop within their own tolerance, but on the same numbers at every scale:
// what is left is the rounding of the data pass's sums.
constexpr double kTolerance = 1e-9;

// 80 values on a grid of 1/64 (exact at every scale): the quantiles of a right-skewed
// law above 1 (long_tailed false), or of one with long tails both ways about 30, which
// the Johnson SU law fits.
std::vector<double> sample(bool long_tailed) {
  std::vector<double> x;
  for (int i = 0; i < 80; ++i) {
    const double p = (i + 0.5) / 80;
    const double q = long_tailed ? 30 + std::sinh(0.8 * std::log(p / (1 - p))) : 1 + 8 * std::pow(-std::log(1 - p), 1 / 1.8);
    x.push_back(std::round(64 * q) / 64);
  }
  return x;
}

std::string var(const char* stem, int k) { return stem + (k < 0 ? "m" + std::to_string(-k) : std::to_string(k)); }

struct family {
  const char* request;  // the HISTOGRAM option
  const char* name;     // its group name in the JSON tables
  const char* stem;     // the sample it fits: "a" skewed, "t" long-tailed
};
constexpr family kFamilies[] = {
    {"normal", "Normal", "a"},
    {"lognormal(theta=est)", "Lognormal", "a"},
    {"exponential(theta=est)", "Exponential", "a"},
    {"gamma(theta=est)", "Gamma", "a"},
    {"weibull(theta=est)", "Weibull", "a"},
    {"beta(theta=est sigma=est)", "Beta", "a"},
    {"sb(theta=est sigma=est)", "SB", "a"},
    {"su", "SU", "t"},
};

TEST(FitScale, EveryFamilysParametersFollowTheValuesAcrossTheDoubles) {
  const std::vector<double> a = sample(false), t = sample(true);
  std::ostringstream csv;
  csv.precision(17);
  std::string avars, tvars;
  for (int k : kScales) {
    avars += " " + var("a", k);
    tvars += " " + var("t", k);
  }
  csv << "i";
  for (int k : kScales) csv << "," << var("a", k) << "," << var("t", k);
  csv << "\n";
  for (std::size_t i = 0; i < a.size(); ++i) {
    csv << i;
    for (int k : kScales) csv << "," << std::ldexp(a[i], k) << "," << std::ldexp(t[i], k);
    csv << "\n";
  }
  std::string program = "proc kestravine data=d noprint;\n  var" + avars + tvars + ";\n  histogram" + avars + " / noplot";
  for (const family& f : kFamilies)
    if (f.stem[0] == 'a') program += std::string(" ") + f.request;
  program += ";\n  histogram" + tvars + " / noplot su;\nrun;\n";

  kes_test::scratch_dir root("fitscale");
  const kes_meta::program_result r = kes_meta::run_steps(root.path(), {{"d", csv.str()}}, program, {"fits"});
  ASSERT_EQ(r.status, 0) << r.log;
  const auto& fits = r.steps.at("fits").fits;

  for (const family& f : kFamilies) {
    SCOPED_TRACE(f.name);
    const std::string base = var(f.stem, 0), family = "|" + std::string(f.name) + "|";
    int compared = 0;
    for (const auto& [key, a] : fits) {
      if (key.rfind(base + "|", 0) != 0 || key.find(family) == std::string::npos) continue;
      const std::string prefix = key.substr(0, key.find(family) + family.size());
      const std::string tail = key.substr(prefix.size());  // "Parameter|Symbol"
      const bool log_scale = tail == "Scale|Zeta";
      const bool location = tail.rfind("Threshold|", 0) == 0 || tail.rfind("Mean|", 0) == 0 ||
                            tail.rfind("Mode|", 0) == 0 || tail.rfind("Location|", 0) == 0;
      const bool scale = !log_scale && (tail.rfind("Scale|", 0) == 0 || tail.rfind("Std Dev|", 0) == 0);
      const double spread = fits.count(prefix + "Std Dev|") ? fits.at(prefix + "Std Dev|")
                            : fits.count(prefix + "Std Dev|Sigma") ? fits.at(prefix + "Std Dev|Sigma")
                                                                   : std::fabs(a);
      for (int k : kScales) {
        const std::string other = var(f.stem, k) + key.substr(key.find('|'));
        const auto it = fits.find(other);
        ASSERT_NE(it, fits.end()) << other << " is not fitted, though " << key << " is (" << a << ")";
        const double b = it->second;
        double want = a, allow = kTolerance * std::fabs(a);
        if (log_scale) {
          want = a + k * std::log(2.0);
          allow = kTolerance;
        } else if (location) {
          want = std::ldexp(a, k);
          allow = kTolerance * std::ldexp(std::fabs(a) + spread, k);
        } else if (scale) {
          want = std::ldexp(a, k);
          allow = kTolerance * std::fabs(want);
        }
        EXPECT_NEAR(b, want, allow) << other;
        ++compared;
      }
    }
    EXPECT_GT(compared, 0) << "no " << f.name << " fit of the sample at 1";
  }
}

}  // namespace
