// The form of a histogram's tick texts in both renderers: E notation only where the
// values reach 1e7 (1e7 itself included) or stay below 1e-4 and the E texts are
// narrower. Ticks of Unix seconds whose E texts are as wide as their fixed ones
// ("1.700001E9", "1700001000") stay fixed; ticks up to exactly 1e7 by 2e6 read 2E6 to
// 1E7, narrower than 2000000 to 10000000.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/svg_parts.h"

namespace {

// The texts of a graph that read as numbers, in document order.
std::vector<std::string> number_texts(const std::string& svg) {
  std::vector<std::string> out;
  for (const kes_test::text_item& t : kes_test::read_parts(svg).texts) {
    char* end = nullptr;
    std::strtod(t.text.c_str(), &end);
    if (!t.text.empty() && end == t.text.c_str() + t.text.size()) out.push_back(t.text);
  }
  return out;
}

bool has(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(RunnerTickForm, ETextsOnlyWhereNarrowerAndFromExactly1e7) {
  kes_test::scratch_dir dir{"tick-form"};
  struct row {
    const char* what;
    std::string csv, statement;
    std::vector<std::string> want, never;
  };
  std::string seconds = "x\n", people = "x\n";
  for (int i = 0; i < 40; ++i) seconds += std::to_string(1700001000 + 750 * i) + "\n";
  for (int i = 0; i < 40; ++i) people += std::to_string(150000 + 250000 * i) + "\n";
  const row rows[] = {
      {"Unix seconds, ties of widths", seconds, "histogram x / midpoints=1700001000 to 1700031000 by 6000;",
       {"1700001000", "1700007000", "1700013000", "1700031000"},
       {"1.700001E9", "1.700007E9", "1.700031E9"}},
      {"ticks reaching exactly 1e7", people, "histogram x / midpoints=0 to 10000000 by 2000000;",
       {"2E6", "4E6", "6E6", "8E6", "1E7"},
       {"2000000", "10000000"}},
  };
  for (const row& r : rows)
    for (const char* renderer : {"template", "device"}) {
      SCOPED_TRACE(std::string(r.what) + " / " + renderer);
      std::ofstream(dir.path() / "d.csv") << r.csv;
      int status = -1;
      std::string log;
      const auto files = kes_test::run_graphs(dir.path(), "proc kestravine data=d noprint; var x; " + r.statement +
                                                              " run;\n",
                                              renderer, &status, &log);
      ASSERT_EQ(status, 0) << log;
      ASSERT_EQ(files.size(), 1u) << log;
      const std::vector<std::string> texts = number_texts(files.front().second);
      std::string all;
      for (const std::string& t : texts) all += t + " ";
      for (const std::string& w : r.want) EXPECT_TRUE(has(texts, w)) << w << " not among " << all;
      for (const std::string& n : r.never) EXPECT_FALSE(has(texts, n)) << n << " among " << all;
    }
}

}  // namespace
