// What the built runner tells a user about a mistake or an option it does not use:
// each message names the mistake and where it stands (file, line and column when the
// statement has them), the step that is run is the one written, and an option that
// changes nothing says so once.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/runner_process.h"
#include "support/faith_data.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;
namespace fs = std::filesystem;

class RunnerMessages : public ::testing::Test {
 protected:
  void SetUp() override { dir_.write("faith.csv", kes_test::faith_csv()); }
  // Runs the program with --log log --listing lst (unless extra names them) in the
  // scratch folder, the graphs in it too; the exit status.
  int run(const std::string& program, std::vector<std::string> extra = {}) {
    dir_.write("prog.kes", program);
    std::vector<std::string> args = {"--work", "."};
    bool own = false;
    for (const std::string& a : extra) own = own || a == "--log";
    if (!own) args.insert(args.end(), {"--log", "log", "--listing", "lst"});
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("prog.kes");
    proc_.start(dir_.path().string(), args, [] { ::alarm(120); });
    const int status = proc_.wait();
    read_outputs();
    return status;
  }
  void read_outputs() {
    for (auto [file, text] : {std::pair{"log", &log_}, std::pair{"lst", &lst_}, std::pair{"err", &err_}})
      *text = slurp(dir_ / file);
  }
  bool logs(const std::string& text) const { return log_.find(text) != std::string::npos; }
  int count(const std::string& text) const { return kes_test::occurrences(log_, text); }
  std::string graph(const std::string& name) const { return slurp(dir_ / name); }

  kes_test::scratch_dir dir_{"msgs"};
  kes_test::runner_process proc_;
  std::string log_, lst_, err_;
};

