// Graphs end to end through the runner: --graphics device writes one SVG file per
// graph and names it in the listing and the log; template graphics say that graphs
// are not drawn; none writes nothing and says nothing about graphs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"

namespace {

namespace fs = std::filesystem;

const char* kProgram =
    "title 'Heights of the class';\n"
    "proc kestravine data=h noprint;\n"
    "  var x;\n"
    "  by g;\n"
    "  histogram x / name='HIST' description='Heights of #VARNAME';\n"
    "  histogram x / noplot;\n"
    "  histogram x;\n"
    "run;\n";
const char* kData = "g,x\n1,1.5\n1,2.5\n1,3\n2,4\n2,5.5\n2,6\n";

struct run_result {
  int status;
  std::string log, listing, json;
  std::vector<std::string> files;  // in the graphs folder, sorted
};

run_result run(const kes_test::scratch_dir& dir, const std::vector<std::string>& extra) {
  dir.write("h.kes", kProgram);
  dir.write("h.csv", kData);
  fs::create_directories(dir / "graphs");
  for (const auto& e : fs::directory_iterator(dir / "graphs")) fs::remove(e.path());
  std::vector<std::string> args = {"--listing", "lst", "--log", "log", "--json", "json"};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back("h.kes");
  kes_test::runner_process p;
  p.start(dir.path().string(), args);
  run_result r{p.wait(), kes_test::slurp(dir / "log"), kes_test::slurp(dir / "lst"), kes_test::slurp(dir / "json"), {}};
  for (const auto& e : fs::directory_iterator(dir / "graphs")) r.files.push_back(e.path().filename().string());
  std::sort(r.files.begin(), r.files.end());
  return r;
}

TEST(runner_graphs, device_writes_one_file_per_graph_and_names_it) {
  kes_test::scratch_dir dir("graphs");
  const run_result r = run(dir, {"--graphics", "device", "--graphs", "graphs"});
  ASSERT_EQ(r.status, 0) << r.log;
  // Two BY groups, two drawn requests: NAME= made unique, then the default name.
  EXPECT_EQ(r.files, (std::vector<std::string>{"HIST.svg", "HIST1.svg", "KESTRA.svg", "KESTRA1.svg"}));
  EXPECT_NE(r.log.find("NOTE: The graph Heights of x was written to graphs/HIST.svg."), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("NOTE: The graph Heights of x was written to graphs/HIST1.svg."), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("NOTE: The graph Histogram 3 was written to graphs/KESTRA.svg."), std::string::npos) << r.log;
  // The charts themselves are drawn: nothing is said about them.
  EXPECT_EQ(kes_test::occurrences(r.log, "the chart itself is not drawn yet"), 0) << r.log;
  EXPECT_EQ(kes_test::occurrences(r.log, "graphs are not drawn yet"), 0) << r.log;
  // The listing names each file, with the graph's description.
  EXPECT_EQ(kes_test::occurrences(r.listing, "File"), 4) << r.listing;
  EXPECT_NE(r.listing.find("graphs/HIST1.svg"), std::string::npos) << r.listing;
  EXPECT_NE(r.listing.find("Histogram of x (g=2)"), std::string::npos) << r.listing;
  // The JSON file finds each file as it finds a template graph's.
  EXPECT_EQ(kes_test::occurrences(r.json, "\"kind\": \"graph\""), 4) << r.json;
  EXPECT_NE(r.json.find("{\"kind\": \"graph\", \"name\": \"Heights of x\", \"template\": null, \"file\": \"graphs/HIST1.svg\"}"),
            std::string::npos)
      << r.json;
  // The second BY group's page: its title, description and BY line.
  EXPECT_TRUE(kes_test::svg_matches_golden(kes_test::slurp(dir / "graphs" / "HIST1.svg"),
                                           fs::path(KES_SOURCE_DIR) / "tests/platform/graph_golden/runner_hist_by.svg"));
  // Two runs write the same bytes.
  const std::string first = kes_test::slurp(dir / "graphs" / "KESTRA1.svg");
  run(dir, {"--graphics", "device", "--graphs", "graphs"});
  EXPECT_EQ(kes_test::slurp(dir / "graphs" / "KESTRA1.svg"), first);
}

TEST(runner_graphs, template_graphics_draw_every_histogram_but_noplot) {
  kes_test::scratch_dir dir("graphs");
  const run_result r = run(dir, {"--graphs", "graphs"});
  ASSERT_EQ(r.status, 0) << r.log;
  // Two drawn requests in each of two BY groups, numbered in the run.
  EXPECT_EQ(r.files, (std::vector<std::string>{"Histogram1.svg", "Histogram2.svg", "Histogram3.svg", "Histogram4.svg"}));
  EXPECT_EQ(kes_test::occurrences(r.log, "not drawn"), 0) << r.log;
  EXPECT_EQ(kes_test::occurrences(r.listing, "Graph: Histogram of x (Panel 1)"), 4) << r.listing;
}

TEST(runner_graphs, a_template_graph_that_cannot_be_written_fails_the_step) {
  // A folder where the second graph's file should go: that graph is lost, so the log
  // says which file and why, and the step does not end as a success.
  kes_test::scratch_dir dir("graphs");
  dir.write("h.kes", kProgram);
  dir.write("h.csv", kData);
  fs::create_directories(dir / "graphs" / "Histogram2.svg");
  kes_test::runner_process p;
  p.start(dir.path().string(), {"--listing", "lst", "--log", "log", "--graphs", "graphs", "h.kes"});
  const int status = p.wait();
  const std::string log = kes_test::slurp(dir / "log"), listing = kes_test::slurp(dir / "lst");
  EXPECT_EQ(status, 2) << log;
  EXPECT_NE(
      log.find("ERROR: The graph file graphs/Histogram2.svg cannot be written: it is a folder, which is never replaced."),
      std::string::npos)
      << log;
  EXPECT_NE(log.find("ended with return code 1020"), std::string::npos) << log;
  EXPECT_NE(listing.find("not drawn, the file graphs/Histogram2.svg cannot be written"), std::string::npos) << listing;
  // The other graphs are still drawn.
  EXPECT_TRUE(fs::is_regular_file(dir / "graphs" / "Histogram3.svg"));
}

TEST(runner_graphs, none_writes_no_graphs_and_no_notes) {
  kes_test::scratch_dir dir("graphs");
  const run_result r = run(dir, {"--graphics", "none", "--graphs", "graphs"});
  ASSERT_EQ(r.status, 0) << r.log;
  EXPECT_TRUE(r.files.empty());
  EXPECT_EQ(kes_test::occurrences(r.log, "graph"), 0) << r.log;
  EXPECT_EQ(kes_test::occurrences(r.listing, "File"), 0);
}

TEST(runner_graphs, bad_options_are_refused) {
  kes_test::scratch_dir dir("graphs");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--graphics", "pictures"}, std::vector<std::string>{"--graphs", "no/such/folder"}}) {
    const run_result r = run(dir, args);
    EXPECT_NE(r.status, 0);
    const std::string err = kes_test::slurp(dir / "err");
    EXPECT_NE(err.find(args[0]), std::string::npos) << err;
  }
}

}  // namespace
