// The BY line the device hands the module (xbyline) and the BY title it copies out
// (xbytitl): the text of the current group, held by the step until the next xbyline
// call, whatever is copied out meanwhile.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "host/host_services.h"
#include "host/wob.h"
#include "output/output_api.h"
#include "runner/host_table.h"
#include "support/scratch_files.h"

namespace {

class ByLine : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::finish_step();
    saved_anchor_ = v_global_gcb_anchor;
    v_global_gcb_anchor = plat::anchor();
    wob_anchor anchor{};
    ASSERT_EQ(xobinit(&anchor, 0), 0);
  }
  void TearDown() override {
    plat::finish_step();
    v_global_gcb_anchor = saved_anchor_;
  }
  static std::string title(int size) {
    std::string buffer(static_cast<std::size_t>(size), '\0');
    const int n = plat_xbytitl(nullptr, buffer.data(), size);
    return buffer.substr(0, static_cast<std::size_t>(n)) + "|" + buffer.substr(static_cast<std::size_t>(n));
  }

  kes_test::captured_outputs out_;
  host_gcb* saved_anchor_ = nullptr;
};

TEST_F(ByLine, TheGroupsLineStandsUntilAskedAgain) {
  const char* text = "not set";
  EXPECT_EQ(plat_xbyline(nullptr, &text), 0);  // no BY group: an empty line
  EXPECT_STREQ(text, "");
  plat::output_set_by({{"sex", "F"}, {"region", "North East"}});
  ASSERT_EQ(plat_xbyline(nullptr, &text), 23);
  const char* const first = text;
  EXPECT_STREQ(first, "sex=F region=North East");
  // The next group's title copied out, cut and blank-padded, leaves the line handed
  // back as it was.
  plat::output_set_by({{"sex", "M"}});
  EXPECT_EQ(title(8), "sex=M|   ");
  EXPECT_EQ(title(3), "sex|");
  EXPECT_EQ(plat_xbytitl(nullptr, nullptr, 8), 0);
  EXPECT_STREQ(first, "sex=F region=North East");
  ASSERT_EQ(plat_xbyline(nullptr, &text), 5);
  EXPECT_STREQ(text, "sex=M");
}

}  // namespace
