// The statistics record of the current analysis variable, inside the procedure
// context. The statistics code refills it for every variable, BY group and CLASS
// cell; tables, OUTPUT, OUTTABLE and the box plots read it afterwards by field.
//
// The moments, quantiles, location tests and robust scale are arrays indexed by the
// enums below; stats/statistics.def names the cell each OUTPUT, OUTTABLE and inset
// statistic reads.
#pragma once

#include "stats/kes_nrmres.h"
#include "stats/kes_twmres.h"

struct kes_valview;

// ---------------------------------------------------------------------------------
// Moments block: the VARDEF text, then 14 doubles.
enum kes_momcell : int {
  KES_MOM_N = 0,
  KES_MOM_MEAN = 1,
  KES_MOM_STD = 2,
  KES_MOM_SKEW = 3,
  KES_MOM_USS = 4,
  KES_MOM_CV = 5,
  KES_MOM_SUMWGT = 6,
  KES_MOM_SUM = 7,
  KES_MOM_VAR = 8,
  KES_MOM_KURT = 9,
  KES_MOM_CSS = 10,
  KES_MOM_STDMEAN = 11,
  KES_MOM_NMISS = 12,
  KES_MOM_NOBS = 13,
  KES_MOM_NCELLS = 14,
};

struct kes_moments {
  char vardef[8];                // VARDEF= text, blank-padded
  double v[KES_MOM_NCELLS];      // kes_momcell order
  // CSS and VAR as css_m 2^wide_e and var_m 2^wide_e, where the weights' unit may put
  // them below the smallest double while the values' unit does not (css_m 0: as the
  // cells say).
  double css_m;
  double var_m;
  int wide_e;
  // STD and STDMEAN as std_m 2^std_e and se_m 2^std_e, likewise (std_m 0: as the
  // cells say).
  double std_m;
  double se_m;
  int std_e;
  // USS as uss_m 2^uss_e where the values gave it (uss_m 0: as the cell says).
  double uss_m;
  int uss_e;
  // The centre the moments were taken about, the mean as the values give it: a
  // deviation is (x - pivot) - pivot_dev, exact for values at an offset (has_centre
  // false: MEAN serves).
  double pivot;
  double pivot_dev;
  bool has_centre;
};

// ---------------------------------------------------------------------------------
// Basic measures: 8 doubles (location and variability columns), then the mode ints.
enum kes_bascell : int {
  KES_BAS_MEAN = 0,
  KES_BAS_MEDIAN = 1,
  KES_BAS_MODE = 2,
  KES_BAS_BLANK = 3,             // the host's blank-cell value: prints empty
  KES_BAS_STD = 4,
  KES_BAS_VAR = 5,
  KES_BAS_RANGE = 6,
  KES_BAS_QRANGE = 7,
  KES_BAS_NCELLS = 8,
};

// Basic confidence limits, by column: estimates, lower limits, upper limits, each of
// mean, standard deviation, variance.
enum kes_bclcell : int {
  KES_BCL_EST_MEAN = 0,
  KES_BCL_EST_STD = 1,
  KES_BCL_EST_VAR = 2,
  KES_BCL_LO_MEAN = 3,
  KES_BCL_LO_STD = 4,
  KES_BCL_LO_VAR = 5,
  KES_BCL_UP_MEAN = 6,
  KES_BCL_UP_STD = 7,
  KES_BCL_UP_VAR = 8,
  KES_BCL_NCELLS = 9,
};

// ---------------------------------------------------------------------------------
// Quantiles block. OUTPUT keywords MAX..MODE are the first 14 cells; two spare cells
// and the whisker ends follow (18 cells in all).
enum kes_qntcell : int {
  KES_Q_MAX = 0,
  KES_Q_P99 = 1,
  KES_Q_P95 = 2,
  KES_Q_P90 = 3,
  KES_Q_Q3 = 4,
  KES_Q_MEDIAN = 5,
  KES_Q_Q1 = 6,
  KES_Q_P10 = 7,
  KES_Q_P5 = 8,
  KES_Q_P1 = 9,
  KES_Q_MIN = 10,
  KES_Q_RANGE = 11,
  KES_Q_QRANGE = 12,
  KES_Q_MODE = 13,
  KES_Q_SPARE1 = 14,
  KES_Q_SPARE2 = 15,
  KES_Q_WHISKER_LO = 16,         // data value nearest inside the lower 1.5 IQR fence
  KES_Q_WHISKER_HI = 17,         // data value nearest inside the upper 1.5 IQR fence
  KES_Q_NCELLS = 18,
};
// Number of standard percentiles (1 5 10 25 50 75 90 95 99 percent).
constexpr int KES_NSTDPCT = 9;

