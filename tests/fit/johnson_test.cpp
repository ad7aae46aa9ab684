// The Johnson SB and SU families against SciPy (ref/johnson_ref.tsv: members,
// moments, peaks, the SB moment solution, the SU likelihood optimum) and SuppDists
// (ref/johnson_suppdists.tsv: the SU moment fit); percentile fits on samples whose
// quantiles are exact; refusals and their notes.
#include <gtest/gtest.h>

#include <cmath>

#include "../fitreport/fit_ref.h"
#include "fit/family/kes_johnson.h"
#include "fitreport/kes_famsets.h"
#include "kes_gram_names.h"
#include "numeric/zprbnrm.h"
#include "support/fit_fixture.h"

namespace {

using kes_test::fit_fixture;

const std::vector<double>& jref(const std::string& key) {
  static const auto t = [] {
    auto a = kes_test::ref_keyed("fit/ref/johnson_ref.tsv");
    for (auto& [k, v] : kes_test::ref_keyed("fit/ref/johnson_suppdists.tsv")) a[k] = v;
    return a;
  }();
  return t.at(key);
}

struct law {
  int dist;
  const char* key;
  double p[4];  // theta, sigma, delta, gamma
};
const law kLaws[] = {{KES_DIST_SB, "sb0", {1, 3, 0.8, 0.6}},
                     {KES_DIST_SB, "sb1", {0, 1, 2, -1}},
                     {KES_DIST_SB, "sb2", {0, 1, 0.3, 0.1}},  // two peaks
                     {KES_DIST_SU, "su0", {-1, 2, 1.3, -0.7}},
                     {KES_DIST_SU, "su1", {0, 1, 0.9, 1.0}}};

// Slots of each family: THETA, SIGMA, DELTA, GAMMA value and marker slots, method.
struct slots {
  int v[4], m[4], method;
};
slots slots_of(int dist) {
  if (dist == KES_DIST_SB)
    return {{KES_PLOT_SLOT_SB_THETA, KES_PLOT_SLOT_SB_SIGMA, KES_PLOT_SLOT_SB_DELTA, KES_PLOT_SLOT_SB_GAMMA},
            {KES_PLOT_SLOT_SB_THETA_MARKS, KES_PLOT_SLOT_SB_SIGMA_MARKS, KES_PLOT_SLOT_SB_DELTA_MARKS,
             KES_PLOT_SLOT_SB_GAMMA_MARKS},
            KES_PLOT_SLOT_SB_FITMETHOD};
  return {{KES_PLOT_SLOT_SU_THETA, KES_PLOT_SLOT_SU_SIGMA, KES_PLOT_SLOT_SU_DELTA, KES_PLOT_SLOT_SU_GAMMA},
          {KES_PLOT_SLOT_SU_THETA_MARKS, KES_PLOT_SLOT_SU_SIGMA_MARKS, KES_PLOT_SLOT_SU_DELTA_MARKS,
           KES_PLOT_SLOT_SU_GAMMA_MARKS},
          KES_PLOT_SLOT_SU_FITMETHOD};
}

constexpr double E = -1e300;  // EST in a parameter row
constexpr double A = 1e300;   // list absent

// Values at the normal points -3z, -z, z, 3z of a law repeated in runs, so that the
// four sample quantiles are those points exactly.
std::vector<double> runs_at(const double x[4]) {
  std::vector<double> v;
  const int len[4] = {179, 321, 321, 179};
  for (int i = 0; i < 4; ++i) v.insert(v.end(), len[i], x[i]);
  return v;
}

class Johnson : public fit_fixture {
 protected:
  // Parameters (E for EST, A for no list) and the method option (0: none).
  void params(int dist, const std::vector<double>& p, int method = 0) {
    const slots s = slots_of(dist);
    for (int i = 0; i < 4; ++i)
      if (p[i] != A) param(s.v[i], s.m[i], {p[i] == E ? 0.0 : p[i]}, {p[i] == E ? 1 : 0});
    if (method != 0) {
      stmt.slots[s.method].given = 1;
      stmt.slots[s.method].v.num = method;
    }
  }
  kes_cell* moments_cell(double mean, double sd, double skew, double beta2) {
    kes_cell* c = cell({mean - sd, mean, mean + sd});
    c->varsums[0].mean = mean;
    c->varsums[0].std = sd;
    c->varsums[0].summary[3] = skew;
    c->varsums[0].summary[4] = beta2 - 3;
    return c;
  }
};

TEST_F(Johnson, MembersMatchTheLawsAndInvertEachOther) {
  for (const law& l : kLaws) {
    SCOPED_TRACE(l.key);
    const kes_famfn* f = kes_famdisp(l.dist);
    const double* p = l.p;
    const bool sb = l.dist == KES_DIST_SB;
    const std::vector<double> y = sb ? std::vector<double>{0.1, 0.35, 0.9} : std::vector<double>{-2.5, 0.3, 4.0};
    const double c = p[2] / (p[1] * std::sqrt(2 * M_PI));
    for (int i = 0; i < 3; ++i) {
      const double x = p[0] + p[1] * y[i];
      EXPECT_NEAR(f->p(p, y[i]) / 100, jref(std::string(l.key) + "_cdf")[i], 1e-14);
      EXPECT_NEAR(f->plt(x, c, p), jref(std::string(l.key) + "_pdf")[i], 1e-13);
    }
    const double probs[] = {0.01, 0.3, 0.9};
    for (int i = 0; i < 3; ++i) {
      double q = 0;
      ASSERT_EQ(f->x(p, probs[i], &q), 0);
      EXPECT_NEAR(p[0] + p[1] * q, jref(std::string(l.key) + "_ppf")[i], 1e-12 * (1 + std::fabs(q)));
    }
    // The percent function reads gamma and delta: p(x(p)) = 100 p.
    for (double pr : {1e-4, 0.02, 0.5, 0.77, 0.999}) {
      double q = 0;
      f->x(p, pr, &q);
      EXPECT_NEAR(f->p(p, q), 100 * pr, 1e-10);
    }
  }
  EXPECT_EQ(kesvp(kLaws[0].p, 1e-7), 0.0);
  EXPECT_EQ(kesvp(kLaws[0].p, 1 - 1e-7), 100.0);
}

TEST_F(Johnson, GivenParametersGiveTheLawsMomentsAndPeak) {
  for (const law& l : kLaws) {
    SCOPED_TRACE(l.key);
    restart();
    request({{l.dist, 0}});
    params(l.dist, {l.p[0], l.p[1], l.p[2], l.p[3]});
    kes_cell* c = cell({l.p[0] + 0.2 * l.p[1], l.p[0] + 0.5 * l.p[1], l.p[0] + 0.7 * l.p[1]});
    bins(l.p[0], 0.25, 8);
    double h = 0;
    ASSERT_EQ(estimate(c, 0, -1e9, 1e9, &h), 0);
    const kes_edfres& e = curve(c, 0).edf;
    const auto& m = jref(std::string(l.key) + "_mvsk");
    EXPECT_NEAR(e.mean, m[0], 1e-9 * (1 + std::fabs(m[0])));
    EXPECT_NEAR(e.std * e.std, m[1], 1e-9 * m[1]);
    EXPECT_NEAR(e.skewness, m[2], 1e-8 * (1 + std::fabs(m[2])));
    EXPECT_NEAR(e.kurtosis, m[3], 1e-8 * (1 + std::fabs(m[3])));
    // The (higher) peak, its height on the percent scale, and no second peak kept.
    const auto& pk = jref(std::string(l.key) + "_peak");
    EXPECT_NEAR(curve(c, 0).mode, pk[0], 2e-8 * l.p[1]);
    EXPECT_EQ(curve(c, 0).peak_copy, curve(c, 0).mode);
    EXPECT_NEAR(h, 100 * 0.25 * pk[1], 1e-6 * h);
    EXPECT_TRUE(std::isnan(curve(c, 0).mode2));
  }
}

TEST_F(Johnson, MomentsThatOverflowAreMissingWhileTheFitStands) {
  const struct {
    int dist;
    double delta;
    bool mean, std, skew, kurt;  // expected finite
  } rows[] = {
      {KES_DIST_SU, 0.05, true, false, false, false},  // omega^2 in the spread overflows
      {KES_DIST_SU, 0.03, false, false, false, false}, // omega itself overflows
      {KES_DIST_SU, 0.2, true, true, true, true},
      {KES_DIST_SB, 5e-6, false, false, false, false},  // too narrow to integrate
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.delta);
    restart();
    request({{r.dist, 0}});
    params(r.dist, {0, 1, r.delta, 0});
    kes_cell* c = cell({0.2, 0.4, 0.7});
    ASSERT_EQ(estimate(c, 0), 0);
    const kes_edfres& e = curve(c, 0).edf;
    EXPECT_EQ(std::isfinite(e.mean), r.mean);
    EXPECT_EQ(std::isfinite(e.std), r.std);
    EXPECT_EQ(std::isfinite(e.skewness), r.skew);
    EXPECT_EQ(std::isfinite(e.kurtosis), r.kurt);
    for (double v : {e.mean, e.std, e.skewness, e.kurtosis}) EXPECT_FALSE(std::isinf(v));
  }
}