// Mistakes in the program text: the message, with the place, and the exit status
// (2: a step failed; 3: a fault of the program outside the steps).
TEST_F(RunnerMessages, MistakesAreNamedWhereTheyStand) {
  const struct {
    const char* what;
    std::string program;
    std::vector<std::string> expected;  // texts the log holds
    std::vector<std::string> absent;    // texts it must not hold
    int status;
  } cases[] = {
      {"a second FREQ variable", "proc kestravine data=faith; var waiting; freq waiting eruptions;\nrun;\n",
       {"ERROR: prog.kes line 1, column 55: FREQ takes one variable; 'eruptions' was ignored (in the FREQ statement)."},
       {"not a numbered range", "'-' expected"},
       2},
      {"a second WEIGHT variable", "proc kestravine data=faith; var waiting; weight g eruptions;\nrun;\n",
       {"ERROR: prog.kes line 1, column 51: WEIGHT takes one variable; 'eruptions' was ignored (in the WEIGHT "
        "statement)."},
       {},
       2},
      {"a stray word after a data set name is no second variable",
       "proc kestravine data=faith normla; var waiting; run;\n",
       {"ERROR: prog.kes line 1, column 28: 'normla' is not valid here and was ignored; expected 'NORMAL', "},
       {"takes one variable"},
       2},
      {"an AXIS number beyond 99", "axis100 order=(0 to 10 by 1);\nproc kestravine data=faith; var waiting; run;\n",
       {"ERROR: AXIS100 statement (line 1): AXIS statements are numbered from 1 to 99 (AXIS1 to AXIS99); the axis "
        "definition is not stored."},
       {"not valid outside"},
       3},
      {"AXIS0 is no axis number either", "axis0 order=(0 to 10 by 1);\n",
       {"ERROR: AXIS0 statement (line 1): AXIS statements are numbered from 1 to 99"},
       {},
       3},
      {"a library name begun by a digit", "libname 9lib 'lib9';\nproc kestravine data=9lib.x; var waiting; run;\n",
       {"'9lib' is no library name",
        "ERROR: prog.kes line 2, column 22: 9lib.x is not a valid data set name: the library name 9lib begins with a "
        "digit (library names begin with a letter or _) (in the PROC statement)."},
       {"is not a valid number"},
       3},
      {"a word where a parameter value or EST stands",
       "proc kestravine data=faith; var waiting;\n  histogram waiting / normal(mu=abc);\nrun;\n",
       {"ERROR: prog.kes line 2, column 33: 'abc' is not valid here and was ignored; expected an integer, a number, "
        "'(', '-', 'EST', "},
       {},
       2},
      {"ALPHA= beyond 1", "proc kestravine data=faith\n  alpha=1.5; var waiting; run;\n",
       {"ERROR: prog.kes line 2, column 3: ALPHA= is 1.5; it must lie strictly between 0 and 1 (in the PROC "
        "statement)."},
       {},
       2},
      {"a percentile point beyond 100",
       "proc kestravine data=faith; var waiting;\n output out=o pctlpts=50 150 pctlpre=p;\nrun;\n",
       {"ERROR: prog.kes line 2, column 15: PCTLPTS= value 150 in the OUTPUT statement is not a percentage from 0 to "
        "100."},
       {"(in the OUTPUT statement)"},
       2},
      {"a VSCALE= word, in a text that names its statement",
       "proc kestravine data=faith; var waiting;\nhistogram waiting / vscale=foo;\nrun;\n",
       {"ERROR: prog.kes line 2, column 21: VSCALE=FOO in the HISTOGRAM statement is not valid; use PERCENT, COUNT or "
        "PROPORTION."},
       {"(in the HISTOGRAM statement)"},
       2},
      {"a negative SIGMA=", "proc kestravine data=faith; var waiting;\nhistogram waiting / normal(sigma=-1);\nrun;\n",
       {"ERROR: prog.kes line 2, column 28: The normal SIGMA= value must be greater than 0 (in the HISTOGRAM "
        "statement)."},
       {},
       2},
      {"a kernel bandwidth of 0", "proc kestravine data=faith; var waiting;\nhistogram waiting / kernel(c=0);\nrun;\n",
       {"ERROR: prog.kes line 2, column 28: Kernel C= value 0 is not valid"},
       {},
       2},
      // A word that is no OUTPUT statistic, after a statistic's names, is named as it
      // stands (over lines too), with the statistics near it; no keyword is put before '='.
      {"P100= after the names of MEDIAN=",
       "proc kestravine data=faith; var waiting;\n output out=o median=md p100=p100;\nrun;\n",
       {"ERROR: prog.kes line 2, column 25: 'p100=' is not valid here and was ignored; expected 'P10', 'P1', 'P90', "
        "';', 'CSS', "},
       {"expected near", "a name"},
       2},
      {"an unknown statistic on the next line, spaced", "proc kestravine data=faith; var waiting;\n output out=o max=m\n   P100 = top;\nrun;\n",
       {"ERROR: prog.kes line 3, column 4: 'P100 =' is not valid here and was ignored; expected 'P10', 'P1', 'P90', "},
       {"expected near"},
       2},
      {"a misspelt statistic after another",
       "proc kestravine data=faith; var waiting;\n output out=o mean=a mediann=b;\nrun;\n",
       {"ERROR: prog.kes line 2, column 22: 'mediann=' is not valid here and was ignored; expected 'MEDIAN', "},
       {"expected near"},
       2},
      {"an unsorted BY group with an OUTPUT data set",
       "proc kestravine data=faith; var waiting; by g; output out=o mean=m; run;\n",
       {"is not sorted in ascending order of BY variable g",
        "Sort the data set by the BY variables, or add NOTSORTED to the BY statement",
        "was not written because the step stopped at an error before finishing it"},
       {"did not close it"},
       2},
  };
  fs::create_directories(dir_ / "lib9");
  dir_.write("lib9/x.csv", slurp(dir_ / "faith.csv"));
  for (const auto& c : cases) {
    const int status = run(c.program);
    EXPECT_EQ(status, c.status) << c.what << "\n" << log_;
    for (const std::string& t : c.expected) EXPECT_TRUE(logs(t)) << c.what << ": " << t << "\n" << log_;
    for (const std::string& t : c.absent) EXPECT_FALSE(logs(t)) << c.what << ": " << t << "\n" << log_;
  }
}

// A colour name longer than a colour slot holds is quoted as written, not cut, where it
// stands.
TEST_F(RunnerMessages, UnknownColourIsQuotedAsWritten) {
  EXPECT_EQ(run("proc kestravine data=faith noprint; var waiting;\nhistogram waiting / cfill=notacolour;\nrun;\n",
                {"--graphics", "device"}),
            0)
      << log_;
  EXPECT_TRUE(logs("line 2, column 27: the colour name 'notacolour' is not known (a colour is a CSS colour name or "
                   "#RRGGBB); the default colour is used (in the HISTOGRAM statement).")) << log_;
  EXPECT_FALSE(logs("NOTACOLO ")) << log_;
}

// The last statement without its semicolon: the semicolon is supplied and said before
// the step runs, and the step runs with the statement as written (VAR eruptions, not
// every numeric variable).
TEST_F(RunnerMessages, LastStatementGetsItsSemicolonBeforeTheStepRuns) {
  EXPECT_EQ(run("proc kestravine data=faith;\n  histogram / noplot;\n  var eruptions"), 3) << log_;
  const size_t said = log_.find("ERROR: The program ends inside the statement that begins on line 3: its semicolon "
                                "is missing. A semicolon is supplied");
  const size_t ran = log_.find("The KESTRAVINE step (lines 1-3) ended with return code 0");
  ASSERT_NE(said, std::string::npos) << log_;
  ASSERT_NE(ran, std::string::npos) << log_;
  EXPECT_LT(said, ran) << log_;
  EXPECT_NE(lst_.find("Variable:  eruptions"), std::string::npos) << lst_;
  EXPECT_EQ(lst_.find("Variable:  waiting"), std::string::npos) << lst_;
  EXPECT_EQ(lst_.find("Variable:  g"), std::string::npos) << lst_;
}

