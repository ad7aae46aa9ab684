// The predictive parser's engine: the parse stack over a descriptor's tables, the
// lookahead buffer, and the least-cost repair of syntax errors.
#pragma once
#include <deque>
#include <vector>

#include "parse/parse_internal.h"

namespace plat::parse {

class engine {
 public:
  explicit engine(parser* p);
  // Parses the whole step; returns when the end marker has been matched or the
  // parse gave up.
  void run();

  // The descriptor's tables.
  int predict(int nonterminal, int terminal) const;
  bool is_terminal(int s) const { return s > 0 && s <= desc_->nterminals; }
  // Pushes the right side of production p.
  static void push_rhs(const kes_gramdesc* d, std::vector<int>* stack, int p);
  // Whether the stack can go on with terminal t (without performing actions).
  bool accepts(const std::vector<int>& stack, int t) const;
  // The stack after terminal t has been matched (t must be accepted).
  std::vector<int> after(const std::vector<int>& stack, int t) const;
  // Terminals the stack can go on with.
  std::vector<int> acceptable(const std::vector<int>& stack) const;

 private:
  // The readings of a token in order of preference.
  std::vector<int> readings(const token& t) const;
  int chosen_reading(const token& t);
  const token& look(size_t k);   // k-th token ahead (0: the current one)
  void consume();                // moves to the next token
  void act(int action);          // performs an action through the semantic routine
  // Runs the stack until terminal `reading` of token t is matched.
  void step_to_match(const token& t, int reading);
  // Error repair (ll_engine.cpp): candidates, the best of them, and carrying it out.
  struct repair_candidate {
    int cost = 0;
    int deletions = 0;
    std::vector<int> inserts;
  };
  void repair();
  bool value_of_a_flag(const token& t, const std::vector<int>& expected);
  bool option_left_without_name(const token& t);
  void match_inserted(int x, const token& here);
  std::string quoted_text(const token& from, const token& to) const;
  int deletion_cost(const token& u) const;
  int insertion_cost(int symbol) const;
  bool fits(const std::vector<int>& stack, const token& u) const;
  void consider(std::vector<repair_candidate>* cands, int cost, int deletions, std::vector<int> inserts) const;
  void add_insertions(const std::vector<int>& expected, const token& t, std::vector<repair_candidate>* cands) const;
  std::vector<int> cheapest_string(int symbol) const;
  void add_completions(const token& t, std::vector<repair_candidate>* cands) const;
  void add_deletions(const std::vector<int>& expected, std::vector<repair_candidate>* cands);
  int progress_after(const repair_candidate& c);
  repair_candidate best_repair(const std::vector<repair_candidate>& cands);
  void apply_repair(const repair_candidate& best, const std::vector<int>& expected, const token& t);
  void panic(const std::vector<int>& expected);
  void trace_syn(const token* matched, int a, int b) const;
  void note_statement_words();
  std::string semicolon_hint_for(const token& t) const;
  std::string expected_text(const std::vector<int>& expected, const token& t) const;

  parser* p_;
  const kes_gramdesc* desc_;
  std::vector<int> stack_;
  std::deque<token> ahead_;
  int first_keyword_ = 0;  // the first keyword terminal
  bool statement_begun_ = false;  // the token read last is the first of its statement
  bool one_variable_only(const std::vector<int>& expected, int deletions);
};

}  // namespace plat::parse
