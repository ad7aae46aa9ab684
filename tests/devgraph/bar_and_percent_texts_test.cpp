// The choices both renderers share for the texts over bars and along a PCTLSCALE axis,
// on hand-worked rows: which bar values are kept where even two rows cannot hold them,
// and which decimals a percent takes to read apart from its neighbours and below 100.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/kes_percent_text.h"
#include "host/kes_text_room.h"

namespace {

TEST(BarAndPercentTexts, ValuesTwoRowsHoldAreAllKept) {
  // Centres 10 apart, texts 16 wide: every second text, 20 apart, fits at full size.
  EXPECT_EQ(kes_values_kept({0, 10, 20, 30}, {16, 16, 16, 16}, {1, 2, 3, 4}, 2, 3),
            (std::vector<bool>{true, true, true, true}));
  // Texts 31 wide, blank 3: on two rows at 0.6 they stand (20 - 0.6 x 31) = 1.4 apart,
  // more than half a blank at that size (0.9): all kept.
  EXPECT_EQ(kes_values_kept({0, 10, 20, 30}, {31, 31, 31, 31}, {1, 2, 3, 4}, 2, 3),
            (std::vector<bool>{true, true, true, true}));
  // Texts 33 wide stand 0.2 apart: thinned. The tallest (the last) stays; at 0.8 a
  // text needs 0.8 x 33 + 2 = 28.4 between centres, which only the first has.
  EXPECT_EQ(kes_values_kept({0, 10, 20, 30}, {33, 33, 33, 33}, {1, 2, 3, 4}, 2, 3),
            (std::vector<bool>{true, false, false, true}));
}

TEST(BarAndPercentTexts, TheTallestBarsKeepTheirValuesWhereTheyStandClear) {
  // Bars 1 apart, texts 10 wide, gap 2: at 0.8 a kept text needs 10 between centres.
  // The bars at 5, 15 and 25 are the tallest, so they keep theirs; the others keep
  // theirs only where they clear those.
  std::vector<double> centres, widths, tall;
  for (int i = 0; i < 30; ++i) centres.push_back(i), widths.push_back(10), tall.push_back(i % 10 == 5 ? 100 - i : i % 7);
  const std::vector<bool> keep = kes_values_kept(centres, widths, tall, 2, 1);
  std::vector<int> kept;
  for (int i = 0; i < 30; ++i)
    if (keep[static_cast<std::size_t>(i)]) kept.push_back(i);
  ASSERT_FALSE(kept.empty());
  EXPECT_NE(std::find(kept.begin(), kept.end(), 5), kept.end());
  EXPECT_NE(std::find(kept.begin(), kept.end(), 15), kept.end());
  EXPECT_NE(std::find(kept.begin(), kept.end(), 25), kept.end());
  // Every pair kept stands clear at 0.8 of its size.
  for (std::size_t k = 1; k < kept.size(); ++k) EXPECT_GE(kept[k] - kept[k - 1] - 2, 0.8 * 10) << kept[k];
  // Kept texts fit on one row at 0.8 or more.
  std::vector<double> c, w;
  for (int i : kept) c.push_back(i), w.push_back(10);
  EXPECT_GE(kes_set_values(c, w, 2).scale, 0.8);
  EXPECT_FALSE(kes_set_values(c, w, 2).two_rows);
}

TEST(BarAndPercentTexts, PercentsReadApartAndNeverHundredBelowIt) {
  struct row {
    std::vector<double> percents;
    std::vector<std::string> short_texts, want;
  };
  const row rows[] = {
      // The stations' tail: 99.864, 99.935, 99.966 read "99.9 99.9 100" in four characters.
      {{99.2, 99.864, 99.935, 99.966}, {"99.2", "99.9", "99.9", "100"}, {"99.2", "99.86", "99.94", "99.97"}},
      // An exponential's tail: 100 (1 - e^-x) for x = 6, 8, 10, 12.
      {{99.75212478233336, 99.96645373720975, 99.99546000702375, 99.99938557876466},
       {"99.8", "100", "100", "100"},
       {"99.8", "99.97", "99.995", "99.999"}},
      // Texts that read apart keep their four characters; 100 itself reads 100.
      {{50, 84.1344746, 97.7249868, 100}, {"50", "84.1", "97.7", "100"}, {"50", "84.1", "97.7", "100"}},
      // Equal percents are not told apart.
      {{100, 100}, {"100", "100"}, {"100", "100"}},
      {{}, {}, {}},
  };
  for (const row& r : rows) EXPECT_EQ(kes_percent_texts(r.percents, r.short_texts), r.want);
}

}  // namespace
