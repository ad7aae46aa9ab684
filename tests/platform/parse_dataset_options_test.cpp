// Data set options as the parser reads them: the raw text after a data set's name up
// to its closing parenthesis, quotes respected, over several lines; the variables the
// statements then name are those the options leave.
#include <gtest/gtest.h>

#include "parse_test_util.h"

namespace {

TEST(ParseDatasetOptions, OptionsAreReadAsRawTextUpToTheirClosingParenthesis) {
  struct row {
    const char* text;
    const char* dump_holds;  // in the parse dump
  };
  const row rows[] = {
      // Quotes may hold ')' and ';'; the variable numbers are those after KEEP=.
      {"proc kestravine data=class(keep=name\n age where=(name ^= 'a);b')) ;\nvar age;", "slot 1: numeric variables 1"},
      // A space before the parenthesis; RENAME= gives the names VAR matches.
      {"proc kestravine data=class (rename=(age=years)) ;\nvar years;", "slot 1: numeric variables 2"},
      // Options on an output data set leave the statement's own options alone.
      {"proc kestravine data=class; var age;\noutput out=o(drop=m label='A (test)') mean=m n=n;",
       "slot 5: names 'n'"},
  };
  for (const row& r : rows) {
    auto res = parse_test::parse(r.text);
    EXPECT_EQ(res.errors, 0) << r.text << "\n" << (res.messages.empty() ? "" : res.messages[0]);
    EXPECT_NE(res.dump.find(r.dump_holds), std::string::npos) << r.text << "\n" << res.dump;
  }
}

TEST(ParseDatasetOptions, RefusalsNameTheDataSetAndTheStatementGoesOn) {
  struct row {
    const char* text;
    const char* message;
  };
  const row rows[] = {
      {"proc kestravine data=class(keep=age; var age;",
       "prog.kes line 1, column 27: the parenthesis of the data set options is not closed (in the PROC statement)."},
      {"proc kestravine data=class(keep=nosuch); var age;",
       "prog.kes line 1, column 22: data set WORK.class: KEEP= names variable nosuch, which data set WORK.class "
       "does not have (in the PROC statement)."},
      {"proc kestravine data=class; var age; output out=o(obs=1) mean=m;",
       "prog.kes line 1, column 49: data set WORK.o: the data set option OBS= applies to data sets the step reads, "
       "not to one it writes (in the OUTPUT statement)."},
      {"proc kestravine data=class gout=cat(keep=a);",
       "prog.kes line 1, column 33: data set WORK.cat: data set options do not apply to a graphics catalog (in the "
       "PROC statement)."},
  };
  for (const row& r : rows) {
    auto res = parse_test::parse(r.text);
    ASSERT_EQ(res.messages.size(), 1u) << r.text << "\n" << res.dump;
    EXPECT_EQ(res.messages[0], r.message) << r.text;
  }
}

}  // namespace