// Quantile request and result block, zeroed by the caller before each request.
struct kes_qntblk {
  int mode;                // 1 standard (modes, tail, counts, limits); 0 percentiles only
  int dfkind;              // distribution-free limits: 0 none, 1 lower, 2 upper,
                           // 4 symmetric, 5 symmetric else asymmetric
  int ntkind;              // normal-theory limits: 0 none, 1 lower, 2 upper, 3 two-sided
  int count;               // number of percentiles
  int* index;              // null, or the caller's place of the i-th smallest probability
  double* prob;            // fractions in (0, 1), ascending through index
  double dfalpha;
  double ntalpha;
  int distinct;            // result: number of distinct values
  int nmodes;              // result: values sharing the largest frequency (0: all once)
  int maxfreq;             // result: the largest frequency
  double* est;             // result: count estimates, in the caller's order
  double* ntlower;         // results filled from the end: position count-1-i for the
  double* ntupper;         // i-th probability (descending percentile order)
  double* dflower;
  double* dfupper;
  double* lrank;           // order-statistic ranks of the distribution-free limits
  double* urank;
  double* coverage;        // exact coverage in percent
  double modeval;          // result: smallest value with the largest frequency, or missing
  int ntexp;               // the moments' mean and std are in units of 2^ntexp
};

// ---------------------------------------------------------------------------------
// Robust scale: 10 doubles. OUTPUT GINI..STD_QN are cells 1..9.
enum kes_sclcell : int {
  KES_SCL_QRANGE = 0,
  KES_SCL_GINI = 1,
  KES_SCL_MAD = 2,
  KES_SCL_SN = 3,
  KES_SCL_QN = 4,
  KES_SCL_STD_QRANGE = 5,
  KES_SCL_STD_GINI = 6,
  KES_SCL_STD_MAD = 7,
  KES_SCL_STD_SN = 8,
  KES_SCL_STD_QN = 9,
  KES_SCL_NCELLS = 10,
};

// ---------------------------------------------------------------------------------
// Location tests, 9 doubles preset to missing. OUTPUT T, MSIGN, SIGNRANK, PROBT,
// PROBM, PROBS are cells 3..8.
enum kes_loccell : int {
  KES_LOC_MU0 = 0,
  KES_LOC_NDIFF = 1,       // observations that differ from mu0
  KES_LOC_NABOVE = 2,      // observations above mu0
  KES_LOC_T = 3,
  KES_LOC_M = 4,           // sign statistic
  KES_LOC_S = 5,           // signed rank statistic
  KES_LOC_PT = 6,          // two-sided p-values
  KES_LOC_PM = 7,
  KES_LOC_PS = 8,
  KES_LOC_NCELLS = 9,
};

struct kes_locres {
  double v[KES_LOC_NCELLS];
};

// Location counts (LOCCOUNT): mu0, above, differing, below.
enum kes_lccell : int {
  KES_LC_MU0 = 0,
  KES_LC_ABOVE = 1,
  KES_LC_NDIFF = 2,
  KES_LC_BELOW = 3,
  KES_LC_NCELLS = 4,
};

// ---------------------------------------------------------------------------------
// The extreme-observation and extreme-value bookkeeping of the data pass (the 11
// words of kes_varsum), copied by zkesext.
struct kes_extremes {
  double* highest;         // N highest values, ascending
  double* lowest;          // N lowest values, ascending
  int nslots;              // N (NEXTROBS)
  double* low_idnum;       // numeric ID values of the lowest and highest slots
  double* high_idnum;
  char* low_idchar;        // character ID values
  char* high_idchar;
  int* low_obs;            // observation numbers
  int* high_obs;
  int* low_freq;           // frequencies (null without FREQ)
  int* high_freq;
};