TEST_F(Johnson, SbWithoutThresholdAndScaleUsesTheUnitIntervalNotedOnce) {
  request({{KES_DIST_SB, 0}});
  kes_cell* in = cell({0.1, 0.2, 0.25, 0.3, 0.4, 0.45, 0.5, 0.6, 0.7, 0.9});
  kes_cell* out = cell({0.1, 0.5, 1.5});
  params(KES_DIST_SB, {A, A, E, E}, 1);  // likelihood
  ASSERT_EQ(estimate(in, 0), 0);
  ASSERT_EQ(estimate(in, 0), 0);
  EXPECT_EQ(curve(in, 0).params[0], 0.0);
  EXPECT_EQ(curve(in, 0).params[1], 1.0);
  EXPECT_EQ(count("THETA= is not given for the Johnson SB curve", log()), 1);
  EXPECT_EQ(count("SIGMA= is not given for the Johnson SB curve", log()), 1);
  // The closed-form likelihood: the logits' mean and spread (divisor N).
  double s1 = 0, s2 = 0;
  for (double y : {0.1, 0.2, 0.25, 0.3, 0.4, 0.45, 0.5, 0.6, 0.7, 0.9}) {
    s1 += std::log(y / (1 - y)) / 10;
    s2 += std::pow(std::log(y / (1 - y)), 2) / 10;
  }
  EXPECT_NEAR(curve(in, 0).params[2], 1 / std::sqrt(s2 - s1 * s1), 1e-13);
  EXPECT_NEAR(curve(in, 0).params[3], -s1 / std::sqrt(s2 - s1 * s1), 1e-13);
  EXPECT_EQ(estimate(out, 0), 1);
  EXPECT_NE(log().find("is not above the largest value"), std::string::npos);
  EXPECT_NE(log().find("The scale must exceed 1.5"), std::string::npos);
}

