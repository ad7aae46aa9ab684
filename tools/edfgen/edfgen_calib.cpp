// Calibration of a set's tables at the fitted shape. The procedure looks a table up at
// the shape it fitted, not at the true one; where the fitted shape strays far (small
// samples, estimated threshold) a table fitted to the quantiles at the true shape
// rejects far too seldom, and it also counts samples whose fitted shape falls outside
// the tables. Each round takes every grid point's replicates that get a p-value, finds
// per level the shift of the log critical value, looked up at each replicate's fitted
// shape, that makes the point reject at exactly the level, adds it to the point's
// target, and refits the table's form to the shifted targets.
//
// Where the form cannot follow every point, least squares spreads the misfit evenly
// and leaves the hardest points off. Focused calibration reweights the points each
// round by the size of their rate error (Lawson's iteration towards the least largest
// error), trading accuracy at the easy points for the hard ones, and keeps the round
// that leaves the fewest points off at the coverage check's sample size, its sampling
// error counted.
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
// The rate errors are judged at the size of the coverage check's samples, whatever
// the number of replicates the calibration has.
constexpr double kCheckSamples = 4000.0;

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
  std::vector<size_t> index;    // the raw point of each target
  std::vector<double> zcheck;   // each target's largest rate error in check standard errors
  std::vector<double> shift;    // and the log shift of its critical value that would mend it
  calib_score score;
};

// One round: the targets for table t and the in-sample rejection rates it gives.
round_out one_round(int family, int set, int stat, const std::vector<raw_point>& pts, const std::vector<double>& t,
                    bool weighted, int threads) {
  const kes_edf3fam& fam = edfgen_members(family);
  const int ncase = edfgen_case(set);
  std::vector<point_quant> q(pts.size());
  std::vector<calib_score> sc(pts.size());
  std::vector<double> zcheck(pts.size(), 0.0), shift(pts.size(), 0.0);
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
      const double var = kLevels[j] * (1 - kLevels[j]);
      const double z = (rate - kLevels[j]) / std::sqrt(var / static_cast<double>(m));
      const double zc = (rate - kLevels[j]) / std::sqrt(var / kCheckSamples);
      s.chi += z * z;
      s.worst = std::max(s.worst, std::fabs(z));
      s.off_levels += std::fabs(z) > 4;
      off = off || std::fabs(z) > 4;
      if (std::fabs(zc) > std::fabs(zcheck[i])) {
        zcheck[i] = zc;
        shift[i] = upper(e[j], kLevels[j]);
      }
      s.worst_check = std::max(s.worst_check, std::fabs(zc));
      s.off_check += std::fabs(zc) > 4;
      // The check's own sampling error, about one standard error, added to this one.
      s.expected_off += 0.5 * (std::erfc((4.0 - zc) / std::sqrt(2.0)) + std::erfc((4.0 + zc) / std::sqrt(2.0)));
    }
    s.off_points = off;
  });
  round_out r;
  for (size_t i = 0; i < pts.size(); ++i) {
    if (q[i].set != set) continue;
    r.targets.push_back(q[i]);
    r.index.push_back(i);
    r.zcheck.push_back(zcheck[i]);
    r.shift.push_back(shift[i]);
    r.score.points += sc[i].points;
    r.score.off_points += sc[i].off_points;
    r.score.off_levels += sc[i].off_levels;
    r.score.chi += sc[i].chi;
    r.score.worst = std::max(r.score.worst, sc[i].worst);
    r.score.off_check += sc[i].off_check;
    r.score.worst_check = std::max(r.score.worst_check, sc[i].worst_check);
    r.score.expected_off += sc[i].expected_off;
  }
  return r;
}

bool better(const calib_score& a, const calib_score& b, bool focus) {
  // Judged as the coverage check will judge it: a round that brings every point near
  // the limit may leave more off by chance than one with a few points past it.
  if (focus) return a.expected_off != b.expected_off ? a.expected_off < b.expected_off : a.worst_check < b.worst_check;
  return a.off_levels != b.off_levels ? a.off_levels < b.off_levels : a.chi < b.chi;
}

// The points still off at the check's sample size, each with the log shift its
// critical value needs: what the form fails to follow.
std::string misses(const std::vector<raw_point>& pts, const round_out& r) {
  std::string out;
  char buf[160];
  for (size_t k = 0; k < r.targets.size(); ++k) {
    if (std::fabs(r.zcheck[k]) <= 4.0) continue;
    const raw_point& p = pts[r.index[k]];
    std::snprintf(buf, sizeof buf, "    shape %g n %g: rate off by %+.1f check se; its log critical value needs %+.3f\n",
                  p.shape, p.n, r.zcheck[k], r.shift[k]);
    out += buf;
  }
  return out;
}
}  // namespace

std::string calib_score::text() const {
  char buf[224];
  std::snprintf(buf, sizeof buf,
                "%d of %d points (%d point-levels) more than 4 se off, sum z^2 %.1f, largest |z| %.1f; "
                "at %.0f samples %d point-levels, largest |z| %.1f, %.2f expected off",
                off_points, points, off_levels, chi, worst, kCheckSamples, off_check, worst_check, expected_off);
  return buf;
}

calib_result edfgen_calibrate(int family, int set, int stat, const std::vector<raw_point>& pts,
                              const std::vector<double>& start, int rounds, bool weighted, bool focus,
                              int threads, std::string* log) {
  calib_result best;
  std::string best_misses;
  std::vector<double> t = start;
  std::vector<double> lawson(pts.size(), 1.0);  // focus weights of the raw points
  for (int k = 0; k <= rounds; ++k) {
    round_out r = one_round(family, set, stat, pts, t, weighted, threads);
    *log += "  round " + std::to_string(k) + ": " + r.score.text() + "\n";
    if (k == 0 || better(r.score, best.score, focus)) {
      best.t = t;
      best.score = r.score;
      best.round = k;
      best.points = static_cast<int>(r.targets.size());
      best_misses = misses(pts, r);
    }
    if (k == rounds) break;
    if (focus) {
      // Lawson: each weight grows with its point's error, the mean weight kept at 1;
      // a floor keeps the points met in the fit.
      double sum = 0.0;
      for (size_t i = 0; i < r.targets.size(); ++i) {
        double& w = lawson[r.index[i]];
        w *= std::fmax(std::fabs(r.zcheck[i]), 0.5);
        sum += w;
      }
      const double mean = sum / static_cast<double>(std::max<size_t>(r.targets.size(), 1));
      for (size_t i = 0; i < r.targets.size(); ++i) {
        double& w = lawson[r.index[i]];
        w = std::fmax(w / mean, 0.05);
        // Least squares weights multiply the residuals, Lawson's their squares.
        for (double& x : r.targets[i].weight[stat]) x = (x > 0.0 ? x : 1.0) * std::sqrt(w);
      }
    }
    double rms = 0.0;
    std::vector<double> next = edfgen_fit_table(family, set, stat, r.targets, &rms);
    if (next.empty()) break;
    t = std::move(next);
    if (k == 0 || best.round == k) best.rms_next = rms;
  }
  *log += "  off at the check's sample size in round " + std::to_string(best.round) + ":\n" +
          (best_misses.empty() ? "    none\n" : best_misses);
  return best;
}
