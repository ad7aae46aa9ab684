// Helpers for the data-set services' tests: a scratch folder assigned as library
// WORK (and others on request), the log captured in a file, and small readers.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/host_vectors.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "host/host_missing.h"

namespace data_test {

inline std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline std::uint64_t bits(double v) { return host_double_bits(v); }

// A scratch folder as library WORK, the log in a file of another scratch folder.
// Step-end routines run when the fixture ends.
class data_fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
    root_ = std::filesystem::temp_directory_path() /
            ("kes-data-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "work");
    std::filesystem::create_directories(root_ / "logdir");
    saved_ = plat::config();
    plat::config() = plat::run_config{};
    plat::config().libraries["WORK"] = (root_ / "work").string();
    plat::config().log_path = (root_ / "logdir" / "log.txt").string();
    plat::reset_outputs();
  }
  void TearDown() override {
    plat::finish_step();
    plat::reset_outputs();
    plat::config() = saved_;
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  std::filesystem::path work() const { return root_ / "work"; }
  std::filesystem::path root() const { return root_; }
  void write_file(const std::string& name, const std::string& text) const {
    std::ofstream(work() / name, std::ios::binary) << text;
  }
  std::string log() const {
    plat::flush_outputs();
    return slurp(root_ / "logdir" / "log.txt");
  }
  // Opens WORK.name for input; fails the test with the message when it cannot.
  plat::dataset* open(const std::string& name) {
    std::string err;
    plat::dataset* ds = plat::open_input("", name, &err);
    EXPECT_NE(ds, nullptr) << err;
    return ds;
  }
  std::string open_error(const std::string& name) {
    std::string err;
    plat::dataset* ds = plat::open_input("", name, &err);
    EXPECT_EQ(ds, nullptr);
    if (ds != nullptr) plat::close_dataset(ds);
    return err;
  }

 private:
  std::filesystem::path root_;
  plat::run_config saved_;
};

// Reads every observation of the current BY group: the values of one numeric
// variable, through a get set.
inline std::vector<double> read_group(kes_dsh h, int var, std::vector<long>* obsnos = nullptr) {
  kes_geth g = nullptr;
  double value = 0;
  std::vector<double> out;
  if (plat_xvgeti(h, 1, &g) != 0 || plat_xvgetd(g, var, HOST_GET_ANALYSIS, &value, 8) != 0 || plat_xvgete(g) != 0)
    return out;
  host_ioreq req{};
  req.ds = h;
  req.flags = HOST_IOF_SEQ | HOST_IOF_OBSNO;
  req.code = HOST_IOC_READ;
  while (plat_xybyget(&req) == 0) {
    plat_xyvget(g, 0);
    out.push_back(value);
    if (obsnos) obsnos->push_back(req.obsno);
  }
  plat_xvgett(g);
  return out;
}

}  // namespace data_test
