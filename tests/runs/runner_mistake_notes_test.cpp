// Mistakes a user makes that a step once took without a word or with a wrong one, run
// through the built runner: each is said with its words and place, and the step ends
// with the status the README gives (0 clean, 1 warnings, 2 a failed step).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

// R's morley, its first experiment's first runs: a column named Run beside the values.
constexpr const char* kMorley =
    "Expt,Run,Speed\n1,1,850\n1,2,740\n1,3,900\n1,4,1070\n1,5,930\n2,1,960\n2,2,940\n2,3,960\n2,4,940\n2,5,880\n";

class MistakeNotes : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("morley.csv", kMorley);
    dir_.write("w.csv", "x,w\n1,1\n2,2\n3,1\n4,3\n");
    // A file written with ';' between fields and decimal commas.
    dir_.write("semi.csv", "x;y\n1,5;2,5\n3,5;4,5\n");
  }
  int run(const std::string& program, const std::string& graphics = "template") {
    const int status = kes_test::run_with_graphs(dir_, program, graphics);
    log_ = slurp(dir_ / "log");
    return status;
  }
  int count(const std::string& text) const { return kes_test::occurrences(log_, text); }

  kes_test::scratch_dir dir_{"mistakes"};
  std::string log_;
};

TEST_F(MistakeNotes, EachIsSaidWithItsPlace) {
  const std::string head = "proc kestravine data=morley noprint;\n";
  const struct {
    const char* what;
    std::string program;
    std::string says;  // "" when the case must say nothing of the kind in `never`
    int times;
    int status;
    std::string never = {};
  } cases[] = {
      {"a ';' missing before RUN at the end of the program (a column is named Run)",
       head + "  ppplot speed\nrun;\n",
       "NOTE: prog.kes line 3, column 1: RUN is read as the list's last variable and the step ends with it; if it "
       "was meant as a RUN statement, a \";\" is missing before it (in the PPPLOT statement).",
       1, 0},
      {"the same before the next PROC, in a BY statement",
       head + "  by Expt\n  run;\nproc kestravine data=morley noprint; var speed; run;\n",
       "NOTE: prog.kes line 3, column 3: RUN is read as the list's last variable", 1, 0},
      {"QUIT where no column is named so: the unknown name is said, not the missing ';'",
       head + "  var speed /* the values */\n    quit\n  ;\n", "variable quit is not in data set", 1, 2,
       "is read as the list's last variable"},
      {"Run as a variable in a step that RUN ends: nothing said", head + "  var Speed Run;\nrun;\n", "", 0, 0,
       "is read as the list's last variable"},
      {"a ';'-separated file with decimal commas",
       "proc kestravine data=semi noprint;\nrun;\n",
       "has more fields than the 1 of the header row (column 2); its header row is separated by ';', but the fields "
       "of a data set file are separated by commas",
       1, 2},
      {"a WHERE statement", head + "  var speed;\n  where speed > 900;\nrun;\n",
       "ERROR: prog.kes line 3, column 3: 'where' is not valid here, so the rest of the statement was skipped; "
       "expected ';', 'BY', 'CDFPLOT', 'CLASS', 'FREQ', 'HISTOGRAM', 'ID', 'INSET', ...; WHERE is not a statement of "
       "this step: choose the observations with the data set option WHERE=, as in DATA=name(WHERE=(condition))",
       1, 2},
      {"ALPHA= given twice", "proc kestravine data=morley noprint alpha=0.1\n  alpha=.05;\n  var speed;\nrun;\n",
       "NOTE: prog.kes line 2, column 3: ALPHA= is given more than once; its later value 0.05 replaces the earlier "
       "0.1 (in the PROC statement).",
       1, 0},
      {"ALPHA= given once: nothing said", "proc kestravine data=morley noprint alpha=0.1;\n  var speed;\nrun;\n", "", 0,
       0, "given more than once"},
      {"a LIBNAME statement's mistake at its word", "libname toolongname '/tmp';\nlibname other;\n",
       "ERROR: LIBNAME statement (line 1, column 9): 'toolongname' is no library name", 1, 3},
      {"a LIBNAME statement without its folder, at the name", "libname toolongname '/tmp';\nlibname other;\n",
       "ERROR: LIBNAME statement (line 2, column 9): library OTHER names no folder.", 1, 3},
      {"CIPCTLDF alone with a WEIGHT", "proc kestravine data=w cipctldf noprint;\n  var x;\n  weight w;\nrun;\n",
       "NOTE: CIPCTLDF is ignored because a WEIGHT variable is given", 1, 0, "CIPCTLNORMAL"},
      {"CIPCTLNORMAL and CIPCTLDF with a WEIGHT",
       "proc kestravine data=w cipctlnormal cipctldf noprint;\n  var x;\n  weight w;\nrun;\n",
       "NOTE: CIPCTLNORMAL and CIPCTLDF are ignored because a WEIGHT variable is given", 1, 0},
      {"VARDEF=WDF names its divisor", "proc kestravine data=w vardef=wdf;\n  var x;\n  weight w;\nrun;\n",
       "use the sum of weights minus 1 as their divisor.", 1, 0},
      {"VARDEF=WEIGHT names its divisor", "proc kestravine data=w vardef=weight;\n  var x;\n  weight w;\nrun;\n",
       "use the sum of weights as their divisor.", 1, 0},
      {"a one-row data set", "proc kestravine data=w noprint;\n  var x;\n  output out=one mean=m;\nrun;\n",
       "NOTE: The data set WORK.one has 1 observation and 1 variable (file ./one.csv).", 1, 0},
      {"a lognormal Q-Q plot with ZETA= but no THETA=",
       head + "  qqplot speed / lognormal(sigma=est zeta=est);\n  qqplot speed / lognormal(sigma=est zeta=est);\nrun;\n",
       "NOTE: prog.kes line 2, column 3: No reference line is drawn: ZETA= or SLOPE= is given without THETA=", 1, 0},
      {"a Weibull Q-Q plot asking no line: nothing said", head + "  qqplot speed / weibull(c=est);\nrun;\n", "", 0, 0,
       "No reference line is drawn"},
      {"THETA= left to its default is said once for the statement, not once per CLASS cell",
       "proc kestravine data=morley noprint;\n  class Expt;\n  histogram speed / lognormal exponential;\nrun;\n",
       "NOTE: THETA= is not given for the lognormal curve of Speed; the threshold 0 is used.", 1, 0},
      {"and at its statement where two statements leave it",
       "proc kestravine data=morley noprint;\n  class Expt;\n  histogram speed / lognormal;\n"
       "  histogram speed / lognormal;\nrun;\n",
       "NOTE: prog.kes line 4, column 3: THETA= is not given for the lognormal curve of Speed; the threshold 0 is used "
       "(in the HISTOGRAM statement).",
       1, 0},
      {"a note of one of two HISTOGRAM statements names its own",
       head + "  histogram speed / beta(theta=0 sigma=1);\n  histogram speed / beta(theta=0 sigma=1);\nrun;\n",
       "NOTE: prog.kes line 3, column 3: ", 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(run(c.program), c.status) << log_;
    if (!c.says.empty()) {
      EXPECT_EQ(count(c.says), c.times) << log_;
    }
    if (!c.never.empty()) {
      EXPECT_EQ(count(c.never), 0) << log_;
    }
  }
}

// An AXIS ORIGIN= that leaves no room for the axis: the graph the program asked for is
// not drawn, and the step says so in its code, not in a note alone.
TEST_F(MistakeNotes, AGraphLeftOutForItsAxisOriginIsAWarning) {
  EXPECT_EQ(run("axis1 origin=(0 pct, 0 pct) length=100 pct;\nproc kestravine data=morley noprint;\n"
                "  histogram speed / haxis=axis1;\nrun;\n",
                "device"),
            1);
  EXPECT_EQ(count("WARNING: prog.kes line 3, column 21: The ORIGIN= y of the axis definition HAXIS=AXIS1 leaves too "
                  "little room below the axis; the graph is not drawn (in the HISTOGRAM statement)."),
            1)
      << log_;
  EXPECT_EQ(count("ended with return code 108"), 1) << log_;
}

// VAXISLABEL= names the vertical axis under ROTATE too, in both renderers.
TEST_F(MistakeNotes, VaxislabelNamesTheVerticalAxisUnderRotate) {
  for (const std::string graphics : {"template", "device"}) {
    SCOPED_TRACE(graphics);
    EXPECT_EQ(run("proc kestravine data=morley noprint;\n  qqplot speed / normal rotate vaxislabel='Normal scores';\n"
                  "run;\n",
                  graphics),
              0);
    std::string svg;
    for (const auto& e : fs::directory_iterator(dir_ / "g")) svg += slurp(e.path());
    EXPECT_NE(svg.find("Normal scores"), std::string::npos);
  }
}

}  // namespace
