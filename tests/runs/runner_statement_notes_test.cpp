// Mistakes in statements, said with their words at their place (file, line, column),
// through the built runner: an option that takes no value given one, an option given
// twice under any of its names, OVERLAY with nothing to overlay, QUIT where RUN ends a
// step, an option left without its name before the next option; and notes that must
// name what they speak of (the BY group of a placed note).
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;

// R's morley, its first experiment's first runs.
constexpr const char* kMorley =
    "Expt,Run,Speed\n1,1,850\n1,2,740\n1,3,900\n1,4,1070\n1,5,930\n2,1,960\n2,2,940\n2,3,960\n2,4,940\n2,5,880\n";

class StatementNotes : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("morley.csv", kMorley);
    // A column named Quit beside the BY variable.
    dir_.write("sales.csv", "region,quit,x\n1,0,5\n1,1,7\n2,0,6\n2,0,4\n2,1,9\n");
  }
  int run(const std::string& program, const std::string& graphics = "template") {
    const int status = kes_test::run_with_graphs(dir_, program, graphics);
    log_ = slurp(dir_ / "log");
    return status;
  }
  int count(const std::string& text) const { return kes_test::occurrences(log_, text); }

  kes_test::scratch_dir dir_{"stmtnotes"};
  std::string log_;
};

