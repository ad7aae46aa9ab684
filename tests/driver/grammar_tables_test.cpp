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
