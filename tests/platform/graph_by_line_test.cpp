// The BY line the device hands the module (xbyline) and the BY title it copies out
// (xbytitl): the text of the current group, held by the step until the next xbyline
// call, whatever is copied out meanwhile. The BY line a page heading made room for
// (ggphdrl) is drawn by ggphdr when given none, in that step only.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "graph/device_state.h"
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

// A step's page with one segment open; heading() draws the page heading with the BY
// line given (none: nullptr) and returns the graph's file.
class HeadingStep {
 public:
  explicit HeadingStep(const std::filesystem::path& graphs) {
    plat::config().graphs_dir = graphs.string();
    plat::begin_step();
    opts_ = plat_ggznew(nullptr);
    EXPECT_EQ(plat_gginit(opts_), 0);
    EXPECT_EQ(plat_ggadcat(0, "        ", 4 << 16 | 4, "GSEG", &catalog_, 4, 1), 0);
  }
  ~HeadingStep() { plat::finish_step(); }
  void make_room(const char* by) {
    double area[4];
    EXPECT_EQ(plat_ggphdrl(0, area, by != nullptr ? static_cast<int>(std::strlen(by)) : 0, by), 0);
  }
  std::string heading(const char* by) {
    char d[16];
    std::memset(d, ' ', sizeof d);
    int number = 0;
    host_gsegid seg{};
    EXPECT_EQ(plat_ggoseg(0, 16, catalog_, &number, &seg, "HEAD    ", nullptr, d, 1, 1, 0, nullptr, 0), 0);
    EXPECT_EQ(plat_ggphdr(0, by, by != nullptr ? static_cast<int>(std::strlen(by)) : 0), 0);
    void* closed = nullptr;
    EXPECT_EQ(plat_ggcseg(0, &closed, 0), 0);
    const auto* c = static_cast<const plat::graph::closed_segment*>(closed);
    return c != nullptr ? kes_test::slurp(c->file) : std::string();
  }

 private:
  gdevopts* opts_ = nullptr;
  void* catalog_ = nullptr;
};

TEST(PageHeading, TheByLineMadeRoomForIsTheStepsOwn) {
  kes_test::scratch_dir graphs("heading");
  {
    HeadingStep step(graphs.path());
    step.make_room("g=2");
    EXPECT_NE(step.heading(nullptr).find(">g=2<"), std::string::npos);  // the line made room for
    EXPECT_NE(step.heading("g=3").find(">g=3<"), std::string::npos);   // the line given
  }
  // The next step draws no BY line it made no room for.
  HeadingStep next(graphs.path());
  EXPECT_EQ(next.heading(nullptr).find("g=2"), std::string::npos);
}

}  // namespace
