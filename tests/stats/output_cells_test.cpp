// The special missing values an OUTPUT observation carries, and the utility files of
// the side-by-side box plots. OUTPUT without a VAR statement is the example program
// default_var.
#include "output_test_support.h"

namespace {

using out_test::output_fixture;

using OutputCells = output_fixture;

// Special missing values and a negative zero keep their kind on the way out.
TEST_F(OutputCells, MissingKindsAndNegativeZeroReachTheFile) {
  input("in", "x\n1\n", {"x"});
  kes_stmt* s = output("miss", {{KES_OUTPUT_SLOT_MEAN, {"m"}},
                                {KES_OUTPUT_SLOT_STD, {"s"}},
                                {KES_OUTPUT_SLOT_SKEWNESS, {"k"}},
                                {KES_OUTPUT_SLOT_USS, {"u"}}});
  ASSERT_EQ(setup(), 0) << log();
  ctx->stats->mom.v[KES_MOM_MEAN] = host_missing_of_kind(HOST_MISS_A);
  ctx->stats->mom.v[KES_MOM_STD] = host_missing_of_kind(HOST_MISS_UNDERSCORE);
  ctx->stats->mom.v[KES_MOM_SKEW] = host_missing_of_kind(HOST_MISS_Z);
  ctx->stats->mom.v[KES_MOM_USS] = -0.0;
  kesouts(ctx, ctx->stats, ctx->outvals);
  ASSERT_EQ(kesout(ctx, KES_OUT_SLOT_LAST), 0);
  ASSERT_EQ(close(s), 0);
  EXPECT_EQ(out_test::slurp(work() / "miss.csv"), "m,s,k,u\n.A,._,.Z,-0\n");
}

TEST_F(OutputCells, UtilityFilesAreOpenedForTheSideBySidePlots) {
  input("in", "g,longname,x\n1,abcdefghijk,5\n", {"x"}, {"g", "longname"});
  ctx->sideplots = 1;
  ASSERT_EQ(setup(), 0) << log();
  // A BY value wider than a plot cell is noted; the numeric one is not.
  EXPECT_NE(log().find("WARNING: The formatted values of BY variable longname are longer than 8 characters"),
            std::string::npos)
      << log();
  EXPECT_EQ(log().find("BY variable g "), std::string::npos);
  const std::string folder = plat::utility_folder();
  ASSERT_FALSE(folder.empty());
  for (const char* f : {"ONE.UTILITY", "TWO.UTILITY", "THREE.UTILITY"})
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + f)) << f;
  // Each handle reaches its own file: a value apiece, read back after a rewind (a
  // read asking for more returns what there is).
  const int which[3] = {KES_UTIL_ONE, KES_UTIL_TWO, KES_UTIL_THREE};
  for (int k = 0; k < 3; ++k) {
    const double v = 1.5 - k;
    ASSERT_EQ(xcwrite(kes_util_handle(ctx, which[k]), &v, sizeof v), 0);
  }
  for (int k = 0; k < 3; ++k) {
    double back[2] = {0, 0};
    ASSERT_EQ(xcrewnd(kes_util_handle(ctx, which[k])), 0);
    EXPECT_EQ(xcread(kes_util_handle(ctx, which[k]), back, sizeof back), static_cast<int>(sizeof(double)));
    EXPECT_EQ(back[0], 1.5 - k);
  }
  // They go with the step.
  plat::finish_step();
  EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(OutputCells, NoUtilityFilesWithoutTheSideBySidePlots) {
  input("in", "g,x\n1,5\n", {"x"}, {"g"});
  ASSERT_EQ(setup(), 0);
  EXPECT_EQ(plat::utility_folder(), "");
}

}  // namespace
