// A Q-Q or probability plot in any unit behaves as in its own: the same 80 values in
// units of 1e-9, 1 and 1e9 against a VAXIS= list, or an axis definition's ORDER= list,
// written in that unit. Through the built runner in both renderers: every point is
// drawn, and a list that does not cover the data is noted and left for the default
// ticks, whatever the unit.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runner_process.h"
#include "support/scratch_files.h"

namespace {

using kes_test::slurp;

class RunnerPlotUnits : public ::testing::Test {
 protected:
  // The values 1.15 to 8.67 (80, evenly spread) times the unit.
  void write_data(double unit) {
    std::string csv = "x\n";
    for (int i = 0; i < 80; ++i) {
      char v[40];
      std::snprintf(v, sizeof v, "%.17g", (1.15 + (8.67 - 1.15) * i / 79) * unit);
      csv += std::string(v) + "\n";
    }
    dir_.write("d.csv", csv);
  }
  int run(const std::string& program, const char* renderer) {
    const int status = kes_test::run_with_graphs(dir_, program, renderer);
    log_ = slurp(dir_ / "log");
    svgs_.clear();
    for (const std::string& f : kes_test::svg_files(dir_ / "g")) svgs_.push_back(slurp(dir_ / "g" / f));
    return status;
  }
  int logged(const std::string& text) const { return kes_test::occurrences(log_, text); }

  kes_test::scratch_dir dir_{"plotunits"};
  std::string log_;
  std::vector<std::string> svgs_;
};

// The list 0 1 2 (in the unit) ends below the data: noted, and the default ticks hold
// every point; 0 to 10 by 2 covers them: taken, and every point lies on it. In units
// of 1e-9 the first list was taken for one that covers the data (it missed them by
// less than an absolute 1.05e-8): 14 markers drawn, 66 points dropped, no note.
TEST_F(RunnerPlotUnits, AListIsJudgedInItsOwnUnit) {
  struct unit_case {
    const char* name;
    double unit;
    const char* tick;  // the unit's own number, as a list holds it
  };
  const unit_case units[] = {{"1e-9", 1e-9, "e-9"}, {"1", 1, ""}, {"1e9", 1e9, "e9"}};
  struct list_case {
    const char* what;
    std::vector<int> ticks;
    bool covers;
  };
  const list_case lists[] = {{"0 1 2", {0, 1, 2}, false}, {"0 to 10 by 2", {0, 2, 4, 6, 8, 10}, true}};
  const char* const renderers[] = {"template", "device"};
  for (const unit_case& u : units) {
    write_data(u.unit);
    for (const list_case& l : lists) {
      std::string vaxis, order;
      for (int t : l.ticks) vaxis += " " + std::to_string(t) + (t != 0 ? u.tick : "");
      // The same ticks as an axis definition's ORDER= list (device graphs only).
      order = "axis1 order=(" + vaxis.substr(1) + ");\n";
      for (const char* renderer : renderers) {
        for (const bool definition : {false, true}) {
          if (definition && std::string(renderer) == "template") continue;
          for (const char* plot : {"qqplot", "probplot"}) {
            SCOPED_TRACE(std::string("unit ") + u.name + ", list" + vaxis + ", " + plot + ", " + renderer +
                         (definition ? ", ORDER=" : ", VAXIS="));
            const std::string program = (definition ? order : std::string()) +
                                        "proc kestravine data=d noprint; var x;\n  " + plot + " x / normal vaxis=" +
                                        (definition ? std::string("axis1") : vaxis.substr(1)) + ";\nrun;\n";
            ASSERT_EQ(run(program, renderer), 0) << log_;
            const int notes = definition ? logged("The VAXIS= axis definition does not cover the range")
                                         : logged("The VAXIS= values do not cover the vertical range");
            EXPECT_EQ(notes, l.covers ? 0 : 1) << log_;
            ASSERT_EQ(svgs_.size(), 1u) << log_;
            EXPECT_EQ(kes_test::occurrences(svgs_[0], "<use href=\"#mk"), 80);
          }
        }
      }
    }
  }
}

}  // namespace
