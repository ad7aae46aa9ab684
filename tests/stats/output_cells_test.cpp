// The special missing values an OUTPUT observation carries, and the utility files of
// the side-by-side box plots. OUTPUT without a VAR statement is the example program
// default_var.
#include "output_test_support.h"
#include "stats/kesoutp.h"

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

// The records of the side-by-side box plots: fixed-width raw records in the order
// the plots read them back, whatever was printed.
TEST_F(OutputCells, SideBySideRecordsKeepEveryVariablesPlace) {
  input("in", "g,x,y\n1,5,6\n", {"x", "y"}, {"g"});
  ctx->sideplots = 1;
  ASSERT_EQ(setup(), 0) << log();
  char by[8];
  std::memcpy(by, "     1.5", 8);
  ctx->dp.bystored = by;
  kes_stats* st = ctx->stats;
  auto variable = [&](int v, double base, int outliers) {
    ctx->curvar = v;
    const std::uint32_t before = ctx->utilword;
    for (int i = 0; i < KES_Q_NCELLS; ++i) st->qnt[i] = base + i;
    st->mom.v[KES_MOM_MEAN] = base - 1;
    for (int k = 0; k < outliers; ++k) kes_side_outlier(ctx, base * 10 + k);
    kesoutp(ctx, st);
    kes_side_index(ctx, v, before);
  };
  variable(0, 100, 2);
  variable(1, 200, 0);
  std::memcpy(by, "     2.5", 8);
  variable(0, 300, 1);
  variable(1, 400, 3);

  auto read_back = [&](int which, std::size_t bytes) {
    std::string b(bytes + 8, '\0');
    EXPECT_EQ(xcrewnd(kes_util_handle(ctx, which)), 0);
    EXPECT_EQ(xcread(kes_util_handle(ctx, which), b.data(), static_cast<int>(b.size())), static_cast<int>(bytes));
    return b;
  };
  // ONE: per BY group the BY text, then 8 doubles per variable (MIN, whisker ends
  // around Q1, MEDIAN, mean, Q3, MAX in file order).
  const std::string one = read_back(KES_UTIL_ONE, 2 * (8 + 2 * 64));
  EXPECT_EQ(one.substr(0, 8) + one.substr(136, 8), "     1.5     2.5");
  double box[8];
  std::memcpy(box, one.data() + 8 + 64, sizeof box);  // y of the first group
  EXPECT_EQ(std::vector<double>(box, box + 8), (std::vector<double>{210, 216, 206, 205, 199, 204, 217, 200}));
  // TWO: per BY group the BY text and nvars + 1 running counts of THREE values.
  const std::string two = read_back(KES_UTIL_TWO, 2 * (8 + 3 * 4));
  std::uint32_t words[6];
  std::memcpy(words, two.data() + 8, 12);
  std::memcpy(words + 3, two.data() + 28, 12);
  EXPECT_EQ(std::vector<std::uint32_t>(words, words + 6), (std::vector<std::uint32_t>{0, 2, 2, 2, 3, 6}));
  EXPECT_EQ(two.substr(20, 8), "     2.5");
  // THREE: the values, as found.
  double v[6];
  std::memcpy(v, read_back(KES_UTIL_THREE, 6 * 8).data(), sizeof v);
  EXPECT_EQ(std::vector<double>(v, v + 6), (std::vector<double>{1000, 1001, 3000, 4000, 4001, 4002}));
}
