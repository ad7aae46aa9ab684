// Options of the plot and INSET statements, through the built runner: each is used
// where the reference says, or the log says it is not (text, place, exit status);
// VAXIS= tick values are the vertical axis of every plot in both renderers, read back
// from the SVG files; and a step with WEIGHT and a plot statement ends at that
// statement with its own return code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/step_codes.h"
#include "support/runner_process.h"
#include "support/faith_data.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

class OptionNotes : public ::testing::Test {
 protected:
  void SetUp() override { dir_.write("faith.csv", kes_test::faith_csv()); }
  // Runs the program with the renderer given; the graphs go to the folder "g".
  int run(const std::string& program, const std::string& graphics = "template") {
    dir_.write("prog.kes", program);
    fs::remove_all(dir_ / "g");
    fs::create_directories(dir_ / "g");
    kes_test::runner_process p;
    p.start(dir_.path().string(),
            {"--work", ".", "--log", "log", "--listing", "lst", "--graphics", graphics, "--graphs", "g", "prog.kes"},
            [] { ::alarm(120); });
    const int status = p.wait();
    log_ = slurp(dir_ / "log");
    return status;
  }
  bool logs(const std::string& text) const { return log_.find(text) != std::string::npos; }
  int count(const std::string& text) const { return kes_test::occurrences(log_, text); }
  std::vector<std::string> graphs() const {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(dir_ / "g")) files.push_back(slurp(e.path()));
    return files;
  }

  kes_test::scratch_dir dir_{"optnotes"};
  std::string log_;
};

