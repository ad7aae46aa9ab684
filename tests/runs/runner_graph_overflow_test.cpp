// Q-Q and probability plots at given parameters whose quantiles overflow: a lognormal
// with sigma 320 (or 280) has no finite quantile beyond exp(709.78), which the larger
// cell's last point and the 99 (99.9) percent ticks need. The point is left out and the
// tick is not drawn; no infinite value reaches the graph dump.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "support/graph_dump.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

// Cell a (the key cell, 5 values) sets the quantile range; cell b has 100 values,
// whose last plotting position (99.38%) lies beyond it.
void write_data(const fs::path& file) {
  std::ofstream out(file);
  out << "g,x\n";
  for (int i = 1; i <= 5; ++i) out << "a," << i * 1.7 << "\n";
  for (int i = 1; i <= 100; ++i) out << "b," << i * 0.5 << "\n";
}

std::string run_dump(const kes_test::scratch_dir& dir) {
  write_data(dir / "d.csv");
  std::ofstream(dir / "p.kes") << "proc kestravine data=d noprint; class g; var x;\n"
                                  "  qqplot x / lognormal(sigma=320 theta=0 zeta=0) pctlaxis;\n"
                                  "  probplot x / lognormal(sigma=280 theta=0 zeta=0);\n"
                                  "run;\n";
  fs::create_directories(dir / "g");
  const std::string cmd = "cd '" + dir.path().string() + "' && '" + kes_test::built("kestravine") +
                          "' --graphs g --work . --listing lst --log log --graph-dump dump p.kes "
                          ">/dev/null 2>err";
  const int raw = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << slurp(dir / "err") << slurp(dir / "log");
  return slurp(dir / "dump");
}

// The text of a dump line `NAME = "..." (text)` in the first panel that has one.
std::string dyn(const std::string& dump, const std::string& name) {
  return kes_test::first_text(kes_test::read_dump(dump), name);
}

TEST(RunnerGraphOverflow, QuantilesThatOverflowLeaveNoInfiniteValueInTheDump) {
  kes_test::scratch_dir dir{"graph-overflow"};
  const std::string dump = run_dump(dir);
  ASSERT_NE(dump.find("panel QQPlot"), std::string::npos) << slurp(dir / "log");
  ASSERT_NE(dump.find("panel ProbPlot"), std::string::npos) << slurp(dir / "log");
  EXPECT_FALSE(std::regex_search(dump, std::regex("\\b(inf|Inf|INF|nan|NaN)\\b")));
  // The Q-Q plot is drawn; its last point in cell b has no quantile.
  EXPECT_EQ(slurp(dir / "log").find("not finite"), std::string::npos) << slurp(dir / "log");
  EXPECT_NE(dump.find("Class1=\"b\" Quantile=. Data=50 "), std::string::npos);
  EXPECT_NE(dump.find("Class1=\"b\" Quantile=1.97050358360994"), std::string::npos) << "the point before it stays";
  // Percent ticks whose quantile overflows are dropped with their labels:
  // exp(320 x 2.3263) and exp(280 x 3.0902) are past the largest double.
  EXPECT_EQ(dyn(dump, "_PCTLLABELS"), "1 5 10 25 50 75 90 95");
  // The places at full precision (R: exp(320 * qnorm(c(0.75, 0.9, 0.95))) = 5.4537662e93,
  // 1.2666231e178, 3.9108683e228).
  EXPECT_EQ(dyn(dump, "_PCTLVALUES"), "0 0 0 0 1 5.453766191358133e+93 1.2666231488868339e+178 3.910868303419751e+228");
  const std::size_t prob = dump.find("panel ProbPlot");
  EXPECT_EQ(dyn(dump.substr(prob), "_PCTLLABELS"), "0.1 1 5 10 25 50 75 90 95 99");
}

}  // namespace
