// The generated tables of the statement grammar: the terminal set and its texts,
// the costs of error repair, and the consistency of the predict table, production
// list, actions and insertion strings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/kes_gramdesc.h"

namespace {

const kes_gramtables& T = kes_gram_tables;

std::string terminal(int t) {
  const std::uint8_t* e = T.symtbl + T.symndx[t - 1];
  return std::string(reinterpret_cast<const char*>(e + 1), e[0]);
}

TEST(GrammarTables, KeywordTerminalsAreInByteOrder) {
  ASSERT_EQ(terminal(T.nterminals), "$$$");
  for (int t = T.nclasses + 9; t < T.nterminals; ++t) EXPECT_LT(terminal(t - 1), terminal(t)) << t;
  for (int t = 1; t <= T.nterminals; ++t) EXPECT_EQ(T.symmap[t - 1], t);
}

TEST(GrammarTables, PredictTableNamesProductionsOfItsRow) {
  int entries = 0;
  for (int n = 0; n < T.nnonterminals; ++n) {
    for (int t = 1; t <= T.nterminals; ++t) {
      int k = T.prsndx[n] + t;
      if (k < 0 || k >= T.prslst_len) continue;
      int v = T.prslst[k];
      int p = v < 0 ? -v : v;
      if (p == 0 || T.lhstbl[p - 1] != n) continue;
      ++entries;
      ASSERT_LE(p, T.nproductions);
      // A negative entry predicts an empty production, which derives no terminal.
      if (v < 0) {
        int at = T.prdndx[p - 1];
        for (int i = 1; i <= T.prdlst[at]; ++i) EXPECT_FALSE(T.prdlst[at + i] > 0 && T.prdlst[at + i] <= T.nterminals);
      }
    }
  }
  EXPECT_GT(entries, T.nproductions);
}

TEST(GrammarTables, ProductionsAndActionsAreWellFormed) {
  EXPECT_EQ(T.lhstbl[0], 0);  // the start production comes first
  int at = T.prdndx[0];
  ASSERT_EQ(T.prdlst[at], 2);
  EXPECT_EQ(T.prdlst[at + 1], 389);  // rightmost first: the end marker
  for (int p = 1; p <= T.nproductions; ++p) {
    int a = T.prdndx[p - 1];
    for (int i = 1; i <= T.prdlst[a]; ++i) {
      int s = T.prdlst[a + i];
      ASSERT_NE(s, 0);
      if (s < 0) ASSERT_LE(-s, T.nactions);
      else ASSERT_LT(s, T.first_nonterminal + T.nnonterminals);
    }
  }
  for (int a = 0; a < T.nactions; ++a) {
    EXPECT_GE(T.actmap[a], 1);
    EXPECT_LE(T.actmap[a], 36);
    if (T.argndx[a] != 0xFFFF) {
      ASSERT_LT(T.argndx[a], T.argtbl_len);
      EXPECT_LE(T.argndx[a] + T.argtbl[T.argndx[a]], T.argtbl_len - 1);
    }
  }
}

TEST(GrammarTables, InsertionStringsCostWhatTheirSymbolCosts) {
  // The start symbol (0) ends in the end marker, which is never inserted.
  EXPECT_EQ(T.inscost[T.first_nonterminal - 1], 127);
  for (int n = 1; n < T.nnonterminals; ++n) {
    int at = T.insndx[n];
    ASSERT_LT(at, T.ninstbl);
    int cost = 0;
    for (int i = 1; i <= T.instbl[at]; ++i) {
      int t = T.instbl[at + i];
      ASSERT_GE(t, 1);
      ASSERT_LE(t, T.nterminals);
      cost += T.inscost[t - 1];
    }
    EXPECT_EQ(std::min(cost, 127), T.inscost[T.first_nonterminal + n - 1]) << n;
  }
}

}  // namespace