// ---------------------------------------------------------------------------------
// Listing labels: 40-character blank-filled slots in 14 groups, each with the length
// of its longest text. Loaded once per step; the statistics never write them.
constexpr int KES_LABEL_LEN = 40;

template <int N>
struct kes_labelgroup {
  char slot[N][KES_LABEL_LEN];
  int longest;
};

struct kes_statlabels {
  kes_labelgroup<6> g1;    // moments, left column
  kes_labelgroup<6> g2;    // moments, right column
  kes_labelgroup<4> g3;    // basic measures, location
  kes_labelgroup<4> g4;    // basic measures, variability
  kes_labelgroup<3> g5;    // basic intervals
  kes_labelgroup<4> g6;    // normality tests
  kes_labelgroup<4> g7;    // normality test statistics
  kes_labelgroup<4> g8;    // normality test p-values
  kes_labelgroup<11> g9;   // quantile rows
  kes_labelgroup<5> g10;   // robust measures of scale
  kes_labelgroup<3> g11;   // location tests
  kes_labelgroup<3> g12;   // location test statistics
  kes_labelgroup<3> g13;   // location test p-values
  kes_labelgroup<3> g14;   // observation counts against Mu0
  const char* subblock[7]; // label sub-blocks that the table printer uses
  const double* mom_left[6];   // values of the two moments columns
  const double* mom_right[6];
  const double* qnt_rows[11];  // P100, P99 .. P1, P0: the Quantiles table's rows
  kes_labelgroup<2> g9ends;    // the 100% and 0% rows' labels where they are not MAX and MIN
};

// ---------------------------------------------------------------------------------
struct kes_stats {
  // 1-2. Set once per step with the labels.
  int pctldef;                   // percentile definition 1..5, 6 weighted
  char vardef[8];                // VARDEF= text, blank-padded
  // 3. The cell's values (its record's view).
  const kes_valview* view;
  int ndistinct;                 // number of distinct values (set by the quantiles)
  // 4. Moments, then the data pass total copied unchanged.
  kes_moments mom;
  double pass_total;
  // 5. Basic measures and the mode counts.
  double basic[KES_BAS_NCELLS];
  int basic_nmodes;
  int basic_maxfreq;
  // 6. Basic confidence limits.
  double bcl[KES_BCL_NCELLS];
  // 7. Normality tests.
  kes_nrmres nrm;
  // 8. Quantiles block.
  double qnt[KES_Q_NCELLS];
  // P100 and P0 as the percentile definition gives them: MAX and MIN, but under the
  // weighted definition the last value that carries weight and the first value (or
  // its midpoint with the next that carries weight where it carries none).
  double pct_ends[2];
  // 9. Standard percentiles: estimates ascending; the seven limit arrays descending.
  double pct_est[KES_NSTDPCT];
  double pct_ntlower[KES_NSTDPCT];
  double pct_ntupper[KES_NSTDPCT];
  double pct_dflower[KES_NSTDPCT];
  double pct_dfupper[KES_NSTDPCT];
  double pct_lrank[KES_NSTDPCT];
  double pct_urank[KES_NSTDPCT];
  double pct_coverage[KES_NSTDPCT];
  // 10. Mode counts, second copy (Modes table).
  int nmodes;
  int maxfreq;
  // 11. The quantile request block, then the caller's PCTLPTS request.
  kes_qntblk qreq;
  int npctlpts;                  // 0: no PCTLPTS request
  double* pctlpts_prob;          // fractions, ascending
  int* pctlpts_index;            // each point's place in the caller's order
  double* pctlpts_result;        // results, in the caller's order
  // 12. Robust scale.
  double scl[KES_SCL_NCELLS];
  // 13. Location tests.
  kes_locres loc;
  // 14. Location counts.
  double loccount[KES_LC_NCELLS];
  // 15. Trimmed and winsorized means, one record per amount (caller's arrays).
  kes_twmres* trimmed;
  kes_twmres* winsorized;
  // 16. Extremes.
  kes_extremes ext;
  // Listing labels, loaded once per step.
  kes_statlabels labels;
};
