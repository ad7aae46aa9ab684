// HISTOGRAM requests run by the built runner on data a hostile or unlucky user gives:
// values at a fitted threshold, at a large common offset or near the ends of the
// double range, huge bin counts, out of memory inside the fits. Nothing is left out
// of a count or a test without a note, and nothing wrong is written as if right.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/scratch_files.h"
#include "runner_process.h"

namespace {

using kes_test::slurp;

class RunnerHistogram : public ::testing::Test {
 protected:
  // Runs the program in the scratch folder; a run that hangs is ended by SIGALRM.
  int run(const std::string& program, std::vector<std::string> extra = {}) {
    dir_.write("prog.kes", program);
    std::vector<std::string> args = {"--log", "log", "--listing", "lst"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("prog.kes");
    proc_.start(dir_.path().string(), args, [] { ::alarm(120); });
    const int status = proc_.wait();
    log_ = slurp(dir_ / "log");
    lst_ = slurp(dir_ / "lst");
    return status;
  }
  // A one-column data set x with the given values.
  void write_values(const std::string& name, const std::vector<double>& v) {
    std::ostringstream o;
    o.precision(17);
    o << "x\n";
    for (double x : v) o << x << "\n";
    dir_.write(name, o.str());
  }
  // The column of a written CSV data set, as numbers (missing values as NaN).
  std::vector<double> column(const std::string& file, const std::string& name) const {
    std::istringstream in(slurp(dir_ / file));
    std::string line, cell;
    std::getline(in, line);
    int at = -1, k = 0;
    for (std::istringstream h(line); std::getline(h, cell, ','); ++k)
      if (cell == name) at = k;
    std::vector<double> out;
    if (at < 0) return out;
    while (std::getline(in, line)) {
      std::istringstream r(line);
      for (int i = 0; i <= at; ++i) std::getline(r, cell, ',');
      out.push_back(cell.empty() || cell[0] == '.' ? std::nan("") : std::stod(cell));
    }
    return out;
  }
  bool logs(const std::string& text) const { return log_.find(text) != std::string::npos; }

  kes_test::scratch_dir dir_{"hist"};
  kes_test::runner_process proc_;
  std::string log_, lst_;
};

// _COUNT_ was the percent height scaled back: 2.0000000000000004 for two of 11 values.
TEST_F(RunnerHistogram, OuthistogramCountsAreWholeNumbers) {
  for (int n : {11, 29, 31, 43, 47, 49}) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(i % 5);
    write_values("c.csv", v);
    for (const char* scale : {"percent", "proportion"}) {
      ASSERT_EQ(run(std::string("proc kestravine data=c noprint; var x; histogram x / outhistogram=oh vscale=") +
                    scale + " midpoints=0 to 4 by 1 normal; run;\n"),
                0)
          << log_;
      const std::vector<double> counts = column("oh.csv", "_COUNT_");
      ASSERT_EQ(counts.size(), 5u);
      for (int b = 0; b < 5; ++b) EXPECT_EQ(counts[b], (n - b + 4) / 5) << "n " << n << " bin " << b;
    }
  }
}

}  // namespace
