// Colour names of any length on both kinds of graph: a colour option holds 8
// characters, yet every CSS name (88 of the 148 are longer), in any case, and #RRGGBB
// gives its own colour to the element it names; a word that names no colour is noted
// where it stands and leaves the element its default colour, never the foreground of
// the texts drawn on it. Read back from the drawn SVG.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "graph_run.h"
#include "support/svg_reader.h"

namespace {

// 30 values from 20 to 78 for the plots, each row also an annotate instruction: a
// square marker in colour at 10 % of the data area, rising.
std::string csv(const std::string& colour) {
  std::string t = "function,x,y,xsys,ysys,color,text\n";
  for (int i = 0; i < 30; ++i)
    t += "symbol," + std::to_string(20 + 2 * i) + "," + std::to_string(10 + 2 * i) + ",1,1," + colour + ",SQUARE\n";
  return t;
}

kes_test::graph_run run(const std::string& graphics, const std::string& program, const std::string& colour) {
  return kes_test::run_program(csv(colour), program, {"--graphics", graphics});
}

// How often each (element, fill, stroke) occurs in the graphs of a run.
using colour_count = std::map<std::tuple<std::string, std::string, std::string>, int>;
colour_count colours_of(const kes_test::graph_run& r) {
  colour_count n;
  for (const auto& [file, doc] : r.svg)
    for (const kes_test::svg_element& e : kes_test::svg_elements(doc))
      if (!e.get("fill").empty() || !e.get("stroke").empty()) ++n[{e.name, e.get("fill"), e.get("stroke")}];
  return n;
}

int drawn_in(const kes_test::graph_run& r, const std::string& attr, const std::string& hex) {
  int n = 0;
  for (const auto& [file, doc] : r.svg)
    for (const kes_test::svg_element& e : kes_test::svg_elements(doc)) n += e.get(attr) == hex;
  return n;
}

const std::string kHead = "proc kestravine data=d noprint; var x;\n";

struct colour_case {
  const char* graphics;
  const char* statement;  // '#' stands for the colour word
  const char* word;
  const char* attr;       // fill or stroke
  const char* hex;        // the colour drawn; "" for the element's default
};

// The element kinds (bars, bar outlines, the inset's fill, a fitted line, an axis,
// annotate markers) with a short name, long names, mixed case, #RRGGBB and words that
// name no colour (a long name cut to 8 letters among them).
const colour_case kCases[] = {
    {"device", "histogram / cfill=#;", "red", "fill", "#FF0000"},
    {"device", "histogram / cfill=#;", "lightblue", "fill", "#ADD8E6"},
    {"device", "histogram / cfill=#;", "LightGoldenrodYellow", "fill", "#FAFAD2"},
    {"device", "histogram / cfill=#;", "'#add8e6'", "fill", "#ADD8E6"},
    {"device", "histogram / cfill=#;", "lightblu", "fill", ""},
    {"device", "histogram / cfill=#;", "'#ADD8E680'", "fill", ""},
    {"device", "histogram / cbarline=#;", "darkgreen", "stroke", "#006400"},
    {"device", "histogram / cbarline=#;", "DARKGREENISH", "stroke", ""},
    {"device", "histogram; inset n mean std / cfill=# pos=ne;", "lightyellow", "fill", "#FFFFE0"},
    {"device", "histogram; inset n mean std / cfill=# pos=ne;", "lightyello", "fill", ""},
    {"device", "histogram; inset n mean std / ctext=# pos=ne;", "MidnightBlue", "fill", "#191970"},
    {"device", "qqplot / normal(mu=est sigma=est color=#);", "darkgreen", "stroke", "#006400"},
    {"device", "qqplot / normal(mu=est sigma=est color=#);", "mediumspringgreen", "stroke", "#00FA9A"},
    {"device", "qqplot / normal(mu=est sigma=est color=#);", "greenish", "stroke", ""},
    {"device", "histogram / normal(color=#);", "cornflowerblue", "stroke", "#6495ED"},
    {"device", "histogram / normal(color=(#));", "notacolour", "stroke", ""},
    {"device", "histogram / grid cgrid=#;", "lightsteelblue", "stroke", "#B0C4DE"},
    {"device", "axis1 color=#; proc kestravine data=d noprint; var x; histogram / haxis=axis1;", "darkslateblue",
     "stroke", "#483D8B"},
    {"device", "axis1 color=#; proc kestravine data=d noprint; var x; histogram / haxis=axis1;", "darkslat", "stroke",
     ""},
    {"template", "qqplot / normal(mu=est sigma=est color=#);", "darkgreen", "stroke", "#006400"},
    {"template", "probplot / normal(mu=est sigma=est color=#);", "DarkOliveGreen", "stroke", "#556B2F"},
    {"template", "cdfplot / normal(color=#);", "'mediumvioletred'", "stroke", "#C71585"},
    {"template", "ppplot / normal(color=#);", "lightseagreen", "stroke", "#20B2AA"},
    {"template", "qqplot / normal(mu=est sigma=est color=#);", "lightseag", "stroke", ""},
};

std::string with(const std::string& statement, const std::string& word) {
  std::string s = statement;
  s.replace(s.find('#'), 1, word);
  return s;
}

std::string program(const std::string& statement) {
  // An AXIS statement goes before the step, which the case then writes itself.
  return statement.rfind("axis", 0) == 0 ? statement + "\nrun;\n" : kHead + statement + "\nrun;\n";
}

// The case's option left out: the element's default look.
std::string without_option(const std::string& statement) {
  std::string s = statement;
  const size_t hash = s.find('#');
  size_t from = s.rfind(' ', hash);
  size_t to = s.find_first_of(" ;)", hash);
  if (s[from + 1] == '(') ++from;  // normal(color=...)
  if (s.compare(from + 1, 7, "normal(") == 0) from += 7;
  if (s[to] == ')' && s[hash - 1] == '(') ++to;  // color=(#)
  return s.erase(from + 1, to - from - 1);
}

TEST(ColourNames, EveryNameGivesItsColourAndAnUnknownOneTheDefault) {
  for (const colour_case& c : kCases) {
    const std::string statement = with(c.statement, c.word);
    SCOPED_TRACE(std::string(c.graphics) + ": " + statement);
    const kes_test::graph_run r = run(c.graphics, program(statement), "black");
    ASSERT_EQ(r.status, 0) << r.log;
    ASSERT_FALSE(r.svg.empty()) << r.log;
    if (*c.hex != '\0') {
      EXPECT_GT(drawn_in(r, c.attr, c.hex), 0) << r.svg.begin()->second;
      EXPECT_EQ(r.log.find("is not known"), std::string::npos) << r.log;
      continue;
    }
    // Unknown: said once, where the word stands, and the graph drawn as without it.
    std::string word = c.word;
    if (word.front() == '\'') word = word.substr(1, word.size() - 2);
    const std::string note = "the colour name '" + word + "' is not known";
    const size_t at = r.log.find(note);
    EXPECT_NE(at, std::string::npos) << r.log;
    EXPECT_EQ(r.log.find(note, at + 1), std::string::npos) << r.log;
    EXPECT_NE(r.log.find("the default colour is used"), std::string::npos) << r.log;
    const kes_test::graph_run plain = run(c.graphics, program(without_option(c.statement)), "black");
    ASSERT_EQ(plain.status, 0) << plain.log;
    EXPECT_EQ(colours_of(r), colours_of(plain)) << without_option(c.statement);
  }
}

// Two long names that share their first 8 letters keep their own colours in one step.
TEST(ColourNames, NamesAlikeInTheirFirstEightLettersStayApart) {
  const kes_test::graph_run r =
      run("device", kHead + "histogram / normal(color=darkslateblue) lognormal(color=darkslategray);\nrun;\n", "black");
  ASSERT_EQ(r.status, 0) << r.log;
  EXPECT_GT(drawn_in(r, "stroke", "#483D8B"), 0);
  EXPECT_GT(drawn_in(r, "stroke", "#2F4F4F"), 0);
  EXPECT_EQ(r.log.find("is not known"), std::string::npos) << r.log;
}

// ANNOTATE= colours come from a data set value of any length: the whole value is read.
TEST(ColourNames, AnnotateColoursAreReadWhole) {
  const std::string prog = kHead + "histogram / annotate=d;\nrun;\n";
  struct annotate_case {
    const char* colour;
    const char* hex;
  };
  for (const annotate_case& c : {annotate_case{"lightslategray", "#778899"}, annotate_case{"DarkOrange", "#FF8C00"},
                                 annotate_case{"#00fa9a", "#00FA9A"}, annotate_case{"lightslategr", "#1F1F1F"}}) {
    SCOPED_TRACE(c.colour);
    const kes_test::graph_run r = run("device", prog, c.colour);
    ASSERT_EQ(r.status, 0) << r.log;
    // The markers (drawn as one path); an unknown name draws them in the foreground,
    // the default of a blank COLOR.
    EXPECT_GT(drawn_in(r, "stroke", c.hex) + drawn_in(r, "fill", c.hex), 0) << r.svg.begin()->second;
    EXPECT_EQ(r.log.find("is not known") != std::string::npos, std::string(c.hex) == "#1F1F1F") << r.log;
  }
}

}  // namespace
