// Checks of the tables: their telling rows against the published ones, monotone
// critical values over the grid, and rejection rates of the module's p-values on
// fresh simulations (all-known laws and the fixed known-threshold tables too).
#include <cmath>
#include <cstdio>
#include <sstream>

#include "edfgen.h"
#include "edfgen_published.h"
#include "fitreport/kes_edf3.h"
#include "fitreport/kes_edfcoef.h"

namespace {
constexpr double kCheckLevels[7] = {.25, .15, .10, .05, .025, .01, .005};
const char* const kStat[3] = {"D", "W-Sq", "A-Sq"};

std::string fmt(const char* f, double a, double b = 0, double c = 0, double d = 0, double e = 0) {
  char buf[256];
  std::snprintf(buf, sizeof buf, f, a, b, c, d, e);
  return buf;
}

// Rejection at level l by a reported p-value: 1, 0, or -1 when the relation leaves it open.
int rejects(const kes_edfp& p, double l) {
  if (std::isnan(p.p)) return -1;
  if (p.rel == '>') return p.p >= l ? 0 : -1;
  if (p.rel == '<') return p.p <= l ? 1 : -1;
  return p.p <= l ? 1 : 0;
}

// Rejection counts of the module's p-values at the levels, per statistic.
struct tally {
  long rej[3][7] = {}, seen[3][7] = {}, open[3][7] = {};
  void add(int family, int ncase, double n, const replicate& r) {
    if (!r.ok) return;
    kes_edfp p[3];
    for (kes_edfp& x : p) x = {NAN, ' '};
    kes_edf3_pvalues(nullptr, edfgen_members(family), ncase, r.shape, n, r.d, r.stat[1], r.stat[2], &p[0], &p[1], &p[2]);
    for (int s = 0; s < 3; ++s)
      for (int l = 0; l < 7; ++l)
        if (const int k = rejects(p[s], kCheckLevels[l]); k >= 0) {
          ++seen[s][l];
          rej[s][l] += k;
        } else if (!std::isnan(p[s].p)) {
          ++open[s][l];
        }
  }
  // A line per statistic of rates at the levels within the table's range (all, or the
  // goal's .10, .05 and .01; * more than 4 standard errors off the level); the count of those.
  int report(const std::string& what, std::string* out, bool all_levels) const {
    int bad = 0;
    for (int s = 0; s < 3; ++s) {
      std::string line;
      for (int l = 0; l < 7; ++l) {
        // A level past the table's range leaves some samples open: not checkable.
        if (seen[s][l] == 0 || open[s][l] > 0 || (!all_levels && l != 2 && l != 3 && l != 5)) continue;
        const double lev = kCheckLevels[l], rate = double(rej[s][l]) / double(seen[s][l]);
        const double se = std::sqrt(lev * (1 - lev) / double(seen[s][l]));
        const bool off = std::fabs(rate - lev) > 4 * se;
        bad += off;
        line += fmt(" %.3f:%.4f", lev, rate) + (off ? "*" : "");
      }
      if (!line.empty()) *out += what + " " + kStat[s] + line + fmt(" (%.0f samples)\n", double(seen[s][3]));
    }
    return bad;
  }
};

}  // namespace

// The numbers after a table's name in a table text.
std::vector<double> edfgen_table_values(const char* text, const std::string& name) {
  std::istringstream in(text);
  std::string line, tok;
  std::vector<double> v;
  bool on = false;
  while (std::getline(in, line)) {
    std::istringstream l(line.substr(0, line.find('#')));
    while (l >> tok) {
      if (std::isalpha(static_cast<unsigned char>(tok[0]))) on = tok == name;
      else if (on) v.push_back(std::strtod(tok.c_str(), nullptr));
    }
  }
  return v;
}

