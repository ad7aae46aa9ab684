// Every statement, the runner's own and the step's, read the same over several lines
// with comments and blank lines between its words; a colour in every documented
// spelling on every colour option, in both renderers; and the messages that name a
// mistake where it was made (OUTPUT names given twice or swallowing RUN, a data set
// name with a dot, a file separated by ';', a colour option given a number, a BY
// variable analysed, an inset left out, an ORIGIN= without room, a BY group's notes).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

// 40 rows: x a spread of values, y another, g a BY variable (sorted), c a CLASS
// variable, w a weight, f a frequency, id a label.
std::string forms_data() {
  std::ostringstream d;
  d << "g,c,x,y,w,f,id\n";
  for (int i = 0; i < 40; ++i)
    d << (i < 20 ? 1 : 2) << "," << (i % 2 ? "a" : "b") << "," << 5 + (i * 37 % 31) * 1.25 << "," << 2 + (i * 13 % 17)
      << "," << 1 + i % 3 << "," << 1 + i % 2 << ",r" << i << "\n";
  return d.str();
}

// The program with every pair of its words apart: line ends, comments and blank lines
// between them, the separators taking turns. Words are cut at blanks and around
// = ( ) , / ; outside quotes; a quoted text, a number and #RRGGBB stay whole.
std::string spread(const std::string& program) {
  std::vector<std::string> words;
  std::string cur;
  char quote = 0;
  auto flush = [&] {
    if (!cur.empty()) words.push_back(cur);
    cur.clear();
  };
  for (char ch : program) {
    if (quote != 0) {
      cur += ch;
      if (ch == quote) quote = 0;
      continue;
    }
    if (ch == '\'' || ch == '"') {
      quote = ch;
      cur += ch;
    } else if (std::isspace(static_cast<unsigned char>(ch))) {
      flush();
    } else if (std::string("=(),/;").find(ch) != std::string::npos) {
      flush();
      words.emplace_back(1, ch);
    } else {
      cur += ch;
    }
  }
  flush();
  const char* const between[] = {"\n", "\n  /* a comment */ ", "\n\n\n", " /* one\n  over lines */\n\n  ", "\t\n "};
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) out += (i ? between[i % 5] : "") + words[i];
  return out + "\n";
}

// The log with every number masked: lines and columns differ, nothing else may.
std::string masked(const std::string& log) { return std::regex_replace(log, std::regex("[0-9]+"), "#"); }

struct outputs {
  int status = 0;
  std::string log, lst;
  std::map<std::string, std::string> files;  // the graphs and data sets written
};

class RunnerStatementForms : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("d.csv", forms_data());
    fs::create_directories(dir_ / "lib");
    std::ofstream(dir_ / "lib" / "e.csv") << forms_data();
  }
  outputs run(const std::string& program, const std::string& renderer) {
    for (const auto& e : fs::directory_iterator(dir_.path()))
      if (e.path().extension() == ".csv" && e.path().filename() != "d.csv") fs::remove(e.path());
    outputs o;
    o.status = kes_test::run_with_graphs(dir_, program, renderer);
    o.log = slurp(dir_ / "log");
    o.lst = slurp(dir_ / "lst");
    for (const auto& e : fs::directory_iterator(dir_ / "g")) o.files[e.path().filename().string()] = slurp(e.path());
    for (const auto& e : fs::directory_iterator(dir_.path()))
      if (e.path().extension() == ".csv" && e.path().filename() != "d.csv")
        o.files[e.path().filename().string()] = slurp(e.path());
    return o;
  }
  kes_test::scratch_dir dir_{"forms"};
};

