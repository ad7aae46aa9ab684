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
  double base;            // the data are base + 0.12 .. base + 0.44
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
       "MIDPOINTS= values must not step farther than the first step: the step from 10000.2 to 10000.4 is larger"},
      {"a larger step at 1.7e9", 1700000000, "histogram / endpoints=1700000000.1 1700000000.2 1700000000.31;",
       "ENDPOINTS= values must not step farther than the first step: the step from 1700000000.2 to 1700000000.31 is "
       "larger"},
      {"a larger step near 0", 0, "histogram / midpoints=0 10 25;",
       "MIDPOINTS= values must not step farther than the first step: the step from 10 to 25 is larger"},
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
      EXPECT_EQ(log.find("farther than the first step"), std::string::npos) << log;
    } else {
      EXPECT_EQ(status, 2) << log;
      EXPECT_TRUE(files.empty()) << log;
      EXPECT_NE(log.find(c.refusal), std::string::npos) << log;
      EXPECT_NE(log.find("return code 1012"), std::string::npos) << log;
    }
  }
}

// A list whose later step is smaller than the first is drawn from its first value by
// the first step, so a value off that grid is no bin's place: the log says which, at
// the list, and the bins are the grid's.
TEST(RunnerBinLists, AValueOffTheFirstStepsGridIsNamed) {
  kes_test::scratch_dir dir{"bin-lists-grid"};
  struct grid_case {
    double base;  // the data are base + 0.12 .. base + 0.44
    const char* statement;
    const char* note;  // null: equal steps, nothing said
  } cases[] = {
      {0, "histogram / midpoints=0 20 30;",
       "MIDPOINTS= values are not equally spaced: the bins are laid out from 0 by the first step, 20, so 30 is not a "
       "midpoint of its own"},
      {1700000000, "histogram\n / endpoints = 1700000000.1 1700000000.3\n 1700000000.4 1700000000.5;",
       "ENDPOINTS= values are not equally spaced: the bins are laid out from 1700000000.1 by the first step, 0.2, so "
       "1700000000.4 is not an endpoint of its own"},
      {10000, "histogram / midpoints=10000.1 to 10000.5 by 0.1;", nullptr},
  };
  for (const grid_case& c : cases) {
    SCOPED_TRACE(c.statement);
    std::ofstream(dir.path() / "d.csv") << data_csv(c.base);
    int status = -1;
    std::string log;
    kes_test::run_graphs(dir.path(), std::string("proc kestravine data=d noprint; var x; ") + c.statement + " run;\n",
                         "template", &status, &log);
    EXPECT_EQ(status, 0) << log;
    if (c.note == nullptr) EXPECT_EQ(log.find("not equally spaced"), std::string::npos) << log;
    else EXPECT_NE(log.find(c.note), std::string::npos) << log;
  }
}

}  // namespace
