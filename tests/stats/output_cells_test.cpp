// The checks the OUTPUT set-up makes on the analysis variables, the special missing
// values an OUTPUT observation carries, and the utility files of the side-by-side box
// plots.
#include "output_test_support.h"

namespace {

using out_test::output_fixture;

using OutputCells = output_fixture;

TEST_F(OutputCells, NoVarStatementWithSeveralVariablesEndsTheStep) {
  input("in", "a,b\n1,2\n", {"a", "b"});
  ctx->proc->slots[1].given = 0;  // the variables came from the data set, not VAR
  output("o", {{6, {"m"}}});
  EXPECT_EQ(setup(), KES_RC_OUTPUT_UNDEFINED);
  EXPECT_NE(log().find("ERROR: An OUTPUT statement needs a VAR statement"), std::string::npos) << log();
}

TEST_F(OutputCells, NoVarStatementWithOneVariableIsFine) {
  input("in", "a\n1\n", {"a"});
  ctx->proc->slots[1].given = 0;
  output("o", {{6, {"m"}}});
  EXPECT_EQ(setup(), 0) << log();
}

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
  // Each handle reaches its own file.
  const double box[2] = {1.5, -2.25};
  const int word = 17;
  ASSERT_EQ(xcwrite(kes_util_handle(ctx, KES_UTIL_ONE), box, sizeof box), 0);
  ASSERT_EQ(xcwrite(kes_util_handle(ctx, KES_UTIL_TWO), &word, sizeof word), 0);
  ASSERT_EQ(xcwrite(kes_util_handle(ctx, KES_UTIL_THREE), &box[1], sizeof box[1]), 0);
  double back1[2] = {0, 0};
  int back2 = 0;
  ASSERT_EQ(xcrewnd(kes_util_handle(ctx, KES_UTIL_ONE)), 0);
  ASSERT_EQ(xcread(kes_util_handle(ctx, KES_UTIL_ONE), back1, sizeof back1), static_cast<int>(sizeof back1));
  ASSERT_EQ(xcrewnd(kes_util_handle(ctx, KES_UTIL_TWO)), 0);
  ASSERT_EQ(xcread(kes_util_handle(ctx, KES_UTIL_TWO), &back2, sizeof back2), static_cast<int>(sizeof back2));
  EXPECT_EQ(back1[0], 1.5);
  EXPECT_EQ(back1[1], -2.25);
  EXPECT_EQ(back2, 17);
  double back3[2] = {0, 0};
  ASSERT_EQ(xcrewnd(kes_util_handle(ctx, KES_UTIL_THREE)), 0);
  EXPECT_EQ(xcread(kes_util_handle(ctx, KES_UTIL_THREE), back3, sizeof back3), static_cast<int>(sizeof(double)));
  EXPECT_EQ(back3[0], -2.25);
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
