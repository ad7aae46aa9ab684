// A program run end to end through the runner and the built module (its own process:
// the module is loaded as it will be) where the pool cap holds the CLASS cells but not
// one variable's values. The other data-pass programs are examples with golden logs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/scratch_files.h"

namespace {

TEST(DatapassRun, CapTooSmallForOneVariableReadsEachAloneAndStillEnds) {
  const std::string runner = std::string(KES_BINARY_DIR) + "/kestravine";
  if (!std::filesystem::exists(runner) || !std::filesystem::exists(std::string(KES_BINARY_DIR) + "/libkestravine.so"))
    GTEST_SKIP() << "runner or module not built in " << KES_BINARY_DIR;
  kes_test::scratch_dir dir("dprun");
  std::string csv = "g,c,x,y\n";
  for (int i = 0; i < 20000; ++i)
    csv += std::to_string(i % 2) + "," + (i % 3 ? "a" : "b") + "," + std::to_string(i * 7 % 20011) + ".5," +
           std::to_string(i) + "\n";
  dir.write("d.csv", csv);
  dir.write("prog.kes", "proc kestravine data=d noprint;\n var x y;\nrun;\n");
  const std::string cmd = "'" + runner + "' --memcap 60000 --log '" + (dir / "log").string() + "' --listing '" +
                          (dir / "lst").string() + "' --work '" + dir.path().string() + "' '" +
                          (dir / "prog.kes").string() + "' 2>/dev/null";
  const int w = std::system(cmd.c_str());
  EXPECT_EQ(WIFEXITED(w) ? WEXITSTATUS(w) : -1, 1);
  const std::string log = kes_test::slurp(dir / "log");
  for (const char* text : {"The statistics of variable x are not computed",
                           "The statistics of variable y are not computed", "ended with return code 112"})
    EXPECT_NE(log.find(text), std::string::npos) << text << "\n" << log;
}

}  // namespace
