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
  // With every place over a text or outside, the first.
  EXPECT_EQ(kes_label_place({places[0], places[1]}, bounds, texts, lines), 0u);
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

}  // namespace
