// What the built runner says, and where, about the mistakes of plot statements and
// data set names, about data without BY variables (the data set is named, not a BY
// group), about observations that fall in no CLASS level, and where NOCENTER puts
// the titles.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/runner_process.h"
#include "support/faith_data.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;

class RunnerMessagePlaces : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("faith.csv", kes_test::faith_csv());
    dir_.write("precip.csv", kes_test::faith_csv());
    dir_.write("empty.csv", "x,g\n");
    // 20 rows: c missing in rows 0, 5, 10, 15; d blank in rows 0, 7, 14; f is 0 in
    // row 5 only; b runs 1 (rows 0-9) then 2.
    std::ostringstream m;
    m << "x,c,d,f,b\n";
    for (int i = 0; i < 20; ++i)
      m << i * 1.5 << "," << (i % 5 == 0 ? std::string() : std::to_string(i % 3)) << ","
        << (i % 7 == 0 ? "" : (i % 2 ? "a" : "b")) << "," << (i == 5 ? 0 : 1) << "," << (i < 10 ? 1 : 2) << "\n";
    dir_.write("cm.csv", m.str());
    dir_.write("zerofreq.csv", "x,f,b\n1,0,1\n2,1,2\n");
    dir_.write("huge.csv", "x,b\n1e300,1\n1e300,1\n2,1\n");
  }
  int run(const std::string& program, std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), {"--work", ".", "--log", "log", "--listing", "lst", "--graphics", "none"});
    const int status = kes_test::run_program(proc_, dir_, program, extra);
    log_ = slurp(dir_ / "log");
    lst_ = slurp(dir_ / "lst");
    return status;
  }
  bool logs(const std::string& text) const { return log_.find(text) != std::string::npos; }
  int count(const std::string& text) const { return kes_test::occurrences(log_, text); }

  struct message_case {
    const char* what;
    std::string program;
    std::vector<std::string> expected;  // texts the log holds, each once
    std::vector<std::string> absent;    // texts it must not hold
    int status;
  };
  void check(const std::vector<message_case>& cases) {
    for (const message_case& c : cases) {
      EXPECT_EQ(run(c.program), c.status) << c.what << "\n" << log_;
      for (const std::string& t : c.expected) EXPECT_EQ(count(t), 1) << c.what << ": " << t << "\n" << log_;
      for (const std::string& t : c.absent) EXPECT_FALSE(logs(t)) << c.what << ": " << t << "\n" << log_;
    }
  }

  kes_test::scratch_dir dir_{"places"};
  kes_test::runner_process proc_;
  std::string log_, lst_;
};

const std::string kHead = "proc kestravine data=faith noprint; var waiting;\n";

