// The choice of a label's place and the breaking of a line behind texts, worked by
// hand: rooms that touch do not meet, a line meets only what it runs into, the first
// clear place wins and one crossed by a line only after every clear one, and texts
// in a row shrink alike so that neighbours stand their gap apart.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "host/kes_text_room.h"

namespace {

TEST(TextRoom, RoomsMeetOnlyInside) {
  const kes_room a{0, 0, 10, 5};
  struct meet_case {
    kes_room b;
    bool meets;
  };
  const meet_case cases[] = {
      {{10, 0, 20, 5}, false},    // touching on the right
      {{0, 5, 10, 9}, false},     // touching on the top
      {{9.5, 4.5, 12, 8}, true},  // a corner inside
      {{2, 1, 3, 2}, true},       // wholly inside
      {{-5, -5, 20, 20}, true},   // around it
      {{5, -10, 5, 10}, true},    // a vertical line through it
      {{0, -10, 0, 10}, false},   // a line along its left edge
      {{-10, 2, 20, 2}, true},    // a horizontal line through it
      {{-10, 5, 20, 5}, false},   // a line along its top
      {{11, 1, 11, 4}, false},    // a line beside it
  };
  for (const meet_case& k : cases) {
    EXPECT_EQ(kes_rooms_meet(a, k.b), k.meets) << k.b.x0 << " " << k.b.y0 << " " << k.b.x1 << " " << k.b.y1;
    EXPECT_EQ(kes_rooms_meet(k.b, a), k.meets);
  }
}

TEST(TextRoom, TheFirstClearPlaceWins) {
  const kes_room bounds{0, 0, 100, 100};
  const std::vector<kes_room> places = {
      {90, 90, 110, 95},  // leaves the bounds
      {10, 90, 30, 95},   // over a text taken
      {40, 90, 60, 95},   // crossed by a line
      {40, 80, 60, 85},   // clear
      {70, 80, 80, 85},   // clear, later
  };
  const std::vector<kes_room> texts = {{20, 88, 35, 96}};
  const std::vector<kes_room> lines = {{50, 0, 50, 100}, {75, 0, 75, 86}};
  EXPECT_EQ(kes_label_place(places, bounds, texts, {{50, 86, 50, 100}}), 3u);
  // With no clear place the first that covers no text takes it: a line breaks behind it.
  EXPECT_EQ(kes_label_place({places[0], places[1], places[2]}, bounds, texts, lines), 2u);
  // With every place over a text or outside, the one within bounds over the fewest.
  EXPECT_EQ(kes_label_place({places[0], places[1]}, bounds, texts, lines), 1u);
  const std::vector<kes_room> crowd = {{0, 0, 10, 10}, {20, 0, 30, 10}, {25, 0, 35, 10}};
  EXPECT_EQ(kes_label_place({{22, 2, 33, 8}, {5, 2, 12, 8}}, bounds, crowd, {}), 1u);
  // Outside every time: the first.
  EXPECT_EQ(kes_label_place({places[0], {-5, 0, 5, 5}}, bounds, texts, lines), 0u);
  EXPECT_EQ(kes_label_place({}, bounds, texts, lines), 0u);
}

TEST(TextRoom, ALineBreaksBehindEachText) {
  using pieces = std::vector<std::pair<double, double>>;
  // A vertical line from y 0 to 100 behind texts from 10 to 20, 15 to 30 (overlapping
  // the first) and 50 to 60, and beside one it misses.
  const std::vector<kes_room> rooms = {{-5, 50, 5, 60}, {-5, 10, 5, 20}, {-5, 15, 5, 30}, {6, 0, 9, 100}};
  EXPECT_EQ(kes_pieces_outside(0, 0, 0, 100, rooms), (pieces{{0, 0.1}, {0.3, 0.5}, {0.6, 1}}));
  // A gap inside an earlier one does not shorten it.
  EXPECT_EQ(kes_pieces_outside(0, 0, 0, 100, {{-5, 10, 5, 40}, {-5, 20, 5, 30}}), (pieces{{0, 0.1}, {0.4, 1}}));
  // Drawn the other way the fractions run from its other end.
  EXPECT_EQ(kes_pieces_outside(0, 100, 0, 0, {{-5, 10, 5, 20}}), (pieces{{0, 0.8}, {0.9, 1}}));
  EXPECT_EQ(kes_pieces_outside(0, 0, 100, 0, {}), (pieces{{0, 1}}));
}

TEST(TextRoom, TextsInARowShrinkAlikeToTheirGap) {
  // Centres 10 apart, texts 12 and 8 wide with a gap of 2: (10 - 2) / 10 = 0.8.
  EXPECT_EQ(kes_row_fit({0, 10, 20}, {12, 8, 4}, 2), 0.8);
  // The tightest pair decides: 20 apart with widths 30 and 10 gives (20 - 2) / 20.
  EXPECT_EQ(kes_row_fit({0, 20, 100}, {30, 10, 10}, 2), 0.9);
  // Texts that fit keep their size; one text, or none, too.
  EXPECT_EQ(kes_row_fit({0, 50}, {10, 10}, 2), 1.0);
  EXPECT_EQ(kes_row_fit({0}, {500}, 2), 1.0);
  EXPECT_EQ(kes_row_fit({}, {}, 2), 1.0);
  // Closer than the gap leaves no room at all.
  EXPECT_EQ(kes_row_fit({0, 1}, {5, 5}, 2), 0.0);
}

TEST(TextRoom, EverySecondValueRisesOverItsNeighbours) {
  // Rooms 10 wide every 8 along, on bars of tops 0, 1, 5, 5 (y up, rooms 4 high).
  const std::vector<kes_room> up = {{0, 0, 10, 4}, {8, 1, 18, 5}, {16, 5, 26, 9}, {24, 5, 34, 9}};
  // The second meets the first and rises past the third's room too (to 9), the fourth
  // over the third.
  EXPECT_EQ(kes_value_rises(up, true, true), (std::vector<double>{0, 8, 0, 4}));
  EXPECT_EQ(kes_value_rises(up, false, true), (std::vector<double>{0, 0, 0, 0}));
  // Page y down: the same rooms turned over rise by the same amounts.
  std::vector<kes_room> down;
  for (const kes_room& r : up) down.push_back({r.x0, -r.y1, r.x1, -r.y0});
  EXPECT_EQ(kes_value_rises(down, true, false), (std::vector<double>{0, 8, 0, 4}));
  // A second text that meets no neighbour stays.
  EXPECT_EQ(kes_value_rises({{0, 0, 5, 4}, {8, 0, 13, 4}}, true, true), (std::vector<double>{0, 0}));
}

TEST(TextRoom, ValuesShrinkThenTakeTwoRows) {
  // Centres 10 apart, texts 9 wide, gap 2: (10 - 2) / 9 = 0.888... keeps one row at
  // 0.85 (in twentieths).
  const kes_values_set a = kes_set_values({0, 10, 20}, {9, 9, 9}, 2);
  EXPECT_EQ(a.scale, 0.85);
  EXPECT_FALSE(a.two_rows);
  // Texts 16 wide: one row would need 0.5; every second text, 20 apart, fits at 1.
  const kes_values_set b = kes_set_values({0, 10, 20, 30}, {16, 16, 16, 16}, 2);
  EXPECT_EQ(b.scale, 1.0);
  EXPECT_TRUE(b.two_rows);
  // Texts 40 wide: two rows need (20 - 2) / 40 = 0.45, held at 0.6.
  const kes_values_set c = kes_set_values({0, 10, 20, 30}, {40, 40, 40, 40}, 2);
  EXPECT_EQ(c.scale, 0.6);
  EXPECT_TRUE(c.two_rows);
  // Texts that fit keep their size.
  EXPECT_EQ(kes_set_values({0, 50}, {10, 10}, 2).scale, 1.0);
}

}  // namespace