// A step whose last statement an unclosed quote cuts short is not run at all.
TEST_F(RunnerMessages, StepCutShortByAnOpenQuoteIsNotRun) {
  EXPECT_EQ(run("proc kestravine data=faith;\n  var waiting;\n  inset n / header='Counts;\n"), 3) << log_;
  EXPECT_TRUE(logs("ERROR: The step that begins on line 1 is not run: the end of the program cuts its last "
                   "statement short."))
      << log_;
  EXPECT_TRUE(logs("The program ends inside the quoted text that begins on line 3, column 20.")) << log_;
  EXPECT_FALSE(logs("The KESTRAVINE step")) << log_;
  EXPECT_EQ(lst_, "");
}

// Template graphs: the device's appearance options given are noted once per step,
// only those given, and the graph is the one drawn without them.
TEST_F(RunnerMessages, DeviceOnlyOptionsAreNotedOncePerStep) {
  ASSERT_EQ(run("proc kestravine data=faith noprint; var waiting; histogram waiting; run;\n"), 0) << log_;
  const std::string plain = graph("Histogram1.svg");
  ASSERT_FALSE(plain.empty());
  EXPECT_FALSE(logs("device graphs only")) << log_;

  ASSERT_EQ(run("proc kestravine data=faith noprint; var waiting eruptions;\n"
                "histogram waiting / cfill=red noframe barwidth=5;\n"
                "histogram eruptions / cfill=blue;\n"
                "qqplot waiting / turnvlabels;\n"
                "run;\n"
                "proc kestravine data=faith noprint; var waiting; histogram waiting / caxis=green; run;\n"),
            0)
      << log_;
  EXPECT_EQ(count("Options of device graphs only"), 2) << log_;
  // Each option once, in the order of the reference, whichever statements gave it.
  EXPECT_TRUE(logs("NOTE: Options of device graphs only, not used by template graphs: NOFRAME, TURNVLABELS, "
                   "BARWIDTH=, CFILL=.\n"))
      << log_;
  EXPECT_TRUE(logs("NOTE: Options of device graphs only, not used by template graphs: CAXIS=.")) << log_;
  // The second step drew the same histogram as the plain one.
  EXPECT_EQ(graph("Histogram1.svg"), plain);

  // Device graphs read them: no note.
  ASSERT_EQ(run("proc kestravine data=faith noprint; var waiting; histogram waiting / cfill=red; run;\n",
                {"--graphics", "device"}),
            0)
      << log_;
  EXPECT_FALSE(logs("Options of device graphs only")) << log_;
}

// POSITION= a word that is no inset position: on template graphs as on the device,
// the note, and no box.
TEST_F(RunnerMessages, InsetPositionNotAPlaceLeavesTheBoxOut) {
  ASSERT_EQ(run("proc kestravine data=faith noprint; var waiting; histogram waiting; run;\n"), 0) << log_;
  const std::string plain = graph("Histogram1.svg");
  for (const char* graphics : {"template", "device"}) {
    for (const char* cls : {"", "class g;"}) {
      ASSERT_EQ(run(std::string("proc kestravine data=faith noprint; var waiting; ") + cls +
                        "\nhistogram waiting;\ninset n mean / position=zz;\nrun;\n",
                    {"--graphics", graphics}),
                0)
          << log_;
      EXPECT_EQ(count("prog.kes line 3, column 16: POSITION=ZZ is not an inset position; the inset is not drawn (in "
                      "the INSET statement)."),
                1)
          << graphics << " " << cls << "\n" << log_;
    }
  }
  // Without CLASS on templates the graph is the one drawn without the INSET statement.
  const std::string head = "proc kestravine data=faith noprint; var waiting;\nhistogram waiting;\n";
  ASSERT_EQ(run(head + "inset n mean / position=zz;\nrun;\n"),
            0);
  EXPECT_EQ(graph("Histogram1.svg"), plain);
  // A position the templates place still draws its box.
  ASSERT_EQ(run(head + "inset n mean / position=ne;\nrun;\n"),
            0);
  EXPECT_NE(graph("Histogram1.svg"), plain);
  EXPECT_FALSE(logs("not an inset position")) << log_;
}

