// Every catalogue entry the step driver writes exists and renders its arguments.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "core/runtime.h"

namespace {

std::string render(int set, int number, ...) {
  va_list ap;
  va_start(ap, number);
  std::string s = plat::catalogue_format(set, number, ap);
  va_end(ap);
  return s;
}

TEST(driver_messages, LevelLabelsAndTraceRenderTheirArguments) {
  EXPECT_EQ(render(189, 9, 5, "GROUP", 16, "L1              "), "GROUP = L1");
  EXPECT_EQ(render(189, 10, 4, "SITE"), "SITE = (blank)");
  EXPECT_EQ(render(431, 876, 6, "HEIGHT                          "), "DEBUG: analysis variable HEIGHT.");
  EXPECT_EQ(render(431, 877, "HISTOGRAM", 2), "DEBUG: HISTOGRAM request 2.");
  EXPECT_NE(plat::catalogue_text(189, 1), nullptr);
  plat::msg_kind kind;
  ASSERT_NE(plat::catalogue_text(432, 358, &kind), nullptr);
  EXPECT_EQ(kind, plat::msg_kind::error);
  ASSERT_NE(plat::catalogue_text(189, 303, &kind), nullptr);
  EXPECT_EQ(kind, plat::msg_kind::warning);
}

}  // namespace
