// The texts of the goodness-of-fit tests, by test (0 Shapiro-Wilk, 1 Anderson-Darling,
// 2 Cramer-von Mises, 3 Kolmogorov-Smirnov, 4 chi-square): the test's name, its
// statistic's symbol and the heading of its p-value, all of set KES_SET_PLOT.
#pragma once

#include "kes_msg_names.h"

struct kes_gof_texts {
  int name;
  int symbol;
  int pvalue;
};

inline constexpr int KES_GOF_TESTS = 5;
inline constexpr kes_gof_texts KES_GOF_TEXTS[KES_GOF_TESTS] = {
    {KES_MSG_SHAPIRO_WILK, KES_MSG_SYMBOL_W, KES_MSG_PVALUE_W},
    {KES_MSG_ANDERSON_DARLING, KES_MSG_SYMBOL_A_SQ, KES_MSG_PVALUE_A_SQ},
    {KES_MSG_CRAMER_VON_MISES, KES_MSG_SYMBOL_W_SQ, KES_MSG_PVALUE_W_SQ},
    {KES_MSG_KOLMOGOROV_SMIRNOV, KES_MSG_SYMBOL_D, KES_MSG_PVALUE_D},
    {KES_MSG_CHI_SQUARE, KES_MSG_SYMBOL_CHI_SQ, KES_MSG_PVALUE_CHI_SQ},
};