int edfgen_check_tables(int family, const char* text, std::string* out) {
  const char* why = nullptr;
  kes_edf_coef_clear();
  if (kes_edf_coef_read(family, text, &why) != 0) {
    *out += std::string("unreadable tables: ") + why + "\n";
    return 1;
  }
  int bad = 0;
  const std::vector<double> d7 = edfgen_table_values(text, "dcoef7");
  if (d7.size() >= 11) {
    double worst = 0.0;
    *out += std::string(edfgen_family_name(family)) + " dcoef7 r0 minus the published row:";
    for (int j = 0; j < 11; ++j) {
      const double e = d7[j] - kPublishedR0[family][j];
      worst = std::fmax(worst, std::fabs(e));
      *out += fmt(" %.4f", e);
    }
    *out += fmt("  (largest %.4f)\n", worst);
  }
  for (int set : {1, 2, 3, 4, 5, 6, 7, 61}) {
    const int ncase = edfgen_case(set);
    long points = 0, fails = 0;
    for (const grid_point& g : edfgen_grid(family, set))
      for (double dn : {0.0, 0.5}) {
        // Grid points and points between them.
        const double n = g.n + dn * g.n * 0.3, shape = g.shape * (1 + dn * 0.05);
        if (edfgen_members(family).set(ncase, shape) != set) continue;
        for (int s = 0; s < 3; ++s) {
          double c[11];
          if (!kes_edf_coef_crit(family, set, s, shape, n, c)) continue;
          ++points;
          for (int j = 1; j < 11; ++j)
            if (!(c[j] > c[j - 1])) {
              ++fails;
              break;
            }
        }
      }
    if (points == 0) continue;  // no tables of the set in the text
    *out += std::string(edfgen_family_name(family)) + " set " + std::to_string(set) +
            fmt(": critical values increase across the levels at %.0f of %.0f points\n", double(points - fails),
                double(points));
    bad += fails > 0;
  }
  return bad;
}

int edfgen_check_fixed(long reps, std::uint64_t seed, int threads, std::string* out) {
  int bad = 0;
  struct run {
    int family, ncase;
    double shape;
  };
  const run runs[] = {{KES_COEF_GAMMA, 0, 2.0}, {KES_COEF_LOGNORMAL, 0, 0.5}, {KES_COEF_WEIBULL, 0, 3.0},
                      {KES_COEF_LOGNORMAL, 3, 0.5}, {KES_COEF_LOGNORMAL, 3, 2.0}, {KES_COEF_WEIBULL, 3, 1.5},
                      {KES_COEF_WEIBULL, 3, 4.0}};
  for (const run& r : runs)
    for (double n : {10.0, 25.0, 100.0, 400.0}) {
      const grid_point g{r.shape, n};
      std::vector<replicate> reps_out;
      edfgen_simulate(r.family, r.ncase, &g, 1, reps, seed, threads, &reps_out);
      tally t;
      for (const replicate& x : reps_out) t.add(r.family, r.ncase, n, x);
      bad += t.report(std::string(edfgen_family_name(r.family)) + " case " + std::to_string(r.ncase) +
                          fmt(" shape %g n %g", r.shape, n),
                      out, true);
    }
  return bad;
}

int edfgen_check_coverage(int family, int set, long reps, std::uint64_t seed, int threads, std::string* out) {
  const std::vector<grid_point> grid = edfgen_grid(family, set);
  std::vector<std::vector<replicate>> r(grid.size());
  edfgen_simulate(family, edfgen_case(set), grid.data(), static_cast<int>(grid.size()), reps, seed, threads, r.data());
  tally all;
  int offpoints = 0;
  std::string detail;
  for (size_t i = 0; i < grid.size(); ++i) {
    tally t;
    for (const replicate& x : r[i]) {
      t.add(family, edfgen_case(set), grid[i].n, x);
      all.add(family, edfgen_case(set), grid[i].n, x);
    }
    std::string lines;
    if (t.report(fmt("  shape %g n %g", grid[i].shape, grid[i].n), &lines, false) > 0) {
      ++offpoints;
      detail += lines;
    }
  }
  const std::string head = std::string(edfgen_family_name(family)) + " set " + std::to_string(set) + " overall";
  const int bad = all.report(head, out, false);
  *out += head + fmt(": %.0f of %.0f grid points have a rate more than 4 se off\n", offpoints, double(grid.size()));
  *out += detail;
  return bad;
}