// Programs of one line each, which together hold every statement the runner reads
// itself (OPTIONS, LIBNAME, TITLE, AXIS) and every statement of a step, with options
// of each kind: flags, numbers, lists, ranges, texts, colours, data sets, families.
const std::vector<std::string>& one_line_programs() {
  static const std::vector<std::string> p = {
      "options linesize=100 pagesize=50 nocenter; title1 'Forms'; title2 \"of statements\"; "
      "libname extra 'lib'; proc kestravine data=extra.e normal freq alpha=0.1 nextrobs=3 pctldef=4 "
      "trimmed=0.1 robustscale; var x y; id id; run;",
      "axis1 order=0 to 50 by 10 label=(h=1.2 'x value') value=(c=red) minor=(n=1) major=(h=1 c=#0000FF) "
      "offset=(2,2) color=green; axis2 label=none; proc kestravine data=d noprint; var x; "
      "histogram x / normal(mu=est sigma=est color=red) kernel(c=0.5) haxis=axis1 vaxis=axis2 "
      "cfill=#C6DBEF href=10 hreflabels='ten' vscale=count; "
      "inset n mean (6.2) std='Std Dev' / pos=ne header='Stats' cfill=white; run;",
      "proc kestravine data=d noprint; by g; class c; var x y; freq f; "
      "histogram x / lognormal(theta=0) midpoints=0 to 50 by 5 nrows=2 cfill=steelblue; "
      "qqplot y / normal(mu=est sigma=est) square; probplot x / weibull(c=est theta=0 sigma=est); "
      "cdfplot x / normal; ppplot x / gamma(theta=0); inset mean / pos=nw; run;",
      "proc kestravine data=d noprint mu0=1 2; var x y; weight w; "
      "output out=o mean=m1 m2 std=s1 pctlpts=2.5 97.5 pctlpre=p q; run;",
  };
  return p;
}

// Each program spread over many lines gives the same listing, graphs and data sets,
// and the same log but for its line and column numbers. An AXIS statement over three
// lines was refused (its line ends read as bytes that are not text).
TEST_F(RunnerStatementForms, EveryStatementReadsAlikeOverManyLines) {
  for (const std::string renderer : {"device", "template"}) {
    for (const std::string& program : one_line_programs()) {
      const outputs one = run(program, renderer);
      EXPECT_LT(one.status, 2) << program << "\n" << one.log;
      EXPECT_EQ(one.log.find("ERROR"), std::string::npos) << program << "\n" << one.log;
      const std::string wide = spread(program);
      const outputs many = run(wide, renderer);
      EXPECT_EQ(many.status, one.status) << wide << "\n" << many.log;
      EXPECT_EQ(masked(many.log), masked(one.log)) << renderer << "\n" << wide;
      EXPECT_EQ(many.lst, one.lst) << renderer << "\n" << wide;
      EXPECT_EQ(many.files.size(), one.files.size()) << renderer << "\n" << wide;
      for (const auto& [name, text] : one.files) {
        const auto it = many.files.find(name);
        EXPECT_TRUE(it != many.files.end() && it->second == text) << renderer << " " << name << "\n" << wide;
      }
    }
  }
}

// The colour options of each statement, from the statement reference (which is
// written from the grammar): rows whose value is a colour, under "## STATEMENT" or
// "#### STATEMENT: FAMILY( options )".
struct colour_option {
  std::string statement, family, option;
};
std::vector<colour_option> colour_options() {
  std::ifstream in(fs::path(KES_SOURCE_DIR) / "docs" / "statements.md");
  std::vector<colour_option> out;
  std::string line, statement, family;
  const std::regex row("^\\| `([A-Z0-9_]+=?)` \\|[^|]*\\| (colour|colours|optional `=colour`) \\|");
  const std::regex sub("^#### ([A-Z]+): ([A-Z0-9_]+)\\( options \\)");
  std::smatch m;
  while (std::getline(in, line)) {
    if (line.rfind("## ", 0) == 0) statement = line.substr(3), family.clear();
    else if (line.rfind("### ", 0) == 0) family.clear();
    else if (std::regex_search(line, m, sub)) statement = m[1], family = m[2];
    else if (std::regex_search(line, m, row)) out.push_back({statement, family, m[1]});
  }
  return out;
}

