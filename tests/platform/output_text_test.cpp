// Text outputs (methods 446 and 447 of the output manager): the lines the print
// services write while one is open reach the listing and, as one output, the JSON
// file; calls out of order are refused.
#include <cstring>

#include "core/host_routines.h"
#include "support/scratch_files.h"
#include "output_test_support.h"

namespace {

using out_test::json_system_fixture;
using OutputText = json_system_fixture;

TEST_F(OutputText, LinesWrittenWhileOpenBecomeOneTextOutput) {
  kes_test::captured_outputs out;
  void* m = make_manager();
  wob_attr head[3] = {wob_attr{}, wob_int(WOB_A_LINE_NUMBER, 1), wob_text(WOB_A_HEADING_TEXT, txt("Title"))};
  ASSERT_EQ(wobmth(m, nullptr, WOB_M_HEADING, 3, head), 0);
  wob_attr open[2] = {wob_text(WOB_A_NAME, txt("Plots")), wob_text(WOB_A_LABEL, txt("Line Plots"))};
  ASSERT_EQ(wobmth(m, nullptr, WOB_M_TEXT_OPEN, 2, open), 0);
  // The heading goes before the text, through the output system's own listing.
  EXPECT_NE(listing().find("Title"), std::string::npos);
  plat_xpfmtc(3, "ab", 2);
  plat_xpfmtc(8, "c  ", 3);
  plat_xpoflsh();
  plat_xpskip(1);
  ASSERT_EQ(wobmth(m, nullptr, WOB_M_TEXT_CLOSE, 0, nullptr), 0);
  plat_xpfmtc(1, "after", 5);  // not part of the text any more
  plat_xpoflsh();
  EXPECT_NE(out.listing().find("  ab   c\n\nafter\n"), std::string::npos) << out.listing();
  const out_test::jvalue doc = json_doc();
  const out_test::jvalue& o = doc["steps"][0u]["outputs"][0u];
  EXPECT_EQ(o["kind"].str, "text");
  EXPECT_EQ(o["name"].str, "Plots");
  EXPECT_EQ(o["label"].str, "Line Plots");
  ASSERT_EQ(o["lines"].arr.size(), 2u);
  EXPECT_EQ(o["lines"][0u].str, "  ab   c");
  EXPECT_EQ(o["lines"][1u].str, "");
  EXPECT_FALSE(o.has("rows"));
  EXPECT_EQ(sys->emitted(), 1);
}

TEST_F(OutputText, CallsOutOfOrderAreRefused) {
  kes_test::captured_outputs out;
  void* m = make_manager();
  EXPECT_EQ(wobmth(m, nullptr, WOB_M_TEXT_CLOSE, 0, nullptr), plat::out::kErrOrder);
  wob_attr open[1] = {wob_text(WOB_A_NAME, txt("SSPlots"))};
  ASSERT_EQ(wobmth(m, nullptr, WOB_M_TEXT_OPEN, 1, open), 0);
  EXPECT_EQ(wobmth(m, nullptr, WOB_M_TEXT_OPEN, 1, open), plat::out::kErrOrder);
  EXPECT_EQ(wobmth(m, nullptr, WOB_M_TEXT_CLOSE, 0, nullptr), 0);
  open[0] = wob_text(WOB_A_LABEL, txt("x"));  // no name
  EXPECT_EQ(wobmth(m, nullptr, WOB_M_TEXT_OPEN, 1, open), plat::out::kErrAttribute);
  EXPECT_EQ(out_test::log_entries().size(), 3u);
}

}  // namespace
