// The optimiser on the Weibull likelihood as the fits pose it: the negative
// log-likelihood in (threshold, scale, shape), the given threshold 0 held by equal
// bounds.
// Reference: ref/znew_mle.tsv (R).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "znew_harness.h"

namespace {
std::map<std::string, vec> reference() {
  std::map<std::string, vec> ref;
  std::ifstream in(KES_SOURCE_DIR "/tests/fit/ref/znew_mle.tsv");
  std::string line, name;
  double v;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    if (line[0] != '#' && ls >> name >> v) ref[name].push_back(v);
  }
  return ref;
}
const std::map<std::string, vec> ref = reference();
const vec& xs = ref.at("x");

// Sums over y = x - theta, w = (y / sigma)^c, u = ln(y / sigma); NaN off the domain.
// The threshold's derivatives are left to hold(), which overwrites them.
const znew_problem weibull{
    3,
    [](const double* p) {
      double s = 0.0;
      for (double x : xs) s += (p[2] - 1) * std::log(x - p[0]) - std::pow((x - p[0]) / p[1], p[2]);
      return p[1] > 0 && p[2] > 0 ? xs.size() * (p[2] * std::log(p[1]) - std::log(p[2])) - s : NAN;
    },
    [](const double* p, double* g, double* h) {
      const double s = p[1], c = p[2], n = xs.size();
      double sw = 0, swu = 0, swu2 = 0, su = 0;
      for (double x : xs) {
        const double u = std::log((x - p[0]) / s), w = std::exp(c * u);
        sw += w, swu += w * u, swu2 += w * u * u, su += u;
      }
      g[1] = c / s * (n - sw);
      g[2] = -n / c - su + swu;
      h[2] = (c * c * sw - c * (n - sw)) / (s * s);
      h[4] = (n - sw) / s - c / s * swu;
      h[5] = n / (c * c) + swu2;
    }};

TEST(ZnewMle, GivenThresholdSolvesTheLikelihoodEquations) {
  const znew_result r = znew_run(hold(weibull, 0), {{0, 2, 1.5}, {0, 1e-8, 1e-8}, {0, BIG, BIG}});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.x[0], 0.0);
  EXPECT_NEAR(r.x[1], ref.at("weibull_sigma")[0], 1e-5);
  EXPECT_NEAR(r.x[2], ref.at("weibull_c")[0], 1e-5);
  EXPECT_NEAR(r.f, ref.at("weibull_nll")[0], 1e-9);
}

}  // namespace
