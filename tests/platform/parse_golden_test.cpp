// Parse dumps of every statement with a representative set of its options, compared
// with golden texts in parse_golden/ (NAME.kes parsed, NAME.dump expected). Set
// KES_UPDATE_GOLDEN=1 to rewrite the golden texts after a deliberate change, then
// review the difference.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "parse_test_util.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p) {
  std::ifstream f(p);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

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
  parse_test::result r = parse_test::parse(read_file(in), GetParam() + ".kes");
  std::string got = actual_text(r);
  if (std::getenv("KES_UPDATE_GOLDEN")) {
    std::ofstream(want) << got;
    GTEST_SKIP() << "golden text rewritten";
  }
  ASSERT_TRUE(fs::exists(want)) << want;
  EXPECT_EQ(read_file(want), got);
}

INSTANTIATE_TEST_SUITE_P(Statements, ParseGolden,
                         ::testing::Values("proc_options", "list_statements", "variable_lists",
                                           "keyword_names", "dollar_spellings", "histogram",
                                           "histogram_families", "probability_plots", "inset",
                                           "output", "errors", "errors_values", "errors_repair",
                                           "errors_statements"));

}  // namespace