// Plot statements: the one-family rule at the statement's first family option; the
// vertical scales CDFPLOT takes; the 0.15 bound of QQ and probability plot shapes,
// itself allowed, beside HISTOGRAM's own bound of 0.
TEST_F(RunnerMessagePlaces, PlotStatementMistakes) {
  check({
      {"two families on PPPLOT", kHead + "ppplot waiting / lognormal exponential;\nrun;\n",
       {"ERROR: prog.kes line 2, column 18: Only one distribution may be requested in the PPPLOT statement.\n"},
       {"QQPLOT, PROBPLOT"},
       2},
      {"the first family option, after other options",
       kHead + "qqplot waiting / nadj=0.5\n  normal weibull(c=2);\nrun;\n",
       {"ERROR: prog.kes line 3, column 3: Only one distribution may be requested in the QQPLOT statement.\n"},
       {},
       2},
      {"CDFPLOT VSCALE=COUNT", kHead + "cdfplot waiting / vscale=count;\nrun;\n",
       {"ERROR: prog.kes line 2, column 19: VSCALE=COUNT in the CDFPLOT statement is not valid; use PERCENT or "
        "PROPORTION.\n"},
       {"COUNT or PROPORTION"},
       2},
      {"HISTOGRAM VSCALE=COUNT is a scale", kHead + "histogram waiting / vscale=count;\nrun;\n", {}, {"VSCALE="}, 0},
      {"SB DELTA= below 0.15 on QQPLOT", kHead + "qqplot waiting / sb(delta=0.1 gamma=1);\nrun;\n",
       {"ERROR: prog.kes line 2, column 21: The Johnson shape DELTA= value must be at least 0.15 (in the QQPLOT "
        "statement).\n"},
       {"greater than 0"},
       2},
      {"SU DELTA= below 0.15 on PROBPLOT, the second value",
       kHead + "probplot waiting / su(delta=1 0.149 gamma=1);\nrun;\n",
       {"ERROR: prog.kes line 2, column 23: The Johnson shape DELTA= value must be at least 0.15 (in the PROBPLOT "
        "statement).\n"},
       {},
       2},
      {"DELTA=0.15 is allowed",
       kHead + "qqplot waiting / sb(delta=0.15 gamma=1);\nprobplot waiting / su(delta=0.15 gamma=1);\nrun;\n",
       {},
       {"at least 0.15"},
       0},
      {"beta ALPHA= below 0.15", kHead + "qqplot waiting / beta(alpha=0.1 beta=2);\nrun;\n",
       {"ERROR: prog.kes line 2, column 23: The beta shape ALPHA= value must be at least 0.15 (in the QQPLOT "
        "statement).\n"},
       {"greater than 0.15"},
       2},
      {"beta BETA= below 0.15", kHead + "probplot waiting / beta(alpha=2 beta=0.1);\nrun;\n",
       {"The beta shape BETA= value must be at least 0.15 (in the PROBPLOT statement).\n"},
       {},
       2},
      {"beta shapes of 0.15 are allowed",
       kHead + "qqplot waiting / beta(alpha=0.15 beta=0.15 theta=40 sigma=60);\nrun;\n",
       {},
       {"beta shape"},
       0},
      {"CDFPLOT beta ALPHA=0.1 is allowed",
       kHead + "cdfplot waiting / beta(alpha=0.1 beta=2 theta=40 sigma=60);\nrun;\n",
       {},
       {"beta shape"},
       0},
      {"HISTOGRAM keeps its bound of 0", kHead + "histogram waiting / sb(delta=0);\nrun;\n",
       {"ERROR: prog.kes line 2, column 24: The Johnson shape DELTA= value must be greater than 0 (in the HISTOGRAM "
        "statement).\n"},
       {"at least"},
       2},
  });
}

