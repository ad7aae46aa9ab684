// A plot result's step code sits in its low bits; the bits above belong to the
// renderer and never decide whether the step ends.
#include <gtest/gtest.h>

#include "records/kes_plot_status.h"

namespace {
struct status_case {
  unsigned result;
  int code;
  bool ends;
};
const status_case kCases[] = {
    {0u, 0, false},
    {1008u, 1008, false},
    {1016u, 1016, true},
    {1020u, 1020, true},
    {0x80000000u | 1016u, 1016, true},  // severe flag: still memory
    {0x00400000u | 1020u, 1020, true},  // a renderer bit above the code
    {0x80400000u, 0, false},            // flags without a code
    {0xffffffffu, 0x003fffff, false},   // every bit: no known code
    {1012u, 1012, false},               // set-up failure of a graph: the request goes on
};
}  // namespace

TEST(PlotStatus, CodeAndEnd) {
  for (const status_case& c : kCases) {
    const int r = static_cast<int>(c.result);
    EXPECT_EQ(kes_plot_code(r), c.code) << std::hex << c.result;
    EXPECT_EQ(kes_plot_ends_step(r), c.ends) << std::hex << c.result;
  }
}
