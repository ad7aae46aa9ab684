// Parse dumps of every statement with a representative set of its options, compared
// with golden texts in parse_golden/ (NAME.kes parsed, NAME.dump expected). A line
// "%%" in NAME.kes separates programs parsed one by one, positions counted in the
// file; the dump of each is headed by the line it starts at. Set
// KES_UPDATE_GOLDEN=1 to rewrite the golden texts after a deliberate change, then
// review the difference.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "parse_test_util.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;

std::string actual_text(const parse_test::result& r) {
  std::string t = r.dump;
  t += "errors: " + std::to_string(r.errors) + ", error word " + std::to_string(r.status.errword) + "\n";
  for (const std::string& m : r.messages) t += "message: " + m + "\n";
  return t;
}

class ParseGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(ParseGolden, DumpMatches) {
  fs::path dir = fs::path(KES_SOURCE_DIR) / "tests/platform/parse_golden";
  fs::path in = dir / (GetParam() + ".kes");
  fs::path want = dir / (GetParam() + ".dump");
  std::istringstream lines(kes_test::slurp(in));
  std::string line, got;
  std::vector<std::pair<int, std::string>> programs{{1, ""}};
  for (int n = 1; std::getline(lines, line); ++n) {
    if (line == "%%")
      programs.push_back({n + 1, ""});
    else
      programs.back().second += line + "\n";
  }
  for (const auto& [first, text] : programs) {
    if (programs.size() > 1) got += "--- program at line " + std::to_string(first) + "\n";
    got += actual_text(parse_test::parse(text, GetParam() + ".kes", first));
  }
  if (std::getenv("KES_UPDATE_GOLDEN")) {
    std::ofstream(want) << got;
    GTEST_SKIP() << "golden text rewritten";
  }
  ASSERT_TRUE(fs::exists(want)) << want;
  EXPECT_EQ(kes_test::slurp(want), got);
}

INSTANTIATE_TEST_SUITE_P(Statements, ParseGolden,
                         ::testing::Values("proc_options", "list_statements", "variable_lists",
                                           "keyword_names", "dollar_spellings", "histogram",
                                           "histogram_families", "probability_plots", "inset",
                                           "output", "errors", "errors_values", "errors_repair",
                                           "errors_statements", "option_slots", "dataset_options",
                                           "keyword_options", "output_keyword_names"));

}  // namespace
