// The "#VARNAME" substitution, and allocation through a pool's own operations.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "records/kes_ctx.h"
#include "records/kessubs.h"
#include "records/pool_alloc.h"

namespace {

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
// Every data pass allocates through them (each example program); without a pool
// they do nothing.
TEST(pools, NoPoolIsNoCall) {
  char b[8];
  EXPECT_EQ(vmalcp_handler(nullptr, 8, KES_ALLOC), nullptr);
  vmfree_handler(nullptr, b, -1, 4);
}

}  // namespace
