// Syntax errors and their repair: each error is reported once with the program
// file, line and column, what was found and what was expected, and the statement;
// repair goes on so that later errors are found too.
#include <gtest/gtest.h>

#include "driver/kes_stmt.h"
#include "parse_test_util.h"

namespace {

TEST(ParseErrors, MissingSemicolonIsInserted) {
  auto r = parse_test::parse("proc kestravine data=class\nvar age;\nhistogram age;");
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0], "prog.kes line 2, column 1: ';' expected near 'var' (in the PROC statement).");
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.status.errword, 1008);
  EXPECT_EQ(r.status.nerrors, 1);
  // The repair lets the rest parse as written: VAR filled PROC slot 1.
  const kes_stmt* p = r.status.first;
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->slots[1].v.count, 1);
  ASSERT_NE(p->next, nullptr);
  EXPECT_EQ(std::string(p->next->name, 8), "HISTOGRA");
}

TEST(ParseErrors, MisspelledOptionIsDeletedWithTheNearestKeywordFirst) {
  auto r = parse_test::parse("proc kestravine data=class;\nhistogram age / normla kernel;");
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].rfind("prog.kes line 2, column 17: 'normla' is not valid here and was "
                                "ignored; expected 'NORMAL', ",
                                0),
            0u)
      << r.messages[0];
  EXPECT_NE(r.messages[0].find("(in the HISTOGRAM statement)."), std::string::npos);
  const kes_stmt* h = r.status.first->next;
  EXPECT_TRUE(kes_flag(h, 45));  // KERNEL after the bad word still parsed
}

TEST(ParseErrors, UnclosedParenthesisIsClosed) {
  auto r = parse_test::parse("proc kestravine data=class;\nhistogram age / normal(mu=1 sigma=2;\nvar age;");
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0],
            "prog.kes line 2, column 36: ')' expected near ';' (in the HISTOGRAM statement).");
  const kes_stmt* h = r.status.first->next;
  EXPECT_EQ(h->slots[142].v.count, 1);
  EXPECT_EQ(r.status.first->slots[1].v.count, 1);
}

TEST(ParseErrors, UnclosedQuoteIsReportedAndRepaired) {
  auto r = parse_test::parse("proc kestravine data=class;\nhistogram age;\ninset mean='Average / position=ne;\nhistogram age;");
  ASSERT_EQ(r.messages.size(), 2u);
  EXPECT_EQ(r.messages[0],
            "prog.kes line 3, column 12: the quoted text is not closed on its line (in the INSET statement).");
  EXPECT_EQ(r.messages[1], "prog.kes line 4, column 1: ';' expected near 'histogram' (in the INSET statement).");
}

TEST(ParseErrors, RepairGoesOnToLaterStatements) {
  auto r = parse_test::parse(
      "proc kestravine data=class;\nhistogram age / vscale=;\nqqplot age / nadj 0.5;\nvar age;");
  ASSERT_EQ(r.messages.size(), 2u) << r.messages[0];
  EXPECT_EQ(r.messages[0].rfind("prog.kes line 2, column 24: a name expected near ';'", 0), 0u) << r.messages[0];
  EXPECT_EQ(r.messages[1].rfind("prog.kes line 3, column 19: '=' expected near '0.5'", 0), 0u) << r.messages[1];
  EXPECT_EQ(r.status.nerrors, 2);
  EXPECT_EQ(r.status.first->slots[1].v.count, 1);
}

TEST(ParseErrors, PositionsCountFromTheStepsFirstLineAndColumn) {
  // The step's text begins at line 10, column 5 of the program file: its first line
  // is shifted in both line and column, later lines in line only.
  auto r = parse_test::parse("proc kestravine data=class normla;\nvar age;\nhistogram age / nadj=1;",
                             "main.kes", 10, 5);
  ASSERT_EQ(r.messages.size(), 2u);
  EXPECT_EQ(r.messages[0].rfind("main.kes line 10, column 32: 'normla' is not valid here", 0), 0u) << r.messages[0];
  // NADJ= belongs to other plot statements: the option with its value is passed over.
  EXPECT_EQ(r.messages[1].rfind("main.kes line 12, column 17: 'nadj=1' is not valid here and was ignored", 0), 0u)
      << r.messages[1];
}

TEST(ParseErrors, UnknownStatementIsSkipped) {
  auto r = parse_test::parse("proc kestravine data=class;\nfoo bar baz;\nvar age;");
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].rfind("prog.kes line 2, column 1: 'foo' is not valid here", 0), 0u) << r.messages[0];
  EXPECT_EQ(r.status.first->slots[1].v.count, 1);
}

TEST(ParseErrors, ValuesAndVariablesAreChecked) {
  auto r = parse_test::parse(
      "proc kestravine data=class;\nvar nosuch name;\nhistogram age / midpoints=10 to 0 by 1 "
      "kernel(c=200);");
  ASSERT_EQ(r.messages.size(), 4u);
  EXPECT_EQ(r.messages[0], "prog.kes line 2, column 5: variable NOSUCH is not in data set WORK.CLASS (in the VAR statement).");
  EXPECT_EQ(r.messages[1],
            "prog.kes line 2, column 12: variable name is character; this list takes numeric variables only (in the VAR statement).");
  EXPECT_NE(r.messages[2].find("the range 10 TO 0 BY 1 gives no values"), std::string::npos) << r.messages[2];
  EXPECT_NE(r.messages[3].find("the value 200 is out of range: it must be from 0 to 100"), std::string::npos)
      << r.messages[3];
  EXPECT_EQ(r.status.errword, 1008);
}

TEST(ParseErrors, MissingDataSetIsReported) {
  auto r = parse_test::parse("proc kestravine data=nothere;\nvar age;");
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_NE(r.messages[0].find("NOTHERE"), std::string::npos) << r.messages[0];
  EXPECT_NE(r.messages[0].find("(in the PROC statement)"), std::string::npos) << r.messages[0];
}

TEST(ParseErrors, CleanParseHasNoErrorWord) {
  auto r = parse_test::parse("proc kestravine data=class;\nvar age;");
  EXPECT_EQ(r.errors, 0);
  EXPECT_EQ(r.status.errword, 0);
  EXPECT_TRUE(r.messages.empty());
}

}  // namespace