// Every mistake a step reports stands at its place, names the option it is about and,
// when the option belongs to another statement than its node's, that statement.
TEST_F(RunnerMessagePlaces, EveryMistakeNamesItsPlaceAndOption) {
  const std::string head = "proc kestravine data=faith noprint; var waiting;\n";
  const struct {
    const char* what;
    std::string program;
    const char* graphics;
    std::string says;  // after "prog.kes line L, column C: "
    int line, column;
    const char* option;  // what the text must name
  } cases[] = {
      {"a plot variable not in VAR", head + "histogram eruptions;\nrun;\n", "none",
       "Variable eruptions in the HISTOGRAM statement is not an analysis variable", 2, 1, "HISTOGRAM"},
      {"three CLASS variables", "proc kestravine data=cm noprint; var x;\n  class c d b;\nrun;\n", "none",
       "The CLASS statement names 3 variables; at most two are allowed.\n", 2, 3, "CLASS"},
      {"OUTPUT without OUT=", head + "output mean=m;\nrun;\n", "none",
       "The OUTPUT statement needs OUT= naming the output data set.\n", 2, 1, "OUT="},
      {"PCTLPTS= without PCTLPRE=", head + "output out=o pctlpts=10 20;\nrun;\n", "none",
       "The OUTPUT statement has no PCTLPRE= option;", 2, 14, "PCTLPRE="},
      {"PCTLPRE= without PCTLPTS=", head + "output out=o pctlpre=p_;\nrun;\n", "none",
       "The OUTPUT statement has no PCTLPTS= option;", 2, 14, "PCTLPTS="},
      {"INSET after no plot statement", head + "  inset n;\nrun;\n", "none",
       "An INSET statement must follow a HISTOGRAM", 2, 3, "INSET"},
      {"POSITION= not a position", head + "histogram waiting;\ninset n / position=middle;\nrun;\n", "template",
       "POSITION=MIDDLE is not an inset position; the inset is not drawn (in the INSET statement).\n", 3, 11,
       "POSITION="},
      {"PCTLDEF= not 1 to 5", "proc kestravine data=faith pctldef=7 noprint; var waiting; run;\n", "none",
       "PCTLDEF=7 is not a whole number from 1 to 5; PCTLDEF=5 is used (in the PROC statement).\n", 1, 28,
       "PCTLDEF="},
      {"KEYLEVEL= matching no level", head + "class g / keylevel=7;\nhistogram;\nrun;\n", "none",
       "KEYLEVEL= value 7 matches no level of CLASS variable g; the first level is the key level (in the CLASS "
       "statement).\n",
       2, 11, "KEYLEVEL="},
      {"TRIMMED= of a half or more", "proc kestravine data=faith trimmed=0.6 noprint; var waiting; run;\n", "none",
       "TRIMMED= or WINSORIZED= value 0.6 is at least 0.5", 1, 28, "TRIMMED="},
      {"HANGING with two curves", head + "  histogram waiting / normal lognormal(theta=0) hanging;\nrun;\n", "none",
       "HANGING needs exactly one curve: the histogram is not hung (in the HISTOGRAM statement).\n", 2, 3,
       "HANGING"},
      {"a VAXIS= list short of the data", head + "qqplot waiting / vaxis=0 to 60 by 20;\nrun;\n", "template",
       "The VAXIS= values do not cover the vertical range 50 to 90 of the plot of waiting;", 2, 18, "VAXIS="},
      {"a histogram's VAXIS= list short of the data", head + "histogram waiting / vaxis=0 1;\nrun;\n", "template",
       "The VAXIS= values do not cover the vertical range", 2, 21, "VAXIS="},
      {"GAMMA without ALPHA=", head + "qqplot waiting / gamma;\nrun;\n", "none",
       "The gamma distribution needs the shape parameter: give ALPHA= values or ALPHA=EST (in the QQPLOT "
       "statement).\n",
       2, 18, "ALPHA="},
      {"NEXTROBS= below 0", "proc kestravine data=faith nextrobs=-2; var waiting; run;\n", "none",
       "the NEXTROBS= value -2 is out of range: it must be at least 0 (in the PROC statement).\n", 1, 38,
       "NEXTROBS="},
      {"a kernel's C= above 100", head + "histogram waiting / kernel(c=200);\nrun;\n", "none",
       "the KERNEL C= value 200 is out of range: it must be from 0 to 100 (in the HISTOGRAM statement).\n", 2, 30,
       "KERNEL C="},
      {"a variable KEEP= left out", "proc kestravine data=precip(keep=eruptions); var waiting; run;\n", "none",
       "variable waiting is not in data set WORK.precip: its KEEP= option leaves it out (in the VAR statement).\n",
       1, 50, "KEEP="},
      {"a variable DROP= left out", "proc kestravine data=precip(drop=g waiting); var waiting; run;\n", "none",
       "variable waiting is not in data set WORK.precip: its DROP= option leaves it out (in the VAR statement).\n",
       1, 50, "DROP="},
      {"ALPHA= without its value", "proc kestravine data=faith alpha=; var waiting; run;\n", "none",
       "a number expected after ALPHA= near ';' (in the PROC statement).\n", 1, 34, "ALPHA="},
      {"HAXIS= naming no AXIS statement, device", head + "histogram waiting / haxis=axis9;\nrun;\n", "device",
       "HAXIS= names the axis definition AXIS9, which no AXIS statement defined (in the HISTOGRAM statement).\n", 2,
       21, "HAXIS="},
      {"HAXIS= naming no AXIS statement, template", head + "qqplot waiting / haxis=axis9;\nrun;\n", "template",
       "HAXIS= is ignored: axis definitions are used only in device graphs, and no AXIS statement defined AXIS9 (in "
       "the QQPLOT statement).\n",
       2, 18, "AXIS9"},
  };
  for (const auto& c : cases) {
    run(c.program, {"--graphics", c.graphics, "--graphs", "."});
    const std::string at = "prog.kes line " + std::to_string(c.line) + ", column " + std::to_string(c.column) + ": ";
    EXPECT_EQ(count(at + c.says), 1) << c.what << "\n" << log_;
    EXPECT_NE(c.says.find(c.option), std::string::npos) << c.what;
  }
  // A variable the data set never had keeps the plain message.
  run("proc kestravine data=precip(keep=eruptions); var nosuch; run;\n");
  EXPECT_EQ(count("variable nosuch is not in data set WORK.precip (in the VAR statement).\n"), 1) << log_;
}

