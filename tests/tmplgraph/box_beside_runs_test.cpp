// Template inset boxes at E (beside the frame) next to narrow cells, through the built
// runner: the box takes the width its labels need where the frame is as wide, so its
// labels read whole ("Std Deviation", not "S..." or "Std..."), and no rule of the page
// breaks.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/runner_graphs.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"
#include "support/svg_rules.h"

namespace {

TEST(BoxBesideRuns, ABoxBesideNarrowCellsKeepsItsLabelsWhole) {
  kes_test::scratch_dir dir{"box-beside"};
  std::ostringstream csv;  // two groups of a dozen values, and a group of two
  csv << "x,g,h\n";
  for (int k = 0; k < 24; ++k) csv << 50 + (k * 37) % 90 + k / 12 * 20 << "," << k / 12 << ",1\n";
  for (int k = 0; k < 2; ++k) csv << 60 + 15 * k << ",2,2\n";
  dir.write("d.csv", csv.str());
  const char* statements[] = {
      "class g; ppplot x / normal(mu=est sigma=est) square; inset n mean std min max / pos=e;",
      "class g; probplot x / normal(mu=est sigma=est) square; inset n mean std / pos=e;",
      "class g; qqplot x / normal(mu=est sigma=est) square; inset n mean std / pos=e;",
      "class g; qqplot x / normal(mu=est sigma=est) square ncols=2 nrows=1; inset n mean std / pos=e;",
      "class h; histogram x / nrows=2; inset n mean std min max / pos=e;",
  };
  for (const char* s : statements) {
    SCOPED_TRACE(s);
    int status = -1;
    std::string log;
    const auto files = kes_test::run_graphs(dir.path(), std::string("proc kestravine data=d noprint; var x; ") + s +
                                                            "\nrun;\n",
                                            "template", &status, &log);
    ASSERT_EQ(status, 0) << log;
    ASSERT_FALSE(files.empty());
    for (const auto& [name, svg] : files) {
      bool deviation = false;
      for (const kes_test::svg_element& e : kes_test::svg_elements(svg)) {
        if (e.name != "text") continue;
        EXPECT_EQ(e.text.find("\xE2\x80\xA6"), std::string::npos) << name << ": \"" << e.text << "\" is cut";
        deviation = deviation || e.text == "Std Deviation";
      }
      EXPECT_TRUE(deviation) << name;
      for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg)) ADD_FAILURE() << name << ": " << f.rule << ": " << f.detail;
    }
  }
}

}  // namespace
