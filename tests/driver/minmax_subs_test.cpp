// Minimum and maximum (their NaN rule differs from the standard library's), the
// "#VARNAME" substitution, and allocation through a pool's own operations.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "driver/kes_ctx.h"
#include "driver/kes_minmax.h"
#include "driver/kessubs.h"
#include "driver/pool_alloc.h"

namespace {

TEST(minmax, DoublesTakeTheSecondArgumentWhenEitherIsNan) {
  const double nan = std::nan("");
  EXPECT_EQ(kes::fmax(2.0, 1.0), 2.0);
  EXPECT_EQ(kes::fmax(1.0, 2.0), 2.0);
  EXPECT_EQ(kes::fmin(2.0, 1.0), 1.0);
  EXPECT_EQ(kes::fmax(nan, 1.0), 1.0);
  EXPECT_TRUE(std::isnan(kes::fmax(1.0, nan)));
  EXPECT_EQ(kes::fmin(nan, 1.0), 1.0);
  EXPECT_TRUE(std::isnan(kes::fmin(1.0, nan)));
  // The standard library drops the NaN either way; these two must not be mixed up.
  EXPECT_EQ(std::fmax(1.0, nan), 1.0);
  // Equal values: b is returned, which shows for signed zeros.
  EXPECT_TRUE(std::signbit(kes::fmax(0.0, -0.0)));
  EXPECT_FALSE(std::signbit(kes::fmin(-0.0, 0.0)));
}

class subs : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&ctx, 0, sizeof ctx); }
  void name(const char* n, int padded = 32) {
    const int len = static_cast<int>(std::strlen(n));
    std::memset(ctx.curname.text, ' ', 32);
    std::memcpy(ctx.curname.text, n, static_cast<size_t>(len));
    ctx.curname.len = static_cast<std::uint16_t>(padded < len ? len : padded);
  }
  std::string run(const std::string& in) {
    std::memset(buf, ' ', sizeof buf);
    std::memcpy(buf, in.data(), in.size());
    int len = static_cast<int>(in.size());
    EXPECT_EQ(kessubs(&ctx, buf, &len), 0);
    return std::string(buf, static_cast<size_t>(len));
  }
  kes_ctx ctx;
  char buf[KES_SUBS_MAX];
};

TEST_F(subs, ReplacesEveryTokenInAnyCaseAndDropsAFollowingDot) {
  const struct {
    const char *var, *in, *out;
  } cases[] = {
      {"HEIGHT", "Histogram of #varname.", "Histogram of HEIGHT"},
      {"HEIGHT", "#VarName", "HEIGHT"},
      {"HEIGHT", "#VARNAME.x", "HEIGHTx"},
      {"HEIGHT", "#VARNAME .", "HEIGHT ."},
      {"HEIGHT", "#VARNAME..", "HEIGHT."},
      {"W", "#VARNAME and #varname, #VARNAM", "W and W, #VARNAM"},
      {"W", "no token here", "no token here"},
      {"W", "##VARNAME", "#W"},
      {"W", "", ""},
      {"AGE", "[#VARNAME]", "[AGE]"},  // the name without its trailing blanks
  };
  for (const auto& c : cases) {
    name(c.var);
    EXPECT_EQ(run(c.in), c.out) << c.in;
  }
}

TEST_F(subs, ResultIsCutAt256Bytes) {
  name("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");  // 32 characters
  std::string in(240, 'a');
  in += "#VARNAME";
  const std::string out = run(in);
  ASSERT_EQ(out.size(), 256u);
  EXPECT_EQ(out.substr(240), "ABCDEFGHIJKLMNOP");  // cut in the middle of the name
}

TEST_F(subs, OnlyTheFirst256BytesAreRead) {
  name("X");
  char big[300];
  std::memset(big, 'b', sizeof big);
  std::memcpy(big + 252, "#VARNAME", 8);  // straddles byte 256: not a whole token
  std::memcpy(buf, big, sizeof buf);
  int len = 300;
  kessubs(&ctx, buf, &len);
  EXPECT_EQ(len, 256);
  EXPECT_EQ(std::string(buf + 252, 4), "#VAR");
}

// ---- pool operations ----

struct spy_pool {
  host_pool base;
  long size = 0;
  int flags = 0;
  void* freed = nullptr;
  long free_size = 0;
  int free_flags = 0;
  char block[64];
};
void* spy_alloc(host_pool* p, long size, int flags) {
  auto* s = reinterpret_cast<spy_pool*>(p);
  s->size = size;
  s->flags = flags;
  return s->block;
}
void spy_free(host_pool* p, void* ptr, long size, int flags) {
  auto* s = reinterpret_cast<spy_pool*>(p);
  s->freed = ptr;
  s->free_size = size;
  s->free_flags = flags;
}

TEST(pools, AllocateAndFreeCallThePoolsFirstAndSecondWords) {
  spy_pool p;
  p.base = {spy_alloc, spy_free};
  void* b = vmalcp_handler(&p.base, 48, KES_ALLOC_4);
  EXPECT_EQ(b, p.block);
  EXPECT_EQ(p.size, 48);
  EXPECT_EQ(p.flags, 0x2004);
  vmfree_handler(&p.base, b, -1, KES_FREE_FLAGS);
  EXPECT_EQ(p.freed, p.block);
  EXPECT_EQ(p.free_size, -1);
  EXPECT_EQ(p.free_flags, 4);
  EXPECT_EQ(vmalcp_handler(nullptr, 8, KES_ALLOC), nullptr);
  vmfree_handler(nullptr, b, -1, 4);  // nothing to call, no crash
}

}  // namespace
