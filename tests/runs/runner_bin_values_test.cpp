// Bin points written by whole runs are the decimals they stand for: OUTHISTOGRAM=
// midpoints of default bins of width 0.3 read "3.45", "3.75", not 3.4500000000000006
// (at offsets 0, 1.7e9 and -1e6, comparative too), listed midpoints `a to b by c` at
// 1e9 read as typed, all of them, and integer data on decimal edges (0 to 6 by 0.3: 3 = 10 x 0.3)
// count into the bins the closed side gives them, by hand. The expected texts are
// formed here in integers.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;

class RunnerBinValues : public ::testing::Test {
 protected:
  int run(const std::string& program) {
    const int status = kes_test::run_with_graphs(dir_, program, "template");
    log_ = slurp(dir_ / "log");
    return status;
  }
  // The named column of each row of a CSV file the run wrote.
  std::vector<std::string> column(const char* file, const std::string& name) const {
    return kes_test::csv_column(slurp(dir_ / file), name);
  }
  kes_test::scratch_dir dir_{"binvalues"};
  std::string log_;
};

// m x 10^-q as the shortest decimal text (no trailing zeros).
std::string decimal(long long m, int q) {
  const bool neg = m < 0;
  std::string d = std::to_string(neg ? -m : m);
  if (static_cast<int>(d.size()) <= q) d.insert(0, static_cast<std::size_t>(q + 1 - static_cast<int>(d.size())), '0');
  std::string whole = d.substr(0, d.size() - static_cast<std::size_t>(q)), frac = d.substr(whole.size());
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  return (neg ? "-" : "") + whole + (frac.empty() ? "" : "." + frac);
}

// A decimal text of at most two decimals in hundredths; false for more decimals.
bool hundredths(const std::string& m, long long* v) {
  const std::size_t dot = m.find('.');
  const std::string frac = dot == std::string::npos ? "" : m.substr(dot + 1);
  if (frac.size() > 2) return false;
  const std::string whole = m.substr(0, dot);
  const long long f = frac.empty() ? 0 : std::stoll(frac + std::string(2 - frac.size(), '0'));
  *v = std::stoll(whole) * 100 + (whole[0] == '-' ? -f : f);
  return true;
}

TEST_F(RunnerBinValues, DefaultMidpointsReadTheirDecimals) {
  // Offsets in hundredths: 0, 1.7e9, -1e6.
  for (const long long offset : {0LL, 170000000000LL, -100000000LL}) {
    SCOPED_TRACE(offset);
    std::string csv = "g,x\n";
    for (int i = 0; i < 50; ++i) {
      // 3.3 to 5.1, evenly, in hundredths (whole hundredths at the ends).
      const long long h = 330 + (180 * i) / 49;
      csv += std::string(i % 2 ? "A" : "B") + "," + decimal(offset + h, 2) + "\n";
    }
    dir_.write("u.csv", csv);
    for (const char* cls : {"", "  class g;  * comparative;\n"}) {
      ASSERT_EQ(run(std::string("proc kestravine data=u noprint;\n") + cls +
                    "  histogram x\n    / outhistogram=oh;  * default bins;\nrun;\n"),
                0)
          << log_;
      const std::vector<std::string> mids = column("oh.csv", "_MIDPT_");
      ASSERT_FALSE(mids.empty());
      // Each text a decimal of at most two decimals, in its shortest form; the bins a
      // width apart in hundredths read off the texts (cell by cell).
      std::vector<long long> at;
      for (const std::string& m : mids) {
        long long v = 0;
        ASSERT_TRUE(hundredths(m, &v)) << m;
        EXPECT_EQ(decimal(v, 2), m) << "a text in its shortest form";
        at.push_back(v);
      }
      // Default bins of 50 values are 0.3 wide, of a comparative key cell of 25 0.4.
      const long long width = *cls ? 40 : 30;
      for (std::size_t i = 1; i < at.size(); ++i) {
        if (at[i] > at[i - 1]) {
          EXPECT_EQ(at[i] - at[i - 1], width) << mids[i];
        }
      }
      if (offset == 0 && !*cls) {
        ASSERT_GE(mids.size(), 3u);
        EXPECT_EQ(mids[0], "3.45");
        EXPECT_EQ(mids[1], "3.75");
        EXPECT_EQ(mids[2], "4.05");
        // The template's data and tick list say the same (3.449999999999999 before).
        const std::string dump = slurp(dir_ / "dump");
        EXPECT_NE(dump.find("BinX=3.45 "), std::string::npos) << dump;
        EXPECT_NE(dump.find("_XTICKS = \"3.45 3.75 4.05 4.35 4.65 4.95 5.25\""), std::string::npos) << dump;
        EXPECT_NE(dump.find("_XMIN = 3.3 "), std::string::npos) << dump;
      } else if (offset == 0) {
        EXPECT_EQ(mids[0], "3.4");  // 3.4000000000000004 before
      }
    }
  }
}

