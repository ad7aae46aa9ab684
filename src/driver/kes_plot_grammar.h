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
// Rows of the parameter table, by family and parameter.
enum kes_param_row : int {
  KES_P_NORMAL_MU,
  KES_P_NORMAL_SIGMA,
  KES_P_LOGNORMAL_THETA,
  KES_P_LOGNORMAL_SIGMA,
  KES_P_LOGNORMAL_ZETA,
  KES_P_EXPONENTIAL_THETA,
  KES_P_EXPONENTIAL_SIGMA,
  KES_P_WEIBULL_THETA,
  KES_P_WEIBULL_SIGMA,
  KES_P_WEIBULL_C,
  KES_P_GAMMA_THETA,
  KES_P_GAMMA_SIGMA,
  KES_P_GAMMA_ALPHA,
  KES_P_BETA_THETA,
  KES_P_BETA_SIGMA,
  KES_P_BETA_ALPHA,
  KES_P_BETA_BETA,
  KES_P_SB_THETA,
  KES_P_SB_SIGMA,
  KES_P_SB_DELTA,
  KES_P_SB_GAMMA,
  KES_P_SU_THETA,
  KES_P_SU_SIGMA,
  KES_P_SU_DELTA,
  KES_P_SU_GAMMA,
  KES_NPARAM_ROWS
};
constexpr kes_param_slots KES_PARAM_ROWS[KES_NPARAM_ROWS] = {
    {187, 120, 215},  // NORMAL_MU
    {142, 121, 216},  // NORMAL_SIGMA
    {188, 122, 217},  // LOGNORMAL_THETA
    {186, 123, 218},  // LOGNORMAL_SIGMA
    {189, 124, 219},  // LOGNORMAL_ZETA
    {199, 136, 220},  // EXPONENTIAL_THETA
    {200, 137, 221},  // EXPONENTIAL_SIGMA
    {190, 126, 222},  // WEIBULL_THETA
    {191, 127, 223},  // WEIBULL_SIGMA
    {192, 128, 224},  // WEIBULL_C
    {205, 129, 225},  // GAMMA_THETA
    {206, 130, 226},  // GAMMA_SIGMA
    {207, 131, 227},  // GAMMA_ALPHA
    {67, 132, 228},  // BETA_THETA
    {68, 133, 229},  // BETA_SIGMA
    {69, 134, 230},  // BETA_ALPHA
    {70, 135, 231},  // BETA_BETA
    {113, 147, 232},  // SB_THETA
    {154, 155, 233},  // SB_SIGMA
    {158, 119, 234},  // SB_DELTA
    {156, 110, 235},  // SB_GAMMA
    {164, 165, 236},  // SU_THETA
    {172, 198, 237},  // SU_SIGMA
    {176, 177, 238},  // SU_DELTA
    {174, 175, 239},  // SU_GAMMA
};
// The lognormal SLOPE= row, paired like the others but not a parameter row.
constexpr kes_param_slots KES_PARAM_LOGNORMAL_SLOPE = {60, 125, 240};

// Kernel C= codes.
constexpr double KES_KERNEL_C_MISE = -1;
constexpr double KES_KERNEL_C_SJPI = -2;
