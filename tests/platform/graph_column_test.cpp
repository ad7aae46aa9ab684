// The columns of a graph's data object give back every row as it was put, bit for bit,
// however they hold it: as runs, after turning to one value a row, across the blocks
// of the rows held one a row, and read in order, backwards or at random.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <random>
#include <vector>

#include "host/host_missing.h"
#include "output/graph_objects.h"

namespace {

using plat::out::graph_column;

std::uint64_t bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

struct column_case {
  const char* what;
  long rows;
  long distinct_every;  // a new value every so many rows (1: each row its own)
};

TEST(GraphColumn, EveryRowComesBackAsPut) {
  const column_case cases[] = {
      {"a few rows, one value", 10, 1000},
      {"runs kept: a level every 100 rows", 50000, 100},
      {"one a row from the start", 20000, 1},
      {"one a row after 4096 rows of runs", 30000, 3},
      {"blocks of one a row, the last one partly full", 3 * 8192 + 17, 1},
  };
  const double missing = host_missing_of_kind(HOST_MISS_STD);
  const double underscore = host_missing_of_kind(HOST_MISS_UNDERSCORE);
  for (const column_case& c : cases) {
    SCOPED_TRACE(c.what);
    graph_column col(true);
    std::vector<double> put;
    for (long r = 0; r < c.rows; ++r) {
      const long k = r / c.distinct_every;
      // Missing values of two kinds and a negative zero among the numbers: each must
      // come back as itself.
      const double v = k % 11 == 5 ? missing : k % 13 == 7 ? underscore : k % 17 == 3 ? -0.0 : 0.25 * k;
      col.push_num(v);
      put.push_back(v);
    }
    ASSERT_EQ(col.size(), static_cast<std::size_t>(c.rows));
    for (long r = 0; r < c.rows; ++r) ASSERT_EQ(bits(col.num(r)), bits(put[r])) << "in order, row " << r;
    for (long r = c.rows - 1; r >= 0; --r) ASSERT_EQ(bits(col.num(r)), bits(put[r])) << "backwards, row " << r;
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
      const long r = static_cast<long>(rng() % static_cast<unsigned>(c.rows));
      ASSERT_EQ(bits(col.num(r)), bits(put[r])) << "at random, row " << r;
    }
    EXPECT_TRUE(std::isnan(col.num(c.rows)));  // past the end
    // Read a piece of rows at a time: the same bits, NaN past the end, from any start.
    for (long piece : {1L, 5L, 512L, 8192L, c.rows + 9}) {
      std::vector<double> got(static_cast<std::size_t>(piece));
      for (long first = 0; first < c.rows + 3; first += piece) {
        col.read(static_cast<std::size_t>(first), got.size(), got.data());
        for (long r = first; r < first + piece; ++r) {
          if (r < c.rows) ASSERT_EQ(bits(got[r - first]), bits(put[r])) << "pieces of " << piece << ", row " << r;
          else ASSERT_TRUE(std::isnan(got[r - first])) << "pieces of " << piece << ", row " << r;
        }
      }
    }
  }
  // A text column read as numbers: every row NaN.
  graph_column text(false);
  text.push_text("a");
  text.push_text("b");
  double got[3] = {1, 2, 3};
  text.read(0, 3, got);
  for (double v : got) EXPECT_TRUE(std::isnan(v));
}

TEST(GraphColumn, TextLevelsKeepTheCodeOfTheirFirstRowPastEveryGrowth) {
  // Levels in a scrambled order with runs and repeats: each row's code is the place
  // of its text among the texts in order of first appearance (a map's answer).
  graph_column c(false);
  std::vector<std::string> put;
  std::map<std::string, long> first;
  std::vector<std::string> order;
  std::mt19937 rng(88123);
  for (int row = 0; row < 40000; ++row) {
    const int level = static_cast<int>(rng() % 5000);
    std::string t = level == 0 ? std::string() : "L" + std::to_string(level) + (level % 7 == 0 ? " of a long name" : "");
    const int repeat = static_cast<int>(rng() % 3);
    for (int r = 0; r <= repeat; ++r) {
      c.push_text(t);
      put.push_back(t);
    }
    if (first.emplace(t, static_cast<long>(order.size())).second) order.push_back(t);
  }
  ASSERT_EQ(c.size(), put.size());
  EXPECT_EQ(c.levels(), order);
  for (std::size_t row = 0; row < put.size(); ++row) {
    ASSERT_EQ(c.text(row), put[row]) << "row " << row;
    ASSERT_EQ(c.code(row), first.at(put[row])) << "row " << row;
  }
  EXPECT_EQ(c.code(put.size()), -1);
}

}  // namespace
