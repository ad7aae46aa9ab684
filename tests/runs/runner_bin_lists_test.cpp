// MIDPOINTS= and ENDPOINTS= lists are judged by the decimals they are typed in: a
// list of steps of 0.1 passes at any offset (the doubles nearest 10000.2 and 10000.3
// lie a few units of their last place more or less than 0.1 apart), and a step
// smaller than the first passes; a step larger than the first is refused with its
// message, whatever the offset.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/runner_graphs.h"
#include "support/scratch_files.h"

namespace {

struct list_case {
  const char* what;
  double base;            // the data are base + 0.02 .. base + 0.34
  std::string statement;  // the HISTOGRAM statement
  const char* refusal;    // the message's start; null where the list passes
};

std::string data_csv(double base) {
  char buf[64];
  std::string csv = "x\n";
  for (int i = 0; i < 5; ++i) {
    std::snprintf(buf, sizeof buf, "%.2f\n", base + 0.12 + 0.08 * i);
    csv += buf;
  }
  return csv;
}

TEST(RunnerBinLists, TypedStepsAreJudgedByTheirDecimals) {
  kes_test::scratch_dir dir{"bin-lists"};
  const list_case cases[] = {
      {"0.1 steps at 1e4", 10000, "histogram / midpoints=10000.1 to 10000.5 by 0.1;", nullptr},
      {"typed value by value", 10000, "histogram / midpoints=10000.1 10000.2 10000.3 10000.4 10000.5;", nullptr},
      {"statement over lines", 10000, "histogram\n / midpoints = 10000.1 10000.2\n 10000.3 10000.4 10000.5;", nullptr},
      {"0.1 steps at 1e5", 100000, "histogram / midpoints=100000.1 to 100000.5 by 0.1;", nullptr},
      {"0.1 steps at 1e6", 1000000, "histogram / midpoints=1000000.1 to 1000000.5 by 0.1;", nullptr},
      {"0.1 steps at 1.7e9", 1700000000, "histogram / midpoints=1700000000.1 to 1700000000.5 by 0.1;", nullptr},
      {"endpoints at 1.7e9", 1700000000, "histogram / endpoints=1700000000.1 to 1700000000.6 by 0.1;", nullptr},
      {"endpoints typed at 1e4", 10000, "histogram / endpts=10000.1 10000.2 10000.3 10000.4 10000.5 10000.6;",
       nullptr},
      {"0.1 steps at 10", 10, "histogram / midpoints=10.1 to 10.5 by 0.1;", nullptr},
      {"0.1 steps at 100, MIDPTS=", 100, "histogram / midpts=100.1 to 100.5 by 0.1;", nullptr},
      {"0.1 steps at 1000", 1000, "histogram / midpoints=1000.1 to 1000.5 by 0.1;", nullptr},
      {"a smaller step passes", 0, "histogram / midpoints=0 0.2 0.3;", nullptr},
      {"a larger step at 1e4", 10000, "histogram / midpoints=10000.1 10000.2 10000.4;",
       "MIDPOINTS= values must be equally spaced: the step from 10000.2 to 10000.4 differs from the first step"},
      {"a larger step at 1.7e9", 1700000000, "histogram / endpoints=1700000000.1 1700000000.2 1700000000.31;",
       "ENDPOINTS= values must be equally spaced: the step from 1700000000.2 to 1700000000.31 differs from the first "
       "step"},
      {"a larger step near 0", 0, "histogram / midpoints=0 10 25;",
       "MIDPOINTS= values must be equally spaced: the step from 10 to 25 differs from the first step"},
  };
  for (const list_case& c : cases) {
    SCOPED_TRACE(c.what);
    std::ofstream(dir.path() / "d.csv") << data_csv(c.base);
    int status = -1;
    std::string log;
    const auto files = kes_test::run_graphs(dir.path(), "proc kestravine data=d noprint; var x; " + c.statement +
                                                            " run;\n",
                                            "template", &status, &log);
    if (c.refusal == nullptr) {
      EXPECT_EQ(status, 0) << log;
      EXPECT_EQ(files.size(), 1u) << log;
      EXPECT_EQ(log.find("equally spaced"), std::string::npos) << log;
    } else {
      EXPECT_EQ(status, 2) << log;
      EXPECT_TRUE(files.empty()) << log;
      EXPECT_NE(log.find(c.refusal), std::string::npos) << log;
      EXPECT_NE(log.find("return code 1012"), std::string::npos) << log;
    }
  }
}

}  // namespace
