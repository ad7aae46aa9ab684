// Result block of the tests for normality of one variable (or of the EDF tests of a
// fitted normal curve). Filled by zkesnrm; the OUTPUT NORMAL and PROBN cells are the
// two doubles after the ten statistics.
#pragma once

// Which normal parameters were estimated from the data.
enum kes_nrmcase : int {
  KES_NRM_BOTH_GIVEN = 0,     // mu and sigma given
  KES_NRM_MEAN_EST = 1,       // mu estimated, sigma given
  KES_NRM_SIGMA_EST = 2,      // mu given, sigma estimated
  KES_NRM_BOTH_EST = 3,       // both estimated
};

struct kes_nrmres {
  int ncase;        // kes_nrmcase
  int ntests;       // 4 when Shapiro-Wilk W is computed, else 3
  double mu;        // parameters used (missing when none could be had)
  double sigma;
  double w;         // Shapiro-Wilk W
  double d;         // Kolmogorov-Smirnov D
  double wsq;       // Cramer-von Mises W-Sq
  double asq;       // Anderson-Darling A-Sq
  double pw;        // p-values of the four statistics
  double pd;
  double pwsq;
  double pasq;
  double out_stat;  // OUTPUT NORMAL: the first test's statistic
  double out_prob;  // OUTPUT PROBN: the first test's p-value
  double* first_stat;  // &w when 4 tests, else &d
  double* first_prob;  // &pw when 4 tests, else &pd
  char qual[4];     // ' ', '<' or '>' for W, D, W-Sq, A-Sq
};
