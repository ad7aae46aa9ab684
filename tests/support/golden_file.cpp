#include "support/golden_file.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kes_test {

::testing::AssertionResult text_matches_golden(const std::string& text, const std::filesystem::path& golden,
                                               const std::function<std::string(const std::string&)>& reduce) {
  std::filesystem::path fail = golden;
  fail += ".fail";
  if (std::getenv("KES_UPDATE_GOLDEN")) {
    std::filesystem::create_directories(golden.parent_path());
    std::ofstream(golden, std::ios::binary) << text;
    std::filesystem::remove(fail);
    return ::testing::AssertionSuccess() << "golden rewritten";
  }
  std::ifstream in(golden, std::ios::binary);
  if (!in) {
    std::ofstream(fail, std::ios::binary) << text;
    return ::testing::AssertionFailure() << "no golden file " << golden << " (actual left in " << fail << ")";
  }
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string want = reduce ? reduce(ss.str()) : ss.str(), got = reduce ? reduce(text) : text;
  if (want == got) {
    std::filesystem::remove(fail);
    return ::testing::AssertionSuccess();
  }
  std::ofstream(fail, std::ios::binary) << text;
  std::istringstream a(want), b(got);
  std::string la, lb;
  for (int line = 1;; ++line) {
    const bool ha = static_cast<bool>(std::getline(a, la)), hb = static_cast<bool>(std::getline(b, lb));
    if (!ha && !hb) break;
    if (!ha) la = "(end)";
    if (!hb) lb = "(end)";
    if (la != lb)
      return ::testing::AssertionFailure() << golden.filename() << " differs at " << (reduce ? "reduced " : "")
                                           << "line " << line << "\n  golden: " << la << "\n  actual: " << lb
                                           << "\n(actual left in " << fail << ")";
  }
  return ::testing::AssertionFailure() << "the texts differ";
}

}  // namespace kes_test