// Every documented spelling of one colour on every colour option of the plot and
// INSET statements draws the same graphs in both renderers, without a word in the log:
// a name in any case, quoted or not, and #RRGGBB in either case, quoted or not.
// Unquoted #RRGGBB ended the step ("the character '#' is not valid").
TEST_F(RunnerStatementForms, EveryColourSpellingOnEveryColourOption) {
  const std::vector<colour_option> options = colour_options();
  std::map<std::string, std::vector<colour_option>> by_statement;
  for (const colour_option& o : options) by_statement[o.statement].push_back(o);
  for (const char* s : {"HISTOGRAM", "QQPLOT", "PROBPLOT", "CDFPLOT", "PPPLOT", "INSET"})
    ASSERT_FALSE(by_statement[s].empty()) << s << ": no colour option found in docs/statements.md";
  // Two colours, so that texts and lines stay apart from the fills under them: each
  // spelling k of the one and the other.
  const char* const lines[] = {"crimson", "CRIMSON", "'Crimson'", "#DC143C", "#dc143c", "'#DC143C'", "\"#dc143c\""};
  const char* const fills[] = {"wheat", "WHEAT", "\"Wheat\"", "#F5DEB3", "#f5deb3", "\"#F5DEB3\"", "'#f5deb3'"};
  constexpr int kSpellings = 7;
  auto is_fill = [](const std::string& option) {
    return option.rfind("CFILL", 0) == 0 || option.rfind("CFRAME", 0) == 0 || option.rfind("CPROP", 0) == 0 ||
           option.rfind("CSHADOW", 0) == 0;
  };
  // One program per statement and family: its colour options all spelled alike.
  auto program = [&](const std::string& statement, const std::string& family, int k) {
    std::string opts, fam;
    for (const colour_option& o : by_statement[statement]) {
      const std::string colour = is_fill(o.option) ? fills[k] : lines[k];
      const std::string value = o.option.back() == '=' ? o.option + colour : o.option + "=" + colour;
      if (o.family.empty()) opts += " " + value;
      else if (o.family == family) fam += " " + value;
    }
    const std::string plot = statement == "INSET" ? "HISTOGRAM" : statement;
    // The shapes a plot of quantiles needs given or estimated.
    static const std::map<std::string, std::string> shapes = {
        {"LOGNORMAL", " SIGMA=EST"}, {"WEIBULL", " C=EST"}, {"WEIBULL2", " C=EST"}, {"GAMMA", " ALPHA=EST"},
        {"BETA", " THETA=0 SIGMA=50 ALPHA=EST BETA=EST"}, {"SB", " THETA=0 SIGMA=50 DELTA=EST GAMMA=EST"}, {"SU", " DELTA=EST GAMMA=EST"}};
    const auto shape = shapes.find(family);
    if (plot != "HISTOGRAM" && shape != shapes.end()) fam += shape->second;
    if (plot == "HISTOGRAM" && family == "BETA") fam += " THETA=0 SIGMA=50";
    std::string f = family.empty() ? std::string(plot == "HISTOGRAM" ? "" : "normal") : family + "(" + fam + ")";
    if (family == "PCTLAXIS") f = "normal " + f;
    std::string text = "proc kestravine data=d noprint; class c; var x; " + plot + " x / " + f;
    if (statement == "INSET") text += "; inset n mean / pos=ne" + opts;
    else text += opts;
    return text + "; run;\n";
  };
  std::vector<std::pair<std::string, std::string>> programs;  // statement, family
  for (const auto& [statement, list] : by_statement) {
    if (statement != "HISTOGRAM" && statement != "QQPLOT" && statement != "PROBPLOT" && statement != "CDFPLOT" &&
        statement != "PPPLOT" && statement != "INSET")
      continue;
    programs.emplace_back(statement, "");
    for (const colour_option& o : list)
      if (!o.family.empty() && (programs.back().second != o.family || programs.back().first != statement))
        programs.emplace_back(statement, o.family);
  }
  // Under the sanitizers every fifth spelling after the first (5 is prime to the 6 of
  // them, so each is read by some statement): the spellings reach the same code.
  std::size_t index = 0;
  for (const std::string renderer : {"device", "template"}) {
    for (const auto& [statement, family] : programs) {
      const outputs first = run(program(statement, family, 0), renderer);
      EXPECT_EQ(first.status, 0) << program(statement, family, 0) << "\n" << first.log;
      for (int k = 1; k < kSpellings; ++k) {
        if (!kes_test::sanitized_share(index++, 5)) continue;
        const std::string text = program(statement, family, k);
        const outputs o = run(text, renderer);
        EXPECT_EQ(o.status, 0) << text << "\n" << o.log;
        EXPECT_EQ(o.log.find("colour"), std::string::npos) << text << "\n" << o.log;
        EXPECT_EQ(o.log.find("ERROR"), std::string::npos) << text << "\n" << o.log;
        EXPECT_EQ(o.files, first.files) << renderer << ": " << text;
      }
    }
  }
}

