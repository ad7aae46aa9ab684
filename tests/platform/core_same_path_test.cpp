// Whether two names are one file: files that are there by what they are (another
// spelling, a link), a file that is there and a name of none never, and names of no
// file by their paths.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/runtime.h"
#include "support/scratch_files.h"

namespace {

TEST(SamePath, NamesOfOneFile) {
  kes_test::scratch_dir dir("same-path");
  std::ofstream(dir / "log") << "x";
  std::ofstream(dir / "other") << "x";
  std::filesystem::create_directories(dir / "sub");
  std::filesystem::create_symlink(dir / "log", dir / "link");
  const std::string d = dir.path().string();
  const struct {
    std::string a, b;
    bool same;
  } rows[] = {
      {d + "/log", d + "/log", true},
      {d + "/log", d + "/sub/../log", true},           // another spelling
      {d + "/log", d + "/link", true},                 // a link to it
      {d + "/log", d + "/other", false},
      {d + "/log", d + "/new.svg", false},             // a file and a name of none
      {d + "/new.svg", d + "/log", false},
      {d + "/new.svg", d + "/sub/../new.svg", true},   // names of no file, one path
      {d + "/new.svg", d + "/new1.svg", false},
  };
  for (const auto& r : rows) EXPECT_EQ(plat::same_path(r.a, r.b), r.same) << r.a << " | " << r.b;
}

}  // namespace
