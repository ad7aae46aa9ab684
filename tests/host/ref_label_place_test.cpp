// The places of reference labels, chosen by the one routine both renderers use: a
// label's room lies on its text's side of its anchor, close lines keep their labels
// on the first row (one left of its line where the right would cross the next line),
// a VREF label tries both sides of its line's start before it walks along the line,
// and a place that cuts the text comes after every place that holds it whole.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "host/kes_text_room.h"

namespace {

// y grows downward here, as on a page: a baseline at y has 8 px of text above it and
// 2 px below, with a px of air.
constexpr kes_label_air kAir{1.5, 9, 3, 1, 1};

TEST(RefLabelPlace, ARoomLiesOnItsTextsSideOfTheAnchor) {
  const kes_room start = kes_spot_room({100, 50, 30, false}, kAir);
  const kes_room end = kes_spot_room({100, 50, 30, true}, kAir);
  EXPECT_EQ(start.x0, 98.5);
  EXPECT_EQ(start.x1, 131.5);
  EXPECT_EQ(end.x0, 68.5);
  EXPECT_EQ(end.x1, 101.5);
  EXPECT_EQ(end.y0, 41);
  EXPECT_EQ(end.y1, 53);
}

// Labels placed one after another, as the renderers place them: each keeps off the
// ones before it and, where it can, off the other lines.
struct href_case {
  const char* what;
  std::vector<double> xs;      // the lines, px
  std::vector<double> widths;  // their labels
  std::vector<int> rows;       // the row each label takes (0 the first)
  std::vector<bool> left;      // whether it stands left of its line
  bool clear = true;           // whether every label keeps off the other lines
};

TEST(RefLabelPlace, CloseLinesKeepTheirLabelsOnTheFirstRow) {
  const kes_room bounds{0, 0, 400, 200};
  const std::vector<double> rows = {20, 34, 48, 62};
  const href_case cases[] = {
      // "forty" right of its line would run across the next one: it goes left.
      {"two lines 10 px apart", {200, 210}, {28, 54}, {0, 0}, {true, false}},
      {"far apart, both right", {100, 300}, {40, 40}, {0, 0}, {false, false}},
      // The middle line's label has no place clear of both other lines: it takes the
      // first clear of the labels (its next line breaks behind it), the last a row down.
      {"three lines 10 px apart", {200, 210, 220}, {28, 28, 40}, {0, 0, 1}, {true, false, false}, false},
      // At the frame's right the label turns left of its line.
      {"a line near the right edge", {380}, {40}, {0}, {true}},
  };
  for (const href_case& k : cases) {
    SCOPED_TRACE(k.what);
    std::vector<kes_room> lines, texts;
    for (double x : k.xs) lines.push_back({x, 0, x, 200});
    for (std::size_t i = 0; i < k.xs.size(); ++i) {
      std::vector<kes_room> others;
      for (std::size_t j = 0; j < lines.size(); ++j)
        if (j != i) others.push_back(lines[j]);
      kes_room got;
      const kes_label_spot at = kes_ref_label_place(kes_href_spots(k.xs[i], 3, rows, k.widths[i], k.widths[i]), kAir,
                                                    k.xs[i], bounds, texts, others, &got);
      EXPECT_EQ(at.y, rows[static_cast<std::size_t>(k.rows[i])]) << "label " << i;
      EXPECT_EQ(at.end, k.left[i]) << "label " << i;
      if (k.clear) {
        EXPECT_FALSE(kes_meets_any(got, others)) << "label " << i << " crosses a line";
      }
      EXPECT_FALSE(kes_meets_any(got, texts)) << "label " << i << " covers a label";
      texts.push_back(got);
    }
  }
}

TEST(RefLabelPlace, AVrefLabelTriesBothSidesOfItsStartFirst) {
  // A text at 10 to 60 on the first side's row, none on the other's.
  const std::vector<kes_room> texts = {{10, 40, 60, 52}, {80, 40, 90, 52}};
  const std::vector<kes_label_spot> spots = kes_vref_spots(5, false, 56, 62, 50, 0, 200, 20, false, texts, 1.5);
  ASSERT_EQ(spots.size(), 6u);
  EXPECT_EQ(spots[0].x, 5);
  EXPECT_EQ(spots[0].y, 50);
  EXPECT_EQ(spots[1].x, 5);
  EXPECT_EQ(spots[1].y, 62);
  EXPECT_EQ(spots[2].x, 61.5);  // past the nearer text first
  EXPECT_EQ(spots[3].x, 91.5);
  // The line's start under the text on the first side: the other side at the start wins.
  kes_room got;
  const kes_label_spot at = kes_ref_label_place(spots, kAir, NAN, {0, 0, 200, 200}, {{0, 40, 40, 52}}, {}, &got);
  EXPECT_EQ(at.x, 5);
  EXPECT_EQ(at.y, 62);
  // Anchored at its end the places run leftward from the start.
  const std::vector<kes_label_spot> from_end = kes_vref_spots(195, true, 56, 62, 50, 0, 200, 20, false, texts, 1.5);
  EXPECT_EQ(from_end[2].x, 78.5);
  EXPECT_TRUE(from_end[2].end);
}

TEST(RefLabelPlace, APlaceThatCutsTheTextComesLast) {
  // Right of the line the text is cut to 10 px, left of it whole: the left wins
  // although the right comes first.
  kes_room got;
  const kes_label_spot at = kes_ref_label_place(kes_href_spots(100, 3, {20}, 10, 40, true, false), kAir, 100,
                                                {0, 0, 120, 100}, {}, {}, &got);
  EXPECT_TRUE(at.end);
  EXPECT_EQ(got.x1, 98.5);
  // A side without room gives no place.
  EXPECT_EQ(kes_href_spots(100, 3, {20, 34}, -1, 40).size(), 2u);
}

// Over generated lines (some a label's width apart): wherever a row holds a place
// clear of the labels before it, the label takes a place clear of them, on its own
// side of its anchor within the bounds.
TEST(RefLabelPlace, GeneratedLinesGiveLabelsThatRead) {
  std::mt19937 rng(20261209);
  const kes_room bounds{0, 0, 500, 300};
  std::vector<double> rows;
  for (int r = 0; r < 20; ++r) rows.push_back(12 + 14 * r);
  for (int trial = 0; trial < 300; ++trial) {
    const int n = 2 + static_cast<int>(rng() % 6);
    std::vector<double> xs, ws;
    double x = 10 + static_cast<double>(rng() % 100);
    for (int i = 0; i < n; ++i) {
      xs.push_back(x);
      ws.push_back(15 + static_cast<double>(rng() % 60));
      x += 2 + static_cast<double>(rng() % 80);
    }
    std::vector<kes_room> lines, texts;
    for (double v : xs) lines.push_back({v, 0, v, 300});
    for (int i = 0; i < n; ++i) {
      if (xs[static_cast<std::size_t>(i)] > 490) break;
      kes_room got;
      const auto spots = kes_href_spots(xs[static_cast<std::size_t>(i)], 3, rows, ws[static_cast<std::size_t>(i)],
                                        ws[static_cast<std::size_t>(i)]);
      const kes_label_spot at = kes_ref_label_place(spots, kAir, xs[static_cast<std::size_t>(i)], bounds, texts, {}, &got);
      EXPECT_FALSE(kes_meets_any(got, texts)) << "trial " << trial << " label " << i;
      EXPECT_TRUE(kes_room_within(got, bounds)) << "trial " << trial << " label " << i;
      // Its text on its own side of the line: ending left of it, or starting right of it.
      EXPECT_TRUE(at.end ? got.x1 < xs[static_cast<std::size_t>(i)] : got.x0 > xs[static_cast<std::size_t>(i)])
          << "trial " << trial << " label " << i;
      texts.push_back(got);
    }
  }
}

}  // namespace
