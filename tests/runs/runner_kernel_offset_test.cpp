// A kernel curve of x + c is the curve of x moved, through the built runner: eighths
// from 0 to 3.5 (exact at every offset below 2^50) as read and moved by 1e6, 1.7e9 and
// 1e15, with the bins given; every OUTKERNEL= row at the offset has the percent and
// density of its row as read, to the bit, and its value that as read plus c. The grid's
// step 7/256 is finer than the doubles at 1e15: a grid summed step by step stood still
// there.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/csv_write.h"
#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

struct KernelRow {
  double value;
  std::string percent, density;
};

// The OUTKERNEL= rows of the normal kernel (C=0.5) of the data moved by c.
std::vector<KernelRow> kernel_rows(const fs::path& dir, double c) {
  std::ofstream csv(dir / "d.csv");
  csv << "x\n";
  for (int i = 0; i < 41; ++i) csv << kes_test::number_text(((i * 37) % 28) / 8.0 + (i % 3 == 0 ? 0.125 : 0.0) + c) << "\n";
  csv << kes_test::number_text(c) << "\n" << kes_test::number_text(3.5 + c) << "\n";
  csv.close();
  std::ofstream(dir / "p.kes") << "proc kestravine data=d noprint; var x;\n  histogram x / endpoints=" << kes_test::number_text(c - 1.75)
                               << " to " << kes_test::number_text(c + 5.25)
                               << " by 0.875 kernel(c=0.5 k=normal) outkernel=k;\nrun;\n";
  const std::string cmd = "cd '" + dir.string() + "' && '" + kes_test::built("kestravine") +
                          "' --work . --listing lst --log log p.kes >/dev/null 2>err";
  const int raw = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << kes_test::slurp(dir / "log");
  std::vector<KernelRow> rows;
  for (const std::vector<std::string>& f : kes_test::csv_field_rows(kes_test::slurp(dir / "k.csv")))
    if (f.size() == 6) rows.push_back({std::strtod(f[3].c_str(), nullptr), f[4], f[5]});
  return rows;
}

TEST(RunnerKernelOffset, KernelRowsOfXPlusCAreTheRowsOfXMoved) {
  kes_test::scratch_dir dir{"kernel-offset"};
  const std::vector<KernelRow> read = kernel_rows(dir.path(), 0.0);
  ASSERT_GT(read.size(), 100u);
  for (const double c : {1e6, 1.7e9, 1e15}) {
    SCOPED_TRACE(c);
    const std::vector<KernelRow> moved = kernel_rows(dir.path(), c);
    ASSERT_EQ(moved.size(), read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
      ASSERT_EQ(moved[i].value, read[i].value + c) << "row " << i;
      ASSERT_EQ(moved[i].percent, read[i].percent) << "row " << i;
      ASSERT_EQ(moved[i].density, read[i].density) << "row " << i;
    }
  }
}

}  // namespace
