// The listing: pages of the page size, lines of the line size, and the print services
// that build lines by column. Titles centred at the top of every page, set and cleared,
// are in the example programs' listings (global_statements).
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "support/scratch_files.h"
#include "host/host_print.h"

namespace {

// The listing split into pages at form feeds, each page into its lines.
std::vector<std::vector<std::string>> pages_of(const std::string& listing) {
  std::vector<std::vector<std::string>> pages(1);
  std::istringstream in(listing);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '\f') {
      pages.emplace_back();
      line.erase(0, 1);
    }
    pages.back().push_back(line);
  }
  return pages;
}

class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::config().linesize = 64;
    plat::config().pagesize = 15;
  }
  kes_test::captured_outputs out_;
};

TEST_F(ListingTest, NewPageMakesNoEmptyPages) {
  plat::listing_new_page();
  plat::listing_new_page();
  plat::listing_write("first");
  plat::listing_new_page();
  plat::listing_new_page();
  plat::listing_write("second");
  EXPECT_EQ(out_.listing(), "first\n\fsecond\n");
}

TEST_F(ListingTest, KeepTogetherMovesABlockThatFitsAPageToTheNextPage) {
  for (int i = 1; i <= 10; ++i) plat::listing_write("line " + std::to_string(i));
  plat::listing_keep_together(6);  // 10 + 6 > 15: the block starts a page
  for (int i = 1; i <= 6; ++i) plat::listing_write("block " + std::to_string(i));
  plat::listing_keep_together(20);  // longer than a page: written where it stands
  for (int i = 1; i <= 3; ++i) plat::listing_write("long " + std::to_string(i));
  auto pages = pages_of(out_.listing());
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].size(), 10u);
  EXPECT_EQ(pages[1].front(), "block 1");
  EXPECT_EQ(pages[1].back(), "long 3");
}

TEST_F(ListingTest, LongLinesGoOnInTheNextLineAndTrailingBlanksGo) {
  std::string wide(150, 'a');
  wide[63] = 'b';
  wide[64] = 'c';
  plat::listing_write(wide + "   ");
  plat::listing_write("two\nlines   \n");
  std::string want(63, 'a');
  want += "b\nc";
  want.append(63, 'a');
  want += '\n';
  want.append(22, 'a');
  want += "\ntwo\nlines\n";
  EXPECT_EQ(out_.listing(), want);
}

TEST_F(ListingTest, PrintServicesBuildALineByColumns) {
  plat::begin_step();
  void* word = nullptr;
  EXPECT_EQ(plat_xpopen(&word), 0);
  host_printline* pl = plat_xpoutl(0, 0);
  EXPECT_EQ(word, pl);
  EXPECT_EQ(pl->valid, 1);
  EXPECT_EQ(pl->linesize, 64);
  EXPECT_EQ(pl->pagesize, 15);
  EXPECT_EQ(plat_xpprnl(0), 64);
  plat_xpfmtc(5, "abcdef", 3);
  plat_xpfmtc(1, "XY", -1);
  plat_xpfmtc(6, "Z", 1);  // over what was there
  plat_xpoflsh();
  plat_xpoflsh();  // an empty line
  plat_xpfmtc(3, "pending", -1);
  plat_xpskip(2);  // writes the pending line first
  plat_xpfmtc(1, "after page", -1);
  plat_xppage(0);
  plat_xpfmtc(1, "left at step end", -1);
  plat::finish_step();
  EXPECT_EQ(out_.listing(), "XY  aZc\n\n  pending\n\n\nafter page\n\fleft at step end\n");
}

TEST_F(ListingTest, SelectReturnsThePreviousDestination) {
  plat::begin_step();
  EXPECT_EQ(plat_xpselec(0, -2), 0);
  EXPECT_EQ(plat_xpselec(0, 2), -2);
  plat::finish_step();
  plat::begin_step();
  EXPECT_EQ(plat_xpselec(0, 2), 0);
  plat::finish_step();
}

}  // namespace
