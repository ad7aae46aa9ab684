// AXIS statements at the ends of the doubles: an ORDER= range is counted and placed as
// the renderers step an axis, so that a range wider than the largest double gives its
// values; colour words of any length keep their colour; and a plot statement naming
// a refused definition says that it was refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "runner/axis_statement.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;

// The ORDER= values of an encoded definition (its last record).
std::vector<double> order_values(const std::vector<std::string>& records) {
  std::vector<double> v(records.back().size() / sizeof(double));
  std::memcpy(v.data(), records.back().data(), v.size() * sizeof(double));
  return v;
}

TEST(AxisOrder, RangesNearTheEndsOfTheDoublesGiveEveryValue) {
  const double max = DBL_MAX, sub = 4.9406564584124654e-324;
  struct order_case {
    const char* order;
    size_t count;         // 0: refused
    double first, last;   // the values at the ends
  };
  const order_case cases[] = {
      {"-1e308 TO 1e308 BY 1e308", 3, -1e308, 1e308},
      {"-1e308 TO 1e308 BY 1e307", 21, -1e308, 1e308},
      {"-1.7e308 TO 1.7e308 BY 1.7e308", 3, -1.7e308, 1.7e308},
      {"1.7e308 TO -1.7e308 BY -1.7e308", 3, 1.7e308, -1.7e308},
      {"-1.7976931348623157e308 TO 1.7976931348623157e308 BY 1e307", 36, -max, 2 * (-max / 2 + 35 * 0.5e307)},
      {"-1.7976931348623157e308 TO 1.7976931348623157e308 BY 1.7976931348623157e308", 3, -max, max},
      {"0 TO 1e308 BY 1e306", 101, 0, 1e308},
      {"1e-308 TO 1e-307 BY 1e-308", 10, 1e-308, 1e-307},
      {"0 TO 4.9406564584124654e-323 BY 4.9406564584124654e-324", 11, 0, 10 * sub},
      // More than the 1000 values of a list, and ranges that do not reach their end.
      {"-1e308 TO 1e308 BY 1e300", 0, 0, 0},
      {"0 TO 1e308 BY 1e305", 0, 0, 0},
      {"-1e308 TO 1e308 BY -1e308", 0, 0, 0},
      {"0 TO 1e308 BY 0", 0, 0, 0},
  };
  for (const order_case& c : cases) {
    SCOPED_TRACE(c.order);
    std::vector<std::string> records;
    const std::string err = plat::encode_axis(std::string("ORDER=(") + c.order + ")", &records);
    if (c.count == 0) {
      EXPECT_NE(err, "");
      continue;
    }
    ASSERT_EQ(err, "");
    const std::vector<double> v = order_values(records);
    ASSERT_EQ(v.size(), c.count);
    EXPECT_NEAR(v.front(), c.first, std::fabs(c.first) * 1e-15);
    EXPECT_NEAR(v.back(), c.last, std::fabs(c.last) * 1e-15);
    // Finite, in the range's direction, equally spaced (relative to the step).
    const double step = (v[1] / 2 - v[0] / 2) * 2;
    for (size_t i = 0; i < v.size(); ++i) {
      ASSERT_TRUE(std::isfinite(v[i])) << i;
      if (i == 0) continue;
      // Halves differ by a subnormal's rounding at most.
      EXPECT_NEAR(v[i] / 2 - v[i - 1] / 2, step / 2, std::max(std::fabs(step) * 1e-12, sub)) << i;
    }
  }
}

// Colour words in AXIS statements: a long name keeps its colour (as #RRGGBB in the 8
// characters of its field); a word that names none leaves the field blank, the axis'
// default, and is reported as written.
TEST(AxisOrder, ColourWordsOfAnyLength) {
  struct colour_case {
    const char* options;
    const char* field;  // the header's colour field
    const char* unknown;
  };
  const colour_case cases[] = {
      {"COLOR=red", "RED     ", ""},
      {"COLOR=DarkSlateBlue", "#483D8B ", ""},
      {"COLOR=darkslategray", "#2F4F4F ", ""},
      {"COLOR=darkslat", "        ", "darkslat"},
      {"COLOR=LightGoldenrodYellow2", "        ", "LightGoldenrodYellow2"},
  };
  for (const colour_case& c : cases) {
    SCOPED_TRACE(c.options);
    std::vector<std::string> records, unknown;
    ASSERT_EQ(plat::encode_axis(c.options, &records, &unknown), "");
    EXPECT_EQ(records[0].substr(4, 8), c.field);
    EXPECT_EQ(unknown, *c.unknown ? std::vector<std::string>{c.unknown} : std::vector<std::string>{});
  }
}

struct run_result {
  int status;
  std::string log;
};

run_result run(const kes_test::scratch_dir& dir, const std::string& program) {
  dir.write("p.kes", program);
  std::string csv = "x\n";
  for (int i = 0; i < 20; ++i) csv += std::to_string(1 + i * i) + "\n";
  dir.write("d.csv", csv);
  fs::create_directories(dir / "graphs");
  kes_test::runner_process p;
  p.start(dir.path().string(), {"--graphics", "device", "--graphs", "graphs", "--listing", "lst", "--log", "log", "p.kes"});
  return {p.wait(), kes_test::slurp(dir / "log")};
}

TEST(AxisOrder, AWideRangeDrawsAndARefusedDefinitionIsNamedSo) {
  kes_test::scratch_dir dir("axis_order");
  // The range wider than the doubles is stored and drawn.
  run_result r = run(dir, "axis1 order=(-1e308 to 1e308 by 1e308);\nproc kestravine data=d noprint; var x;\n"
                          "histogram / haxis=axis1;\nrun;\n");
  EXPECT_EQ(r.status, 0) << r.log;
  EXPECT_EQ(r.log.find("ERROR"), std::string::npos) << r.log;
  EXPECT_TRUE(fs::exists(dir / "graphs" / "KESTRA.svg")) << r.log;
  // A refused statement: its error, then the plot statement says it was refused.
  r = run(dir, "axis1 order=(0 to 10 by 0);\nproc kestravine data=d noprint; var x;\nhistogram / haxis=axis1;\nrun;\n");
  EXPECT_NE(r.log.find("AXIS1 statement (line 1): ORDER= range does not reach its end"), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("HAXIS= names the axis definition AXIS1, whose AXIS statement was refused"), std::string::npos)
      << r.log;
  EXPECT_EQ(r.log.find("which no AXIS statement defined"), std::string::npos) << r.log;
  // A later statement of the same number that is taken replaces the refusal.
  r = run(dir, "axis1 order=(0 to 10 by 0);\naxis1 order=(0 to 400 by 100);\n"
               "proc kestravine data=d noprint; var x;\nhistogram / haxis=axis1;\nrun;\n");
  EXPECT_EQ(r.log.find("was refused"), std::string::npos) << r.log;
  // A refused statement leaves its number undefined, an earlier definition included.
  r = run(dir, "axis1 order=(0 to 400 by 100);\naxis1 order=(0 to 10 by 0);\n"
               "proc kestravine data=d noprint; var x;\nhistogram / haxis=axis1;\nrun;\n");
  EXPECT_NE(r.log.find("AXIS1, whose AXIS statement was refused"), std::string::npos) << r.log;
  // A number no statement gave keeps its own message.
  r = run(dir, "proc kestravine data=d noprint; var x;\nhistogram / haxis=axis7;\nrun;\n");
  EXPECT_NE(r.log.find("AXIS7, which no AXIS statement defined"), std::string::npos) << r.log;
}

}  // namespace
