// The family table says which families share the EDF tests of the shape families: the
// gamma, lognormal and Weibull sets name their own tests (whose tables' shape range the
// note of an untested curve gives), and no other family names any.
#include <gtest/gtest.h>

#include "fitreport/kes_edf3.h"
#include "fitreport/kes_famsets.h"
#include "records/kes_curve.h"

namespace {

TEST(FamilyTable, OnlyTheShapeFamiliesShareTheirEdfTests) {
  struct shared_case {
    int code;
    const kes_edf3fam* tests;  // null: the family's tests are its own
  };
  const shared_case cases[] = {
      {KES_DIST_NORMAL, nullptr},       {KES_DIST_LOGNORMAL, &kes_edf3_lognormal()},
      {KES_DIST_EXPONENTIAL, nullptr},  {KES_DIST_WEIBULL, &kes_edf3_weibull()},
      {KES_DIST_GAMMA, &kes_edf3_gamma()}, {KES_DIST_BETA, nullptr},
      {KES_DIST_SB, nullptr},           {KES_DIST_SU, nullptr},
      {KES_DIST_WEIBULL2, nullptr},
  };
  for (const shared_case& k : cases) {
    SCOPED_TRACE(k.code);
    const kes_famfn* set = kes_famdisp(k.code);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->edf3 != nullptr ? &set->edf3() : nullptr, k.tests);
  }
  // Each names its own shape: the three sets differ.
  EXPECT_STREQ(kes_edf3_gamma().shape_symbol, "alpha");
  EXPECT_STREQ(kes_edf3_lognormal().shape_symbol, "sigma");
  EXPECT_STREQ(kes_edf3_weibull().shape_symbol, "c");
}

}  // namespace
