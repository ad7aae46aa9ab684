// Helpers for the stand-in core's tests: a log and listing captured in temporary
// files, and a scratch folder.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/runtime.h"

namespace kes_test {

inline std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A fresh folder below the system's temporary folder, removed at the end.
class scratch_dir {
 public:
  explicit scratch_dir(const std::string& tag) {
    path_ = std::filesystem::temp_directory_path() /
            ("kes-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~scratch_dir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
  }

 private:
  static int& counter() {
    static int n = 0;
    return n;
  }
  std::filesystem::path path_;
};

// Sends the log and the listing to files of a scratch folder for the test's length,
// with the default line and page sizes; the configuration is restored afterwards.
class captured_outputs {
 public:
  captured_outputs() : dir_("out") {
    saved_ = plat::config();
    plat::config() = plat::run_config{};
    plat::config().log_path = (dir_ / "log.txt").string();
    plat::config().listing_path = (dir_ / "listing.txt").string();
    plat::reset_outputs();
  }
  ~captured_outputs() {
    plat::reset_outputs();
    plat::config() = saved_;
  }
  std::string log() {
    plat::flush_outputs();
    return slurp(dir_ / "log.txt");
  }
  std::string listing() {
    plat::flush_outputs();
    return slurp(dir_ / "listing.txt");
  }

 private:
  scratch_dir dir_;
  plat::run_config saved_;
};

}  // namespace kes_test
