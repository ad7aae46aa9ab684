// The listing of R's Nile as read, moved by 1.7e9 and 1e6 and scaled by 1e-6 and 1e6,
// through the built runner: the Moments and Basic Measures means and median, the normal
// fit's Mu and the fitted quantiles read the values as read moved (with the decimals
// they show as read) or scaled (with their significant digits). "Mean 1700000919" for
// the mean 919.35, and quantiles "1700000552 1700000526" for "552.5 525.668", were
// printed before.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/r_columns.h"
#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

const std::vector<double>& nile() {
  for (const auto& c : kes_meta::r_columns())
    if (std::string(c.name) == "Nile") return c.x;
  static const std::vector<double> none;
  return none;
}

// The listing of the normal fit of Nile moved by c, or scaled by 10^scale.
std::string run_listing(const fs::path& dir, double c, int scale) {
  std::ofstream csv(dir / "d.csv");
  csv << "x\n";
  for (const double v : nile()) {
    char b[64];
    if (scale != 0) std::snprintf(b, sizeof b, "%.0fe%d", v, scale);  // the exact decimal, read once
    else std::snprintf(b, sizeof b, "%.0f", v + c);                    // whole numbers: exact
    csv << b << "\n";
  }
  csv.close();
  std::ofstream(dir / "p.kes") << "proc kestravine data=d; var x; histogram x / normal noplot; run;\n";
  const std::string cmd = "cd '" + dir.string() + "' && '" + kes_test::built("kestravine") +
                          "' --work . --listing lst --log log p.kes >/dev/null 2>err";
  const int raw = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << kes_test::slurp(dir / "log");
  return kes_test::slurp(dir / "lst");
}

// The words of the listing's lines that start (after blanks) with `label`, in order.
std::vector<std::vector<std::string>> lines_of(const std::string& lst, const std::string& label) {
  std::vector<std::vector<std::string>> out;
  std::istringstream in(lst);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string t; words >> t;) w.push_back(t);
    if (!w.empty() && w[0] == label) out.push_back(w);
  }
  return out;
}

// The texts of interest: Moments mean, Basic Measures mean and median, the fit's Mu,
// and the nine observed and estimated quantiles.
std::vector<std::string> texts_of(const std::string& lst) {
  std::vector<std::string> t;
  const auto means = lines_of(lst, "Mean");  // Moments, Basic Measures, Parameters
  EXPECT_EQ(means.size(), 3u) << lst;
  if (means.size() != 3) return t;
  t.push_back(means[0][1]);
  t.push_back(means[1][1]);
  t.push_back(means[2][2]);
  const auto median = lines_of(lst, "Median");
  if (!median.empty()) t.push_back(median[0][1]);
  for (const char* p : {"1", "5", "10", "25", "50", "75", "90", "95", "99"}) {
    const auto q = lines_of(lst, p);
    const auto& row = q.back();  // the fit's table comes after the percentiles
    if (row.size() == 3) {
      t.push_back(row[1]);
      t.push_back(row[2]);
    }
  }
  return t;
}

int decimals_of(const std::string& t) {
  const std::size_t p = t.find('.');
  return t.find('E') != std::string::npos ? -1 : p == std::string::npos ? 0 : static_cast<int>(t.size() - p - 1);
}

TEST(RunnerListingOffset, NileMovedAndScaledReadsAsRead) {
  kes_test::scratch_dir dir{"listing-offset"};
  const std::vector<std::string> read = texts_of(run_listing(dir.path(), 0, 0));
  ASSERT_EQ(read.size(), 22u);
  EXPECT_EQ(read[0], "919.35");
  for (const double c : {1e6, 1.7e9}) {
    const std::vector<std::string> moved = texts_of(run_listing(dir.path(), c, 0));
    ASSERT_EQ(moved.size(), read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
      SCOPED_TRACE(read[i] + " / " + moved[i]);
      // The text less c reads the text as read, with at least its decimals.
      ASSERT_GE(decimals_of(moved[i]), decimals_of(read[i]));
      const std::size_t p = moved[i].find('.');
      const std::string back =
          std::to_string(std::atoll(moved[i].substr(0, p).c_str()) - static_cast<long long>(c)) +
          (p == std::string::npos ? "" : moved[i].substr(p));
      // (within half the last place shown as read: a tie there is rounded as the
      // double lies).
      const double unit = std::pow(10.0, -decimals_of(read[i]));
      EXPECT_LE(std::fabs(std::strtod(back.c_str(), nullptr) - std::strtod(read[i].c_str(), nullptr)),
                0.5 * unit * (1 + 1e-9));
    }
  }
  for (const int scale : {-6, 6}) {
    const std::vector<std::string> scaled = texts_of(run_listing(dir.path(), 0, scale));
    ASSERT_EQ(scaled.size(), read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
      SCOPED_TRACE(read[i] + " / " + scaled[i]);
      // The same significant digits, the value times 10^scale.
      char want[64], got[64];
      int digits = 0;
      bool started = false;
      for (char ch : read[i]) {
        if (ch == 'E') break;
        if (ch >= '0' && ch <= '9') {
          started = started || ch != '0';
          digits += started;
        }
      }
      std::snprintf(want, sizeof want, "%.*e", digits - 1, std::strtod(read[i].c_str(), nullptr));
      std::snprintf(got, sizeof got, "%.*e", digits - 1, std::strtod(scaled[i].c_str(), nullptr));
      const std::string w = want, g = got;
      EXPECT_EQ(g.substr(0, g.find('e')), w.substr(0, w.find('e')));
      EXPECT_EQ(std::atoi(g.c_str() + g.find('e') + 1), std::atoi(w.c_str() + w.find('e') + 1) + scale);
    }
  }
}

}  // namespace
