// The tables of family texts are read by family code: each entry must be the text of
// its own family, in the order of kes_distcode. The catalogue says what each text is.
#include <gtest/gtest.h>

#include <string>

#include "core/runtime.h"
#include "kes_msg_names.h"
#include "records/family_names.h"

namespace {

std::string text(int set, int number) {
  const std::string* t = plat::catalogue_text(set, number);
  return t != nullptr ? *t : "<no message " + std::to_string(set) + "/" + std::to_string(number) + ">";
}

// By kes_distcode: the family's word in headings, and its short name.
const struct {
  int code;
  const char* word;
  const char* short_name;
} kFamilies[] = {
    {KES_DIST_NORMAL, "Normal", "Normal"},   {KES_DIST_LOGNORMAL, "Lognormal", "Lognormal"},
    {KES_DIST_EXPONENTIAL, "Exponential", "Exponential"}, {KES_DIST_WEIBULL, "Weibull", "Weibull"},
    {KES_DIST_GAMMA, "Gamma", "Gamma"},      {KES_DIST_BETA, "Beta", "Beta"},
    {KES_DIST_SB, "Johnson SB", "SB"},       {KES_DIST_SU, "Johnson SU", "SU"},
};

TEST(FamilyNames, FittedFamiliesHaveTheirOwnTexts) {
  for (const auto& f : kFamilies) {
    const std::string w = f.word;
    const kes_fit_texts& t = KES_FIT_TEXTS[f.code];
    EXPECT_EQ(text(KES_SET_LABEL, KES_FAMILY_NAMES[f.code]), w) << f.code;
    EXPECT_EQ(text(KES_SET_PROC, KES_FAMILY_STAT_LABELS[f.code]), w) << f.code;
    EXPECT_EQ(text(KES_SET_PLOT, t.title), "Fitted " + w + " Distribution") << f.code;
    EXPECT_EQ(text(KES_SET_PLOT, t.title_numbered), "Fitted " + w + " Distribution {d}") << f.code;
    EXPECT_EQ(text(KES_SET_PLOT, t.title_for_var), "Fitted " + w + " Distribution for {L}") << f.code;
    EXPECT_EQ(text(KES_SET_PLOT, t.short_name), f.short_name) << f.code;
    EXPECT_EQ(text(KES_SET_PLOT, t.dist_title), w) << f.code;
    EXPECT_EQ(text(KES_SET_PLOT, KES_LINE_LEGENDS[f.code]), w + " Line") << f.code;
  }
}

TEST(FamilyNames, TwoParameterWeibullAndKernelCloseTheTables) {
  EXPECT_EQ(text(KES_SET_LABEL, KES_FAMILY_NAMES[KES_DIST_WEIBULL2]), "Weibull2");
  EXPECT_EQ(text(KES_SET_LABEL, KES_FAMILY_NAMES[KES_DIST_KERNEL]), "Kernel");
  EXPECT_EQ(text(KES_SET_PROC, KES_FAMILY_STAT_LABELS[KES_DIST_WEIBULL2]), "Weibull");
  EXPECT_EQ(text(KES_SET_PROC, KES_FAMILY_STAT_LABELS[KES_DIST_KERNEL]), "Kernel");
  EXPECT_EQ(text(KES_SET_PLOT, KES_LINE_LEGENDS[KES_DIST_WEIBULL2]), "Two-Parameter Weibull Line");
}

TEST(FamilyNames, KernelTypesInTheirOrder) {
  const char* const words[3] = {"normal", "triangular", "quadratic"};
  const char* const names[3] = {"Normal", "Triangular", "Quadratic"};
  for (int t = 0; t < 3; ++t) {
    EXPECT_EQ(text(KES_SET_LABEL, KES_KERN_WORDS[t]), words[t]);
    EXPECT_EQ(text(KES_SET_LABEL, KES_KERN_CURVE_NAMES[t]), names[t]);
  }
}

TEST(FamilyNames, ACodeThatIsNoFamilyHasNoName) {
  EXPECT_EQ(kes_family_name(-1), 0);
  EXPECT_EQ(kes_family_name(KES_DIST_KERNEL + 1), 0);
  EXPECT_EQ(kes_family_name(KES_DIST_GAMMA), KES_FAMILY_NAMES[KES_DIST_GAMMA]);
}

}  // namespace
