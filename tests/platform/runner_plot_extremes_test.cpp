// Q-Q and probability plots at the ends of the doubles, through the built runner in both
// renderers: axes wider than the largest double (a VAXIS= list from -1e308 to 1e308,
// data from -1.7e308 to 1.7e308) are laid out and the step keeps its data set; shapes
// so small that no quantile can be computed are named in the log, cell by cell, and a
// cell that holds values is never drawn as empty.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "runner_process.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

const char* const kRenderers[] = {"template", "device"};

class RunnerPlotExtremes : public ::testing::Test {
 protected:
  void SetUp() override {
    // 40 ordinary values in two cells of 20, and 40 values spread evenly from
    // -1.7e308 to 1.7e308 in the same two cells.
    std::string ordinary = "c,x\n", wide = "c,x\n";
    for (int i = 0; i < 40; ++i) {
      ordinary += std::string(i % 2 ? "b" : "a") + "," + std::to_string(10 + (i * 37 % 40) * 0.5) + "\n";
      char v[40];
      std::snprintf(v, sizeof v, "%.17g", 1.7e308 * (-1 + 2 * i / 39.0));
      wide += std::string(i % 2 ? "b" : "a") + "," + v + "\n";
    }
    dir_.write("ord.csv", ordinary);
    dir_.write("wide.csv", wide);
  }
  // Runs the program in the renderer; the exit status.
  int run(const std::string& program, const char* renderer) {
    fs::remove(dir_ / "o.csv");
    fs::remove(dir_ / "dump");
    const int status = kes_test::run_with_graphs(dir_, program, renderer);
    log_ = slurp(dir_ / "log");
    svgs_.clear();
    for (const std::string& f : kes_test::svg_files(dir_ / "g")) svgs_.push_back(slurp(dir_ / "g" / f));
    return status;
  }
  int logged(const std::string& text) const { return kes_test::occurrences(log_, text); }
  // The value of a dump line `NAME = "..."`.
  std::string dyn(const std::string& name) const {
    std::smatch m;
    const std::string dump = slurp(dir_ / "dump");
    return std::regex_search(dump, m, std::regex(name + " = \"([^\"]*)\"")) ? m[1].str() : "<none>";
  }

  kes_test::scratch_dir dir_{"plotextremes"};
  std::string log_;
  std::vector<std::string> svgs_;
};

// A count made from an infinite axis length was taken for a request of -17179869168
// bytes: "Out of memory", return code 1016 and the OUTPUT data set lost. Every such
// axis is laid out; the step ends well and writes its data set.
TEST_F(RunnerPlotExtremes, AxesWiderThanTheDoublesAreLaidOutAndTheDataSetKept) {
  struct wide_case {
    const char* what;
    const char* program;
    const char* dyn_name;  // a template dynamic that holds the wide axis's ticks
    const char* ticks;
  };
  const wide_case cases[] = {
      {"a VAXIS= list on the quantile axis (ROTATE)",
       "proc kestravine data=ord noprint; var x;\n  qqplot x / rotate vaxis=-1e308 0 1e308;\n"
       "  output out=o mean=m;\nrun;\n",
       "_QNTLVALUES", "-1E308 0 1E308"},
      {"the same list on the data axis",
       "proc kestravine data=ord noprint; var x;\n  qqplot x / vaxis=-1e308 0 1e308;\n  output out=o mean=m;\nrun;\n",
       "_YTICKS", "-1E308 0 1E308"},
      {"data across the doubles",
       "proc kestravine data=wide noprint; var x;\n  qqplot x / normal;\n  probplot x / normal;\n"
       "  output out=o mean=m;\nrun;\n",
       "", "<none>"},
      {"data across the doubles, in cells, quantiles not computed",
       "proc kestravine data=wide noprint; var x; class c;\n  qqplot x / gamma(alpha=1e-5);\n"
       "  output out=o mean=m;\nrun;\n",
       "", "<none>"},
  };
  for (const wide_case& w : cases) {
    for (const char* renderer : kRenderers) {
      SCOPED_TRACE(std::string(w.what) + ", " + renderer);
      EXPECT_EQ(run(w.program, renderer), 0) << log_;
      EXPECT_EQ(logged("memory"), 0) << log_;
      EXPECT_EQ(logged("Internal error"), 0) << log_;
      EXPECT_EQ(logged("The data set WORK.o has"), 1) << log_;
      EXPECT_TRUE(fs::exists(dir_ / "o.csv"));
      ASSERT_FALSE(svgs_.empty()) << log_;
      // No tick, place or size of a graph is infinite or not a number.
      for (const std::string& svg : svgs_)
        EXPECT_FALSE(std::regex_search(svg, std::regex("[>\" ,(]-?(inf|INF|Inf|nan|NaN|NAN)\\b"))) << svg;
      if (std::string(renderer) == "template") {
        EXPECT_FALSE(std::regex_search(slurp(dir_ / "dump"), std::regex("\\b(Inf|inf|nan|NaN)\\b")));
        if (std::string(w.ticks) != "<none>") {
          EXPECT_EQ(dyn(w.dyn_name), w.ticks);
        }
      }
    }
  }
}

// GAMMA(ALPHA=1e-5) or less on 40 ordinary values: both quantiles failed, a count of 2
// taken for "nothing above the threshold": without CLASS no graph and no note, with
// CLASS a graph whose cells read "no nonmissing values" though each holds 20. The
// quantiles that cannot be computed are noted wherever they fail (ALPHA=1e-4 was).
TEST_F(RunnerPlotExtremes, QuantilesOfTinyShapesAreNotedCellByCell) {
  const std::string alone = "The theoretical quantiles of x cannot be computed for these shape values; that graph is "
                            "not drawn.";
  const char* const cell_a = "In the cell c = a, the theoretical quantiles of x cannot be computed for these shape values.";
  const char* const cell_b = "In the cell c = b, the theoretical quantiles of x cannot be computed for these shape values.";
  for (const char* alpha : {"1e-4", "1e-5", "1e-9"}) {
    for (const char* plot : {"qqplot", "probplot"}) {
      const std::string request = std::string("  ") + plot + " x / gamma(alpha=" + alpha + ");\n";
      for (const char* renderer : kRenderers) {
        SCOPED_TRACE(std::string(plot) + " alpha=" + alpha + ", " + renderer);
        // Without CLASS: the note, and no graph.
        EXPECT_EQ(run("proc kestravine data=ord noprint; var x;\n" + request + "run;\n", renderer), 0) << log_;
        EXPECT_EQ(logged(alone), 1) << log_;
        EXPECT_TRUE(svgs_.empty());
        // With CLASS: each cell named once, the graph drawn, no cell called empty.
        EXPECT_EQ(run("proc kestravine data=ord noprint; var x; class c;\n" + request + "run;\n", renderer), 0)
            << log_;
        EXPECT_EQ(logged(cell_a), 1) << log_;
        EXPECT_EQ(logged(cell_b), 1) << log_;
        EXPECT_EQ(logged(alone), 0) << log_;
        ASSERT_EQ(svgs_.size(), 1u) << log_;
        EXPECT_EQ(svgs_[0].find("no nonmissing values"), std::string::npos);
        // At 1e-4 the inner points keep their quantiles; below it none has one, and
        // each template cell says what it holds.
        if (std::string(renderer) == "template" && std::string(alpha) != "1e-4") {
          EXPECT_EQ(kes_test::occurrences(svgs_[0], ">20 values<"), 2);
        }
      }
    }
  }
}

}  // namespace