TEST_F(Johnson, RefusedEstimatesWriteTheirNotes) {
  const std::vector<double> vals = {1.0, 1.4, 2.0, 2.2, 2.9, 3.3, 4.1, 5.0};
  // The note on parameters the Johnson fits cannot estimate together.
  const char* kTogether = "estimate DELTA= and GAMMA= together or not at all, and THETA= or SIGMA= only with both";
  const struct {
    const char* what;
    int dist;
    std::vector<double> p;
    int method;
    const char* note;
    double skew = NAN, beta2 = NAN;  // the summary's, for the moment fits
  } rows[] = {
      {"SB delta given, gamma estimated", KES_DIST_SB, {0, 10, 1, E}, 0, kTogether},
      {"SB known scale above the range", KES_DIST_SB, {E, 100, E, E}, 0, kTogether},
      {"SB known scale within the range", KES_DIST_SB, {E, 3, E, E}, 0, "The scale must exceed 4"},
      {"SB threshold at the minimum", KES_DIST_SB, {1, 10, E, E}, 0, "is not below the smallest value"},
      {"SB likelihood, three", KES_DIST_SB, {0, E, E, E}, 1, "not 3 parameters"},
      {"SB likelihood, four", KES_DIST_SB, {E, E, E, E}, 1, "not 4 parameters"},
      {"SB moments without skewness", KES_DIST_SB, {E, E, E, E}, 3, "The Johnson SB moment fit needs"},
      {"SB non-positive delta", KES_DIST_SB, {0, 10, -1, 0}, 0, "DELTA= -1 of the Johnson SB curve"},
      {"SU delta given, gamma estimated", KES_DIST_SU, {E, E, 1, E}, 0, kTogether},
      {"SU threshold estimated, scale known", KES_DIST_SU, {E, 2, E, E}, 0, kTogether},
      // THETA=EST SIGMA=EST with both shapes given: the note says what cannot be had.
      {"SU shapes given, threshold and scale estimated", KES_DIST_SU, {E, E, 1, 0.5}, 0, kTogether},
      {"SB shapes given, threshold and scale estimated", KES_DIST_SB, {E, E, 1, 0.5}, 0, kTogether},
      {"SU moments without skewness", KES_DIST_SU, {E, E, E, E}, 3, "The Johnson SU moment fit needs"},
      {"SU non-positive delta", KES_DIST_SU, {0, 1, 0, 0}, 0, "DELTA= 0 of the Johnson SU curve"},
      // Moments outside the family's region.
      {"SU below the lognormal line", KES_DIST_SU, {E, E, E, E}, 3, "No Johnson law", 1.0, 4.0},
      {"SU lighter tails than normal", KES_DIST_SU, {E, E, E, E}, 3, "No Johnson law", 0.0, 2.5},
      {"SB above the lognormal line", KES_DIST_SB, {E, E, E, E}, 3, "No Johnson law", 0.5, 6.0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    restart();
    request({{r.dist, 0}});
    params(r.dist, r.p, r.method);
    EXPECT_EQ(estimate(std::isnan(r.skew) ? cell(vals) : moments_cell(0, 1, r.skew, r.beta2), 0), 1);
    EXPECT_NE(log().find(r.note), std::string::npos) << log();
    EXPECT_NE(log().find("distribution could not be fitted"), std::string::npos);
  }
}

TEST_F(Johnson, PercentileFitsRecoverLawsFromExactQuantiles) {
  for (const law& l : {kLaws[0], kLaws[1], kLaws[3], kLaws[4]}) {
    for (double z : {0.524, 0.4}) {
      SCOPED_TRACE(std::string(l.key) + " z " + std::to_string(z));
      restart();
      request({{l.dist, 0}});
      params(l.dist, {E, E, E, E}, 2);
      const int zslot = l.dist == KES_DIST_SB ? KES_PLOT_SLOT_SB_FITINTERVAL : KES_PLOT_SLOT_SU_FITINTERVAL;
      stmt.slots[zslot].given2 = 1;
      stmt.slots[zslot].v.num = z;
      const kes_famfn* f = kes_famdisp(l.dist);
      double x[4];
      const double pts[4] = {-3 * z, -z, z, 3 * z};
      for (int i = 0; i < 4; ++i) {
        f->x(l.p, zprbnrm(pts[i]), &x[i]);
        x[i] = l.p[0] + l.p[1] * x[i];
      }
      kes_cell* c = cell(runs_at(x));
      ASSERT_EQ(estimate(c, 0), 0) << log();
      for (int i = 0; i < 4; ++i) EXPECT_NEAR(curve(c, 0).params[i], l.p[i], 1e-9 * (1 + std::fabs(l.p[i])));
      EXPECT_NE(log().find(l.dist == KES_DIST_SB ? "to a bounded law" : "to an unbounded law"), std::string::npos);
    }
  }
}

TEST_F(Johnson, PercentileRatiosNearOneAreRefused) {
  // Quantiles 0, 1, 2, 2 + r: m n / p^2 = r.
  const struct {
    int dist;
    double r;
    std::vector<double> p;
    const char* note;
  } rows[] = {{KES_DIST_SU, 1.005, {E, E, E, E}, "do not point to a Johnson SU law"},
              {KES_DIST_SB, 0.995, {-1, 10, E, E}, "do not point to a Johnson SB law"},
              {KES_DIST_SU, 1.0, {E, E, E, E}, "too close to 1"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.r);
    restart();
    request({{r.dist, 0}});
    params(r.dist, r.p, 4);  // method 4: noted, then percentiles
    const double x[4] = {0, 1, 2, 2 + r.r};
    EXPECT_EQ(estimate(cell(runs_at(x)), 0), 1);
    const std::string lg = log();
    EXPECT_NE(lg.find("fit method 4 is not available"), std::string::npos);
    EXPECT_LT(lg.find("points to a lognormal law"), lg.find("The tolerance of the ratio is 0.01"));
    EXPECT_LT(lg.find("The tolerance of the ratio is 0.01"), lg.find(r.note));
  }
}

TEST_F(Johnson, MomentFitsMatchTheReferenceSolutions) {
  // Rows: skewness, excess kurtosis, delta, gamma, mean and variance of the
  // standardized law (SciPy's solution of the moment equations).
  for (const char* key : {"sbmom0", "sbmom1", "sumom0", "sumom1", "sumom2"}) {
    SCOPED_TRACE(key);
    const auto& r = jref(key);
    const int dist = key[1] == 'b' ? KES_DIST_SB : KES_DIST_SU;
    restart();
    request({{dist, 0}});
    params(dist, {E, E, E, E}, 3);
    kes_cell* c = moments_cell(10, 2, r[0], r[1] + 3);
    ASSERT_EQ(estimate(c, 0), 0) << log();
    const double* p = curve(c, 0).params;
    EXPECT_NEAR(p[2], r[2], 1e-7);
    EXPECT_NEAR(p[3], r[3], 1e-7);
    EXPECT_NEAR(p[1], 2 / std::sqrt(r[5]), 1e-6);
    EXPECT_NEAR(p[0], 10 - p[1] * r[4], 1e-6);
  }
  // A symmetric sample: gamma 0 and the exact omega = sqrt(sqrt(2 beta2 - 2) - 1).
  request({{KES_DIST_SU, 0}});
  params(KES_DIST_SU, {E, E, E, E}, 3);
  kes_cell* c = moments_cell(1, 1, 0, 5);
  ASSERT_EQ(estimate(c, 0), 0);
  EXPECT_NEAR(curve(c, 0).params[3], 0, 1e-12);
  EXPECT_NEAR(curve(c, 0).params[2], 1 / std::sqrt(std::log(std::sqrt(std::sqrt(8.0) - 1))), 1e-10);
}

TEST_F(Johnson, SuLikelihoodReachesTheDirectOptimum) {
  const auto& xs = jref("su_sample");
  auto nll = [&](const double* p) {
    double s = 0;
    for (double x : xs) {
      const double t = (x - p[0]) / p[1], u = p[3] + p[2] * std::asinh(t);
      s += std::log1p(t * t) + u * u;
    }
    return -std::log(p[2]) + std::log(p[1]) + s / (2.0 * xs.size());
  };
  // Rows: delta, gamma, theta (estimated or 2), sigma, the minimum.
  for (const char* key : {"su_mle4", "su_mle3"}) {
    SCOPED_TRACE(key);
    const auto& r = jref(key);
    const bool four = std::string(key) == "su_mle4";
    const double want[4] = {four ? r[2] : 2.0, r[four ? 3 : 2], r[0], r[1]};
    restart();
    request({{KES_DIST_SU, 0}});
    params(KES_DIST_SU, {four ? E : 2.0, E, E, E}, 1);
    kes_cell* c = cell(xs);
    ASSERT_EQ(estimate(c, 0), 0) << log();
    const double* p = curve(c, 0).params;
    // The likelihood is flat near its optimum: the stopping rule leaves the minimum
    // within a few 1e-9 and the parameters within a few 1e-4.
    EXPECT_NEAR(nll(p), r.back(), 1e-8);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(p[i], want[i], 5e-4);
    EXPECT_EQ(p[0] == 2.0, !four);
  }
}

TEST_F(Johnson, ClassCellsFitApartAndOneMayFail) {
  class_vars(1);
  request({{KES_DIST_SU, 0}});
  kes_cell* good = cell(jref("su_sample"), "a");
  kes_cell* flat = cell({3, 3, 3, 3, 3, 4}, "b");
  EXPECT_EQ(estimate(good, 0), 0);
  EXPECT_EQ(estimate(flat, 0), 1);
  EXPECT_TRUE(curve(good, 0).fitted);
  EXPECT_FALSE(curve(flat, 0).fitted);
  EXPECT_EQ(count("The middle spread of the percentiles is zero", log()), 1);
  EXPECT_EQ(count("the Johnson SU distribution could not be fitted", log()), 1);
}

}  // namespace
