// Mistakes that were answered only by their consequence: a RUN without its semicolon
// swallowed the next PROC statement, and the step's statements were then "not valid
// outside a step"; a statement without its semicolon made the next statement's name a
// variable, a system option or a title; a word cut to a slot's eight characters was
// echoed cut; the runner's own statements gave a line without a column. Each is now
// said where it was made, with line and column, and names what may be missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;

class RunnerSemicolons : public ::testing::Test {
 protected:
  int run(const std::string& program) {
    dir_.write("d.csv", "x,g\n1,a\n2,a\n4,b\n3,b\n5,b\n");
    const int status = kes_test::run_program(proc_, dir_, program, {"--work", ".", "--log", "log", "--listing", "lst",
                                                                     "--graphics", "none"});
    log_ = slurp(dir_ / "log");
    return status;
  }
  kes_test::scratch_dir dir_{"semicolons"};
  kes_test::runner_process proc_;
  std::string log_;
};

TEST_F(RunnerSemicolons, EachMistakeIsSaidWhereItIsMade) {
  struct row {
    const char* what;
    std::string program;
    std::vector<std::string> said;    // each once in the log
    std::vector<std::string> absent;  // never
    int status;
  };
  const std::string step = "proc kestravine data=d; var x; run;\n";
  const std::string maybe = "a \";\" may be missing before ";
  const row rows[] = {
      {"RUN without its semicolon before a step",
       "proc kestravine data=d; var x; run\nproc kestravine data=d; var g; run;\n",
       {"ERROR: RUN statement (line 1, column 32): the text after RUN, from line 2, column 1, was ignored, so the "
        "step PROC KESTRAVINE of line 2 did not run; a \";\" may be missing after RUN.",
        "The KESTRAVINE step (lines 1-1) ended with return code 0."},
       {"not valid outside", "ended with return code 1008"},
       3},
      {"RUN with other words", step + "run now;\n" + step,
       {"ERROR: RUN statement (line 2, column 1): the text after RUN, from line 2, column 5, was ignored; a \";\" "
        "may be missing after RUN."},
       {"not valid outside"},
       3},
      {"VAR before HISTOGRAM", "proc kestravine data=d; var x\nhistogram x; run;\n",
       {"prog.kes line 2, column 1: variable histogram is not in data set WORK.d; " + maybe +
        "HISTOGRAM, which begins a statement (in the VAR statement)."},
       {},
       2},
      {"VAR before CLASS", "proc kestravine data=d; var x\nclass g; run;\n",
       {maybe + "CLASS, which begins a statement (in the VAR statement)."},
       {},
       2},
      {"VAR before PROC", "proc kestravine data=d; var x\nproc kestravine data=d; var x; run;\n",
       {"prog.kes line 2, column 1: variable proc is not in data set WORK.d; " + maybe +
        "PROC, which begins a statement (in the VAR statement)."},
       {},
       2},
      {"VAR before TITLE", "proc kestravine data=d; var x\ntitle 'a'; run;\n",
       {maybe + "TITLE, which begins a statement (in the VAR statement)."},
       {},
       2},
      {"HISTOGRAM before INSET", "proc kestravine data=d; var x; histogram x\ninset n; run;\n",
       {"prog.kes line 2, column 1:", maybe + "INSET, which begins a statement (in the HISTOGRAM statement)."},
       {},
       2},
      {"OPTIONS before PROC", "options nocenter\n" + step,
       {"ERROR: OPTIONS statement (line 2, column 1): unknown system option PROC", maybe + "PROC, which begins a statement."},
       {},
       3},
      {"TITLE before PROC", "title 'Trees'\n" + step,
       {"ERROR: TITLE statement (line 2, column 1): the title must be one text in quotes; " + maybe +
        "PROC, which begins a statement."},
       {},
       3},
      {"LIBNAME before TITLE", "libname A '.'\ntitle 'a';\n" + step,
       {maybe + "TITLE, which begins a statement."},
       {},
       3},
      {"a word cut to eight characters", "proc kestravine data=d; var x; histogram x / vscale=percentage; run;\n",
       {"VSCALE=percentage in the HISTOGRAM statement is not valid"},
       {"PERCENTA"},
       2},
      {"LINESIZE= out of range", "options nocenter linesize=20;\n" + step,
       {"ERROR: OPTIONS statement (line 1, column 18): system option LINESIZE=20: the value must be"},
       {},
       3},
      {"PAGESIZE= out of range", "options pagesize=5;\n" + step, {"ERROR: OPTIONS statement (line 1, column 9): system option PAGESIZE=5:"}, {}, 3},
      {"THREADS= out of range", "\n  options threads=100;\n" + step,
       {"ERROR: OPTIONS statement (line 2, column 11): system option THREADS=100:"},
       {},
       3},
      {"a misspelt PROC name", "\n  proc kestravin data=d; var x; run;\n",
       {"ERROR: Procedure KESTRAVIN (line 2, column 8) is not known"},
       {"not valid outside"},
       3},
      {"an unclosed quote", step + "title 'Trees;\n",
       {"ERROR: The program ends inside the quoted text that begins on line 2, column 7."},
       {},
       3},
      {"an unclosed comment", step + "  /* note\n",
       {"ERROR: The program ends inside the comment that begins on line 2, column 3."},
       {},
       3},
  };
  for (const row& r : rows) {
    EXPECT_EQ(run(r.program), r.status) << r.what << "\n" << log_;
    for (const std::string& s : r.said) EXPECT_EQ(kes_test::occurrences(log_, s), 1) << r.what << ": " << s << "\n" << log_;
    for (const std::string& s : r.absent) EXPECT_EQ(log_.find(s), std::string::npos) << r.what << ": " << s << "\n" << log_;
  }
}

// A word that merely looks like a statement's name, where a name may stand, is no
// mistake: a variable named so is found, and nothing says a semicolon is missing.
TEST_F(RunnerSemicolons, AVariableNamedAsAStatementIsNoMistake) {
  dir_.write("s.csv", "x,class,title\n1,2,3\n2,3,4\n4,5,6\n");
  EXPECT_EQ(run("proc kestravine data=s noprint; var x class title; run;\n"), 0) << log_;
  EXPECT_EQ(log_.find("may be missing"), std::string::npos) << log_;
}

}  // namespace