class RunnerMistakesNamed : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("d.csv", forms_data());
    dir_.write("state.x77.csv", forms_data());
    dir_.write("semi.csv", "x;y\n1;2\n3;4\n");
    dir_.write("tabs.csv", "x\ty\n1\n2\n");
    fs::create_directories(dir_ / "g");
  }
  struct message_case {
    const char* what;
    std::string program;
    std::string renderer;
    int status;
    std::vector<std::string> said;    // each once in the log
    std::vector<std::string> absent;  // never
  };
  void check(const std::vector<message_case>& cases) {
    for (const message_case& c : cases) {
      const int status = kes_test::run_program(proc_, dir_, c.program,
                                               {"--work", ".", "--log", "log", "--listing", "lst", "--graphs", "g",
                                                "--graphics", c.renderer});
      log_ = slurp(dir_ / "log");
      EXPECT_EQ(status, c.status) << c.what << "\n" << log_;
      for (const std::string& t : c.said) EXPECT_EQ(kes_test::occurrences(log_, t), 1) << c.what << ": " << t << "\n" << log_;
      for (const std::string& t : c.absent) EXPECT_EQ(log_.find(t), std::string::npos) << c.what << ": " << t << "\n" << log_;
    }
  }
  kes_test::scratch_dir dir_{"mistakes"};
  kes_test::runner_process proc_;
  std::string log_;
};

const std::string kStep = "proc kestravine data=d noprint; var x;\n";

// OUTPUT: a statistic named twice keeps its later names, as a later value of any
// option does, and the log says so where the later one stands (over lines too);
// names swallowed RUN when the semicolon before it was missing, while the words of
// the step's statements (VAR) stay names.
TEST_F(RunnerMistakesNamed, OutputNames) {
  check({
      {"a keyword twice, and under another spelling",
       kStep + "  output out=o mean=a mean=b probt=p1 prt=p2 n=n;\nrun;\n", "none", 0,
       {"NOTE: prog.kes line 2, column 23: MEAN= is given more than once; its later names replace the earlier (a) "
        "(in the OUTPUT statement).\n",
        "NOTE: prog.kes line 2, column 39: PRT= names the statistic of PROBT= before it; its names replace those of "
        "PROBT= (p1) (in the OUTPUT statement).\n",
        "The data set WORK.o has 1 observation and 3 variables"},
       {}},
      {"over lines", kStep + "  output out=o\n  mean=a\n\n  /* again */ MEAN = b;\nrun;\n", "none", 0,
       {"prog.kes line 5, column 15: MEAN= is given more than once"}, {}},
      {"RUN after the names", kStep + "  output out=o mean=a\nrun;\n", "none", 0,
       {"WARNING: prog.kes line 3, column 1: RUN is taken as a name of MEAN=; a \";\" may be missing before RUN, "
        "which begins a statement (in the OUTPUT statement).\n"},
       {}},
      {"a name that spells a statement of the step", kStep + "  output out=o mean=var;\nrun;\n", "none", 0, {},
       {"is taken as a name"}},
  });
  EXPECT_EQ(slurp(dir_ / "o.csv").substr(0, 4), "var\n");  // the last case's one name
}

// Data sets: a name with a dot (state.x77 for the file state.x77.csv) says how to read
// the file, as DATA=precip.csv is told; a file separated by ';' or tabs reads as one
// column, and the separator is named.
TEST_F(RunnerMistakesNamed, DataSetNamesAndSeparators) {
  check({
      {"a dot in the name", "proc kestravine data=state.x77;\nrun;\n", "none", 2,
       {"ERROR: prog.kes line 1, column 22: cannot open data set STATE.x77: library STATE is not assigned; the file "
        "state.x77.csv cannot be read as a data set, as a data set name holds no '.': rename it (to state_x77.csv, "
        "say) and write DATA=state_x77 (in the PROC statement).\n"},
       {}},
      {"no such file", "proc kestravine data=other.x77;\nrun;\n", "none", 2,
       {"library OTHER is not assigned (in the PROC statement)."}, {"rename"}},
      {"';'", "proc kestravine data=semi; var x; run;\n", "none", 2,
       {"WARNING: Column 1 of file ./semi.csv is headed \"x;y\", which holds ';': the fields of a data set file are "
        "separated by commas, so that heading is one variable and each line one value; write the file with commas "
        "between its fields.\n"},
       {}},
      {"tabs", "proc kestravine data=tabs; run;\n", "none", 0, {"which holds a tab"}, {}},
      {"commas", "proc kestravine data=d; run;\n", "none", 0, {}, {"separated by commas"}},
  });
}