// Messages of options a step cannot use as given: the text with its place when the
// option has one, how often, and the exit status.
TEST_F(OptionNotes, EachMessageSaysWhereAndHowTheStepEnds) {
  const std::string head = "proc kestravine data=faith noprint; var waiting;\n";
  const struct {
    const char* what;
    std::string program;
    std::string graphics;
    std::string says;
    int times;
    int status;
  } cases[] = {
      {"WEIGHT with a plot statement, at the plot statement", head + "weight g;\n  histogram waiting;\nrun;\n",
       "template",
       "ERROR: prog.kes line 3, column 3: Plot statements cannot be used with a WEIGHT variable; the step ends (in the "
       "HISTOGRAM statement).",
       1, 2},
      {"WEIGHT after the plot statements, at the first of them",
       head + "  ppplot waiting;\n qqplot waiting;\nweight g;\nrun;\n", "device",
       "ERROR: prog.kes line 2, column 3: Plot statements cannot be used with a WEIGHT variable", 1, 2},
      {"FORCEHIST, once for two statements", head + "histogram waiting / forcehist;\nhistogram / forcehist;\nrun;\n",
       "template", "NOTE: FORCEHIST has no effect: the histogram bars are drawn unless NOBARS is given.", 1, 0},
      {"INSET NCOLS= in the plot area",
       head + "histogram waiting;\ninset n mean std / position=ne ncols=2;\nrun;\n", "template",
       "NOTE: prog.kes line 3, column 32: NCOLS= applies only to an inset in a margin (POSITION=TM, BM, LM or RM); an "
       "inset in the plot area shows one column (in the INSET statement).",
       1, 0},
      {"INSET NCOLS= in the plot area, device", head + "qqplot waiting;\ninset n mean / ncols=3;\nrun;\n", "device",
       "NCOLS= applies only to an inset in a margin", 1, 0},
      {"VAXIS= naming an axis definition on a template QQ plot",
       "axis2 order=(0 to 100 by 25);\n" + head + "qqplot waiting / vaxis=axis2;\nrun;\n", "template",
       "NOTE: prog.kes line 3, column 18: VAXIS= is ignored: axis definitions are used only in device graphs (in the "
       "QQPLOT statement).",
       1, 0},
      {"VAXIS= naming an axis definition on a template histogram",
       "axis2 order=(0 to 100 by 25);\n" + head + "histogram waiting / vaxis=axis2;\nrun;\n", "template",
       "NOTE: prog.kes line 3, column 21: VAXIS= is ignored: axis definitions are used only in device graphs (in the "
       "HISTOGRAM statement).",
       1, 0},
      {"VAXIS= values short of the data", head + "qqplot waiting / vaxis=0 to 60 by 20;\nrun;\n", "template",
       "NOTE: prog.kes line 2, column 18: The VAXIS= values do not cover the vertical range 50 to 90 of the plot of "
       "waiting; the vertical axis uses its default ticks (in the QQPLOT statement).",
       1, 0},
      {"VAXIS= values short of the data, device", head + "cdfplot waiting / vaxis=0 to 50 by 10;\nrun;\n", "device",
       "NOTE: prog.kes line 2, column 19: The VAXIS= values do not cover the vertical range 0 to 100 of the plot of "
       "waiting;",
       1, 0},
      {"VAXIS= values a QQ plot cannot use as ticks", head + "qqplot waiting / vaxis=0 10 25;\nrun;\n", "template",
       "NOTE: prog.kes line 2, column 18: VAXIS= values must be equally spaced; the list is ignored (in the QQPLOT "
       "statement).",
       1, 0},
      {"VAXIS= values on the percent axis of a rotated probability plot",
       head + "probplot waiting / rotate\n  vaxis=0 to 100 by 25;\nrun;\n", "template",
       "NOTE: prog.kes line 3, column 3: VAXIS= values are not used on a vertical percent axis (PROBPLOT, or QQPLOT "
       "with PCTLSCALE, under ROTATE); the percent ticks stay (in the PROBPLOT statement).",
       1, 0},
      {"VAXIS= values on the percent axis of a rotated QQ plot with PCTLSCALE",
       head + "qqplot waiting / pctlscale rotate vaxis=0 to 100 by 25;\nrun;\n", "device",
       "NOTE: prog.kes line 2, column 35: VAXIS= values are not used on a vertical percent axis", 1, 0},
      {"a misspelt axis name on a template graph", head + "histogram waiting / vaxis=axis9;\nrun;\n", "template",
       "NOTE: prog.kes line 2, column 21: VAXIS= is ignored: axis definitions are used only in device graphs, and no "
       "AXIS statement defined AXIS9 (in the HISTOGRAM statement).",
       1, 0},
      {"a misspelt axis name on a device graph", head + "histogram waiting / vaxis=axis9;\nrun;\n", "device",
       "ERROR: prog.kes line 2, column 21: VAXIS= names the axis definition AXIS9", 1, 2},
      {"a family named alone in a device inset", head + "histogram waiting / gamma;\ninset gamma exponential;\nrun;\n",
       "device",
       "NOTE: prog.kes line 3, column 1: A distribution named alone in an INSET statement shows only its name on device "
       "histograms and CDF plots;",
       1, 0},
      {"a family named alone, once a step",
       "proc kestravine data=faith noprint; var waiting eruptions;\nhistogram / gamma;\ninset gamma;\ncdfplot / "
       "gamma;\ninset gamma;\nrun;\n",
       "device", "A distribution named alone", 1, 0},
      {"NCOLS= in device margins, once a step",
       "proc kestravine data=faith noprint; var waiting eruptions;\nhistogram;\ninset n mean / pos=tm ncols=2;\n"
       "cdfplot;\ninset n mean / pos=bm ncols=3;\nrun;\n",
       "device", "NCOLS= is not used by device graphs", 1, 0},
      {"a family named alone in a template inset", head + "histogram waiting / gamma;\ninset gamma;\nrun;\n",
       "template", "A distribution named alone", 0, 0},
      {"NCOLS= in a device margin", head + "histogram waiting;\ninset n mean std min max / position=bm ncols=4;\nrun;\n",
       "device",
       "NOTE: prog.kes line 3, column 40: NCOLS= is not used by device graphs: an inset in a margin takes as many "
       "columns as the margin holds (in the INSET statement).",
       1, 0},
      {"NCOLS= in a template margin", head + "histogram waiting;\ninset n mean std / position=bm ncols=2;\nrun;\n",
       "template", "NCOLS=", 0, 0},
      {"NCOLS= pairs a template margin has no room for",
       head + "histogram waiting;\ninset n mean std min max / position=bm ncols=4;\nrun;\n", "template",
       "NOTE: The graph Histogram of waiting (Panel 1) has room for only 3 of the NCOLS= 4 label-value pairs across in "
       "a margin inset.",
       1, 0},
      {"NCOLS= in a template side margin", head + "histogram waiting;\ninset n mean std / position=rm ncols=2;\nrun;\n",
       "template", "has room for only 1 of the NCOLS= 2 label-value pairs", 1, 0},
      {"no more NCOLS= than rows", head + "histogram waiting;\ninset n mean std / position=bm ncols=4;\nrun;\n",
       "template", "NCOLS=", 0, 0},
      {"an unknown colour of a QQ line on a template graph",
       head + "qqplot waiting / normal(mu=est sigma=est color=reddish);\nrun;\n", "template",
       "the colour name 'reddish' is not known (a colour is a CSS colour name or #RRGGBB); the default colour is used",
       1, 0},
      {"an unknown colour of a QQ line on a device graph",
       head + "qqplot waiting / normal(mu=est sigma=est color=reddish);\nrun;\n", "device",
       "the colour name 'reddish' is not known (a colour is a CSS colour name or #RRGGBB); the default colour is used",
       1, 0},
      {"a hex colour with an alpha byte on a template graph",
       head + "qqplot waiting / normal(mu=est sigma=est color='#FF000080');\nrun;\n", "template",
       "the colour name '#FF000080' is not known (a colour is a CSS colour name or #RRGGBB); the default colour is used",
       1, 0},
      {"a hex colour with an alpha byte on a device graph",
       head + "qqplot waiting / normal(mu=est sigma=est color='#FF000080');\nrun;\n", "device",
       "the colour name '#FF000080' is not known (a colour is a CSS colour name or #RRGGBB); the default colour is used",
       1, 0},
      // Fonts: used by neither kind of graph, said once per step with the options given.
      {"FONT= on a template graph", head + "histogram waiting / font=swiss;\nrun;\n", "template",
       "NOTE: Fonts are not used (every text of a graph is drawn in one typeface), so these options change nothing: "
       "FONT=.",
       1, 0},
      {"FONT= on a device graph", head + "histogram waiting / font='Times New Roman';\nrun;\n", "device",
       "so these options change nothing: FONT=.", 1, 0},
      {"INFONT= and INSET FONT= on two statements",
       head + "histogram waiting / infont=swiss;\ninset n / font=swiss pos=ne;\nqqplot waiting / infont=swiss;\nrun;\n",
       "device", "Fonts are not used", 1, 0},
      {"INFONT= and INSET FONT= named once each",
       head + "histogram waiting / infont=swiss;\ninset n / font=swiss pos=ne;\nqqplot waiting / infont=swiss;\nrun;\n",
       "template", "so these options change nothing: INFONT=, INSET FONT=.", 1, 0},
      {"F= of an AXIS statement on a device graph",
       "axis1 label=(f=swiss 'Waiting');\n" + head + "histogram waiting / haxis=axis1 font=swiss;\nrun;\n", "device",
       "so these options change nothing: FONT=, F= of an AXIS statement.", 1, 0},
      {"F= of an AXIS statement a template graph leaves out",
       "axis1 label=(f=swiss 'Waiting');\n" + head + "histogram waiting / haxis=axis1;\nrun;\n", "template",
       "Fonts are not used", 0, 0},
      {"no font, no note", head + "histogram waiting;\ninset n / pos=ne;\nrun;\n", "device", "Fonts are not used", 0,
       0},
      // Options template graphs leave out, in the note of device-only options.
      {"INSET HEIGHT= on a template graph", head + "histogram waiting;\ninset n mean / height=4 pos=ne;\nrun;\n",
       "template", "NOTE: Options of device graphs only, not used by template graphs: INSET HEIGHT=.", 1, 0},
      {"PCTLAXIS grid options on a template graph",
       head + "qqplot waiting / normal(mu=est sigma=est) pctlaxis(grid cgrid=red lgrid=2 wgrid=2);\nrun;\n",
       "template",
       "NOTE: Options of device graphs only, not used by template graphs: PCTLAXIS(CGRID=) (its value), "
       "PCTLAXIS(LGRID=) (its value), PCTLAXIS(WGRID=) (its value).",
       1, 0},
      {"PCTLAXIS grid options on a device graph",
       head + "qqplot waiting / normal(mu=est sigma=est) pctlaxis(grid cgrid=red lgrid=2 wgrid=2);\nrun;\n", "device",
       "Options of device graphs only", 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run(c.program, c.graphics), c.status) << c.what << "\n" << log_;
    EXPECT_EQ(count(c.says), c.times) << c.what << ": " << c.says << "\n" << log_;
  }
  // The step's own code for a plot statement beside WEIGHT.
  run(head + "weight g;\n  histogram waiting;\nrun;\n");
  EXPECT_TRUE(logs("ended with return code " + std::to_string(KES_RC_PLOT_WITH_WEIGHT) + ".")) << log_;
  // A margin box lays its rows out in NCOLS= columns: no note.
  EXPECT_EQ(run(head + "histogram waiting;\ninset n mean std / position=tm ncols=2;\nrun;\n"), 0) << log_;
  EXPECT_FALSE(logs("NCOLS= applies only")) << log_;
}

