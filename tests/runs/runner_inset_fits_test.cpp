// Inset blocks of fitted families through the built runner: a curve that could not be
// fitted shows "." for every statistic derived from it (never the 0 its record starts
// with) in template graphs, and leaves its block out on the device; with CLASS
// variables a note says which cell leaves a block or box out, and no note is written
// where every cell draws its box.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/graph_dump.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

// Annual precipitation of 70 cities (inches), a data set R ships as 'precip'.
const char* const kPrecip =
    "67 54.7 7 48.5 14 17.2 20.7 13 43.4 40.2 38.9 54.5 59.8 48.3 22.9 11.5 34.4 35.1 38.7 30.8 30.6 43.1 56.8 40.8 "
    "41.8 42.5 31 31.7 30.2 25.9 49.2 37 35.9 15 30.2 7.2 36.2 45.5 7.8 33.4 36.1 40.2 42.7 42.5 16.2 39 35 37 31.4 "
    "37.6 39.9 36.2 42.8 46.4 24.7 49.1 46 35.9 7.8 48.2 15.2 32.5 44.7 42.6 38.8 17.4 40.8 29.1 14.6 59.2";

class RunnerInsetFits : public ::testing::Test {
 protected:
  void SetUp() override {
    std::istringstream in(kPrecip);
    std::string text = "precip\n", v;
    while (in >> v) text += v + "\n";
    dir_.write("precip.csv", text);
    text = "x\n";
    for (int i = 1; i <= 70; ++i) text += std::to_string(i) + "\n";
    dir_.write("even.csv", text);
    dir_.write("same.csv", "x\n5\n5\n5\n5\n");
    // Two CLASS variables of two levels each, 20 values a cell; in cells2 the cell
    // c = a, d = u holds one value 20 times.
    std::string cells = "c,d,x\n", cells2 = cells;
    for (int i = 0; i < 80; ++i) {
      const std::string c(1, "ab"[i % 2]), d(1, "uv"[i / 2 % 2]);
      const std::string x = std::to_string(10 + (i * 37 % 80) * 0.3);
      cells += c + "," + d + "," + x + "\n";
      cells2 += c + "," + d + "," + (c == "a" && d == "u" ? std::string("5") : x) + "\n";
    }
    dir_.write("cells.csv", cells);
    dir_.write("cells2.csv", cells2);
    // The same with the last cell, c = b, d = v, of one value.
    std::string cells3 = "c,d,x\n";
    for (int i = 0; i < 80; ++i) {
      const std::string c(1, "ab"[i % 2]), d(1, "uv"[i / 2 % 2]);
      cells3 += c + "," + d + "," + (c == "b" && d == "v" ? "5" : std::to_string(10 + (i * 37 % 80) * 0.3)) + "\n";
    }
    dir_.write("cells3.csv", cells3);
  }
  int run(const std::string& program, const char* renderer) {
    const int status = kes_test::run_with_graphs(dir_, program, renderer);
    log_ = slurp(dir_ / "log");
    svg_.clear();
    for (const std::string& f : kes_test::svg_files(dir_ / "g")) svg_ += slurp(dir_ / "g" / f);
    return status;
  }
  // The values of the first inset's rows in the template dump, in order.
  std::vector<std::string> inset_values() const {
    std::vector<std::string> out;
    for (const kes_test::dump_block& b : kes_test::read_dump(slurp(dir_ / "dump")))
      for (int k = 1; b.has_text("_I1_VALUE" + std::to_string(k)); ++k)
        out.push_back(b.text("_I1_VALUE" + std::to_string(k)));
    return out;
  }
  int logged(const std::string& text) const { return kes_test::occurrences(log_, text); }

  kes_test::scratch_dir dir_{"insetfits"};
  std::string log_, svg_;
};