// Names and values beyond those a step uses: a note says how many and why.
TEST_F(RunnerMessages, UnusedNamesAreCounted) {
  const struct {
    const char* what;
    std::string program;
    std::vector<std::string> notes;
  } cases[] = {
      {"three MEAN= names, one analysis variable",
       "proc kestravine data=faith noprint; var waiting; output out=o mean=m1 m2 m3; run;\n",
       {"NOTE: MEAN=: 3 names given, one used per analysis variable (1); not used: 2."}},
      {"two prefixes, one analysis variable",
       "proc kestravine data=faith noprint; var waiting; output out=o pctlpts=50 pctlpre=p q; run;\n",
       {"NOTE: PCTLPRE=: 2 prefixes given, one used per analysis variable (1); not used: 1."}},
      {"PCTLNAME= names beyond the points",
       "proc kestravine data=faith noprint; var waiting; output out=o pctlpts=50 pctlpre=p pctlname=a b c; run;\n",
       {"NOTE: PCTLNAME=: 3 names given, one used per PCTLPTS= value (1); not used: 2."}},
      {"three MU0= values, two analysis variables",
       "proc kestravine data=faith noprint mu0=1 2 3; var waiting eruptions; run;\n",
       {"NOTE: MU0=: 3 values given, one used per analysis variable (2); not used: 1."}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(c.program), 0) << c.what << "\n" << log_;
    for (const std::string& n : c.notes) EXPECT_EQ(count(n), 1) << c.what << "\n" << log_;
  }
  // As many as used, or one MU0= value for every variable: nothing to say.
  for (const char* p : {"proc kestravine data=faith noprint mu0=5; var waiting eruptions; output out=o mean=a b;\nrun;\n",
                        "proc kestravine data=faith noprint mu0=1 2; var waiting eruptions; run;\n"}) {
    ASSERT_EQ(run(p), 0) << log_;
    EXPECT_FALSE(logs("not used")) << p << "\n" << log_;
  }
}

// CENTER=NO and OPTIONS NOCENTER put every table and title at the left margin;
// the default centres them.
TEST_F(RunnerMessages, NocenterPutsTablesAtTheLeftMargin) {
  const std::string program = "proc kestravine data=faith; var waiting; run;\n";
  ASSERT_EQ(run(program), 0) << log_;
  const std::string centred = lst_;
  ASSERT_EQ(run(program, {"-o", "CENTER=NO"}), 0) << log_;
  const std::string left = lst_;
  ASSERT_EQ(run("options nocenter;\n" + program), 0) << log_;
  EXPECT_EQ(lst_, left);
  // Every line of a table or title: "Moments" stands at the margin, and the same
  // lines with their leading blanks removed are the centred listing's.
  auto lines = [](const std::string& t) {
    std::vector<std::string> v;
    std::istringstream in(t);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
  };
  const std::vector<std::string> c = lines(centred), l = lines(left);
  ASSERT_EQ(c.size(), l.size());
  bool moments = false, indented = false;
  for (size_t i = 0; i < c.size(); ++i) {
    const size_t lead = c[i].find_first_not_of(' ');
    if (lead == std::string::npos) continue;
    if (lead > 0 && c[i][lead] != '-') indented = true;
    if (c[i].find("Moments") != std::string::npos) moments = l[i].rfind("Moments", 0) == 0;
  }
  EXPECT_TRUE(indented);
  EXPECT_TRUE(moments) << left;
  // The left-margin listing keeps each table's columns: the centred one shifted.
  size_t shift_lines = 0;
  for (size_t i = 0; i < c.size(); ++i) {
    const size_t lead = c[i].find_first_not_of(' ');
    if (lead == std::string::npos || c[i][lead] == '-') continue;
    EXPECT_LE(l[i].size(), c[i].size()) << i;
    EXPECT_NE(c[i].find(l[i].substr(l[i].find_first_not_of(' '))), std::string::npos) << i;
    ++shift_lines;
  }
  EXPECT_GT(shift_lines, 10u);
}

// Several outputs may write to one character device; two names of one regular file
// stay refused.
TEST_F(RunnerMessages, OutputsShareOnlyCharacterDevices) {
  const std::string program = "proc kestravine data=faith noprint; var waiting; run;\n";
  EXPECT_EQ(run(program, {"--log", "/dev/null", "--listing", "/dev/null"}), 0) << err_;
  EXPECT_EQ(err_.find("cannot share a file"), std::string::npos) << err_;

  dir_.write("same.txt", "");
  ASSERT_EQ(::symlink("same.txt", (dir_ / "alias.txt").c_str()), 0);
  for (const char* other : {"same.txt", "./same.txt", "alias.txt"}) {
    EXPECT_NE(run(program, {"--log", "same.txt", "--listing", other}), 0) << other;
    EXPECT_NE(err_.find("two outputs of one run cannot share a file"), std::string::npos) << other << ": " << err_;
  }
  // A link to the device is not the device named as itself.
  ASSERT_EQ(::symlink("/dev/null", (dir_ / "null").c_str()), 0);
  EXPECT_NE(run(program, {"--log", "null", "--listing", "/dev/null"}), 0);
  EXPECT_NE(err_.find("cannot share a file"), std::string::npos) << err_;
}

}  // namespace