// The same over every example's log: an error or warning that names an option (a word
// with "=") stands at its place, but for those about a whole data set or about the
// data, which no one option of the program holds.
TEST(MessagePlacesOfTheExamples, EveryErrorNamingAnOptionHasItsPlace) {
  namespace fs = std::filesystem;
  const std::regex option("\\b[A-Z][A-Z0-9]*=");
  const std::regex placed("^(ERROR|WARNING): [^ ]+ line [0-9]+, column [0-9]+: ");
  const char* const whole[] = {
      "data set",                         // the output data sets the step defines, or DATA= missing
      "No analysis variables",            // the VAR statement and the data set together
      "could not be rounded to their ROUND= unit",  // values of the data
      "statement (line ",                 // the runner's own statements say their line themselves
  };
  int seen = 0;
  for (const auto& e : fs::directory_iterator(fs::path(KES_SOURCE_DIR) / "examples")) {
    if (e.path().extension() != ".log") continue;
    std::istringstream in(kes_test::slurp(e.path()));
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("ERROR: ", 0) != 0 && line.rfind("WARNING: ", 0) != 0) continue;
      if (!std::regex_search(line, option)) continue;
      bool exempt = false;
      for (const char* w : whole) exempt = exempt || line.find(w) != std::string::npos;
      if (exempt) continue;
      ++seen;
      EXPECT_TRUE(std::regex_search(line, placed)) << e.path().filename() << ": " << line;
    }
  }
  EXPECT_GT(seen, 40);
}

// A name with a dot is library.member: when the library is not assigned and WORK
// holds a member named like it, the message says how to read that member.
TEST_F(RunnerMessagePlaces, FileNameForDataSetGetsAHint) {
  check({
      {"precip.csv, WORK.precip exists", "proc kestravine data=precip.csv; var waiting; run;\n",
       {"ERROR: prog.kes line 1, column 22: cannot open data set PRECIP.csv: library PRECIP is not assigned; to read "
        "precip.csv write DATA=precip (in the PROC statement).\n"},
       {},
       2},
      {"the inset's DATA= too", kHead + "histogram waiting;\ninset data=precip.csv;\nrun;\n",
       {"library PRECIP is not assigned; to read precip.csv write DATA=precip (in the INSET statement)."},
       {},
       2},
      {"no WORK member of that name", "proc kestravine data=other.csv; var waiting; run;\n",
       {"cannot open data set OTHER.csv: library OTHER is not assigned (in the PROC statement).\n"},
       {"to read"},
       2},
      {"an output data set gets no hint", kHead + "output out=precip.out mean=m;\nrun;\n",
       {"library PRECIP is not assigned"},
       {"to read"},
       2},
  });
}

// Without BY variables what the log would say of "the BY group" is said of the data
// set, named; with BY variables it stays the BY group's.
TEST_F(RunnerMessagePlaces, WithoutByTheDataSetIsNamed) {
  check({
      {"an empty data set", "proc kestravine data=empty; var x; run;\n",
       {"NOTE: The input data set WORK.empty has no observations; there is nothing to analyse.\n"},
       {"BY group"},
       0},
      {"no observation with a FREQ value above 0", "proc kestravine data=cm(where=(f=0)); var x; freq f; run;\n",
       {"NOTE: No observation of the input data set WORK.cm has a FREQ value above 0 and a nonmissing weight; there "
        "is nothing to analyse.\n"},
       {"BY group"},
       0},
      {"a BY group with none", "proc kestravine data=zerofreq noprint; var x; freq f; by b; run;\n",
       {"NOTE: No observation of the BY group has a FREQ value above 0 and a nonmissing weight; the BY group is "
        "skipped (BY group b=1).\n"},
       {"input data set"},
       0},
      {"weighted sums that overflow", "proc kestravine data=huge noprint; var x; weight b; run;\n",
       {"WARNING: The weighted sums of variable x overflow; its statistics are taken again from the values divided "
        "by a power of two, and those beyond the range of numbers are missing.\n"},
       {"BY group"},
       0},
      {"the same with BY", "proc kestravine data=huge noprint; var x; weight b; by b; run;\n",
       {"WARNING: The weighted sums of variable x overflow in the BY group b=1;"},
       {},
       0},
  });
  // 20,000 distinct values cannot be held in 100,000 bytes of pools.
  std::ostringstream big;
  big << "x,b\n";
  for (int i = 0; i < 20000; ++i) big << i << ",1\n";
  dir_.write("big.csv", big.str());
  for (const char* by : {"", " by b;"}) {
    EXPECT_EQ(run(std::string("proc kestravine data=big noprint; var x;") + by + " run;\n", {"--memcap", "100000"}), 1)
        << log_;
    const std::string said = "WARNING: The statistics of variable x are not computed: there is not enough memory to "
                             "hold its values";
    EXPECT_EQ(count(said + (*by ? " in the BY group b=1.\n" : ".\n")), 1) << by << "\n" << log_;
  }
}

