// OUTPUT observations per BY group and CLASS cell: the BY, CLASS and ID variables
// copied from the input and the values each cell carries; the checks made at start-up;
// the utility files of the side-by-side box plots.
#include "output_test_support.h"

namespace {

using out_test::output_fixture;

using OutputCells = output_fixture;

// What the step driver does after a BY group's variables: one observation per cell,
// from the cell's own copy of the values.
void write_cell(kes_ctx* ctx, const std::vector<double>& cellvals) {
  std::memcpy(ctx->outvals, cellvals.data(), sizeof(double) * cellvals.size());
  ASSERT_EQ(kesout(ctx, 49), 0);
}

TEST_F(OutputCells, ByAndOneClassVariableLeadTheObservation) {
  input("in", "g,site,x\n1,north,5\n1,south,6\n2,north,7\n", {"x"}, {"g"}, {"site"});
  kes_stmt* s = output("o", {{6, {"mean_x"}}});
  ASSERT_EQ(setup(), 0) << log();
  ASSERT_EQ(plat_xbynext(ctx->data), 1);
  level(0, "north");
  write_cell(ctx, {1.5});
  level(0, "south");
  write_cell(ctx, {2.5});
  ASSERT_EQ(plat_xbynext(ctx->data), 1);
  level(0, "north");
  write_cell(ctx, {3.5});
  ASSERT_EQ(close(s), 0);
  EXPECT_EQ(out_test::slurp(work() / "o.csv"), "g,site,mean_x\n1,north,1.5\n1,south,2.5\n2,north,3.5\n");
  plat::dataset* ds = back("o");
  EXPECT_FALSE(plat::variables(ds)[1].numeric);
  EXPECT_EQ(label(ds, "mean_x"), "Mean");
}

TEST_F(OutputCells, TwoClassVariablesNumericAndCharacter) {
  input("in", "band,site,x\n10,n,1\n20,s,2\n", {"x"}, {}, {"band", "site"});
  kes_stmt* s = output("o", {{5, {"n"}}});
  ASSERT_EQ(setup(), 0) << log();
  level(0, "", 10);
  level(1, "n");
  write_cell(ctx, {4});
  level(0, "", 20);
  level(1, "s");
  write_cell(ctx, {7});
  ASSERT_EQ(close(s), 0);
  EXPECT_EQ(out_test::slurp(work() / "o.csv"), "band,site,n\n10,n,4\n20,s,7\n");
}

TEST_F(OutputCells, IdoutAddsTheFirstObservationsIdValues) {
  input("in", "g,who,num,x\n1,ann,7,5\n1,bob,8,6\n", {"x"}, {"g"});
  // What the set-up of the ID variables leaves in the context.
  static int idvars[2], idtypes[2] = {2, 1}, idoffsets[3] = {0, 3, 3}, idsizes[2] = {3, 8};
  static char idtext[3];
  static double idnum[2];
  idvars[0] = plat::find_variable(in_, "who");
  idvars[1] = plat::find_variable(in_, "num");
  ctx->nids = 2;
  ctx->idsizes = idsizes;
  ctx->dp.idvarnums = idvars;
  ctx->dp.idtypes = idtypes;
  ctx->dp.idoffsets = idoffsets;
  ctx->dp.id_first_char = idtext;
  ctx->dp.id_first_num = idnum;
  ctx->dp.idout = 1;
  kes_stmt* s = output("o", {{6, {"m"}}});
  ASSERT_EQ(setup(), 0) << log();
  ASSERT_EQ(plat_xbynext(ctx->data), 1);
  std::memcpy(idtext, "ann", 3);
  idnum[1] = 7;
  write_cell(ctx, {5.5});
  ASSERT_EQ(close(s), 0);
  EXPECT_EQ(out_test::slurp(work() / "o.csv"), "g,who,num,m\n1,ann,7,5.5\n");
}

TEST_F(OutputCells, WithoutIdoutTheIdVariablesStayOut) {
  input("in", "who,x\nann,5\n", {"x"});
  static int idvars[1] = {0}, idtypes[1] = {2}, idoffsets[2] = {0, 3}, idsizes[1] = {3};
  ctx->nids = 1;
  ctx->idsizes = idsizes;
  ctx->dp.idvarnums = idvars;
  ctx->dp.idtypes = idtypes;
  ctx->dp.idoffsets = idoffsets;
  kes_stmt* s = output("o", {{6, {"m"}}});
  ASSERT_EQ(setup(), 0);
  write_cell(ctx, {1});
  ASSERT_EQ(close(s), 0);
  EXPECT_EQ(out_test::slurp(work() / "o.csv"), "m\n1\n");
}

TEST_F(OutputCells, AStatementWithNothingToWriteIsSkipped) {
  input("in", "x\n1\n", {"x"});
  kes_stmt* s = output("empty", {});
  ASSERT_EQ(setup(), 0) << log();
  EXPECT_EQ(kes_out_access(s), nullptr);
  EXPECT_EQ(kesout(ctx, 49), 0);
  EXPECT_NE(log().find("names no statistics"), std::string::npos) << log();
}

TEST_F(OutputCells, NoVarStatementWithSeveralVariablesEndsTheStep) {
  input("in", "a,b\n1,2\n", {"a", "b"});
  ctx->proc->slots[1].given = 0;  // the variables came from the data set, not VAR
  output("o", {{6, {"m"}}});
  EXPECT_EQ(setup(), 2000);
  EXPECT_NE(log().find("ERROR: An OUTPUT statement needs a VAR statement"), std::string::npos) << log();
}

TEST_F(OutputCells, NoVarStatementWithOneVariableIsFine) {
  input("in", "a\n1\n", {"a"});
  ctx->proc->slots[1].given = 0;
  output("o", {{6, {"m"}}});
  EXPECT_EQ(setup(), 0) << log();
}

TEST_F(OutputCells, WeightedVarianceDivisorIsNotedWhenNothingIsPrinted) {
  input("in", "a\n1\n", {"a"});
  std::memcpy(ctx->vardef, "WGT     ", 8);
  ctx->printed = 0;
  output("o", {{7, {"s"}}});
  output("o2", {{8, {"k"}}});
  ASSERT_EQ(setup(), 0) << log();
  const std::string l = log();
  EXPECT_NE(l.find("NOTE: With VARDEF=WGT"), std::string::npos) << l;
  EXPECT_EQ(l.find("VARDEF=WGT"), l.rfind("VARDEF=WGT"));  // once for the step
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
