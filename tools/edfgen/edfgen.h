// edfgen: the EDF coefficient tables of the gamma, lognormal and Weibull fits, made
// by simulating samples of known laws, fitting them with the module's own fits and
// taking the quantiles of the module's own statistics.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* kEdfgenVersion = "1.1";
// Upper-tail levels of the coefficient tables' columns.
inline constexpr double kLevels[11] = {.5, .25, .2, .15, .1, .05, .025, .01, .005, .0025, .001};

// Installs the tool's host; before any fit.
void edfgen_host_start();

// Family numbers are the reader's (kes_coeffam); names gamma, lognormal, weibull.
int edfgen_family(const std::string& name);
const char* edfgen_family_name(int family);

struct kes_edf3fam;
// The module's EDF tests of a family.
const kes_edf3fam& edfgen_members(int family);

struct grid_point {
  double shape, n;
};
// The grid of true shapes and sample sizes of a table set (1..7, 61).
std::vector<grid_point> edfgen_grid(int family, int set);
// The EDF case a set serves (61: 6).
inline int edfgen_case(int set) { return set == 61 ? 6 : set; }

// One simulated sample after its fit: fitted shape and the statistics sqrt(n) D,
// W-Sq, A-Sq (A-Sq NaN when missing); ok false when the fit failed.
struct replicate {
  bool ok;
  double shape, stat[3], d;
};
// reps replicates of case ncase at a point, into out; deterministic in (seed, family,
// ncase, point, replicate) whatever the thread count.
void edfgen_simulate(int family, int ncase, const grid_point* pts, int npts, long reps, std::uint64_t seed,
                     int threads, std::vector<replicate>* out);

// Empirical upper-tail quantiles of the ok replicates' statistic at the 11 levels,
// with the standard error of the log of the .001 point (from the order statistics
// around it). False when fewer than 1000 values.
bool edfgen_quantiles(const std::vector<replicate>& r, int stat, double* q, double* se001, long* used);

// One grid point's simulated quantiles, as written to a part file.
struct point_quant {
  int set;
  double shape, n;
  long reps, fails, used[3];
  double se001[3];
  double q[3][11];
  bool valid[3];
  // Least-squares weights of the log quantiles; 0 stands for 1.
  double weight[3][11];
};
// Least-squares fit of a table's form to the points' log quantiles (rows per level,
// shared scalars jointly, each log quantile by its weight); the table's values padded with zeros to its size, or an
// empty vector when the points cannot determine it. *rms gets the residual RMS.
std::vector<double> edfgen_fit_table(int family, int set, int stat, const std::vector<point_quant>& pts,
                                     double* rms);

// The numbers after a table's name in a table text.
std::vector<double> edfgen_table_values(const char* text, const std::string& name);

// The checks: each writes its findings to out and returns the number of failures.
int edfgen_check_tables(int family, const char* text, std::string* out);
int edfgen_check_fixed(long reps, std::uint64_t seed, int threads, std::string* out);
int edfgen_check_coverage(int family, int set, long reps, std::uint64_t seed, int threads, std::string* out);

// Raw replicates of the points (fitted shape, NaN when the fit failed, and the three
// statistics), kept for calibrating a table at the fitted shape.
struct raw_point {
  int set;
  double shape, n;
  std::string line;  // the sim command line that made it
  std::vector<replicate> r;
};
// Appends a point's replicates to a raw file (binary; one record per point).
void edfgen_raw_append(const std::string& path, const point_quant& q, const std::vector<replicate>& r,
                       const std::string& line);
// The points of a raw file, in file order; false when the file is unreadable or malformed
// (a record cut short by a stopped run ends the reading without failing).
bool edfgen_raw_read(const std::string& path, std::vector<raw_point>* out);

// In-sample rejection rates of a table at the goal's levels (.10, .05, .01).
struct calib_score {
  int points = 0, off_points = 0, off_levels = 0;
  double chi = 0.0, worst = 0.0;
  // The same rate errors in standard errors of the coverage check's sample size.
  int off_check = 0;
  double worst_check = 0.0;
  double expected_off = 0.0;  // point-levels the check is expected to find off
  std::string text() const;
};
struct calib_result {
  std::vector<double> t;  // the best table met (fewest levels off, then smallest sum of z^2)
  calib_score score;
  int round = 0, points = 0;
  double rms_next = 0.0;
};
// Calibrates table `start` of a set's statistic at the fitted shape over the raw points
// of the set (rounds of shift-and-refit; see edfgen_calib.cpp); each round's score to log.
// weighted: each target weighted by how much a rejection rate moves with it; focus:
// the points reweighted each round by their rate errors, to leave the fewest off.
calib_result edfgen_calibrate(int family, int set, int stat, const std::vector<raw_point>& pts,
                              const std::vector<double>& start, int rounds, bool weighted, bool focus,
                              int threads, std::string* log);
