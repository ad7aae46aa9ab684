// The optimiser on maximum-likelihood problems as the fits pose them: negative
// log-likelihoods of the three-parameter Weibull and gamma laws in (threshold, scale,
// shape), a given threshold held by equal bounds. Reference: ref/znew_mle.tsv (R).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "fit/znew.h"
#include "numeric/zdigama.h"
#include "numeric/zlgamma.h"
#include "numeric/zmissing.h"
#include "numeric/ztigama.h"
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

// Sums over the data of y = x - theta; NaN outside the domain.
znew_problem weibull() {
  return {3,
          [](const double* p) {
            double s = 0.0;
            for (double x : xs) s += (p[2] - 1) * std::log(x - p[0]) - std::pow((x - p[0]) / p[1], p[2]);
            return p[1] > 0 && p[2] > 0 ? xs.size() * (p[2] * std::log(p[1]) - std::log(p[2])) - s
                                        : std::nan("");
          },
          [](const double* p, double* g, double* h) {
            const double s = p[1], c = p[2], n = xs.size();
            double sw = 0, swu = 0, swu2 = 0, su = 0, si = 0, si2 = 0, swi = 0, swi2 = 0, swui = 0;
            for (double x : xs) {
              const double y = x - p[0], u = std::log(y / s), w = std::pow(y / s, c);
              sw += w, swu += w * u, swu2 += w * u * u, su += u;
              si += 1 / y, si2 += 1 / (y * y), swi += w / y, swi2 += w / (y * y), swui += w * u / y;
            }
            g[0] = (c - 1) * si - c * swi;
            g[1] = c / s * (n - sw);
            g[2] = -n / c - su + swu;
            h[0] = (c - 1) * (si2 + c * swi2);
            h[1] = c * c / s * swi;
            h[2] = -c / (s * s) * (n - sw) + c * c / (s * s) * sw;
            h[3] = si - swi - c * swui;
            h[4] = (n - sw) / s - c / s * swu;
            h[5] = n / (c * c) + swu2;
          }};
}

znew_problem gamma() {
  return {3,
          [](const double* p) {
            double s = 0.0;
            for (double x : xs) s += (p[2] - 1) * std::log(x - p[0]) - (x - p[0]) / p[1];
            return p[1] > 0 && p[2] > 0 ? xs.size() * (zlgamma(p[2]) + p[2] * std::log(p[1])) - s
                                        : std::nan("");
          },
          [](const double* p, double* g, double* h) {
            const double s = p[1], a = p[2], n = xs.size();
            double sy = 0, sl = 0, si = 0, si2 = 0, psi = 0;
            int st = 0;
            for (double x : xs) {
              const double y = x - p[0];
              sy += y, sl += std::log(y), si += 1 / y, si2 += 1 / (y * y);
            }
            zdigama(a, &psi);
            g[0] = (a - 1) * si - n / s;
            g[1] = n * a / s - sy / (s * s);
            g[2] = n * psi + n * std::log(s) - sl;
            h[0] = (a - 1) * si2;
            h[1] = n / (s * s);
            h[2] = -n * a / (s * s) + 2 * sy / (s * s * s);
            h[3] = si;
            h[4] = n / s;
            h[5] = n * ztigama(a, &st);
          }};
}

struct Family { const char* name; znew_problem p; };
const Family families[] = {{"weibull", weibull()}, {"gamma", gamma()}};

TEST(ZnewMle, GivenThresholdMatchesTheLikelihoodEquations) {
  const std::string shape[] = {"_c", "_alpha"};
  for (int k = 0; k < 2; ++k) {
    const std::string f = families[k].name;
    znew_setup s{{0, 2, 1.5}, {0, 1e-8, 1e-8}, {0, ZDBL_BIG, ZDBL_BIG}};
    const znew_result r = znew_run(hold(families[k].p, 0), s);
    EXPECT_EQ(r.status, 0) << f;
    EXPECT_EQ(r.x[0], 0.0);
    EXPECT_NEAR(r.x[1], ref.at(f + "_sigma")[0], 1e-5) << f;
    EXPECT_NEAR(r.x[2], ref.at(f + shape[k])[0], 1e-5) << f;
    EXPECT_NEAR(r.f, ref.at(f + "_nll")[0], 1e-9) << f;
  }
}

// Weibull threshold estimated below the sample minimum, shape at least 1: no outside
// tool fits this exactly, but the bounds must hold, the fit can only do better than
// with the threshold held at 0, and no nearby feasible point may do better.
TEST(ZnewMle, EstimatedWeibullThresholdKeepsItsBoundsAndGains) {
  const double lo = *std::min_element(xs.begin(), xs.end());
  znew_setup s{{0, 2, 1.5}, {-ZDBL_BIG, 1e-8, 1}, {lo - 1e-6, ZDBL_BIG, ZDBL_BIG}};
  const znew_result r = znew_run(weibull(), s);
  EXPECT_EQ(r.status, 0);
  EXPECT_LE(r.x[0], lo - 1e-6);
  EXPECT_GE(r.x[2], 1.0);
  EXPECT_LT(r.f, ref.at("weibull_nll")[0]);
  for (int i = 0; i < 3; ++i)
    for (double step : {-1e-4, 1e-4}) {
      vec y = r.x;
      y[i] += step;
      // Converged means a predicted gain below tol |f| / 2, about 2.5e-7 here.
      if (y[0] <= lo - 1e-6) {
        EXPECT_GT(weibull().f(y.data()), r.f - 5e-7) << i << step;
      }
    }
}
}  // namespace
