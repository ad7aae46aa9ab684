// System options: defaults, yes/no spellings, and the two services through which the
// module reads them. Line and page sizes and refused names and values are the example
// program system_options.
#include <gtest/gtest.h>

#include <cstring>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "support/scratch_files.h"

namespace {

class OptionsTest : public ::testing::Test {
 protected:
  bool set(const char* name, const char* value) { return plat::set_system_option(name, value, &error_); }
  std::string text(const char* name, int size, int* rc) {
    std::string buf(static_cast<std::size_t>(size), '#');
    *rc = plat_xoptcgt(name, buf.data(), size);
    return buf;
  }
  int yes(const char* name, int* rc) {
    int v = -1;
    *rc = plat_xoptbgt(name, &v);
    return v;
  }
  kes_test::captured_outputs out_;  // a fresh configuration, restored afterwards
  std::string error_;
};

TEST_F(OptionsTest, DefaultsWhenNothingIsSet) {
  int rc = -1;
  EXPECT_EQ(yes("GSTYLE", &rc), 1);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(text("DEBUG", 8, &rc), "        ");
  EXPECT_EQ(rc, 0);
}

TEST_F(OptionsTest, YesNoOptionsInEverySpelling) {
  int rc = -1;
  ASSERT_TRUE(set("gstyle", "no"));
  EXPECT_EQ(yes("GSTYLE", &rc), 0);
  ASSERT_TRUE(set("GSTYLE", ""));
  EXPECT_EQ(yes("GSTYLE", &rc), 1);
  ASSERT_TRUE(set("NOGSTYLE", ""));
  EXPECT_EQ(yes("gstyle", &rc), 0);
  ASSERT_TRUE(set("GStyle", " Yes "));
  EXPECT_EQ(yes("GSTYLE  ", &rc), 1);
  EXPECT_EQ(rc, 0);
  EXPECT_FALSE(set("GSTYLE", "maybe"));
  EXPECT_NE(error_.find("GSTYLE=maybe"), std::string::npos) << error_;
  EXPECT_FALSE(set("NOGSTYLE", "yes"));
  EXPECT_EQ(yes("GSTYLE", &rc), 1);  // a refused value changes nothing
}

TEST_F(OptionsTest, TextOptionIsBlankFilledAndCutToTheBuffer) {
  int rc = -1;
  ASSERT_TRUE(set("DEBUG", "syn,Sem"));
  EXPECT_EQ(text("DEBUG", 10, &rc), "syn,Sem   ");
  EXPECT_EQ(rc, 7);
  EXPECT_EQ(text("debug", 3, &rc), "syn");
  EXPECT_EQ(rc, 3);
}

TEST_F(OptionsTest, ThreadsReadAsTextLeavesThePageSizeAlone) {
  int rc = -1;
  EXPECT_EQ(text("THREADS", 3, &rc), "0  ");
  ASSERT_TRUE(set("threads", "8"));
  EXPECT_EQ(text("THREADS", 3, &rc), "8  ");
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(plat::listing_pagesize(), 60);
}

TEST_F(OptionsTest, UnknownNamesAndWrongKinds) {
  int rc = 0;
  EXPECT_EQ(yes("NOSUCH", &rc), 0);
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(yes("DEBUG", &rc), 0);  // a text option is no yes/no option
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(text("GSTYLE", 4, &rc), "    ");
  EXPECT_EQ(rc, -1);
}

}  // namespace
