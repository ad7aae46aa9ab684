// How the test writers type a statement (fuzz/statement_text.h): the blanks between
// words, one slash however often asked, the ';' and the line ends, and a typing's
// blanks and comments drawn when a line ends, after its words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuzz/statement_text.h"

namespace {

using kes_fuzz::in_parentheses;
using kes_fuzz::statement_text;
using kes_fuzz::typing;

TEST(StatementText, OneLineAsItStands) {
  struct row {
    std::string written, expected;
  };
  const row rows[] = {
      {statement_text("run").end(), "run;\n"},
      {statement_text("var").word("x y").end(), "var x y;\n"},
      // An empty word adds no blank: a data set or a title left out.
      {statement_text("proc kestravine").word("").words({"noprint", ""}).end(), "proc kestravine noprint;\n"},
      // The slash stands once, before the first option after it.
      {statement_text("class").word("g").slash().words({"a", "b"}).slash().word("c").end(), "class g / a b c;\n"},
      {statement_text("histogram").slash().slash().end(), "histogram /;\n"},
      {statement_text("normal").word(in_parentheses({})).end(), "normal ( );\n"},
      {statement_text("normal").word(in_parentheses({"mu=1", "sigma=est"})).end(), "normal ( mu=1 sigma=est );\n"},
  };
  for (const row& r : rows) EXPECT_EQ(r.written, r.expected);
}

// Each line begins with the typing's blanks and may end with its comment; the
// statement's continued lines stand two blanks further in, its ';' alone at the end.
TEST(StatementText, OverLinesWithBlanksAndComments) {
  std::vector<std::string> drawn;
  int lines = 0;
  const typing how{[&] {
                     drawn.push_back("indent");
                     return std::string(++lines % 2 ? " " : "   ");
                   },
                   [&](const char* about) {
                     drawn.push_back(about);
                     return "  /* " + std::string(about) + " */";
                   }};
  statement_text st("histogram", how);
  st.word("x").slash();
  EXPECT_TRUE(drawn.empty());  // nothing is drawn before the line ends
  st.line("bars");
  EXPECT_EQ(drawn, (std::vector<std::string>{"indent", "bars"}));
  st.word("normal").line();
  st.word("href=1 2").word("hreflabels='a' 'b'").line("close");
  EXPECT_EQ(st.end(),
            " histogram x /  /* bars */\n"
            "     normal\n"
            "   href=1 2 hreflabels='a' 'b'  /* close */\n"
            "   ;\n");
  EXPECT_EQ(drawn, (std::vector<std::string>{"indent", "bars", "indent", "indent", "close", "indent"}));
  // A statement on one line ends with its comment after the ';'.
  EXPECT_EQ(statement_text("var", how).word("x").end("the measure"), " var x;  /* the measure */\n");
}

}  // namespace
