// The README's quick start: the program it shows, run by the runner on the bundled CSV
// file, draws exactly the graphs committed beside it (compared by their structure);
// the README shows the program as it is; --help names the statement reference.
//
// After a change to how graphs look, rewrite the committed graphs with
//   KES_UPDATE_GOLDEN=1 ctest --test-dir build -R QuickStart
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "runner/runner_options.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

namespace fs = std::filesystem;

const fs::path kQuickStart = fs::path(KES_SOURCE_DIR) / "docs" / "quickstart";

using kes_test::svg_files;

TEST(QuickStart, TheProgramDrawsTheCommittedGraphs) {
  kes_test::scratch_dir dir("quickstart");
  for (const char* f : {"quickstart.kes", "scores.csv"}) fs::copy_file(kQuickStart / f, dir / f);
  fs::create_directories(dir / "graphs");
  kes_test::runner_process p;
  p.start(dir.path().string(), {"--listing", "lst", "--log", "log", "--graphs", "graphs", "quickstart.kes"});
  const int status = p.wait();
  const std::string log = kes_test::slurp(dir / "log");
  ASSERT_EQ(status, 0) << log;
  EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
  EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
  // A histogram and a Q-Q plot, and no other graph.
  const std::vector<std::string> drawn = svg_files(dir / "graphs");
  ASSERT_EQ(drawn.size(), 2u);
  if (std::getenv("KES_UPDATE_GOLDEN") == nullptr) {
    EXPECT_EQ(drawn, svg_files(kQuickStart));
  }
  for (const std::string& name : drawn)
    EXPECT_TRUE(kes_test::svg_matches_golden(kes_test::slurp(dir / "graphs" / name), kQuickStart / name)) << name;
}

TEST(QuickStart, TheReadmeShowsTheProgramAndItsGraphs) {
  const std::string readme = kes_test::slurp(fs::path(KES_SOURCE_DIR) / "README.md");
  // The program as a code block: every line indented by four spaces.
  std::istringstream program(kes_test::slurp(kQuickStart / "quickstart.kes"));
  std::string block;
  for (std::string line; std::getline(program, line);) block += "    " + line + "\n";
  EXPECT_NE(readme.find(block), std::string::npos) << block;
  for (const std::string& name : svg_files(kQuickStart))
    EXPECT_NE(readme.find("](docs/quickstart/" + name + ")"), std::string::npos) << name;
  EXPECT_NE(readme.find("docs/statements.md"), std::string::npos);
}

TEST(RunnerHelp, NamesTheStatementReference) {
  EXPECT_NE(plat::help_text().find("docs/statements.md"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(fs::path(KES_SOURCE_DIR) / "docs" / "statements.md"));
}

}  // namespace
