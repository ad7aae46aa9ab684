// Helpers for the data-set services' tests: a scratch folder assigned as library
// WORK (and others on request), the log captured in a file, and small readers.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "core/host_routines.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "host/host_missing.h"

namespace data_test {

using kes_test::slurp;

inline std::uint64_t bits(double v) { return host_double_bits(v); }

// A scratch folder as library WORK, the log in a file beside it.
// Step-end routines run when the fixture ends.
class data_fixture : public ::testing::Test, public kes_test::scratch_work {
 protected:
  data_fixture() : scratch_work("data") {}
  void TearDown() override { plat::finish_step(); }
  // Opens WORK.name for input; fails the test with the message when it cannot.
  plat::dataset* open(const std::string& name) {
    std::string err;
    plat::dataset* ds = plat::open_input("", name, &err);
    EXPECT_NE(ds, nullptr) << err;
    return ds;
  }
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
