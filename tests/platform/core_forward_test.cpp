// The module's forwarders reach the host through the anchor's vector tables: a
// service replaced in the table is what the module calls, the vector's flag byte is
// cleared on the way, arguments (substitution arguments too) and results pass
// untouched, and a step exit unwinds back through the forwarder.
#include <gtest/gtest.h>

#include <cstring>

#include "core/host_vectors.h"
#include "core/runtime.h"
#include "core_test_support.h"
#include "host/host_print.h"
#include "host/host_services.h"

namespace {

struct seen_call {
  int set = 0, number = 0, first = 0;
  double second = 0;
  const char* third = nullptr;
} seen;

int fake_xpmlog(int set, int number, va_list ap) {
  seen.set = set;
  seen.number = number;
  seen.first = va_arg(ap, int);
  seen.second = va_arg(ap, double);
  seen.third = va_arg(ap, const char*);
  return 77;
}

class ForwardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = v_global_gcb_anchor;
    v_global_gcb_anchor = plat::anchor();
  }
  void TearDown() override {
    v_global_gcb_anchor = saved_;
    plat::finish_step();
  }
  host_gcb* saved_ = nullptr;
  kes_test::captured_outputs out_;
};

TEST_F(ForwardTest, AReplacedServiceIsWhatTheModuleReaches) {
  const auto& info = kes_host::services[kes_host::svc_xpmlog];
  host_routine old = plat::replace_service(info.vector, info.slot, reinterpret_cast<host_routine>(&fake_xpmlog));
  plat::anchor()->vecflag[info.vector] = 0xFF;
  int rc = xpmlog(189, 139, 5, 2.25, "VAR");
  plat::replace_service(info.vector, info.slot, old);
  EXPECT_EQ(rc, 77);
  EXPECT_EQ(plat::anchor()->vecflag[info.vector], 0);
  EXPECT_EQ(seen.set, 189);
  EXPECT_EQ(seen.number, 139);
  EXPECT_EQ(seen.first, 5);
  EXPECT_EQ(seen.second, 2.25);
  EXPECT_STREQ(seen.third, "VAR");
  EXPECT_EQ(out_.log(), "");  // the host's own routine was not called
}

TEST_F(ForwardTest, TheHostsOwnServicesAnswerThroughTheForwarders) {
  xmemmsg(4096);
  EXPECT_EQ(out_.log(), "ERROR: Out of memory: a request for 4096 bytes could not be met.\n");
  char buf[8];
  std::memset(buf, ' ', sizeof buf);
  EXPECT_EQ(xpmstr(buf, 8, 999, 999), 8);  // "message 999/999 missing", cut to 8
  EXPECT_EQ(std::string(buf, 8), "message ");
  int yes = -1;
  EXPECT_EQ(xoptbgt("GSTYLE", &yes), 0);
  EXPECT_EQ(yes, 1);
  host_pool* p = xmpoolc(0, 1024, 4098);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(plat::open_pool_count(), 1);
  EXPECT_NE(p->alloc(p, 10, 0x2000), nullptr);
  xmpoold(p);
  EXPECT_EQ(plat::open_pool_count(), 0);
  host_printline* pl = xpoutl(0, 0);
  EXPECT_EQ(pl->linesize, 132);
}

TEST_F(ForwardTest, StepExitUnwindsThroughTheForwarder) {
  int code = -1;
  try {
    xexit(1016, 0);
  } catch (const plat::step_exit& e) {
    code = e.code;
  }
  EXPECT_EQ(code, 1016);
}

}  // namespace