// Observations whose CLASS value is missing (or blank) are in no cell: a note counts
// them once per step, over all BY groups, unless MISSING keeps them as a level.
TEST_F(RunnerMessagePlaces, ObservationsWithoutAClassLevelAreCounted) {
  const std::string note = "NOTE: Observations left out because a CLASS value is missing: ";
  const struct {
    const char* what;
    std::string program;
    int left_out;  // 0: no note
  } cases[] = {
      {"one numeric CLASS variable", "proc kestravine data=cm noprint; var x; class c; run;\n", 4},
      {"MISSING keeps them", "proc kestravine data=cm noprint; var x; class c(missing); run;\n", 0},
      {"a blank character level too, each observation once",
       "proc kestravine data=cm noprint; var x; class c d; run;\n", 6},
      {"MISSING on one variable only", "proc kestravine data=cm noprint; var x; class c(missing) d; run;\n", 3},
      {"summed over the BY groups", "proc kestravine data=cm noprint; var x; class c; by b; run;\n", 4},
      {"a FREQ of 0 leaves row 5 out before its level is looked at",
       "proc kestravine data=cm(where=(x < 10)) noprint; var x; class c; freq f; run;\n", 1},
      {"two variables, one batch each", "proc kestravine data=cm noprint; var x f; class c; run;\n", 4},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(c.program), 0) << c.what << "\n" << log_;
    if (c.left_out == 0) {
      EXPECT_FALSE(logs(note)) << c.what << "\n" << log_;
      continue;
    }
    EXPECT_EQ(count(note), 1) << c.what << "\n" << log_;
    EXPECT_TRUE(logs(note + std::to_string(c.left_out) + ". MISSING in parentheses after a CLASS variable keeps its "
                     "missing values as a level.\n"))
        << c.what << "\n" << log_;
  }
}

// Titles stand at the left margin under NOCENTER, as the tables do; centred otherwise.
TEST_F(RunnerMessagePlaces, NocenterPutsTitlesAtTheLeftMargin) {
  const std::string body = "proc kestravine data=faith; var waiting; run;\n";
  const auto first_lines = [this]() {
    std::istringstream in(lst_);
    std::string a, b;
    std::getline(in, a);
    std::getline(in, b);
    return std::pair{a, b};
  };
  const std::string titles = "title 'Waiting times';\ntitle2 'second line';\n";
  ASSERT_EQ(run(titles + body, {"-o", "LINESIZE=80"}), 0) << log_;
  auto [t1, t2] = first_lines();
  // Centred in 80 columns: (80 - 13) / 2 = 33 and (80 - 11) / 2 = 34 blanks.
  EXPECT_EQ(t1, std::string(33, ' ') + "Waiting times");
  EXPECT_EQ(t2, std::string(34, ' ') + "second line");
  for (const std::string& how : {std::string("options nocenter;\n"), std::string()}) {
    ASSERT_EQ(run(how + titles + body, how.empty() ? std::vector<std::string>{"-o", "CENTER=NO"}
                                                   : std::vector<std::string>{}),
              0)
        << log_;
    auto [l1, l2] = first_lines();
    EXPECT_EQ(l1, "Waiting times") << how;
    EXPECT_EQ(l2, "second line") << how;
  }
}
}  // namespace
