// Whole programs through the kestravine runner: OUTPUT and OUTTABLE data sets
// written by real steps and read back as a user's CSV reader would, checked against
// values computed by hand from the data.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/scratch_files.h"

namespace {

namespace fs = std::filesystem;

using kes_test::slurp;

// A CSV file as rows of fields (no quoted fields in these tests).
std::vector<std::vector<std::string>> rows(const fs::path& p) {
  std::vector<std::vector<std::string>> r;
  std::istringstream in(slurp(p));
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::string cell;
    std::istringstream ls(line);
    while (std::getline(ls, cell, ',')) f.push_back(cell);
    if (!line.empty() && line.back() == ',') f.push_back("");
    r.push_back(f);
  }
  return r;
}

class OutputPrograms : public ::testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
    dir_ = fs::temp_directory_path() / ("kes-outprog-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  void file(const std::string& name, const std::string& text) { std::ofstream(dir_ / name, std::ios::binary) << text; }
  // Runs one program; returns the runner's exit status.
  int run(const std::string& program) {
    file("prog.kes", program);
    const std::string cmd = std::string(KES_BINARY_DIR) + "/kestravine --work " + dir_.string() + " --log " +
                            (dir_ / "log").string() + " --listing " + (dir_ / "lst").string() + " " +
                            (dir_ / "prog.kes").string();
    const int rc = std::system(cmd.c_str());
    log_ = slurp(dir_ / "log");
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  // Column j of a data set by its header name.
  static int col(const std::vector<std::vector<std::string>>& r, const std::string& name) {
    for (size_t j = 0; j < r[0].size(); ++j)
      if (r[0][j] == name) return static_cast<int>(j);
    ADD_FAILURE() << "no column " << name;
    return 0;
  }
  static double num(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

  fs::path dir_;
  std::string log_;
};

TEST_F(OutputPrograms, StatisticsAndPercentilesPerByGroup) {
  // Group 1: 2 4 4 4 5 5 7 9 (mean 5, corrected sum of squares 32); group 2: 1 2 3.
  file("d.csv", "g,x\n1,2\n1,4\n1,4\n1,4\n1,5\n1,5\n1,7\n1,9\n2,1\n2,2\n2,3\n");
  ASSERT_EQ(run("proc kestravine data=d noprint;\n  by g;\n  var x;\n"
                "  output out=stats mean=m std=s qn=qn pctlpts=2.5 97.5 99.95 pctlpre=p_ pctlname=lo hi top;\n"
                "run;\n"),
            0)
      << log_;
  auto r = rows(dir_ / "stats.csv");
  ASSERT_EQ(r.size(), 3u) << slurp(dir_ / "stats.csv");
  EXPECT_EQ(r[0], (std::vector<std::string>{"g", "m", "s", "qn", "p_lo", "p_hi", "p_top"}));
  EXPECT_EQ(num(r[1][col(r, "m")]), 5);
  EXPECT_EQ(num(r[1][col(r, "s")]), std::sqrt(32.0 / 7));
  // Default definition: n p = 0.2 takes x(1), n p = 7.8 and 7.996 take x(8).
  EXPECT_EQ(num(r[1][col(r, "p_lo")]), 2);
  EXPECT_EQ(num(r[1][col(r, "p_hi")]), 9);
  EXPECT_EQ(num(r[1][col(r, "p_top")]), 9);
  EXPECT_EQ(r[2][col(r, "g")], "2");
  EXPECT_EQ(num(r[2][col(r, "m")]), 2);
  EXPECT_EQ(num(r[2][col(r, "s")]), 1);
  EXPECT_EQ(num(r[2][col(r, "p_lo")]), 1);
  EXPECT_EQ(num(r[2][col(r, "p_top")]), 3);
  EXPECT_NE(r[1][col(r, "qn")], ".");
  const std::string meta = slurp(dir_ / "stats.csv.meta");
  EXPECT_NE(meta.find("var\tp_hi\tnum\t8\t\t97.5 Percentile\n"), std::string::npos) << meta;
  EXPECT_NE(log_.find("NOTE: The data set WORK.stats has 2 observations and 7 variables"), std::string::npos) << log_;
}

TEST_F(OutputPrograms, TwoClassVariablesGiveOneObservationPerCell) {
  file("c.csv", "g,a,b,x\n1,u,p,1\n1,u,q,2\n1,v,p,3\n1,v,p,5\n2,u,p,4\n");
  ASSERT_EQ(run("proc kestravine data=c noprint;\n  by g;\n  class a b;\n  var x;\n"
                "  output out=cells n=n mean=m;\nrun;\n"),
            0)
      << log_;
  EXPECT_EQ(slurp(dir_ / "cells.csv"), "g,a,b,n,m\n1,u,p,1,1\n1,u,q,1,2\n1,v,p,2,4\n2,u,p,1,4\n");
}

TEST_F(OutputPrograms, OuttableWithAndWithoutLabels) {
  file("d.csv", "h,w\n1,10\n2,20\n3,60\n");
  ASSERT_EQ(run("proc kestravine data=d outtable=tab noprint;\n  var h w;\nrun;\n"), 0) << log_;
  auto r = rows(dir_ / "tab.csv");
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].size(), 25u);
  EXPECT_EQ(r[0][0], "_VAR_");
  EXPECT_EQ(r[0][1], "_NOBS_");
  EXPECT_EQ(r[1][0], "h");
  EXPECT_EQ(num(r[1][col(r, "_MEAN_")]), 2);
  EXPECT_EQ(num(r[2][col(r, "_MEAN_")]), 30);
  EXPECT_EQ(num(r[2][col(r, "_RANGE_")]), 50);
  EXPECT_EQ(num(r[2][col(r, "_VARI_")]), 700);  // ((-20)^2 + (-10)^2 + 30^2) / 2

  // A label on w brings _LABEL_ in.
  file("d.csv.meta", "kestravine data set metadata 1\nvar\th\tnum\t8\t\t\nvar\tw\tnum\t8\t\tWeight in kg\n");
  ASSERT_EQ(run("proc kestravine data=d outtable=tab2 noprint;\n  var h w;\nrun;\n"), 0) << log_;
  auto r2 = rows(dir_ / "tab2.csv");
  ASSERT_EQ(r2.size(), 3u);
  EXPECT_EQ(r2[0].size(), 26u);
  EXPECT_EQ(r2[0][1], "_LABEL_");
  EXPECT_EQ(r2[1][1], "");
  EXPECT_EQ(r2[2][1], "Weight in kg");
}

TEST_F(OutputPrograms, AnEmptyByGroupValueIsMissingInTheOutput) {
  // Group 2 has no nonmissing x: N is 0 and the mean is missing.
  file("d.csv", "g,x\n1,3\n1,5\n2,.\n2,.A\n");
  ASSERT_EQ(run("proc kestravine data=d noprint;\n  by g;\n  var x;\n  output out=o n=n nmiss=nm mean=m;\nrun;\n"), 0)
      << log_;
  // Columns follow the keyword order N, MEAN, ..., NMISS, not the statement order.
  EXPECT_EQ(slurp(dir_ / "o.csv"), "g,n,m,nm\n1,2,4,0\n2,0,.,2\n");
}

}  // namespace
