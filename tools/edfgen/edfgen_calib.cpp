// Calibration of a set's tables at the fitted shape. The procedure looks a table up at
// the shape it fitted, not at the true one; where the fitted shape strays far (small
// samples, estimated threshold) a table fitted to the quantiles at the true shape
// rejects far too seldom, and it also counts samples whose fitted shape falls outside
// the tables. Each round takes every grid point's replicates that get a p-value, finds
// per level the shift of the log critical value, looked up at each replicate's fitted
// shape, that makes the point reject at exactly the level, adds it to the point's
// target, and refits the table's form to the shifted targets.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "edfgen.h"
#include "fitreport/kes_edf3.h"
#include "fitreport/kes_edfcoef.h"
#include "host/kes_parallel.h"

namespace {
// Levels of the goal: .10, .05 and .01 (columns of kLevels).
constexpr int kGoal[3] = {4, 5, 7};

// The 11 log critical values of table t at the shape and sample size.
void log_crit(int family, int set, int stat, const std::vector<double>& t, double shape, double n, double* out) {
  double v[16];
  int nrows = 0, size = 0;
  const int nv = kes_edf_coef_terms(family, set, stat, shape, n, v, &nrows, &size);
  for (int j = 0; j < 11; ++j) {
    double e = 0.0;
    for (int r = 0; r < nrows; ++r) e += t[r * 11 + j] * v[r];
    for (int k = nrows; k < nv; ++k) e += t[nrows * 11 + (k - nrows)] * v[k];
    out[j] = e;
  }
}

// Upper-tail quantile of sorted values, interpolated as the simulated quantiles are.
double upper(const std::vector<double>& v, double level) {
  const double h = (static_cast<double>(v.size()) - 1.0) * (1.0 - level);
  const size_t lo = static_cast<size_t>(std::floor(h)), hi = std::min(lo + 1, v.size() - 1);
  return v[lo] + (h - static_cast<double>(lo)) * (v[hi] - v[lo]);
}

struct round_out {
  std::vector<point_quant> targets;
  calib_score score;
};

// One round: the targets for table t and the in-sample rejection rates it gives.
round_out one_round(int family, int set, int stat, const std::vector<raw_point>& pts, const std::vector<double>& t,
                    bool weighted, int threads) {
  const kes_edf3fam& fam = edfgen_members(family);
  const int ncase = edfgen_case(set);
  std::vector<point_quant> q(pts.size());
  std::vector<calib_score> sc(pts.size());
  kes::parallel_parts(threads, pts.size(), [&](size_t i) {
    const raw_point& p = pts[i];
    q[i].set = -1;  // unused unless enough replicates
    std::vector<std::vector<double>> e(11);
    for (const replicate& x : p.r) {
      if (!x.ok || !(x.stat[stat] > 0.0) || !std::isfinite(x.stat[stat]) || fam.set(ncase, x.shape) != set) continue;
      double c[11];
      log_crit(family, set, stat, t, x.shape, p.n, c);
      const double lt = std::log(x.stat[stat]);
      for (int j = 0; j < 11; ++j) e[j].push_back(lt - c[j]);
    }
    const size_t m = e[0].size();
    if (m < 1000) return;
    double c[11];
    log_crit(family, set, stat, t, p.shape, p.n, c);
    point_quant& o = q[i];
    o.set = set;
    o.shape = p.shape;
    o.n = p.n;
    o.reps = static_cast<long>(p.r.size());
    o.valid[stat] = true;
    o.used[stat] = static_cast<long>(m);
    for (int j = 0; j < 11; ++j) {
      std::sort(e[j].begin(), e[j].end());
      const double lev = kLevels[j];
      o.q[stat][j] = std::exp(c[j] + upper(e[j], lev));
      if (!weighted) continue;
      // An error d in the log critical value moves the rejection rate by about d times
      // the density of the log statistic there; over the rate's standard error that
      // is the error a coverage check sees.
      const double h = std::fmax(0.25 * lev, 20.0 / static_cast<double>(m));
      const double slope = (upper(e[j], std::fmax(lev - h, 0.5 / static_cast<double>(m))) - upper(e[j], lev + h)) /
                           (std::fmin(h, lev - 0.5 / static_cast<double>(m)) + h);
      if (slope > 0.0) o.weight[stat][j] = 1.0 / (slope * std::sqrt(lev * (1.0 - lev)));
    }
    calib_score& s = sc[i];
    s.points = 1;
    bool off = false;
    for (int j : kGoal) {
      // Rejected at the level when the statistic reaches the critical value.
      const auto it = std::lower_bound(e[j].begin(), e[j].end(), 0.0);
      const double rate = static_cast<double>(e[j].end() - it) / static_cast<double>(m);
      const double z = (rate - kLevels[j]) / std::sqrt(kLevels[j] * (1 - kLevels[j]) / static_cast<double>(m));
      s.chi += z * z;
      s.worst = std::max(s.worst, std::fabs(z));
      s.off_levels += std::fabs(z) > 4;
      off = off || std::fabs(z) > 4;
    }
    s.off_points = off;
  });
  round_out r;
  for (size_t i = 0; i < pts.size(); ++i) {
    if (q[i].set != set) continue;
    r.targets.push_back(q[i]);
    r.score.points += sc[i].points;
    r.score.off_points += sc[i].off_points;
    r.score.off_levels += sc[i].off_levels;
    r.score.chi += sc[i].chi;
    r.score.worst = std::max(r.score.worst, sc[i].worst);
  }
  return r;
}

bool better(const calib_score& a, const calib_score& b) {
  return a.off_levels != b.off_levels ? a.off_levels < b.off_levels : a.chi < b.chi;
}
}  // namespace

std::string calib_score::text() const {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%d of %d points (%d point-levels) more than 4 se off, sum z^2 %.1f, largest |z| %.1f",
                off_points, points, off_levels, chi, worst);
  return buf;
}

calib_result edfgen_calibrate(int family, int set, int stat, const std::vector<raw_point>& pts,
                              const std::vector<double>& start, int rounds, bool weighted, int threads,
                              std::string* log) {
  calib_result best;
  std::vector<double> t = start;
  for (int k = 0; k <= rounds; ++k) {
    const round_out r = one_round(family, set, stat, pts, t, weighted, threads);
    *log += "  round " + std::to_string(k) + ": " + r.score.text() + "\n";
    if (k == 0 || better(r.score, best.score)) {
      best.t = t;
      best.score = r.score;
      best.round = k;
      best.points = static_cast<int>(r.targets.size());
    }
    if (k == rounds) break;
    double rms = 0.0;
    std::vector<double> next = edfgen_fit_table(family, set, stat, r.targets, &rms);
    if (next.empty()) break;
    t = std::move(next);
    if (k == 0 || best.round == k) best.rms_next = rms;
  }
  return best;
}
