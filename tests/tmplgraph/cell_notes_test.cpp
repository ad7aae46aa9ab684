// Notes on CLASS cells that a graph leaves out name the variable and the cell each in
// its place; the rows of an overlay's note of groups not drawn say which group and
// what, whatever the length of the levels.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "graph_run.h"
#include "support/svg_parts.h"

namespace {

TEST(CellNotes, ACellWithoutSpreadIsNamedWithItsVariable) {
  // Only x = 71.1 of cell c = b passes the WHERE= condition.
  const kes_test::graph_run r = kes_test::run_graphs(
      "class c; qqplot / normal; probplot / normal; ppplot / normal; cdfplot / normal;", "where=(c ne 'b' or x > 70)");
  ASSERT_EQ(r.status, 0) << r.log;
  for (const char* plot : {"the Q-Q plot leaves the cell out", "the probability plot leaves the cell out",
                           "the P-P plot leaves the cell out"}) {
    const std::string want =
        std::string("NOTE: In the cell c = b, the standard deviation of x is missing or 0: ") + plot + ".";
    EXPECT_NE(r.log.find(want), std::string::npos) << want << "\n" << r.log;
  }
  EXPECT_EQ(r.log.find("standard deviation of c"), std::string::npos) << r.log;
}

// Levels of 1 to 300 characters alike but for their last: a row was cut at the end of
// the box, so that a 241-character level left "LLLL…" and no word of what became of
// the group. Each row now keeps its count and "not drawn" whole, and the level keeps
// its end, the part that tells it from the others.
TEST(CellNotes, LongLevelsOfGroupsNotDrawnKeepWhatTellsThemApart) {
  const char* const plots[] = {"qqplot x / normal overlay;", "probplot x / normal overlay;",
                               "ppplot x / normal overlay;", "cdfplot x / normal overlay;"};
  for (const int length : {1, 2, 12, 40, 120, 241, 300}) {
    const auto level = [&](int k) { return std::string(static_cast<std::size_t>(length - 1), 'L') + char('0' + k); };
    // Group 0 of twenty values drawn, groups 1 to 4 of one value each, not drawn.
    std::string csv = "c,x\n";
    for (int i = 0; i < 20; ++i) csv += level(0) + "," + std::to_string(30 + (i * 7) % 20 + 0.25 * (i % 3)) + "\n";
    for (int k = 1; k <= 4; ++k) csv += level(k) + "," + std::to_string(35 + k) + "\n";
    for (const char* plot : plots) {
      SCOPED_TRACE(std::string(plot) + " with levels of " + std::to_string(length) + " characters");
      const kes_test::graph_run r =
          kes_test::run_program(csv, std::string("proc kestravine data=d noprint; class c; ") + plot + " run;\n");
      ASSERT_EQ(r.status, 0) << r.log;
      ASSERT_EQ(r.svg.size(), 1u) << r.log;
      const kes_test::graph_parts g = kes_test::read_parts(r.svg.begin()->second);
      const std::string tail = ": 1 value, not drawn";
      std::set<char> told;
      for (const kes_test::text_item& t : g.texts) {
        if (t.text.find("not drawn") == std::string::npos) continue;
        ASSERT_GT(t.text.size(), tail.size()) << t.text;
        EXPECT_EQ(t.text.substr(t.text.size() - tail.size()), tail) << t.text;
        const std::string named = t.text.substr(0, t.text.size() - tail.size());
        // The level whole, or cut in its middle: its start and its end.
        const bool whole = named.size() == static_cast<std::size_t>(length);
        EXPECT_TRUE(whole || named.find("\u2026") != std::string::npos) << t.text;
        EXPECT_EQ(named[0], length > 1 ? 'L' : named.back()) << t.text;
        told.insert(named.back());
        EXPECT_TRUE(t.ink.x0 >= 0 && t.ink.x1 <= g.width && t.ink.y0 >= 0 && t.ink.y1 <= g.height) << t.text;
      }
      EXPECT_EQ(told, (std::set<char>{'1', '2', '3', '4'}));
      // The log names each group whole.
      for (int k = 1; k <= 4; ++k) EXPECT_NE(r.log.find(level(k)), std::string::npos) << level(k);
    }
  }
}

// Cells too narrow for a row on one line (ten columns on the page): the level stands
// on a line of its own and what follows it in lines of whole words, so that the count
// and "not drawn" show in every cell, at every length of the levels.
TEST(CellNotes, NarrowCellsSetTheirNoteRowsInLinesOfWholeWords) {
  for (const int length : {1, 40, 241}) {
    const auto level = [&](int k) { return std::string(static_cast<std::size_t>(length - 1), 'L') + char('0' + k); };
    std::string csv = "c,h,x\n";
    for (const char* c : {"a", "b", "e"}) {
      for (int i = 0; i < 12; ++i) csv += std::string(c) + "," + level(0) + "," + std::to_string(30 + (i * 7) % 12) + "\n";
      csv += std::string(c) + "," + level(1) + ",40\n";
    }
    for (const char* plot : {"qqplot x / normal overlay ncols=10;", "cdfplot x / normal overlay ncols=10;"}) {
      SCOPED_TRACE(std::string(plot) + " with levels of " + std::to_string(length) + " characters");
      const kes_test::graph_run r =
          kes_test::run_program(csv, std::string("proc kestravine data=d noprint; class c h; ") + plot + " run;\n");
      ASSERT_EQ(r.status, 0) << r.log;
      ASSERT_EQ(r.svg.size(), 1u) << r.log;
      const kes_test::graph_parts g = kes_test::read_parts(r.svg.begin()->second);
      ASSERT_EQ(g.cells.size(), 3u);
      // Each cell's note, its lines joined in the order they are written.
      std::map<long, std::string> notes;
      for (const kes_test::text_item& t : g.texts)
        if (t.in_box >= 0) notes[t.in_box] += (notes[t.in_box].empty() ? "" : " ") + t.text;
      int told = 0;
      for (const auto& [box, text] : notes) {
        if (text.find("not drawn") == std::string::npos) continue;
        ++told;
        EXPECT_NE(text.find(": 1 value, not drawn"), std::string::npos) << text;
        EXPECT_EQ(text.find("\u2026 "), std::string::npos) << "a word cut: " << text;
      }
      EXPECT_EQ(told, 3);
    }
  }
}

}  // namespace