// The options of template graphs' note of device-only options: a family's line options
// on a histogram, the inset's look, the values of the grid and proportion options; and
// what is used on template graphs is not named (the line options of a QQ plot, CFILL
// alone, GRID).
TEST_F(OptionNotes, TemplateGraphsNameTheDeviceOptionsGiven) {
  const std::string head = "proc kestravine data=faith noprint; var waiting; class g;\n";
  const struct {
    const char* what;
    std::string statements;
    std::string listed;  // "" when no note is due
  } cases[] = {
      {"histogram curve looks", "histogram waiting / normal(color=red w=2) kernel(l=2);\n",
       "NORMAL(COLOR=), NORMAL(W=), KERNEL(L=)"},
      {"a QQ line's look is used", "qqplot waiting / normal(mu=est sigma=est color=red w=2 l=2);\n", ""},
      {"the inset's look",
       "histogram waiting;\ninset n / cframe=red ctext=red header='h' cheader=red cfillh=red cshadow=red;\n",
       "INSET CFRAME=, INSET CTEXT=, INSET CHEADER=, INSET CFILLH=, INSET CSHADOW="},
      {"a named inset fill", "histogram waiting;\ninset n / cfill=red;\n", "INSET CFILL (its value)"},
      {"an inset fill alone is used", "histogram waiting;\ninset n / cfill;\n", ""},
      {"the grid's look", "cdfplot waiting / cgrid=red lgrid=2 wgrid=2;\n",
       "CGRID= (its value), LGRID= (its value), WGRID= (its value)"},
      {"the grid alone is used", "cdfplot waiting / grid;\n", ""},
      {"the proportion bar", "ppplot waiting / cprop=red;\n", "CPROP"},
      {"the proportion bar, no colour", "cdfplot waiting / cprop;\n", "CPROP"},
      {"HREF= labels stepping down", "cdfplot waiting / href=60 hreflabels='a' hreflabpos=2;\n", "HREFLABPOS=2"},
      {"HREF= labels from the bottom", "histogram waiting / href=60 hreflabpos=4;\n", "HREFLABPOS=4"},
      {"HREF= labels along the bottom are drawn", "histogram waiting / href=60 hreflabpos=3;\n", ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(head + c.statements + "run;\n"), 0) << c.what << "\n" << log_;
    if (c.listed.empty()) {
      EXPECT_FALSE(logs("Options of device graphs only")) << c.what << "\n" << log_;
    } else {
      EXPECT_TRUE(logs("NOTE: Options of device graphs only, not used by template graphs: " + c.listed + ".\n"))
          << c.what << "\n" << log_;
    }
  }
}

