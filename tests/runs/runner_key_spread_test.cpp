// Comparative histograms whose key cell holds one value repeated (a month without rain)
// while other cells spread from that value or up to it: bins over one value cannot
// tell the other cells' values apart, so the bins are spread over every cell, with the
// note that says so, whichever end of the other cells the key's value shares.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/runner_graphs.h"
#include "support/scratch_files.h"

namespace {

TEST(RunnerKeySpread, AKeyCellOfOneValueSpreadsTheBinsOverEveryCell) {
  kes_test::scratch_dir dir{"key-spread"};
  struct row {
    const char* what;
    double key;            // every value of the key cell
    double lo, hi;         // the other cells' range
  };
  const row rows[] = {
      {"rain: dry January, wet months from 0", 0, 0, 35},
      {"the others end at the key's value", 35, 0, 35},
      {"the others start at it, far from 0", 100, 100, 190},
      {"the others lie apart from it", 5, 10, 60},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    std::ostringstream csv;
    csv << "month,mm\n";
    for (int k = 0; k < 31; ++k) csv << "1," << r.key << "\n";
    for (int month : {2, 3})
      for (int k = 0; k <= 30; ++k) csv << month << "," << r.lo + (r.hi - r.lo) * ((k * 7) % 31) / 30.0 << "\n";
    dir.write("d.csv", csv.str());
    int status = -1;
    std::string log;
    kes_test::run_graphs(dir.path(),
                         "proc kestravine data=d noprint; class month; var mm;\n"
                         "histogram mm / outhistogram=oh;\nrun;\n",
                         "template", &status, &log);
    ASSERT_EQ(status, 0) << log;
    EXPECT_NE(log.find("every value of mm in the key cell is"), std::string::npos) << log;
    EXPECT_NE(log.find("the bins are spread uniformly over all cells"), std::string::npos) << log;
    // Bins chosen over every cell's values: a handful a cell, not one per unit.
    std::map<double, int> bins;
    const std::vector<std::map<std::string, double>> table = kes_test::csv_rows(kes_test::slurp(dir / "oh.csv"));
    ASSERT_FALSE(table.empty());
    for (const auto& row : table) ++bins[row.at("month")];
    for (double month : {2.0, 3.0}) {
      EXPECT_GE(bins[month], 3) << month;
      EXPECT_LE(bins[month], 20) << month;
    }
  }
}

}  // namespace
