// Which tick values along a horizontal axis are written: those of one axis a blank
// apart, and on a page of several columns those that end more than a blank before the
// next column's first value.
#include <gtest/gtest.h>

#include "devgraph/value_runs.h"

namespace {

TEST(ValueRun, AValueThatWouldOverlapTheOneBeforeIsLeftOut) {
  kes_value_run run;
  EXPECT_TRUE(run.admit(1.0, 3.0));    // ends at 4
  EXPECT_FALSE(run.admit(3.5, 2.0));   // starts inside the last one
  EXPECT_FALSE(run.admit(4.0, 2.0));   // starts where it ends: not beyond
  EXPECT_TRUE(run.admit(4.01, 2.0));   // the left-out value did not move the end
  EXPECT_FALSE(run.admit(5.0, 1.0));
}

// With a blank's width as the gap, a value must start more than a blank after the one
// before ("75" then "95" touching would read "7595"); the first value needs no gap.
TEST(ValueRun, AValueCloserThanABlankToTheOneBeforeIsLeftOut) {
  struct step {
    double left, length;
    bool written;
  };
  const double blank = 0.5;
  const step steps[] = {
      {0.2, 1.0, true},    // first: only beyond 0, ends at 1.2
      {1.25, 1.0, false},  // touches
      {1.7, 1.0, false},   // exactly a blank after: not more
      {1.71, 1.0, true},   // ends at 2.71
      {3.3, 1.0, true},
  };
  kes_value_run run;
  for (const step& s : steps) EXPECT_EQ(run.admit(s.left, s.length, blank), s.written) << s.left;
}

// Columns 30 apart whose axes begin with "0" at 1: the next column's "0" begins at
// 31. A blank of 0.5: a value clears it when it ends before 30.5.
TEST(NextColumn, ValuesEndMoreThanABlankBeforeTheNextColumnsFirst) {
  struct step {
    double left, length;
    bool clear;
  };
  const step steps[] = {
      {1.0, 0.5, true},      // the first value fixes where the next column's begins
      {28.0, 1.25, true},    // ends at 29.25
      {29.0, 1.25, true},    // ends at 30.25, 0.75 before it
      {29.25, 1.25, false},  // ends at 30.5: exactly a blank before it, not more
      {29.75, 1.25, false},  // ends where it begins: "12" and "0" read "120"
      {31.5, 0.5, false},    // past it
  };
  kes_next_cell next(30);
  for (const step& s : steps) EXPECT_EQ(next.clear(s.left, s.length, 0.5), s.clear) << s.left;
}

// The next column's first value stands where this axis' first does, a pitch on,
// however wide the values after it are.
TEST(NextColumn, TheFirstValueAskedAboutFixesTheNextColumnsFirst) {
  struct column {
    double pitch, first_left, last_left, last_length;
    bool clear;
  };
  const column columns[] = {
      {30, 1.0, 29.0, 1.4, true},    // ends at 30.4, 0.6 before 31
      {30, 1.0, 29.2, 1.4, false},   // ends at 30.6, 0.4 before 31
      {30, -0.5, 27.5, 2.4, false},  // a first value reaching left of its axis: next at 29.5
      {30, -0.5, 26.5, 2.4, true},   // ends at 28.9, 0.6 before 29.5
      {45, 1.0, 44.0, 1.4, true},    // a wider column: next at 46
  };
  for (const column& c : columns) {
    kes_next_cell next(c.pitch);
    EXPECT_TRUE(next.clear(c.first_left, 0.5, 0.5));
    EXPECT_EQ(next.clear(c.last_left, c.last_length, 0.5), c.clear) << c.pitch << " " << c.last_left;
  }
}

}  // namespace