// The numeric texts of a document by where they stand across (rounded to a pixel).
std::map<long, std::vector<std::pair<double, double>>> numbers_by_x(const std::string& doc) {
  std::map<long, std::vector<std::pair<double, double>>> at;  // x -> (value, y)
  for (const kes_test::svg_element& e : kes_test::svg_elements(doc)) {
    if (e.name != "text" || e.text.empty()) continue;
    char* end = nullptr;
    const double v = std::strtod(e.text.c_str(), &end);
    if (end == e.text.c_str() || *end != '\0') continue;
    at[std::lround(e.num("x"))].push_back({v, e.num("y")});
  }
  return at;
}

// A column of tick texts whose values are exactly `ticks`, each the same distance
// above the one before.
::testing::AssertionResult has_vertical_ticks(const std::string& doc, const std::vector<double>& ticks) {
  for (const auto& [x, texts] : numbers_by_x(doc)) {
    std::vector<std::pair<double, double>> col = texts;
    std::sort(col.begin(), col.end());
    if (col.size() != ticks.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < col.size(); ++i) same = same && std::fabs(col[i].first - ticks[i]) < 1e-9;
    if (!same) continue;
    const double step = col[1].second - col[0].second;
    if (!(step < 0)) return ::testing::AssertionFailure() << "the ticks at x " << x << " do not rise";
    for (std::size_t i = 2; i < col.size(); ++i)
      if (std::fabs(col[i].second - col[i - 1].second - step) > 0.05)
        return ::testing::AssertionFailure() << "uneven tick at x " << x << ", value " << col[i].first;
    return ::testing::AssertionSuccess();
  }
  std::ostringstream why;
  why << "no column of the ticks " << ticks.front() << " .. " << ticks.back();
  return ::testing::AssertionFailure() << why.str();
}

