// Texts in the default colour over the program's own fills, in both renderers: the
// rows and header of an inset box over its CFILL= and CFILLH= fills or over a CFRAME=
// wall, and the reference lines' labels over the wall, read (the graph checker's
// contrast rule holds for every one), while a colour the program gave the texts or the
// lines is kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph_run.h"
#include "support/svg_parts.h"
#include "support/svg_rules.h"

namespace {

using kes_test::graph_parts;
using kes_test::graph_run;
using kes_test::text_item;

// Dark and light fills in every spelling: named, #RRGGBB, any case.
const char* const kFills[] = {"black", "navy", "DarkSlateGray", "maroon", "'#1A1A2E'", "'#F4F0C8'", "white",
                              "LightYellow"};

// The contrast faults of a run's graphs, one line each.
std::string contrast_faults(const graph_run& r) {
  std::string out;
  for (const auto& [name, svg] : r.svg)
    for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg))
      if (f.rule == kes_test::kRuleTextContrast) out += name + ": " + f.detail + "\n";
  return out;
}

bool draws_text(const graph_run& r, const std::string& text) {
  for (const auto& [name, svg] : r.svg)
    for (const text_item& t : kes_test::read_parts(svg).texts)
      if (t.text == text) return true;
  return false;
}

std::vector<std::string> colours_of(const graph_run& r, const std::string& text) {
  std::vector<std::string> out;
  for (const auto& [name, svg] : r.svg)
    for (const text_item& t : kes_test::read_parts(svg).texts)
      if (t.text == text) out.push_back(t.colour);
  return out;
}

TEST(TextOverFillsRuns, DefaultInsetTextsReadOnTheirFills) {
  // {options of the INSET statement, of the plot statement}; F is the fill.
  const struct {
    const char* inset;
    const char* plot;
  } kinds[] = {
      {"cfill=F", ""},
      {"cfill=F header='Summary'", ""},
      {"cfillh=F header='Summary'", ""},
      {"cfill=white cfillh=F header='Summary'", ""},
      {"cfill=F position=rm", ""},
      {"cfill=F position=bm", ""},
      {"", "cframe=F"},  // no fill of its own: the box stands on the wall
      {"cfill=blank", "cframe=F"},  // the box clears its area to the page
  };
  for (const char* renderer : {"template", "device"})
    for (const char* fill : kFills)
      for (const auto& k : kinds) {
        std::string inset = k.inset, plot = k.plot;
        for (std::string* s : {&inset, &plot})
          for (std::size_t at; (at = s->find("=F")) != std::string::npos;) s->replace(at + 1, 1, fill);
        const std::string program = "proc kestravine data=d noprint;\n  histogram x / normal " + plot +
                                    ";\n  inset n mean std / " + inset + ";\nrun;\n";
        SCOPED_TRACE(std::string(renderer) + "\n" + program);
        const graph_run r = kes_test::run_program(kes_test::sixty_values_csv(), program, {"--graphics", renderer});
        ASSERT_EQ(r.status, 0) << r.log;
        EXPECT_TRUE(draws_text(r, "Mean")) << "the box's rows are drawn";
        EXPECT_EQ(contrast_faults(r), "");
      }
}

TEST(TextOverFillsRuns, DefaultReferenceLabelsReadOnTheWall) {
  const char* const refs[] = {"href=25 32 hreflabels='Low' 'Mid'",
                              "href=25 32 hreflabels='Low' 'Mid' hreflabpos=2",
                              "vref=5 hreflabpos=3 href=32 hreflabels='Mid' vreflabels='Five'",
                              "vref=5 10 vreflabels='Five' 'Ten' vreflabpos=2",
                              "href=25 32 hreflabels='Low' 'Mid' hreflabpos=4"};
  for (const char* renderer : {"template", "device"})
    for (const char* fill : kFills)
      // Labels over the wall, over the bars (HREFLABPOS=3 and 4 stand low), over either.
      for (const char* plot : {"histogram x / cframe=", "histogram x / cfill=", "histogram x / cframe=black cfill=",
                               "qqplot x / normal(mu=est sigma=est) cframe="})
        for (const char* ref : refs) {
          const std::string program =
              std::string("proc kestravine data=d noprint; ") + plot + fill + " " + ref + "; run;\n";
          SCOPED_TRACE(std::string(renderer) + "\n" + program);
          const graph_run r = kes_test::run_program(kes_test::sixty_values_csv(), program, {"--graphics", renderer});
          ASSERT_EQ(r.status, 0) << r.log;
          EXPECT_EQ(contrast_faults(r), "");
        }
}

TEST(TextOverFillsRuns, ColoursTheProgramGaveAreKept) {
  // A colour the program chose stays its own, though black or white would read better.
  const struct {
    const char* statements;
    const char* text;
    const char* colour;
  } cases[] = {
      {"histogram x; inset mean / cfill=black ctext='#505050';", "Mean", "#505050"},
      {"histogram x / ctext='#505050'; inset mean / cfill=black;", "Mean", "#505050"},
      {"histogram x; inset mean / cfill=black header='Head' cheader='#505050';", "Head", "#505050"},
      {"histogram x / cframe=navy href=30 hreflabels='Here' chref='#505050';", "Here", "#505050"},
      {"histogram x / cframe=navy vref=4 vreflabels='Here' cvref='#505050';", "Here", "#505050"},
      {"histogram x / cframe=navy ctext='#505050' href=30 hreflabels='Here';", "Here", "#505050"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statements);
    const graph_run r = kes_test::run_program(
        kes_test::sixty_values_csv(), std::string("proc kestravine data=d noprint; ") + c.statements + " run;\n",
        {"--graphics", "device"});
    ASSERT_EQ(r.status, 0) << r.log;
    const std::vector<std::string> seen = colours_of(r, c.text);
    ASSERT_FALSE(seen.empty());
    for (const std::string& colour : seen) EXPECT_EQ(colour, c.colour);
  }
  // The default over a dark fill is white, over a light one black.
  const graph_run dark = kes_test::run_program(
      kes_test::sixty_values_csv(), "proc kestravine data=d noprint; histogram x / cframe=navy href=30 hreflabels='Here'; run;\n",
      {"--graphics", "device"});
  EXPECT_EQ(colours_of(dark, "Here"), std::vector<std::string>{"#FFFFFF"});
}

}  // namespace
