// A kernel density curve on a histogram of values up to a third of the largest double,
// through the built runner in both renderers: its grid reaches 1.5 ranges past the
// data, beyond the doubles, and is made in a unit of the range. The curve is drawn,
// its OUTKERNEL density integrates to about 1, it is the curve of the same values
// times 2^-1000 scaled back, and a curve that reaches past the largest double is cut
// there with a note. A normal curve beside it, over bins widened past the doubles, is
// drawn whole.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/runner_graphs.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;

// The (_VALUE_, _DENSITY_) rows of the OUTKERNEL= data set ok.csv in dir.
std::vector<std::pair<double, double>> kernel_rows(const fs::path& dir) {
  const std::string csv = kes_test::slurp(dir / "ok.csv");
  const std::vector<std::string> value = kes_test::csv_column(csv, "_VALUE_"), density = kes_test::csv_column(csv, "_DENSITY_");
  std::vector<std::pair<double, double>> out;
  // strtod: a subnormal density reads as itself (stod would throw).
  for (std::size_t i = 0; i < value.size() && i < density.size(); ++i)
    out.emplace_back(std::strtod(value[i].c_str(), nullptr), std::strtod(density[i].c_str(), nullptr));
  return out;
}

std::string values_csv(const std::vector<double>& v) {
  std::ostringstream csv;
  csv.precision(17);
  csv << "x\n";
  for (double x : v) csv << x << "\n";
  return csv.str();
}

// Runs the program in both renderers: each draws the histogram with its curve (one
// polyline), and the log has the notes given. The OUTKERNEL rows of the last run.
std::vector<std::pair<double, double>> run_both(const fs::path& dir, const std::string& program,
                                                const std::vector<std::string>& notes) {
  for (const char* renderer : {"template", "device"}) {
    SCOPED_TRACE(renderer);
    int status = -1;
    std::string log;
    const auto files = kes_test::run_graphs(dir, program, renderer, &status, &log);
    EXPECT_TRUE(status >= 0 && status <= 4) << log;
    EXPECT_EQ(log.find("cannot be binned"), std::string::npos) << log;
    for (const std::string& n : notes) EXPECT_NE(log.find(n), std::string::npos) << n << "\n" << log;
    EXPECT_EQ(files.size(), 1u) << log;
    for (const auto& [name, svg] : files) {
      EXPECT_NE(svg.find("<polyline"), std::string::npos) << name;
      // Every graph rule holds (the checker reads what a person sees).
      EXPECT_EQ(kes_test::svg_unexcused_faults(svg, "RunnerKernelExtremes/" + name), "");
    }
  }
  return kernel_rows(dir);
}

TEST(RunnerKernelExtremes, ACurveOfValuesUpToAThirdOfTheLargestDoubleIsDrawnAndWhole) {
  kes_test::scratch_dir dir{"kernel-extremes"};
  std::mt19937_64 gen(20261208);
  std::uniform_real_distribution<double> u(6.1e305, 8.3e307);
  std::vector<double> base;
  for (int i = 0; i < 100; ++i) base.push_back(u(gen));
  base.push_back(6.1e305);
  base.push_back(8.3e307);
  for (double sign : {1.0, -1.0}) {
    SCOPED_TRACE(sign);
    std::vector<double> big, small;
    for (double x : base) big.push_back(sign * x), small.push_back(std::ldexp(sign * x, -1000));
    const std::string program =
        "proc kestravine data=d noprint; var x; histogram x / kernel outkernel=ok; run;\n";
    std::ofstream(dir.path() / "d.csv") << values_csv(big);
    const auto rows = run_both(dir.path(), program, {"Normal kernel density estimate"});
    ASSERT_GT(rows.size(), 100u);
    // The density over the drawn range (the kernel's whole reach) integrates to 1.
    double area = 0;
    for (std::size_t i = 1; i < rows.size(); ++i)
      area += (rows[i].first - rows[i - 1].first) / 2 * (rows[i].second + rows[i - 1].second);
    EXPECT_NEAR(area, 1.0, 0.02);

    std::ofstream(dir.path() / "d.csv") << values_csv(small);
    std::map<double, double> scaled;
    for (const auto& [x, d] : run_both(dir.path(), program, {})) scaled[std::ldexp(x, 1000)] = std::ldexp(d, -1000);
    // Where the two runs list the same points, the same densities (those of the large
    // values are subnormal: to their precision).
    int same = 0;
    for (const auto& [x, d] : rows) {
      const auto it = scaled.find(x);
      if (it == scaled.end()) continue;
      ++same;
      EXPECT_NEAR(d, it->second, 1e-12 * 1.5e-308) << x;
    }
    EXPECT_GT(same, 100);
  }
}

// A kernel wide enough to reach past the largest double is cut there, and said so.
TEST(RunnerKernelExtremes, ACurvePastTheLargestDoubleIsCutAndNoted) {
  kes_test::scratch_dir dir{"kernel-cut"};
  std::vector<double> v;
  for (int i = 0; i <= 100; ++i) v.push_back(1.5e308 + i * 1e306 / 10);
  std::ofstream(dir.path() / "d.csv") << values_csv(v);
  const auto rows = run_both(dir.path(), "proc kestravine data=d noprint; var x; histogram x / kernel(c=5) outkernel=ok; run;\n",
                             {"reaches past the largest double: its curve is drawn and written up to it"});
  ASSERT_GT(rows.size(), 10u);
  for (const auto& [x, d] : rows) {
    EXPECT_TRUE(std::isfinite(x));
    EXPECT_TRUE(std::isfinite(d) && d >= 0);
  }
  EXPECT_GT(rows.back().first, 1.7e308);
}

// Points of each polyline of an SVG.
std::vector<int> polyline_points(const std::string& svg) {
  std::vector<int> out;
  for (std::size_t at = svg.find("<polyline points=\""); at != std::string::npos;
       at = svg.find("<polyline points=\"", at + 1)) {
    const std::size_t from = at + 18, to = svg.find('"', from);
    int n = 0;
    for (std::size_t i = from; i < to; ++i) n += svg[i] == ',';
    out.push_back(n);
  }
  return out;
}

// Kernel bins widened to the doubles' ends (their outer half bins pass them): the
// normal curve over them is drawn in its 200 points, as the kernel is, not in three.
TEST(RunnerKernelExtremes, ANormalCurveOverBinsWidenedToTheDoublesEndsIsWhole) {
  kes_test::scratch_dir dir{"kernel-normal"};
  std::mt19937_64 gen(7);
  std::uniform_real_distribution<double> u(1e307, 8.9e307);
  for (double sign : {1.0, -1.0}) {
    std::vector<double> v{sign * 8.9e307};
    for (int i = 0; i < 60; ++i) v.push_back(sign * u(gen));
    std::ofstream(dir.path() / "d.csv") << values_csv(v);
    for (const char* renderer : {"template", "device"}) {
      SCOPED_TRACE(testing::Message() << renderer << " " << sign);
      int status = -1;
      std::string log;
      const auto files = kes_test::run_graphs(dir.path(), "proc kestravine data=d noprint; var x; histogram x / normal kernel; run;\n",
                                              renderer, &status, &log);
      ASSERT_EQ(files.size(), 1u) << log;
      const auto lines = polyline_points(files.begin()->second);
      ASSERT_EQ(lines.size(), 2u);
      for (int n : lines) EXPECT_GT(n, 20);
    }
  }
}

}  // namespace