TEST_F(StatementNotes, EachIsSaidWithItsWordsAndPlace) {
  const std::string head = "proc kestravine data=morley noprint;\n";
  const struct {
    const char* what;
    std::string program;
    std::string says;  // "" when nothing of the kind in `never` may be said
    int status;
    std::string never = {};
  } cases[] = {
      {"GRID=yes in PCTLAXIS(): GRID takes no value, and the value is no colour",
       head + "  qqplot speed / normal pctlaxis(grid=yes);\nrun;\n",
       "ERROR: prog.kes line 2, column 38: GRID takes no value; '=yes' was ignored (in the QQPLOT statement).", 2,
       "colour name"},
      {"the same over lines, with a negative number, the next option still read",
       head + "  qqplot speed / normal pctlaxis(grid\n    = -1 cgrid=red);\nrun;\n",
       "ERROR: prog.kes line 3, column 5: GRID takes no value; '= -1' was ignored (in the QQPLOT statement).", 2,
       "expected"},
      {"a flag of the PROC statement given a value", "proc kestravine data=morley noprint=1;\n  var speed;\nrun;\n",
       "ERROR: prog.kes line 1, column 36: NOPRINT takes no value; '=1' was ignored (in the PROC statement).", 2},
      {"'=' after a statement's name is no value of an option", head + "  var=speed;\nrun;\n",
       "ERROR: prog.kes line 2, column 6: '=' is not valid here and was ignored; expected a name", 2,
       "takes no value"},
      {"MU0= then its other name LOCATION=",
       "proc kestravine data=morley noprint mu0=800\n    location=900;\n  var speed;\nrun;\n",
       "NOTE: prog.kes line 2, column 5: LOCATION= is given more than once, as MU0= before it; its later values replace "
       "the earlier (800) (in the PROC statement).",
       0},
      {"LOCATION= then MU0=", "proc kestravine data=morley noprint location=1 2 mu0=3;\n  var speed;\nrun;\n",
       "NOTE: prog.kes line 1, column 50: MU0= is given more than once, as LOCATION= before it; its later values "
       "replace the earlier (1 2) (in the PROC statement).",
       0},
      {"MU0= twice", "proc kestravine data=morley noprint mu0=1 mu0=2;\n  var speed;\nrun;\n",
       "NOTE: prog.kes line 1, column 43: MU0= is given more than once; its later values replace the earlier (1) (in "
       "the PROC statement).",
       0},
      {"HREF= twice in a plot statement", head + "  histogram speed / href=800 href=900;\nrun;\n",
       "NOTE: prog.kes line 2, column 30: HREF= is given more than once; its later values replace the earlier (800) (in "
       "the HISTOGRAM statement).",
       0},
      {"a name, under its other name", head + "  histogram speed / yscale=count\n    vscale=percent;\nrun;\n",
       "NOTE: prog.kes line 3, column 5: VSCALE= is given more than once, as YSCALE= before it; its later value "
       "percent replaces the earlier count (in the HISTOGRAM statement).",
       0},
      {"a colour", head + "  histogram speed / cfill=red cfill=#C6DBEF;\nrun;\n",
       "NOTE: prog.kes line 2, column 31: CFILL= is given more than once; its later value #C6DBEF replaces the earlier "
       "red (in the HISTOGRAM statement).",
       0},
      {"a text", head + "  histogram speed;\n  inset mean / header='a' header='b';\nrun;\n",
       "NOTE: prog.kes line 3, column 27: HEADER= is given more than once; its later value 'b' replaces the earlier 'a' "
       "(in the INSET statement).",
       0},
      {"a parameter of a family", head + "  histogram speed / normal(mu=est mu=900);\nrun;\n",
       "NOTE: prog.kes line 2, column 35: MU= is given more than once; its later values replace the earlier (EST) (in "
       "the HISTOGRAM statement).",
       0},
      {"a value that is a keyword", head + "  histogram speed / barlabel=count\n    barlabel = percent;\nrun;\n",
       "NOTE: prog.kes line 3, column 5: BARLABEL= is given more than once; its later value PERCENT replaces the "
       "earlier COUNT (in the HISTOGRAM statement).",
       0},
      {"and inside an option's parentheses",
       "proc kestravine data=morley noprint cibasic(type=lower type=upper);\n  var speed;\nrun;\n",
       "NOTE: prog.kes line 1, column 56: TYPE= is given more than once; its later value UPPER replaces the earlier "
       "LOWER (in the PROC statement).",
       0},
      {"MU0= once and ALPHA= once: nothing said", "proc kestravine data=morley noprint mu0=800 alpha=.1;\n"
       "  var speed;\nrun;\n", "", 0, "more than once"},
      {"one MU0= per statement of a BY list is no repeat", "proc kestravine data=morley noprint mu0=800;\n"
       "  var speed;\nrun;\nproc kestravine data=morley noprint mu0=900;\n  var speed;\nrun;\n", "", 0,
       "more than once"},
      {"OVERLAY on a QQPLOT without CLASS", head + "  qqplot speed / normal overlay;\nrun;\n",
       "NOTE: prog.kes line 2, column 3: OVERLAY has no effect without a CLASS statement: it draws the CLASS cells of "
       "a plot in one frame, and there are none (in the QQPLOT statement).",
       0},
      {"and on a PPPLOT", head + "  qqplot speed;\n  ppplot speed / normal overlay;\nrun;\n",
       "NOTE: prog.kes line 3, column 3: OVERLAY has no effect without a CLASS statement", 0},
      {"OVERLAY with a CLASS statement: nothing of the kind",
       head + "  class Expt;\n  qqplot speed / normal overlay;\nrun;\n", "", 0, "without a CLASS statement"},
      {"QUIT where RUN ends the step", head + "  var speed;\nquit;\n",
       "ERROR: prog.kes line 3, column 1: 'quit' is not valid here, so the rest of the statement was skipped; "
       "expected ';', 'BY', 'CDFPLOT', 'CLASS', 'FREQ', 'HISTOGRAM', 'ID', 'INSET', ...; QUIT does not end this step: "
       "a RUN statement ends it, and so does the next PROC statement or the end of the program.",
       2},
      {"STD= left without its name, N= on the next line",
       head + "  var speed;\n  output out=o mean=m std=\n    n=count;\nrun;\n",
       "ERROR: prog.kes line 3, column 23: STD= is given no name: the 'n=' that follows it begins the option N= (in "
       "the OUTPUT statement).",
       2, "not valid here"},
      {"a name that spells an option, taken as a name where no '=' follows",
       head + "  var speed;\n  output out=o std=n mean=m;\nrun;\n", "", 0, "is given no name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(run(c.program), c.status) << log_;
    if (!c.says.empty()) {
      EXPECT_EQ(count(c.says), 1) << log_;
    }
    if (!c.never.empty()) {
      EXPECT_EQ(count(c.never), 0) << log_;
    }
  }
}

// `by region` and `quit;` on the next line: with a column named Quit the step runs
// with two BY variables, which only a note can tell.
TEST_F(StatementNotes, QuitReadAsTheLastVariableOfAListIsSaid) {
  EXPECT_EQ(run("proc kestravine data=sales noprint;\n  by region\nquit;\n"), 0) << log_;
  EXPECT_EQ(count("NOTE: prog.kes line 3, column 1: QUIT is read as the list's last variable and the step ends with "
                  "it; if it was meant as a QUIT statement, a \";\" is missing before it (in the BY statement)."),
            1)
      << log_;
}

// A note placed at its statement and written once per BY group says which group:
// two groups' notes never read alike.
TEST_F(StatementNotes, PlacedNotesOfBYGroupsNameTheirGroup) {
  std::string heights = "sex,h\n";
  for (int i = 0; i < 11; ++i) heights += "F," + std::to_string(149 + (i * 7) % 23) + "\n";
  for (int i = 0; i < 11; ++i) heights += "M," + std::to_string(168 + (i * 5) % 18) + "\n";
  dir_.write("heights.csv", heights);
  EXPECT_EQ(run("proc kestravine data=heights noprint;\n  by sex;\n  histogram h / lognormal(theta=est) exponential;\n"
                "  histogram h / lognormal;\nrun;\n"),
            0)
      << log_;
  for (const char* group : {"sex=F", "sex=M"}) {
    SCOPED_TRACE(group);
    EXPECT_EQ(count(std::string("NOTE: prog.kes line 3, column 3: THETA= is not given for the exponential curve of "
                                "h; the threshold 0 is used (BY group ") +
                    group + ") (in the HISTOGRAM statement)."),
              1)
        << log_;
    EXPECT_EQ(count(std::string("NOTE: prog.kes line 4, column 3: THETA= is not given for the lognormal curve of h; "
                                "the threshold 0 is used (BY group ") +
                    group + ") (in the HISTOGRAM statement)."),
              1)
        << log_;
  }
  std::istringstream lines(log_);
  std::set<std::string> placed;
  for (std::string line; std::getline(lines, line);)
    if (line.find(", column ") != std::string::npos) {
      EXPECT_TRUE(placed.insert(line).second) << line;
    }
}

// More OVERLAY groups than a frame's percent rows: the note says why no percent axis
// is drawn, one row per group for at most four groups.
TEST_F(StatementNotes, OverlayGroupsPastThePercentRowsAreSaid) {
  std::string data = "g,y\n";
  for (int g = 1; g <= 5; ++g)
    for (int i = 1; i <= 12; ++i) data += std::to_string(g) + "," + std::to_string(10 + g * i + (i * i) % 7) + "\n";
  dir_.write("groups.csv", data);
  EXPECT_EQ(run("proc kestravine data=groups noprint;\n  class g;\n"
                "  qqplot y / lognormal(sigma=est theta=0 zeta=est) pctlaxis overlay;\nrun;\n"),
            0)
      << log_;
  EXPECT_EQ(count("no percent axis reads right for all, and none is drawn (a frame holds one per group for at most 4 "
                  "groups of one CLASS variable, not rotated)"),
            1)
      << log_;
}

}  // namespace

namespace {

// x = 1, 2, 3 weighted 0.6, 0.6 and 1e-16: half the weight lies below 2 by 5e-17 of
// the sum, so the weighted median and P50 are 2 (the cumulative weight 0.6 at 1 falls
// short of half of 1.2 + 1e-16), in the table and in the OUTPUT data set.
TEST_F(StatementNotes, ATinyWeightKeepsTheWeightedMedianAtTheMiddleValue) {
  dir_.write("w.csv", "x,w\n1,0.6\n2,0.6\n3,1e-16\n");
  EXPECT_EQ(run("proc kestravine data=w;\n  var x;\n  weight w;\n  output out=o median=med pctlpts=50 pctlpre=P;\n"
                "run;\n"),
            0)
      << log_;
  EXPECT_EQ(slurp(dir_ / "o.csv"), "med,P50\n2,2\n");
}

}  // namespace
