// How the runner reads a program: statements, quotes, comments, and the statements
// it carries out itself (OPTIONS, LIBNAME, TITLE).
#include <gtest/gtest.h>

#include "core/runtime.h"
#include "support/scratch_files.h"
#include "runner/global_statements.h"
#include "runner/program_split.h"

namespace {

// Quotes, comments and programs that end inside a quote, comment or statement are the
// example programs program_text, program_open_comment and runner_steps.
TEST(ProgramSplit, LinesAndColumnsPointAtTheFirstCharacter) {
  auto sp = plat::split_statements("  options linesize=80;\n\n\tproc   kestravine\n   data=a;   run;");
  ASSERT_EQ(sp.statements.size(), 3u);
  EXPECT_EQ(sp.statements[0].line, 1);
  EXPECT_EQ(sp.statements[0].column, 3);
  EXPECT_EQ(sp.statements[1].line, 3);
  EXPECT_EQ(sp.statements[1].column, 2);
  EXPECT_EQ(sp.statements[1].last_line, 4);
  EXPECT_EQ(sp.statements[2].line, 4);
  EXPECT_EQ(sp.statements[2].column, 14);
  EXPECT_TRUE(plat::split_statements("").statements.empty());
  EXPECT_TRUE(plat::split_statements("  \n /* only */ \n").problems.empty());
}

// The runner's own statements, run against the current configuration.
class GlobalStatementTest : public ::testing::Test {
 protected:
  bool run(const std::string& stmt) {
    auto sp = plat::split_statements(stmt);
    EXPECT_EQ(sp.statements.size(), 1u);
    return !sp.statements.empty() && plat::run_global_statement(sp.statements[0], sp.text);
  }
  kes_test::captured_outputs out_;
};

TEST_F(GlobalStatementTest, OptionsSetSizesAndSystemOptions) {
  EXPECT_TRUE(run("options linesize = 80 PAGESIZE=20 threads=3 nogstyle debug='SYN, sem';"));
  EXPECT_EQ(plat::config().linesize, 80);
  EXPECT_EQ(plat::config().pagesize, 20);
  EXPECT_EQ(plat::system_option_bool("GSTYLE"), 0);
  EXPECT_EQ(*plat::system_option_text("DEBUG"), "SYN, sem");
  EXPECT_EQ(*plat::system_option_text("THREADS"), "3");
  EXPECT_EQ(out_.log(), "");
}

// Faults in OPTIONS, LIBNAME and TITLE statements, and titles in the listing, are
// the example program global_statements.kes.
TEST(GlobalStatements, TitleNumbersMakeTheKeyword) {
  EXPECT_TRUE(plat::is_global_statement("TITLE10"));
  EXPECT_FALSE(plat::is_global_statement("TITLES"));
}

}  // namespace
