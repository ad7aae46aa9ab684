// Test helpers that several test folders share: whole-file reads, scratch folders,
// and a scratch WORK library with the log captured in a file.
#pragma once
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/runtime.h"
#include "support/svg_rules.h"

namespace kes_test {

inline std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// How many times part stands in text, overlaps counted.
inline int occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A fresh folder below the system's temporary folder, removed at the end; the graphs
// left in it are checked against the rules every graph keeps before it goes.
class scratch_dir {
 public:
  explicit scratch_dir(const std::string& tag) {
    path_ = std::filesystem::temp_directory_path() /
            ("kes-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~scratch_dir() {
    expect_graph_rules(path_);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  scratch_dir(const scratch_dir&) = delete;
  scratch_dir& operator=(const scratch_dir&) = delete;
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

// A scratch folder with a subfolder "work" as library WORK and the log and listing in
// "logdir", on a fresh run configuration. The configuration is restored and the folder
// removed at the end (after the caller has finished its step).
class scratch_work {
 public:
  explicit scratch_work(const std::string& tag = "out") : dir_(tag) {
    std::filesystem::create_directories(dir_ / "work");
    std::filesystem::create_directories(dir_ / "logdir");
    saved_ = plat::config();
    plat::config() = plat::run_config{};
    plat::config().libraries["WORK"] = work().string();
    plat::config().log_path = (dir_ / "logdir" / "log.txt").string();
    plat::config().listing_path = (dir_ / "logdir" / "listing.txt").string();
    plat::reset_outputs();
  }
  ~scratch_work() {
    plat::reset_outputs();
    plat::config() = saved_;
  }
  const std::filesystem::path& root() const { return dir_.path(); }
  std::filesystem::path work() const { return dir_ / "work"; }
  void write_file(const std::string& name, const std::string& text) const {
    std::ofstream(work() / name, std::ios::binary) << text;
  }
  std::string log() const {
    plat::flush_outputs();
    return slurp(dir_ / "logdir" / "log.txt");
  }
  std::string listing() const {
    plat::flush_outputs();
    return slurp(dir_ / "logdir" / "listing.txt");
  }

 private:
  scratch_dir dir_;
  plat::run_config saved_;
};

// The log and listing captured for a test's length.
using captured_outputs = scratch_work;

}  // namespace kes_test
