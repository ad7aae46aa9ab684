// Tick values of device axes are true and tell their ticks apart: each text, read back
// as a number, lies within half a step of its tick, and no two neighbouring values
// drawn read alike. Where the ten characters of an axis value cannot, the axis thins
// to a step at which they do (horizontal axes) or takes the characters it needs.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "runner/host_table.h"
#include "devgraph/tick_text.h"

extern "C" int mcn_main(void*, void*);

namespace {

// The host's number field service writes the texts.
class TickTruth : public ::testing::Test {
 protected:
  void SetUp() override { mcn_main(plat::anchor(), nullptr); }
};

std::vector<double> ticks(double start, double step, int n) {
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back(start + i * step);
  return v;
}

std::vector<std::string> texts(const std::vector<double>& values, int decimals, int field, int trim = 0) {
  std::vector<std::string> out;
  char buf[KES_TICK_TEXT];
  for (double v : values) out.emplace_back(buf, static_cast<std::size_t>(kes_tick_text(v, nullptr, decimals, trim, buf, field)));
  return out;
}

TEST_F(TickTruth, Debug) {
  const std::vector<double> v = ticks(20.7232658367, 1e-10, 6);
  for (int k = 8; k <= 12; ++k) {
    const auto t = texts(v, k, 40);
    std::printf("k=%d %s %s %d\n", k, t[0].c_str(), t[1].c_str(), (int)kes_ticks_true(v, t, 1e-10));
  }
  const kes_tick_form f = kes_true_tick_form(v, 1e-10, 0);
  std::printf("%d %d\n", f.decimals, f.field);
}

}  // namespace
