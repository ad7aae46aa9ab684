// LL(1) analysis of the grammar: nullable, FIRST and FOLLOW sets, the predict
// table with its conflicts, and the least-cost insertion strings of error repair.
#include <algorithm>
#include <climits>

#include "grammar_model.h"

namespace gg {
namespace {

// Costs of error repair by terminal kind.
int insertion_cost(const grammar& g, int t) {
  const std::string& text = g.term_text[static_cast<size_t>(t)];
  switch (g.term_kinds[static_cast<size_t>(t)]) {
    case term_kind::keyword: return 10;
    case term_kind::punct: return 5;
    case term_kind::end_marker: return NEVER_COST;
    case term_kind::token_class:
      if (text == "NAMEX") return 1;
      if (text == "QS" || text == "INT") return 2;
      if (text == "FMT") return 3;
      if (text == "NBR") return 4;
      if (text == "COMPOUND") return 5;
      if (text == "ENDJB") return 5;  // a forgotten semicolon is the commonest slip
      return 50;
  }
  return NEVER_COST;
}

int deletion_cost(const grammar& g, int t) {
  switch (g.term_kinds[static_cast<size_t>(t)]) {
    case term_kind::keyword: return 10;
    case term_kind::punct: return 10;
    case term_kind::end_marker: return NEVER_COST;
    case term_kind::token_class: return 50;
  }
  return NEVER_COST;
}

// The analysis's index of nonterminal n.
size_t idx(const grammar& g, int n) { return static_cast<size_t>(n - g.first_nonterminal); }

// Adds FIRST of the symbols [from, to) of a right-hand side to out (actions skipped):
// true when all of them derive the empty string; changed is set when out grew.
bool add_first(const grammar& g, const analysis& a, std::vector<int>::const_iterator from,
               std::vector<int>::const_iterator to, std::set<int>& out, bool& changed) {
  for (auto it = from; it != to; ++it) {
    const int s = *it;
    if (s < 0) continue;
    if (!g.is_nonterminal(s)) {
      changed |= out.insert(s).second;
      return false;
    }
    for (int t : a.first[idx(g, s)]) changed |= out.insert(t).second;
    if (!a.nullable[idx(g, s)]) return false;
  }
  return true;
}

// Nullable and FIRST, to a fixed point. Actions derive the empty string.
void nullable_and_first(const grammar& g, analysis& a) {
  for (bool changed = true; changed;) {
    changed = false;
    for (const production& p : g.prods) {
      const bool all_nullable = add_first(g, a, p.rhs.begin(), p.rhs.end(), a.first[idx(g, p.lhs)], changed);
      if (all_nullable && !a.nullable[idx(g, p.lhs)]) {
        a.nullable[idx(g, p.lhs)] = true;
        changed = true;
      }
    }
  }
}

void follow(const grammar& g, analysis& a) {
  for (bool changed = true; changed;) {
    changed = false;
    for (const production& p : g.prods) {
      for (size_t i = 0; i < p.rhs.size(); ++i) {
        int s = p.rhs[i];
        if (s < 0 || !g.is_nonterminal(s)) continue;
        std::set<int>& fo = a.follow[idx(g, s)];
        const auto rest = p.rhs.begin() + static_cast<std::ptrdiff_t>(i) + 1;
        if (add_first(g, a, rest, p.rhs.end(), fo, changed))
          for (int t : a.follow[idx(g, p.lhs)]) changed |= fo.insert(t).second;
      }
    }
  }
}

// The predict table, with every cell two productions claim listed as a conflict.
void predict(const grammar& g, analysis& a) {
  a.predict.assign(a.first.size(), std::vector<int>(static_cast<size_t>(g.nterminals) + 1, 0));
  for (int pn = 1; pn <= static_cast<int>(g.prods.size()); ++pn) {
    const production& p = g.prods[static_cast<size_t>(pn - 1)];
    std::set<int> firsts;
    bool unused = false;
    const bool nullable = add_first(g, a, p.rhs.begin(), p.rhs.end(), firsts, unused);
    auto enter = [&](int t, int v) {
      int& cell = a.predict[idx(g, p.lhs)][static_cast<size_t>(t)];
      if (cell == 0) {
        cell = v;
        return;
      }
      int other = cell < 0 ? -cell : cell;
      const production& q = g.prods[static_cast<size_t>(other - 1)];
      a.conflicts.push_back("conflict in " + g.symbol_name(p.lhs) + " on " + g.symbol_name(t) +
                            ": production " + std::to_string(other) + " (" + q.pos.file + ":" +
                            std::to_string(q.pos.line) + ") " + g.production_text(other) +
                            "  and production " + std::to_string(pn) + " (" + p.pos.file + ":" +
                            std::to_string(p.pos.line) + ") " + g.production_text(pn));
    };
    for (int t : firsts) enter(t, pn);
    if (nullable)
      for (int t : a.follow[idx(g, p.lhs)]) enter(t, -pn);
  }
}

// Least-cost insertion: a terminal costs its own cost, a nonterminal its cheapest
// terminal string (capped at the never cost, which the end marker carries).
void insertion_costs(const grammar& g, analysis& a) {
  const int nn = g.nnonterminals();
  const int f0 = g.first_nonterminal;
  a.inscost.assign(static_cast<size_t>(g.nsymbols()) + 1, NEVER_COST);
  a.delcost.assign(static_cast<size_t>(g.nterminals) + 1, NEVER_COST);
  for (int t = 1; t <= g.nterminals; ++t) {
    a.inscost[static_cast<size_t>(t)] = insertion_cost(g, t);
    a.delcost[static_cast<size_t>(t)] = deletion_cost(g, t);
  }
  std::vector<long> best(static_cast<size_t>(nn), LONG_MAX);
  std::vector<int> best_prod(static_cast<size_t>(nn), 0);
  for (bool changed = true; changed;) {
    changed = false;
    for (int pn = 1; pn <= static_cast<int>(g.prods.size()); ++pn) {
      const production& p = g.prods[static_cast<size_t>(pn - 1)];
      long cost = 0;
      for (int s : p.rhs) {
        if (s < 0) continue;
        long c = g.is_nonterminal(s) ? best[idx(g, s)] : a.inscost[static_cast<size_t>(s)];
        if (c == LONG_MAX || (!g.is_nonterminal(s) && c >= NEVER_COST)) {
          cost = LONG_MAX;
          break;
        }
        cost += c;
      }
      if (cost < best[idx(g, p.lhs)]) {
        best[idx(g, p.lhs)] = cost;
        best_prod[idx(g, p.lhs)] = pn;
        changed = true;
      }
    }
  }
  a.cheapest.assign(static_cast<size_t>(nn), {});
  for (int n = f0; n < f0 + nn; ++n) {
    if (best[idx(g, n)] == LONG_MAX) {
      if (n != g.start)
        a.problems.push_back("nonterminal " + g.symbol_name(n) + " derives no terminal string");
      continue;
    }
    a.inscost[static_cast<size_t>(n)] = static_cast<int>(std::min<long>(best[idx(g, n)], NEVER_COST));
    // Expand along the cheapest productions; each expansion step lowers the cost
    // bound or empties a nonterminal, so this ends.
    std::vector<int> out, work{n};
    int steps = 0;
    while (!work.empty() && ++steps < 100000) {
      int s = work.back();
      work.pop_back();
      if (!g.is_nonterminal(s)) {
        out.push_back(s);
        continue;
      }
      const production& p = g.prods[static_cast<size_t>(best_prod[idx(g, s)] - 1)];
      for (auto it = p.rhs.rbegin(); it != p.rhs.rend(); ++it)
        if (*it > 0) work.push_back(*it);
    }
    a.cheapest[idx(g, n)] = out;
  }
}

// Reachability from the start, and keywords the grammar never uses.
void reachability(const grammar& g, analysis& a) {
  const int nn = g.nnonterminals();
  const int f0 = g.first_nonterminal;
  std::vector<bool> reached(static_cast<size_t>(nn), false);
  std::vector<bool> used_term(static_cast<size_t>(g.nterminals) + 1, false);
  std::vector<int> work{g.start};
  reached[idx(g, g.start)] = true;
  while (!work.empty()) {
    int n = work.back();
    work.pop_back();
    for (const production& p : g.prods) {
      if (p.lhs != n) continue;
      for (int s : p.rhs) {
        if (s < 0) continue;
        if (!g.is_nonterminal(s)) {
          used_term[static_cast<size_t>(s)] = true;
        } else if (!reached[idx(g, s)]) {
          reached[idx(g, s)] = true;
          work.push_back(s);
        }
      }
    }
  }
  for (int n = f0; n < f0 + nn; ++n)
    if (!reached[idx(g, n)]) a.warnings.push_back("nonterminal not reachable: " + g.symbol_name(n));
  for (int t = 1; t <= g.nterminals; ++t)
    if (g.term_kinds[static_cast<size_t>(t)] == term_kind::keyword && !used_term[static_cast<size_t>(t)])
      a.warnings.push_back("keyword not used by any statement: " + g.symbol_name(t));
}

}  // namespace

analysis analyse(const grammar& g) {
  analysis a;
  const size_t nn = static_cast<size_t>(g.nnonterminals());
  a.nullable.assign(nn, false);
  a.first.assign(nn, {});
  a.follow.assign(nn, {});
  nullable_and_first(g, a);
  follow(g, a);
  predict(g, a);
  insertion_costs(g, a);
  reachability(g, a);
  return a;
}

}  // namespace gg
