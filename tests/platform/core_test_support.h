// Helpers for the stand-in core's tests: a log and listing captured in temporary
// files, and a scratch folder.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "../support/scratch_files.h"
#include "core/runtime.h"

namespace kes_test {

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
