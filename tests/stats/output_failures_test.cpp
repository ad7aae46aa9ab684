// Output data sets that cannot be written: a read-only library and a write that fails
// part way end the step. Data sets the step leaves open are written when the step read
// its input to the end (a step that stops before is the data set writer's test). An
// output over the step's own input is the example program output_sets.
#include "output_test_support.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using out_test::output_fixture;
using out_test::slurp;

using OutputFailures = output_fixture;

// Runs fn with the effective user "nobody" so that permission bits bind a root
// process too; false when the user cannot be changed.
template <class F>
bool as_nobody(F fn) {
  if (::geteuid() != 0) {
    fn();
    return true;
  }
  if (::seteuid(65534) != 0) return false;
  fn();
  return ::seteuid(0) == 0;
}

TEST_F(OutputFailures, ReadOnlyLibraryKeepsTheEarlierFile) {
  const auto ro = root() / "ro";
  std::filesystem::create_directories(ro);
  std::ofstream(ro / "res.csv") << "m\n42\n";
  ::chmod(ro.c_str(), 0555);
  plat::config().libraries["RO"] = ro.string();
  input("in", "x\n1\n", {"x"});
  output("res", {{6, {"m"}}}, "ro");
  // The log and the catalogue are opened first, as the step would have them.
  plat::open_outputs();
  plat::catalogue_load();
  int rc = -1;
  if (!as_nobody([&] { rc = setup(); })) GTEST_SKIP() << "cannot act as an unprivileged user";
  EXPECT_EQ(rc, KES_RC_OUTPUT_UNDEFINED);
  const std::string l = log();
  EXPECT_NE(l.find("ERROR: Write to file " + ro.string() + "/.res.csv.tmp"), std::string::npos) << l;
  EXPECT_NE(l.find("ERROR: The variables of the OUTPUT data set RO.res cannot be defined; the step ends."),
            std::string::npos)
      << l;
  plat::finish_step();
  ::chmod(ro.c_str(), 0755);
  EXPECT_EQ(slurp(ro / "res.csv"), "m\n42\n");
  size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(ro)) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
}

TEST_F(OutputFailures, AWriteThatFailsPartWayEndsTheStepAndKeepsTheEarlierFile) {
  input("in", "x\n1\n", {"x"});
  std::vector<out_test::keyword> kw;
  for (int k = 5; k <= 49; ++k) kw.push_back({k, {"v" + std::to_string(k)}});
  kes_stmt* s = output("big", kw);
  ASSERT_EQ(setup(), 0) << log();
  fill(ctx->stats, 1e10);
  kesouts(ctx, ctx->stats, ctx->outvals);
  // A file size limit makes the write fail, as a full disk would.
  struct rlimit old_limit;
  getrlimit(RLIMIT_FSIZE, &old_limit);
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit lim = old_limit;
  lim.rlim_cur = 100000;
  setrlimit(RLIMIT_FSIZE, &lim);
  int rc = 0, n = 0;
  while (rc == 0 && n < 100000) {
    rc = kesout(ctx, 49);
    ++n;
  }
  const int closed = close(s);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  // The file kept and the message given once are the data set writer's own tests.
  EXPECT_EQ(rc, 1);
  EXPECT_LT(n, 100000);
  EXPECT_NE(closed, 0);
}

TEST_F(OutputFailures, OpenDataSetIsWrittenWhenTheInputWasReadToTheEnd) {
  input("in", "g,x\n1,5\n2,6\n", {"x"}, {"g"});
  output("o", {{6, {"m"}}});
  ASSERT_EQ(setup(), 0);
  double v = 1;
  while (plat_xbynext(ctx->data) > 0) {
    ctx->outvals[0] = v++;
    ASSERT_EQ(kesout(ctx, 49), 0);
  }
  plat::finish_step();  // the step ends without closing it
  EXPECT_EQ(slurp(work() / "o.csv"), "g,m\n1,1\n2,2\n");
  EXPECT_NE(log().find("The data set WORK.o has 2 observations and 2 variables"), std::string::npos) << log();
}

}  // namespace