// VAXIS= tick values are the vertical axis of each plot, on both renderers: the data
// axis, or under ROTATE the quantile axis; the default ticks are not those.
TEST_F(OptionNotes, VaxisTicksAreTheVerticalAxisOfEveryPlot) {
  const struct {
    const char* statement;
    std::vector<double> ticks;
  } cases[] = {
      {"histogram waiting / vaxis=0 to 40 by 10", {0, 10, 20, 30, 40}},
      {"qqplot waiting / vaxis=40 to 100 by 15", {40, 55, 70, 85, 100}},
      {"qqplot waiting / normal(mu=est sigma=est) rotate vaxis=-3 to 3 by 1.5", {-3, -1.5, 0, 1.5, 3}},
      {"probplot waiting / vaxis=45 to 95 by 10", {45, 55, 65, 75, 85, 95}},
      {"cdfplot waiting / vaxis=0 to 100 by 25", {0, 25, 50, 75, 100}},
      {"ppplot waiting / vaxis=0 to 1 by 0.25", {0, 0.25, 0.5, 0.75, 1}},
  };
  for (const char* graphics : {"template", "device"}) {
    for (const auto& c : cases) {
      if (std::string(graphics) == "device" && std::string(c.statement).rfind("probplot", 0) == 0) continue;
      ASSERT_EQ(run(std::string("proc kestravine data=faith noprint; var waiting;\n") + c.statement + ";\nrun;\n",
                    graphics),
                0)
          << c.statement << "\n" << log_;
      const std::vector<std::string> files = graphs();
      ASSERT_EQ(files.size(), 1u) << graphics << " " << c.statement;
      EXPECT_TRUE(has_vertical_ticks(files[0], c.ticks)) << graphics << " " << c.statement;
      EXPECT_FALSE(logs("VAXIS= values do not cover")) << graphics << " " << c.statement << "\n" << log_;
    }
  }
}

// What the reference says of GSTYLE, NOGSTYLE and CLIPREF: the graphs are the same
// byte for byte, in both renderers.
TEST_F(OptionNotes, GstyleNogstyleAndClipRefDrawTheSameGraphs) {
  const std::string step = "proc kestravine data=faith noprint; var waiting;\nhistogram waiting / href=70 vref=5 ";
  for (const char* graphics : {"template", "device"}) {
    SCOPED_TRACE(graphics);
    std::vector<std::vector<std::string>> drawn;
    for (const std::string& program :
         {"options gstyle;\n" + step + ";\nrun;\n", "options nogstyle;\n" + step + ";\nrun;\n",
          "options gstyle;\n" + step + "clipref;\nrun;\n", "options nogstyle;\n" + step + "clipref;\nrun;\n"}) {
      ASSERT_EQ(run(program, graphics), 0) << log_;
      drawn.push_back(graphs());
      ASSERT_EQ(drawn.back().size(), 1u) << log_;
    }
    for (size_t i = 1; i < drawn.size(); ++i) EXPECT_EQ(drawn[i], drawn[0]) << i;
  }
}

}  // namespace