TEST_F(RunnerBinValues, ListedMidpointsReadAsTyped) {
  for (const long long offset : {0LL, 1000000000000LL}) {  // thousandths: 0 and 1e9
    SCOPED_TRACE(offset);
    std::string csv = "x\n";
    for (int i = 0; i < 40; ++i) csv += decimal(offset + 1 + (i * 37) % 49, 3) + "\n";
    dir_.write("s.csv", csv);
    const std::string from = decimal(offset + 5, 3), to = decimal(offset + 45, 3);
    ASSERT_EQ(run("proc kestravine data=s noprint;\n  histogram x / midpoints = " + from + " to " + to +
                  " by 0.01\n    outhistogram=oh;\nrun;\n"),
              0)
        << log_;
    // All five listed: near 1e9 the last was lost (4 steps of 0.01 read as 3.99999)
    // and the list was extended to cover the data.
    EXPECT_EQ(log_.find("was extended"), std::string::npos) << log_;
    const std::vector<std::string> mids = column("oh.csv", "_MIDPT_");
    ASSERT_EQ(mids.size(), 5u);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(mids[static_cast<std::size_t>(k)], decimal(offset + 5 + 10 * k, 3));
  }
}

// Integers 1 to 5, and 3 three times, on bins 0 to 6 by 0.3: 3 lies on the edge
// 10 x 0.3. Counted by hand: a left-closed bin [0.9, 1.2) holds 1, [1.8, 2.1) 2,
// [3, 3.3) the three 3s, [3.9, 4.2) 4, [4.8, 5.1) 5; right-closed, (2.7, 3] the 3s.
TEST_F(RunnerBinValues, IntegersOnDecimalEdgesCountByTheClosedSide) {
  dir_.write("n.csv", "x\n1\n2\n3\n3\n3\n4\n5\n");
  struct bin_case {
    const char* options;
    const char* point;  // the column of the bin's point
    std::map<std::string, int> counts;
  };
  const bin_case cases[] = {
      {"endpoints = 0 to 6 by 0.3", "_MINPT_", {{"0.9", 1}, {"1.8", 1}, {"3", 3}, {"3.9", 1}, {"4.8", 1}}},
      {"endpoints = 0 to 6 by 0.3 rtinclude", "_MAXPT_", {{"1.2", 1}, {"2.1", 1}, {"3", 3}, {"4.2", 1}, {"5.1", 1}}},
      {"midpoints = 0.15 to 5.85 by 0.3", "_MIDPT_", {{"1.05", 1}, {"1.95", 1}, {"3.15", 3}, {"4.05", 1}, {"4.95", 1}}},
      {"midpoints = 0.15 to 5.85 by 0.3 rtinclude", "_MIDPT_",
       {{"1.05", 1}, {"1.95", 1}, {"2.85", 3}, {"4.05", 1}, {"4.95", 1}}},
  };
  for (const bin_case& c : cases) {
    SCOPED_TRACE(c.options);
    ASSERT_EQ(run(std::string("proc kestravine data=n noprint;\n  histogram x / ") + c.options +
                  "\n    vscale=count outhistogram=oh;\nrun;\n"),
              0)
        << log_;
    const std::vector<std::string> points = column("oh.csv", c.point), counts = column("oh.csv", "_COUNT_");
    ASSERT_EQ(points.size(), counts.size());
    std::map<std::string, int> got;
    for (std::size_t i = 0; i < points.size(); ++i)
      if (std::stod(counts[i]) > 0) got[points[i]] = static_cast<int>(std::stod(counts[i]));
    EXPECT_EQ(got, c.counts);
    EXPECT_EQ(points.size(), 14u) << "the bins from that of 1 to that of 5";
  }
}

