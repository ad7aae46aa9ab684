// How the runner reads a program: statements, quotes, comments, and the statements
// it carries out itself (OPTIONS, LIBNAME, TITLE).
#include <gtest/gtest.h>

#include "core/host_messages.h"
#include "core/runtime.h"
#include "core_test_support.h"
#include "runner/global_statements.h"
#include "runner/program_split.h"

namespace {

std::vector<std::string> keywords(const plat::split_program& sp) {
  std::vector<std::string> k;
  for (const auto& st : sp.statements) k.push_back(st.keyword);
  return k;
}

std::string text_of(const plat::split_program& sp, std::size_t i) {
  const auto& st = sp.statements[i];
  return sp.text.substr(st.begin, st.end - st.begin);
}

TEST(ProgramSplit, SemicolonsInsideQuotesDoNotEndStatements) {
  auto sp = plat::split_statements("title 'a;b';\nproc kestravine data=x;\n  inset \"it's; fine\" 'don''t;';\nrun;\n");
  EXPECT_TRUE(sp.problems.empty());
  EXPECT_EQ(keywords(sp), (std::vector<std::string>{"TITLE", "PROC", "INSET", "RUN"}));
  EXPECT_EQ(text_of(sp, 0), "title 'a;b';");
  EXPECT_EQ(text_of(sp, 2), "inset \"it's; fine\" 'don''t;';");
  EXPECT_EQ(sp.statements[1].second, "KESTRAVINE");
}

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
}

TEST(ProgramSplit, CommentsBecomeBlanksAndKeepLinesInPlace) {
  const std::string prog =
      "/* header\n   comment; with 'quote */\n"
      "* a comment statement, 'quote and all;\n"
      "proc /* inline */ kestravine;\n"
      "  var x; * trailing comment;\n"
      "run;\n";
  auto sp = plat::split_statements(prog);
  EXPECT_TRUE(sp.problems.empty());
  EXPECT_EQ(keywords(sp), (std::vector<std::string>{"PROC", "VAR", "RUN"}));
  ASSERT_EQ(sp.text.size(), prog.size());
  for (std::size_t i = 0; i < prog.size(); ++i) {
    if (prog[i] == '\n') {
      EXPECT_EQ(sp.text[i], '\n') << i;
    }
  }
  EXPECT_EQ(sp.text.find("comment"), std::string::npos);
  EXPECT_EQ(sp.text.find("inline"), std::string::npos);
  EXPECT_EQ(sp.statements[0].second, "KESTRAVINE");
  EXPECT_EQ(sp.statements[0].line, 4);
}

TEST(ProgramSplit, UnfinishedQuoteCommentAndStatementAreProblems) {
  auto q = plat::split_statements("proc kestravine;\ntitle 'open;\nrun;\n");
  ASSERT_EQ(q.problems.size(), 1u);
  EXPECT_EQ(q.problems[0].message, plat::hostmsg::open_quote);
  EXPECT_EQ(q.problems[0].line, 2);
  EXPECT_EQ(q.statements.size(), 1u);

  auto c = plat::split_statements("proc kestravine;\n\n/* never closed\nrun;\n");
  ASSERT_EQ(c.problems.size(), 1u);
  EXPECT_EQ(c.problems[0].message, plat::hostmsg::open_comment);
  EXPECT_EQ(c.problems[0].line, 3);

  auto s = plat::split_statements("proc kestravine;\nvar x\n  ");
  ASSERT_EQ(s.problems.size(), 1u);
  EXPECT_EQ(s.problems[0].message, plat::hostmsg::open_statement);
  EXPECT_EQ(s.problems[0].line, 2);

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
  EXPECT_TRUE(run("options linesize = 80 PAGESIZE=20 nogstyle debug='SYN, sem';"));
  EXPECT_EQ(plat::config().linesize, 80);
  EXPECT_EQ(plat::config().pagesize, 20);
  EXPECT_EQ(plat::system_option_bool("GSTYLE"), 0);
  EXPECT_EQ(*plat::system_option_text("DEBUG"), "SYN, sem");
  EXPECT_EQ(out_.log(), "");
}

// Faults in OPTIONS, LIBNAME and TITLE statements, and titles in the listing, are
// the example program global_statements.kes.
TEST(GlobalStatements, TitleNumbersMakeTheKeyword) {
  EXPECT_TRUE(plat::is_global_statement("TITLE10"));
  EXPECT_FALSE(plat::is_global_statement("TITLES"));
}

}  // namespace