// The SB fit of precip fails, and its inset showed "Fitted Skewness 0", "Fitted
// Kurtosis 0" and "Fitted Mode 0" beside "Delta ." and "Gamma .". Every family whose
// fit fails shows "." in every derived row; a fitted curve keeps its numbers.
TEST_F(RunnerInsetFits, StatisticsOfACurveNotFittedAreMissing) {
  struct family_case {
    const char* data;
    const char* curve;   // the HISTOGRAM option
    const char* block;   // the INSET block
    int rows;            // rows of the block
  };
  const family_case cases[] = {
      {"same", "normal", "normal(mu sigma ad adpval cvm ksd)", 6},
      {"precip", "lognormal(theta=100)", "lognormal(mean std ad)", 3},
      {"precip", "exponential(theta=100)", "exponential(mean std ksd)", 3},
      {"precip", "weibull(theta=100)", "weibull(mean std cvm)", 3},
      {"precip", "gamma(theta=100)", "gamma(mean std adpval)", 3},
      {"precip", "beta(theta=0 sigma=10)", "beta(mean std ksdpval)", 3},
      {"precip", "sb(theta=0 sigma=70)", "sb(shape1 shape2 skewness kurtosis mode mean std)", 7},
      {"even", "su", "su(skewness kurtosis mode mean std)", 5},
  };
  for (const family_case& f : cases) {
    const std::string program = std::string("proc kestravine data=") + f.data + " noprint; var " +
                                (std::string(f.data) == "precip" ? "precip" : "x") + ";\n  histogram / " + f.curve +
                                ";\n  inset " + f.block + ";\nrun;\n";
    SCOPED_TRACE(program);
    ASSERT_EQ(run(program, "template"), 0) << log_;
    const std::vector<std::string> values = inset_values();
    EXPECT_EQ(values, std::vector<std::string>(static_cast<std::size_t>(f.rows), ".")) << log_;
    // The device leaves the block of an unfitted curve out, and says so.
    ASSERT_EQ(run(program, "device"), 0) << log_;
    EXPECT_EQ(logged("An inset has no rows to show; it is not drawn."), 1) << log_;
    EXPECT_EQ(svg_.find(">Fitted Mean<"), std::string::npos);
  }
  // Fitted, the same rows hold numbers (the mean of precip's lognormal fit is near
  // the sample mean, 34.9).
  ASSERT_EQ(run("proc kestravine data=precip noprint; var precip;\n  histogram / lognormal;\n"
                "  inset lognormal(mean std);\nrun;\n",
                "template"),
            0);
  const std::vector<std::string> fitted = inset_values();
  ASSERT_EQ(fitted.size(), 2u);
  EXPECT_NEAR(std::stod(fitted[0]), 34.9, 3.0);
  EXPECT_GT(std::stod(fitted[1]), 5.0);
}

// Two CLASS variables: the device's boxes were first built of a level cell, which has
// no fits of its own, and the log said the Normal block was left out and the inset not
// drawn while every cell drew it. Notes come only from cells that leave something out,
// and name them.
TEST_F(RunnerInsetFits, DeviceInsetNotesNameTheCellThatLeavesOut) {
  const auto program = [](const char* data, const char* classes) {
    return std::string("proc kestravine data=") + data + " noprint; var x; " + classes +
           "\n  histogram / normal;\n  inset normal(mu sigma);\nrun;\n";
  };
  for (const char* classes : {"class c d;", "class c;"}) {
    SCOPED_TRACE(classes);
    ASSERT_EQ(run(program("cells", classes), "device"), 0) << log_;
    EXPECT_EQ(logged("inset"), 0) << log_;
    // Every cell draws its box: as many Mean rows as cells.
    EXPECT_EQ(kes_test::occurrences(svg_, ">Mean<"), std::string(classes) == "class c;" ? 2 : 4) << log_;
  }
  // The cell without spread has no fit: its box alone is left out, and named.
  ASSERT_EQ(run(program("cells2", "class c d;"), "device"), 0) << log_;
  EXPECT_EQ(logged("In the cell c = a, d = u, an inset of x has no rows to show; it is not drawn in that cell."), 1)
      << log_;
  EXPECT_EQ(logged("inset"), 1) << log_;
  EXPECT_EQ(kes_test::occurrences(svg_, ">Mean<"), 3) << log_;
  // The boxes are built of the first cell that holds values: the note of the last
  // cell, which leaves its box out, stands with its own page (a cell a page), after
  // the three before it, not ahead of them all.
  ASSERT_EQ(run("proc kestravine data=cells3 noprint; var x; class c d;\n  histogram / normal nrows=1 ncols=1;\n"
                "  inset normal(mu sigma);\nrun;\n",
                "device"),
            0)
      << log_;
  const std::size_t note = log_.find("In the cell c = b, d = v, an inset of x has no rows to show");
  ASSERT_NE(note, std::string::npos) << log_;
  EXPECT_EQ(kes_test::occurrences(log_.substr(0, note), "was written to"), 3) << log_;
}

}  // namespace