// Colours: a number is one syntax error naming what a colour is (no unknown colour
// ''); a misspelt #RRGGBB is noted as written; #RRGGBB is taken only where a colour
// goes. An AXIS statement without its semicolon names the word after it, not a
// replacement character glued to it.
TEST_F(RunnerMistakesNamed, ColoursAndAxisStatements) {
  check({
      {"a number", kStep + "  histogram x / cfill=12;\nrun;\n", "none", 2,
       {"ERROR: prog.kes line 2, column 23: '12' is not valid here and was ignored; expected a colour (a CSS colour "
        "name or #RRGGBB, quoted or not) (in the HISTOGRAM statement).\n"},
       {"colour name ''"}},
      {"a misspelt #RRGGBB", kStep + "  histogram x / cfill=#C6DBEG;\nrun;\n", "none", 0,
       {"prog.kes line 2, column 23: the colour name '#C6DBEG' is not known"}, {}},
      {"#RRGGBB for a text", kStep + "  histogram x / vaxislabel=#C6DBEF;\nrun;\n", "none", 2,
       {"prog.kes line 2, column 28: '#C6DBEF' is not valid here and was ignored; expected a quoted text"}, {}},
      {"AXIS without its semicolon", "axis1 order=0 to 50\n  label=('Rain (in)')\n" + kStep + "run;\n", "none", 3,
       {"ERROR: AXIS1 statement (line 1): expected '=' after PROC; a \";\" may be missing before PROC, which begins "
        "a statement; the axis definition is not stored.\n"},
       {"U+FFFD", "\xEF\xBF\xBD"}},
  });
}

// BY groups: a BY variable that VAR names too is said (and nothing without VAR); a
// note of the data of one group (an observation at the exponential curve's known
// threshold, the smallest value of each group, left out of the EDF tests) names it.
// An inset that overlaps an earlier one is said at its INSET statement; an ORIGIN=
// without room names the axis definition and the option that uses it.
TEST_F(RunnerMistakesNamed, GroupsInsetsAndOrigins) {
  const std::string left_out = "NOTE: The EDF tests of the exponential curve of x leave out 1 observation equal to the "
                               "known threshold, whose Anderson-Darling terms are not defined (BY group ";
  check({
      {"BY and VAR", "proc kestravine data=d noprint; by g; var x g; run;\n", "none", 0,
       {"NOTE: Variable g is both a BY variable and an analysis variable: it is analysed within each BY group, "
        "where it takes a single value.\n"},
       {}},
      {"BY without VAR", "proc kestravine data=d noprint; by g; run;\n", "none", 0, {}, {"both a BY variable"}},
      {"a note of each group",
       "proc kestravine data=d noprint; by g; var x; histogram x / exponential(theta=5) noplot; run;\n", "none", 0,
       {left_out + "g=1).\n", left_out + "g=2).\n"},
       {}},
      {"an inset over another",
       kStep + "  histogram x;\n  inset n mean / pos=(20, 5) data;\n  inset std min / pos=(21, 6) data;\nrun;\n",
       "device", 0,
       {"NOTE: prog.kes line 4, column 3: This inset overlaps an earlier inset and is not drawn (in the INSET "
        "statement).\n"},
       {}},
      {"ORIGIN= without room", "axis1 origin=(12,10);\n" + kStep + "  histogram x / haxis=axis1;\nrun;\n", "device", 1,
       {"WARNING: prog.kes line 3, column 17: The ORIGIN= y of the axis definition HAXIS=AXIS1 leaves too little room "
        "below the axis; the graph is not drawn (in the HISTOGRAM statement).\n"},
       {}},
  });
}

}  // namespace
