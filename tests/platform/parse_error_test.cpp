// Positions in syntax error messages when the step's text does not begin the
// program file. The messages, their repair and the parse after it are compared with
// golden dumps (parse_golden/errors*.kes); a data set that does not exist is in the
// example programs.
#include <gtest/gtest.h>

#include "parse_test_util.h"

namespace {

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

}  // namespace
