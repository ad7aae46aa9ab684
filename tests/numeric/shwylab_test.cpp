// Tests of shwylab (src/numeric/shwylab.*): the trimming and reading of texts the
// number field service writes, with the service replaced by one that writes a given
// text, and a few values through the stand-in's own service.
#include "numeric/shwylab.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runner/host_table.h"
#include "core/runtime.h"

extern "C" int mcn_main(void*, void*);

namespace {

const char* g_text = nullptr;  // what the replaced service writes
int g_calls = 0;
int g_decimals = 0;            // the decimals argument it was given

int fake_xpfs(double, int width, int decimals, char* field) {
  ++g_calls;
  g_decimals = decimals;
  EXPECT_EQ(width, -SHWYLAB_WIDTH);
  std::memcpy(field, g_text, std::strlen(g_text));
  return static_cast<int>(std::strlen(g_text));
}

class ShwylabTest : public ::testing::Test {
 protected:
  host_routine old_ = nullptr;
  void SetUp() override { mcn_main(plat::anchor(), nullptr); }
  void fake() {
    const auto& s = kes_host::services[kes_host::svc_xpfs];
    old_ = plat::replace_service(s.vector, s.slot, reinterpret_cast<host_routine>(fake_xpfs));
  }
  void TearDown() override {
    if (old_ == nullptr) return;
    const auto& s = kes_host::services[kes_host::svc_xpfs];
    plat::replace_service(s.vector, s.slot, old_);
  }
};

TEST_F(ShwylabTest, TrimsAndReadsTheServiceText) {
  struct row {
    const char* text;  // none: zero is written without the service
    int trim;
    const char* want;
    int len, ndec, fmt;  // fmt: what *fmt holds after (it starts at 3)
  };
  const row rows[] = {
      {"0.25", 1, ".25", 3, 2, 3},         {"0.25", 0, "0.25", 4, 2, 3},         {"-0.5", 1, "-.5", 3, 1, 3},
      {"1.0E+05", 1, "1E+05", 5, 0, -1},   {"1.0E+05", 0, "1.0E+05", 7, 1, -1},  {"-1.0E+05", 1, "-1E+05", 6, 0, -1},
      {"2.50E-03", 1, "2.50E-03", 8, 2, -2}, {"1500", 1, "1500", 4, 0, 3},       {nullptr, 1, "0", 1, 0, 3},
  };
  fake();
  for (const row& r : rows) {
    SCOPED_TRACE(r.want);
    g_text = r.text;
    g_calls = 0;
    g_decimals = -1;
    char out[SHWYLAB_WIDTH];
    int ndec = -7, fmt = 3;
    EXPECT_EQ(shwylab(out, r.text ? 1.0 : 0.0, &ndec, &fmt, r.trim), r.len);
    EXPECT_EQ(std::string(out, SHWYLAB_WIDTH), (r.want + std::string(SHWYLAB_WIDTH, ' ')).substr(0, SHWYLAB_WIDTH));
    EXPECT_EQ(ndec, r.ndec);
    EXPECT_EQ(fmt, r.fmt);
    EXPECT_EQ(g_calls, r.text ? 1 : 0);
    EXPECT_EQ(g_decimals, r.text ? 3 : -1);
  }
}

// The stand-in's service: fixed decimals and exponent form.
TEST_F(ShwylabTest, ThroughTheStandInService) {
  char out[SHWYLAB_WIDTH];
  int ndec = 0, fmt = 2;
  EXPECT_EQ(std::string(out, shwylab(out, 0.25, &ndec, &fmt, 1)), ".25");
  fmt = -2;
  EXPECT_EQ(std::string(out, shwylab(out, 0.0025, &ndec, &fmt, 1)), "2.50E-03");
  EXPECT_EQ(ndec, 2);
  fmt = -1;
  EXPECT_EQ(std::string(out, shwylab(out, 1e5, &ndec, &fmt, 1)), "1E+05");
  EXPECT_EQ(fmt, -1);
}

}  // namespace
