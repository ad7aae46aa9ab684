// The device-graph examples (a comparative histogram of two CLASS variables with an
// empty panel, comparative QQ plots with each panel's own line, a CDF plot, percent
// axes) drawn
// again and read back structurally against their golden SVGs: the same elements with
// the same attributes, numbers to the writer's two decimals.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../support/scratch_files.h"
#include "../support/svg_reader.h"
#include "device_run.h"

namespace {

namespace fs = std::filesystem;

void draw_and_compare(const std::string& name, int pages) {
  kes_test::scratch_dir dir("device-examples");
  const fs::path examples = fs::path(KES_SOURCE_DIR) / "examples";
  fs::copy_file(examples / "devprob.csv", dir / "devprob.csv");
  const int status = devgraph_test::device_run(dir.path(), examples / (name + ".kes"));
  ASSERT_EQ(status, 0) << kes_test::slurp(dir / "log");
  int seen = 0;
  for (const auto& e : fs::directory_iterator(examples / (name + ".out"))) {
    if (e.path().extension() != ".svg") continue;
    ++seen;
    const fs::path drawn = dir / "graphs" / e.path().filename();
    ASSERT_TRUE(fs::exists(drawn)) << drawn;
    EXPECT_TRUE(kes_test::svg_matches_golden(kes_test::slurp(drawn), e.path()));
  }
  EXPECT_EQ(seen, pages);
}

TEST(DeviceExamples, ComparativeHistogramAndQqPanels) { draw_and_compare("devprob_panels", 3); }

TEST(DeviceExamples, CdfPlot) { draw_and_compare("devprob_cdf", 1); }

TEST(DeviceExamples, ProbabilityAndPercentileAxes) { draw_and_compare("devprob_axes", 2); }

}  // namespace
