// Shared set-up of the locale library's tests: the module reaches the stand-in host,
// the default locale is current and unchanged, and a few helpers.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "runner/host_table.h"
#include "host/host_connection.h"
#include "host/host_services.h"
#include "locale/locales.h"

namespace kes_locale_test {

class locale_fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    mcn_main(plat::anchor(), nullptr);
    plat::locales::reset();
  }
  void TearDown() override { plat::locales::reset(); }
};

inline double ymd(int y, int m, int d) { return zmdy(m, d, y); }
inline double missing() { return v_global_gcb_anchor->consts->std_missing; }

// The text a formatter wrote into a field of `width` characters, or "<status N>".
template <class F>
std::string formatted(F formatter, int width = 40) {
  char field[128];
  int w = width;
  int status = formatter(field, &w);
  if (status != 0) return "<status " + std::to_string(status) + ">";
  return std::string(field, static_cast<size_t>(w < 0 ? -w : w));
}

}  // namespace kes_locale_test
