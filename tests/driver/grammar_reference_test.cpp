// The statement reference the table generator writes from a grammar: spellings that
// lead to the same actions share a row, value kinds come from what follows the
// keyword, own option lists are described once and linked, and a grammar whose
// options are not all described is refused by the check.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "records/kes_preq.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

struct run_result {
  int status;
  std::string out, err;  // the reference written, standard error
};

fs::path scratch() {
  // Under the scratch folder of the process, removed at its end.
  static const kes_test::scratch_dir d("grammar-ref");
  return d.path();
}

// Writes the grammar and runs the generator in mode "--reference" or "--check-reference".
run_result reference(const std::string& grammar, const std::string& name, const std::string& mode = "--reference") {
  const fs::path d = scratch();
  std::ofstream(d / (name + ".grammar")) << grammar;
  const fs::path md = d / (name + ".md");
  fs::remove(md);
  std::string cmd = kes_test::built("kes_grammar_gen") + " " + mode + " " +
                    (mode == "--reference" ? md.string() + " " : std::string()) + (d / (name + ".grammar")).string() +
                    " 2> " + (d / (name + ".err")).string();
  const int rc = std::system(cmd.c_str());
  return {WEXITSTATUS(rc), fs::exists(md) ? kes_test::slurp(md) : std::string(), kes_test::slurp(d / (name + ".err"))};
}

// Runs the generator on the grammar file `name`.grammar of reference() for its names
// header: the header's text, or "" after a failure noted on the test.
std::string names_header(const std::string& name) {
  const fs::path d = scratch();
  const std::string cmd = kes_test::built("kes_grammar_gen") + " " + (d / (name + ".grammar")).string() + " " +
                          (d / (name + ".cpp")).string() + " " + (d / (name + ".txt")).string() + " " +
                          (d / (name + ".h")).string() + " 2> " + (d / (name + ".err")).string();
  const int rc = WEXITSTATUS(std::system(cmd.c_str()));
  EXPECT_EQ(rc, 0) << kes_test::slurp(d / (name + ".err"));
  return rc == 0 ? kes_test::slurp(d / (name + ".h")) : std::string();
}

const std::string kHead =
    "%tokens ENDJB NAMEX QS INT\n%punct ( ) =\n%keywords\nA AA$ B C D E$ F G\n%end\n"
    "%action 5 flag\n%action 20 check\n%start s\n%kind num \"number\"\n"
    "num : <INT> ;\n";

// One statement S whose options are the alternatives of opt.
std::string statement(const std::string& options) {
  return kHead + "%statement \"S\" s \"S option ...;\"\n%options opt \"Options\"\n#: Does S.\n"
                 "s : opts <ENDJB> ;\nopts : opt opts | ;\n" +
         options;
}

