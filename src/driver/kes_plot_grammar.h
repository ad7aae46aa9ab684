// The plot statements' slot and flag names come from the grammar source (the generated
// kes_gram_names.h); here the tables the statement pass builds on them.
#pragma once

#include "kes_gram_names.h"
#include "records/kes_curve.h"  // the distribution codes (KES_DIST_KERNEL)

// The parameter rows of the fitted families: value list, EST marker list and pairing
// list slot of each parameter, in family order.
struct kes_param_slots {
  int values;
  int markers;
  int pairs;
};
// Rows of the parameter table, by family and parameter: each the name the grammar
// gives the parameter's value slot.
#define KES_PARAM_LIST(X)                                 \
  X(NORMAL_MU) X(NORMAL_SIGMA)                            \
  X(LOGNORMAL_THETA) X(LOGNORMAL_SIGMA) X(LOGNORMAL_ZETA) \
  X(EXPONENTIAL_THETA) X(EXPONENTIAL_SIGMA)               \
  X(WEIBULL_THETA) X(WEIBULL_SIGMA) X(WEIBULL_C)          \
  X(GAMMA_THETA) X(GAMMA_SIGMA) X(GAMMA_ALPHA)            \
  X(BETA_THETA) X(BETA_SIGMA) X(BETA_ALPHA) X(BETA_BETA)  \
  X(SB_THETA) X(SB_SIGMA) X(SB_DELTA) X(SB_GAMMA)         \
  X(SU_THETA) X(SU_SIGMA) X(SU_DELTA) X(SU_GAMMA)
enum kes_param_row : int {
#define KES_PARAM_ROW(P) KES_P_##P,
  KES_PARAM_LIST(KES_PARAM_ROW)
#undef KES_PARAM_ROW
  KES_NPARAM_ROWS
};
// The three slots the grammar names for parameter P.
#define KES_PARAM_SLOTS(P) {KES_PLOT_SLOT_##P, KES_PLOT_SLOT_##P##_MARKS, KES_PLOT_SLOT_##P##_EST}
#define KES_PARAM_SLOT_ROW(P) KES_PARAM_SLOTS(P),
constexpr kes_param_slots KES_PARAM_ROWS[KES_NPARAM_ROWS] = {KES_PARAM_LIST(KES_PARAM_SLOT_ROW)};
// The lognormal SLOPE= row, paired like the others but not a parameter row.
constexpr kes_param_slots KES_PARAM_LOGNORMAL_SLOPE = KES_PARAM_SLOTS(LOGNORMAL_SLOPE);
#undef KES_PARAM_SLOT_ROW
#undef KES_PARAM_SLOTS
#undef KES_PARAM_LIST

// Kernel C= codes.
constexpr double KES_KERNEL_C_MISE = -1;
constexpr double KES_KERNEL_C_SJPI = -2;