TEST_F(RunnerBinValues, DataMovedByWholeWidthsKeepTheirBinsMoved) {
  // The default bins of x + c, c a whole number of bin widths, are the bins of x moved
  // by c, with or without CLASS: at 1e15 a slack in units of the values took a value
  // 5 below a bin edge for one on it (10 bins for 4), and the default rule's fuzz was
  // lost (4 bins for 5). Data in hundredths: integers 0 to 40 as in everyday counts
  // (their 1e15 move too), and one-decimal measures near 3 to 5 (moved to 1.7e9 at most).
  struct data_set {
    const char* what;
    std::vector<long long> x;  // hundredths
    long long max_offset;      // hundredths
  };
  const std::vector<long long> counts = {0,    1100, 1200, 1900, 2800, 2800, 3000, 3400, 3800, 3900,
                                         600,  900,  1000, 1100, 2500, 3200, 3300, 3500, 4000, 4000,
                                         200,  400,  500,  2800, 2800, 2900, 3200, 3700, 3900, 3900};
  std::vector<long long> measures;
  for (int i = 0; i < 45; ++i) measures.push_back(310 + (i * 37) % 190 / 10 * 10);
  const data_set sets[] = {{"counts", counts, 100000000000000000LL}, {"measures", measures, 170000000000LL}};
  for (const data_set& d : sets)
    for (const char* cls : {"", "  class g;  /* three cells */\n"}) {
      SCOPED_TRACE(std::string(d.what) + (*cls ? " by g" : ""));
      // The bins at 0, then at offsets near 1e6, 1.7e9 and 1e15 made whole widths.
      std::vector<long long> base;
      long long width = 0;
      for (const long long target : {0LL, 100000000LL, 170000000000LL, 100000000000000000LL}) {
        if (target > d.max_offset) continue;
        const long long c = width > 0 ? target / width * width : 0;
        SCOPED_TRACE(decimal(c, 2));
        std::string csv = "g,x\n";
        for (std::size_t i = 0; i < d.x.size(); ++i) csv += std::string(1, "ABC"[i % 3]) + "," + decimal(d.x[i] + c, 2) + "\n";
        dir_.write("m.csv", csv);
        ASSERT_EQ(run(std::string("proc kestravine data=m noprint;\n") + cls +
                      "  histogram x / outhistogram=oh\n    /* default bins */ ;\nrun;\n"),
                  0)
            << log_;
        // The bins written, then the axis's ticks (every bin, the empty ones at the ends too).
        std::vector<long long> at;
        for (const std::string& m : column("oh.csv", "_MIDPT_")) {
          long long v = 0;
          ASSERT_TRUE(hundredths(m, &v)) << m;
          at.push_back(v - c);
        }
        const std::string dump = slurp(dir_ / "dump");
        const std::size_t ticks = dump.find("_XTICKS = \"");
        ASSERT_NE(ticks, std::string::npos) << dump;
        std::istringstream list(dump.substr(ticks + 11, dump.find('"', ticks + 11) - ticks - 11));
        for (std::string t; list >> t;) {
          long long v = 0;
          ASSERT_TRUE(hundredths(t, &v)) << t;
          at.push_back(v - c);
        }
        ASSERT_GE(at.size(), 2u);
        if (c == 0) {
          base = at;
          for (std::size_t i = 1; i < at.size() && width == 0; ++i) width = at[i] > at[i - 1] ? at[i] - at[i - 1] : 0;
          // A width the offsets are made whole numbers of: the bins' own.
          ASSERT_GT(width, 0);
        } else {
          EXPECT_EQ(at, base);
        }
      }
    }
}

}  // namespace