TEST(GrammarReference, RowsSayWhatParses) {
  const struct {
    const char* what;
    std::string options;
    std::vector<const char*> rows;  // each a whole table row of the reference
  } cases[] = {
      {"two keywords leading to the same actions are one option with another spelling",
       "opt\n  #: Sets one.\n  : A @flag(1)\n  | AA$ @flag(1)\n  #: Sets two.\n  | B @flag(2) ;\n",
       {"| `A` | `AA` | flag | Sets one. |", "| `B` |  | flag | Sets two. |"}},
      {"keywords leading to other actions are options of their own",
       "opt\n  #: First.\n  : A @flag(1)\n  #: Second.\n  | B @flag(1) @flag(2) ;\n",
       {"| `A` |  | flag | First. |", "| `B` |  | flag | Second. |"}},
      {"keywords followed by the same symbols but no actions are options of their own",
       "opt\n  #: One.\n  : A '=' num\n  #: Two.\n  | B '=' num ;\n",
       {"| `A=` |  | number | One. |", "| `B=` |  | number | Two. |"}},
      {"every spelling of an option with a value shows its '='",
       "opt\n  #: Sets it.\n  : A '=' num @flag(1)\n  | AA$ '=' num @flag(1) ;\n", {"| `A=` | `AA=` | number | Sets it. |"}},
      {"a nonterminal of spellings gives the names, '=' the value",
       "opt\n  #: Sets it.\n  : spell '=' num ;\nspell : C | E$ ;\n", {"| `C=` | `E=` | number | Sets it. |"}},
      {"a spelling nonterminal whose spellings lead to other actions gives one option each",
       "opt : stat '=' <NAMEX> ;\nstat\n  #: The C one.\n  : C @flag(3)\n  #: The D one.\n  | D @flag(4) ;\n",
       {"| `C=` |  | name | The C one. |", "| `D=` |  | name | The D one. |"}},
      {"a range check gives the limits",
       "opt\n  #: Both.\n  : A '=' num @check(0, 100)\n  #: Low.\n  | B '=' num @check(3) ;\n",
       {"| `A=` |  | number, 0 to 100 | Both. |", "| `B=` |  | number, 3 or more | Low. |"}},
      {"texts, names and choices of words",
       "opt\n  #: T.\n  : A '=' <QS>\n  #: W.\n  | B '=' word ;\nword : C @flag(1) | D @flag(2) | G @flag(3) ;\n",
       {"| `A=` |  | text | T. |", "| `B=` |  | `C`, `D` or `G` | W. |"}},
      {"an alternative that is another nonterminal adds its options",
       "opt : more | F @flag(9) ;\nmore\n  #: From more.\n  : G @flag(8) ;\n",
       {"| `G` |  | flag | From more. |", "| `F` |  | flag | (no description) |"}},
  };
  int k = 0;
  for (const auto& c : cases) {
    const run_result r = reference(statement(c.options), "rows" + std::to_string(k++));
    ASSERT_EQ(r.status, 0) << c.what << "\n" << r.err;
    for (const char* row : c.rows) EXPECT_NE(r.out.find(row), std::string::npos) << c.what << ": " << row << "\n" << r.out;
  }
}

