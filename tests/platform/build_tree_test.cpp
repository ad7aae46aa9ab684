// The tests' own code is the same object code in the plain and the sanitized tree, so
// what differs between the trees is asked of the running program: these hold it to the
// tree's own settings, which a wrong answer would silently turn into fewer cases run
// in the plain tree or runs of the other tree's runner.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

TEST(BuildTree, TheProgramKnowsWhetherItRunsUnderTheSanitizers) {
  const std::string cache = kes_test::slurp(fs::path(kes_test::binary_dir()) / "CMakeCache.txt");
  const bool sanitized_tree = cache.find("\nKES_SANITIZE:BOOL=ON\n") != std::string::npos;
  ASSERT_TRUE(sanitized_tree || cache.find("\nKES_SANITIZE:BOOL=OFF\n") != std::string::npos)
      << "CMakeCache.txt does not say whether the tree is sanitized";
  EXPECT_EQ(kes_test::under_sanitizers(), sanitized_tree);
}

TEST(BuildTree, TheTreeHoldsTheRunnerAndModuleTheTestsRun) {
  const fs::path self = fs::read_symlink("/proc/self/exe");
  const fs::path tree = kes_test::binary_dir();
  // The program stands in its own tree, even where its test code was compiled in another.
  EXPECT_EQ(self.string().rfind(tree.string() + "/", 0), 0u) << self << " " << tree;
  for (const char* name : {"kestravine", "libkestravine.so", "tests/libkes_fake_module_good.so"})
    EXPECT_TRUE(fs::is_regular_file(kes_test::built(name))) << name;
}

}  // namespace
