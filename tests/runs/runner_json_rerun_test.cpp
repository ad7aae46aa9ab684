// Two runs in one process writing the same JSON file: the second file must hold only
// the second run's outputs (the writer once stayed open across runs).
#include <gtest/gtest.h>

#include "../support/scratch_files.h"
#include "core/runtime.h"
#include "runner/runner.h"
#include "support/test_settings.h"

namespace {

TEST(RunnerJson, ASecondRunToTheSameJsonFileWritesItsOwnOutputs) {
  kes_test::scratch_dir dir("json-rerun");
  dir.write("d.csv", "x\n1\n2\n3\n");
  auto run = [&](const std::string& program) {
    dir.write("prog.kes", program);
    const std::vector<std::string> args = {"--module",
                                           kes_test::built("libkestravine.so"),
                                           "--log",
                                           (dir / "log").string(),
                                           "--listing",
                                           (dir / "lst").string(),
                                           "--json",
                                           (dir / "same.json").string(),
                                           "--work",
                                           dir.path().string(),
                                           (dir / "prog.kes").string()};
    const int rc = plat::run(args);
    plat::config() = plat::run_config{};
    return rc;
  };
  ASSERT_EQ(run("proc kestravine data=d; var x; run;\n"), 0);
  ASSERT_NE(kes_test::slurp(dir / "same.json").find("\"Moments\""), std::string::npos);
  ASSERT_EQ(run("proc kestravine data=d noprint; var x; run;\n"), 0);
  const std::string json = kes_test::slurp(dir / "same.json");
  EXPECT_EQ(json.find("\"Moments\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"step\": 1"), std::string::npos) << json;
  EXPECT_EQ(json.find("\"step\": 2"), std::string::npos) << json;
}

}  // namespace
