// The places of reference labels, chosen by the one routine both renderers use: a
// label's room lies on its text's side of its anchor, close lines keep their labels
// on the first row (one left of its line where the right would cross the next line),
// a VREF label tries both sides of its line's start before it walks along the line,
// a place that cuts the text comes after every place that holds it whole, both
// renderers take the same first side of a VREF line, no label lies over another
// text where a place along its row is free, and no data line crosses a label where a
// place clear of it is free.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "host/kes_text_room.h"

namespace {

// y grows downward here, as on a page: a baseline at y has 8 px of text above it and
// 2 px below, with a px of air.
constexpr kes_label_air kAir{1.5, 9, 3, 1, 1};

// n label rows 14 px apart, the first at 12.
std::vector<double> rows_of(int n) {
  std::vector<double> rows;
  for (int r = 0; r < n; ++r) rows.push_back(12 + 14 * r);
  return rows;
}

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

// Both renderers take the same first side of a VREF line: the side toward the frame's
// nearer edge, whichever way up y runs (the device's y grows upward, the page's
// downward) and wherever the frame stands (page units about 1.7e9 and in millions
// too); a line at the middle takes the side above.
TEST(RefLabelPlace, BothRenderersTakeTheSameFirstSide) {
  std::mt19937 rng(20261210);
  std::uniform_real_distribution<double> u(0, 1);
  for (const double origin : {0.0, 1.7e9, -3e6}) {
    for (int trial = 0; trial < 400; ++trial) {
      // Quarters of a unit, so that the mirrored line is exact.
      const auto quarter = [](double v) { return std::round(4 * v) / 4; };
      const double lo = quarter(origin + 1000 * u(rng)), hi = quarter(lo + 20 + 500 * u(rng));
      const double y = trial == 0 ? lo + (hi - lo) / 2 : quarter(lo + (hi - lo) * u(rng));
      const double h = 5 + 10 * u(rng);
      // The device: under at y - h, above at y + h/2, y upward.
      const bool device = kes_vref_under_first(y, y - h, y + 0.5 * h, lo, hi);
      // The page, y downward: the same line mirrored in the frame, under at y' + h.
      const double ym = lo + hi - y;
      const bool page = kes_vref_under_first(ym, ym + h, ym - 3, lo, hi);
      SCOPED_TRACE("frame " + std::to_string(lo) + " to " + std::to_string(hi) + ", line " + std::to_string(y));
      EXPECT_EQ(device, page);
      // Under first exactly when the line lies in the lower half (device: nearer lo).
      EXPECT_EQ(device, y - lo < hi - y);
      // The spots begin on that side.
      const auto spots = kes_vref_spots(lo + 2, false, y, y - h, y + 0.5 * h, lo, hi, 30, false, {}, 1.5);
      ASSERT_EQ(spots.size(), 2u);
      EXPECT_EQ(spots[0].y, device ? y - h : y + 0.5 * h);
      EXPECT_EQ(spots[1].y, device ? y + 0.5 * h : y - h);
    }
  }
}

// Generated boxes standing over every row of a line (two labels close together beside
// a box at N or NW): each label walks along a row past the texts in the way, so that
// no label lies over a box or an earlier label, and it stands on its own side of its
// line.
TEST(RefLabelPlace, NoLabelOverATextWhereItsRowHasRoom) {
  std::mt19937 rng(1111011409);
  std::uniform_real_distribution<double> u(0, 1);
  const kes_room bounds{0, 0, 600, 140};
  const std::vector<double> rows = rows_of(9);
  for (int trial = 0; trial < 300; ++trial) {
    // A box from above the frame to below it, 100 to 300 px wide, the lines within it.
    const double bx = 20 + 200 * u(rng), bw = 100 + 200 * u(rng);
    std::vector<kes_room> texts = {{bx, -5, bx + bw, 145}};
    const double x1 = bx + 10 + (bw - 40) * u(rng), x2 = x1 + 2 + 20 * u(rng);
    const std::vector<kes_room> lines = {{x1, 0, x1, 140}, {x2, 0, x2, 140}};
    const double ws[2] = {30 + 40 * u(rng), 20 + 40 * u(rng)};
    for (int i = 0; i < 2; ++i) {
      const double x = i == 0 ? x1 : x2;
      kes_room got;
      const kes_label_spot at = kes_ref_label_place(kes_href_spots(x, 3, rows, ws[i], ws[i]), kAir, x, bounds, texts,
                                                    {lines[static_cast<std::size_t>(1 - i)]}, &got);
      SCOPED_TRACE("trial " + std::to_string(trial) + " label " + std::to_string(i));
      EXPECT_FALSE(kes_meets_any(got, texts));
      EXPECT_TRUE(kes_room_within(got, bounds));
      EXPECT_TRUE(at.end ? got.x1 < x : got.x0 > x);
      texts.push_back(got);
    }
  }
}

// Generated step lines (an empirical distribution rising to the frame's top at its
// right end, y downward) and a label by a line near that end: wherever one of its
// places is clear of the steps and within bounds, the label takes such a place.
TEST(RefLabelPlace, NoDataLineCrossesALabelWhereThereIsRoom) {
  std::mt19937 rng(7003626);
  std::uniform_real_distribution<double> u(0, 1);
  const kes_room bounds{0, 0, 400, 200};
  const std::vector<double> rows = rows_of(13);
  int moved = 0;
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<kes_segment> steps;
    double x = 0, y = 200;
    const int n = 5 + static_cast<int>(rng() % 60);
    for (int i = 0; i < n; ++i) {
      const double nx = x + 400.0 / n, ny = y - 200.0 / n * 2 * u(rng);
      steps.push_back({x, y, nx, y});
      steps.push_back({nx, y, nx, std::max(0.0, ny)});
      x = nx, y = std::max(0.0, ny);
    }
    const double line = 360 + 38 * u(rng);
    const auto spots = kes_href_spots(line, 3, rows, 50, 50);
    kes_room got;
    kes_ref_label_place(spots, kAir, line, bounds, {}, {}, &got, steps);
    const auto crossed = [&](const kes_room& r) {
      for (const kes_segment& s : steps)
        if (kes_segment_crosses(s, r)) return true;
      return false;
    };
    bool free = false;
    for (const kes_label_spot& s : spots) {
      const kes_room r = kes_spot_room(s, kAir);
      free = free || (kes_room_within(r, bounds) && !crossed(r));
    }
    SCOPED_TRACE("trial " + std::to_string(trial));
    EXPECT_TRUE(kes_room_within(got, bounds));
    if (free) {
      EXPECT_FALSE(crossed(got));
    }
    moved += got.y0 > 12 ? 1 : 0;
  }
  // The steps reach the first row in most cases: the labels went down.
  EXPECT_GT(moved, 100);
}

}  // namespace