TEST(GrammarReference, OwnOptionsAreDescribedOnceAndLinked) {
  // Two families share one list of own options: one table, linked from both rows.
  const run_result r = reference(statement("%family opt\n"
                                           "opt\n  #: Fits A.\n  : A @flag(1) part\n  #: Fits B.\n  | B @flag(2) part ;\n"
                                           "part : '(' items ')' | ;\nitems : item items | ;\n"
                                           "item\n  #: Its colour.\n  : C '=' <NAMEX> ;\n"),
                                 "subs");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("| `A` |  | family [( options )](#s-a) | Fits A. |"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("| `B` |  | family [( options )](#s-a) | Fits B. |"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("<a id=\"s-a\"></a>\n\n#### S: A( options )\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("#### S: B"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("| `C=` |  | name | Its colour. |"), std::string::npos) << r.out;
  // The page says it is generated, and lists the statement with its description and syntax.
  EXPECT_EQ(r.out.rfind("# Statements and their options\n\n*Generated by kes_grammar_gen", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("Do not edit this page"), std::string::npos);
  EXPECT_NE(r.out.find("- [S](#s)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("## S\n\nDoes S.\n\n    S option ...;\n"), std::string::npos) << r.out;
}

TEST(GrammarReference, TheCheckNamesWhatIsNotDescribed) {
  const struct {
    const char* what;
    std::string grammar;
    std::vector<const char*> says;
  } cases[] = {
      {"an option without a description", statement("opt\n  #: Has one.\n  : A @flag(1)\n  | B @flag(2) ;\n"),
       {"S: option B has no description", ".grammar:"}},
      {"a value nonterminal without a kind",
       statement("opt\n  #: V.\n  : A '=' val ;\nval : <NAMEX> | <QS> ;\n"), {"no value kind for val"}},
      {"a statement without a description",
       kHead + "%statement \"S\" s \"S;\"\ns : A <ENDJB> ;\n", {"S has no description"}},
      {"a keyword the reference never names",
       statement("opt\n  #: One.\n  : A @flag(1) hidden ;\nhidden : D G | ;\n"), {"the keyword G is named nowhere"}},
      {"an option nonterminal that does not exist",
       kHead + "%statement \"S\" s \"S;\"\n%options nothing \"Options\"\n#: Does S.\ns : A <ENDJB> ;\n",
       {"no nonterminal nothing for S"}},
  };
  int k = 0;
  for (const auto& c : cases) {
    const run_result r = reference(c.grammar, "check" + std::to_string(k++), "--check-reference");
    EXPECT_EQ(r.status, 1) << c.what;
    for (const char* text : c.says) EXPECT_NE(r.err.find(text), std::string::npos) << c.what << ": " << text << "\n" << r.err;
  }
  // A fully described grammar passes.
  const run_result ok =
      reference(statement("opt\n  #: One.\n  : A @flag(1)\n  #: Two.\n  | B '=' num ;\n"), "checkok", "--check-reference");
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.err, "");
}

TEST(GrammarReference, DescriptionsStandBeforeTheirAlternative) {
  const struct {
    const char* what;
    std::string options;
    const char* says;
  } cases[] = {
      {"a description after code on its line", "opt : A @flag(1)   #: Sets A.\n  | B ;\n", "stands on a line of its own"},
      {"a description before ';'", "opt\n  #: A.\n  : A @flag(1)\n  #: Nothing follows.\n  ;\n", "describes no alternative"},
  };
  int k = 0;
  for (const auto& c : cases) {
    const run_result r = reference(statement(c.options), "place" + std::to_string(k++));
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.what << "\n" << r.err;
    EXPECT_EQ(r.out, "") << c.what;
  }
}

// Slots and flags named device-only mark the options that set nothing else, in the
// reference and in the names header, and nowhere outside their scope.
TEST(GrammarReference, DeviceOnlyOptionsAreMarkedFromOnePlace) {
  const std::string g =
      kHead +
      "%action 6 put\n%names T\n%device_only FLAG DEV\n%device_only SLOT COL\n"
      "%statement \"S\" s \"S option ...;\"\n%options opt \"Options\"\n#: Does S.\n"
      "s : opts <ENDJB> ;\nopts : opt opts | ;\n"
      "opt\n  #: Dev.\n  : A @flag(DEV=1)\n  | AA$ @flag(DEV=1)\n"
      "  #: Mixed.\n  | B @flag(DEV=1) @flag(OTHER=2)\n"
      "  #: Colour.\n  | C '=' num @put(COL=3, 1)\n"
      "  #: Plain.\n  | D '=' num @put(PLAIN=4, 1) @check(3) ;\n"
      // Flag 1 of another scope is not DEV.
      "%names U\n%statement \"S2\" s2 \"S2 option;\"\n%options opt2 \"Options\"\n#: Does S2.\n"
      "s2 : E$ opt2 <ENDJB> ;\nopt2\n  #: Elsewhere.\n  : F @flag(ELSE=1) ;\n";
  const run_result r = reference(g, "device");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* row : {"| `A` | `AA` | flag | Dev. Device graphs only. |", "| `B` |  | flag | Mixed. |",
                          "| `C=` |  | number | Colour. Device graphs only. |",
                          "| `D=` |  | number, 3 or more | Plain. |",
                          "| `F` |  | flag | Elsewhere. |"})
    EXPECT_NE(r.out.find(row), std::string::npos) << row << "\n" << r.out;

  // The names header lists the marked options with the flag or slot that tells they
  // were given.
  const std::string names = names_header("device");
  const std::string table = "constexpr kes_device_option KES_T_DEVICE_ONLY[] = {\n    {1, 1, \"A\", nullptr},\n"
                            "    {0, 3, \"C=\", nullptr},\n};";
  EXPECT_NE(names.find(table), std::string::npos)
      << names;
  EXPECT_EQ(names.find("KES_U_DEVICE_ONLY"), std::string::npos) << names;

  // A device-only name no action sets is refused.
  const run_result bad = reference(kHead + "%names T\n%device_only SLOT NOWHERE\n" +
                                       "%statement \"S\" s \"S;\"\n#: Does S.\ns : A @flag(X=1) <ENDJB> ;\n",
                                   "devicebad");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("%device_only names T SLOT NOWHERE, which no action sets"), std::string::npos) << bad.err;
}

// A mark limited to one statement leaves the same slot of another statement's option
// unmarked; a marked value marks the option that takes it, also when the option sets
// an unmarked flag or the value follows in a nonterminal of its own; the own options
// of an option are listed within it.
TEST(GrammarReference, DeviceMarksFollowTheirStatementAndValue) {
  const std::string g =
      kHead +
      "%action 6 put\n%names T\n%device_only_in S SLOT COL BC\n%device_value SLOT GC FV\n"
      "%kind fval \"optional `=number`\"\n"
      "%statement \"S\" s \"S option ...;\"\n%options opt \"Options\"\n#: Does S.\n"
      "s : opts <ENDJB> ;\nopts : opt opts | ;\n"
      "opt\n  #: Colour.\n  : A '=' num @put(COL=3, 1)\n"
      "  #: Family.\n  | B bsub\n"
      "  #: Grid colour.\n  | G '=' num @put(GC=5, 1)\n"
      "  #: Fill.\n  | F @flag(FON=4) fval ;\n"
      "fval : '=' num @put(FV=6, 1) | ;\n"
      "bsub : '(' bitems ')' | ;\nbitems : bitem bitems | ;\nbitem\n  #: Its colour.\n  : C '=' num @put(BC=7, 1) ;\n"
      "%statement \"S2\" s2 \"S2 option;\"\n%options opt2 \"Options\"\n#: Does S2.\n"
      "s2 : E$ opt2 <ENDJB> ;\nopt2\n  #: Colour too.\n  : A '=' num @put(COL=3, 1) ;\n";
  const run_result r = reference(g, "devicestmt");
  ASSERT_EQ(r.status, 0) << r.err;
  const size_t s2 = r.out.find("## S2");
  ASSERT_NE(s2, std::string::npos) << r.out;
  const struct {
    const char* row;
    bool in_s2;
  } rows[] = {
      {"| `A=` |  | number | Colour. Device graphs only. |", false},
      {"| `C=` |  | number | Its colour. Device graphs only. |", false},
      {"| `G=` |  | number | Grid colour. Its value: device graphs only. |", false},
      {"| `F` |  | optional `=number` | Fill. Its value: device graphs only. |", false},
      {"| `A=` |  | number | Colour too. |", true},
  };
  for (const auto& c : rows) {
    const size_t at = r.out.find(c.row);
    EXPECT_NE(at, std::string::npos) << c.row << "\n" << r.out;
    EXPECT_EQ(at > s2, c.in_s2) << c.row;
  }

  const std::string names = names_header("devicestmt");
  for (const char* entry : {"{0, 3, \"A=\", \"S\"}", "{0, 7, \"B(C=)\", \"S\"}", "{0, 5, \"G= (its value)\", nullptr}",
                            "{0, 6, \"F (its value)\", nullptr}"})
    EXPECT_NE(names.find(entry), std::string::npos) << entry << "\n" << names;
  // S2's A= is not listed: one entry of slot 3 only.
  EXPECT_EQ(names.find("{0, 3, \"A=\", nullptr}"), std::string::npos) << names;
}

// The committed reference states the panel limit the layout checks enforce.
TEST(GrammarReference, CellsPerPanelStopAtThePanelLimit) {
  const std::string doc = kes_test::slurp(fs::path(KES_SOURCE_DIR) / "docs" / "statements.md");
  const std::string limit = "a whole number from 1 to " + std::to_string(KES_PANEL_MAX) + " ";
  for (const char* option : {"| `NROWS=` |", "| `NCOLS=` |"}) {
    int rows = 0;  // of the plot statements; INSET's NCOLS= counts columns of statistics
    for (size_t at = doc.find(option); at != std::string::npos; at = doc.find(option, at + 1)) {
      const std::string line = doc.substr(at, doc.find('\n', at) - at);
      if (line.find("per panel") == std::string::npos) continue;
      ++rows;
      EXPECT_NE(line.find(limit), std::string::npos) << line;
    }
    EXPECT_EQ(rows, 5) << option;  // HISTOGRAM, QQPLOT, PROBPLOT, CDFPLOT, PPPLOT
  }
}

}  // namespace
