// The goodness-of-fit texts are read by test: each row must hold the name, symbol and
// p-value heading of one test, in the order the tables print them.
#include <gtest/gtest.h>

#include <string>

#include "core/runtime.h"
#include "kes_msg_names.h"
#include "stats/gof_test_texts.h"

namespace {

std::string text(int number) {
  const std::string* t = plat::catalogue_text(KES_SET_PLOT, number);
  return t != nullptr ? *t : "<no message " + std::to_string(number) + ">";
}

TEST(GofTexts, EachRowNamesOneTest) {
  const struct {
    const char *name, *symbol, *pvalue;
  } kTests[KES_GOF_TESTS] = {
      {"Shapiro-Wilk", "W", "Pr < W"},
      {"Anderson-Darling", "A-Sq", "Pr > A-Sq"},
      {"Cramer-von Mises", "W-Sq", "Pr > W-Sq"},
      {"Kolmogorov-Smirnov", "D", "Pr > D"},
      {"Chi-Square", "Chi-Sq", "Pr > Chi-Sq"},
  };
  for (int i = 0; i < KES_GOF_TESTS; ++i) {
    EXPECT_EQ(text(KES_GOF_TEXTS[i].name), kTests[i].name) << i;
    EXPECT_EQ(text(KES_GOF_TEXTS[i].symbol), kTests[i].symbol) << i;
    EXPECT_EQ(text(KES_GOF_TEXTS[i].pvalue), kTests[i].pvalue) << i;
  }
}

}  // namespace
