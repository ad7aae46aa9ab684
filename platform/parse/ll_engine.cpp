// LL(1) predictive parsing over the descriptor's tables, with least-cost repair of
// syntax errors by inserting and deleting tokens.
#include "parse/ll_engine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/name_case.h"
#include "core/runtime.h"

namespace plat::parse {
namespace {

constexpr int kMaxSimulation = 100000;  // guards the simulations against a bad table
constexpr int kMaxDeletions = 3;
constexpr int kMaxCompletion = 3;
constexpr int kCheapInsertion = 5;      // a first insertion that may be followed by another
constexpr int kValidation = 4;          // tokens a repair should let the parse take
constexpr size_t kMaxExpectedShown = 8; // terminals an error message names
constexpr int kNearSpelling = 2;        // edits within which a keyword counts as near
constexpr int kFarSpelling = 99;        // the distance of every terminal not near
constexpr size_t kMaxDeletedShown = 42; // characters of deleted text a message shows
constexpr int kTakesNoValue = 43;       // catalogue entry: an option without a value given one
constexpr int kNoNameBeforeOption = 47; // catalogue entry: "STD=" with the next option after it

}  // namespace

engine::engine(parser* p) : p_(p), desc_(p->desc) {
  p_->lookahead = &ahead_;
  for (int t = desc_->nclasses + 1; t < desc_->nterminals && first_keyword_ == 0; ++t)
    if (p_->syms->keywords.count(p_->syms->texts[static_cast<size_t>(t)]) ||
        (p_->syms->texts[static_cast<size_t>(t)].size() > 1))
      first_keyword_ = t;
}

namespace {

// Edits (insert, delete, replace, swap two neighbours) that turn a into b.
int edit_distance(const std::string& a, const std::string& b) {
  const size_t n = a.size(), m = b.size();
  std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1));
  for (size_t i = 0; i <= n; ++i) d[i][0] = static_cast<int>(i);
  for (size_t j = 0; j <= m; ++j) d[0][j] = static_cast<int>(j);
  for (size_t i = 1; i <= n; ++i)
    for (size_t j = 1; j <= m; ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[n][m];
}

}  // namespace

// What could have stood where the token is: at most kMaxExpectedShown, the keywords nearest in
// spelling to the token first.
std::string engine::expected_text(const std::vector<int>& expected, const token& t) const {
  std::vector<std::pair<int, int>> order;  // (distance, terminal)
  // Only a colour takes #RRGGBB: where it may stand, the name and the quoted text that
  // may stand beside it are that colour's spellings, and are named as one.
  const bool colour = std::find(expected.begin(), expected.end(), static_cast<int>(T_VLITERAL)) != expected.end();
  auto is_keyword = [&](int x) { return x >= first_keyword_ && x < desc_->nterminals; };
  // Where no main keyword could stand, an alternative spelling is the word's only one
  // (EST where a value or EST goes) and is named.
  const bool mains = std::any_of(expected.begin(), expected.end(), [&](int x) {
    const std::string& text = p_->syms->texts[static_cast<size_t>(x)];
    return is_keyword(x) && !text.empty() && text.back() != '$';
  });
  for (int x : expected) {
    if (colour && (x == T_NAMEX || x == T_QS)) continue;
    std::string text = p_->syms->texts[static_cast<size_t>(x)];
    bool alternative = text.size() > 1 && text.back() == '$';
    if (alternative) text.pop_back();
    int d = x > desc_->nclasses && text.size() > 1 && !t.text.empty() ? edit_distance(t.text, text)
                                                                       : kFarSpelling;
    // Alternative spellings are named only when they are the near ones.
    if (alternative && mains && d > kNearSpelling) continue;
    order.emplace_back(d <= kNearSpelling ? d : kFarSpelling, x);
  }
  // Dates, times and missing values are seldom what was meant: the keywords come first.
  auto rank = [&](int x) {
    return x == T_DATE || x == T_TIME || x == T_DATETIME || x == T_MISSING ? 1 : 0;
  };
  std::stable_sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : rank(a.second) < rank(b.second);
  });
  std::string out;
  for (size_t i = 0; i < order.size() && i < kMaxExpectedShown; ++i)
    out += (i ? ", " : "") + terminal_text(p_, order[i].second);
  if (order.size() > kMaxExpectedShown) out += ", ...";
  return out;
}

int engine::predict(int n, int t) const {
  int row = n - desc_->first_nonterminal;
  int k = desc_->prsndx[row] + t;
  if (k < 0 || k >= desc_->prslst_len) return 0;
  int v = desc_->prslst[k];
  int prod = v < 0 ? -v : v;
  if (prod == 0 || desc_->lhstbl[prod - 1] != row) return 0;
  return prod;
}

void engine::push_rhs(const kes_gramdesc* d, std::vector<int>* stack, int prod) {
  int at = d->prdndx[prod - 1];
  int count = d->prdlst[at];
  // Stored rightmost first: pushing in that order leaves the leftmost on top.
  for (int i = 1; i <= count; ++i) stack->push_back(d->prdlst[at + i]);
}

bool engine::accepts(const std::vector<int>& stack, int t) const {
  std::vector<int> s = stack;
  for (int guard = 0; guard < kMaxSimulation && !s.empty(); ++guard) {
    int x = s.back();
    if (x < 0) {
      s.pop_back();
      continue;
    }
    if (is_terminal(x)) return x == t;
    int prod = predict(x, t);
    if (prod == 0) return false;
    s.pop_back();
    push_rhs(desc_, &s, prod);
  }
  return false;
}

std::vector<int> engine::after(const std::vector<int>& stack, int t) const {
  std::vector<int> s = stack;
  for (int guard = 0; guard < kMaxSimulation && !s.empty(); ++guard) {
    int x = s.back();
    s.pop_back();
    if (x < 0) continue;
    if (is_terminal(x)) return s;
    int prod = predict(x, t);
    if (prod == 0) return s;
    push_rhs(desc_, &s, prod);
  }
  return s;
}

std::vector<int> engine::acceptable(const std::vector<int>& stack) const {
  std::vector<int> out;
  for (int t = 1; t <= desc_->nterminals; ++t)
    if (accepts(stack, t)) out.push_back(t);
  return out;
}

std::vector<int> engine::readings(const token& t) const {
  std::vector<int> r;
  if (t.keyword) r.push_back(t.keyword);
  r.push_back(t.cls);
  if (t.alt) r.push_back(t.alt);
  return r;
}

// The first reading the grammar accepts here. A word that spells a keyword where a
// name may also stand (a name list followed by options) is a keyword only when the
// token after it fits the keyword: "median=md1 q3 q4" lists the name Q3, and
// "median=md1 q3=x" gives the option Q3=.
int engine::chosen_reading(const token& t) {
  int first = 0;
  for (int r : readings(t)) {
    if (!accepts(stack_, r)) continue;
    if (first == 0) first = r;
    if (r != t.keyword) return r;
    if (!accepts(stack_, t.cls)) return r;
    if (fits(after(stack_, r), look(1))) return r;
  }
  return first;
}

const token& engine::look(size_t k) {
  while (ahead_.size() <= k) {
    if (!ahead_.empty() && ahead_.back().cls == desc_->nterminals) {
      ahead_.push_back(ahead_.back());
      continue;
    }
    if (desc_->token_reader)
      reinterpret_cast<int (*)(void*)>(desc_->token_reader)(p_);
    else
      read_token(p_);
    ahead_.push_back(p_->tok);
  }
  return ahead_[k];
}

void engine::act(int action) {
  if (desc_->semantic_routine)
    reinterpret_cast<int (*)(void*, int)>(desc_->semantic_routine)(p_, action);
  else
    perform(p_, action);
}

void engine::consume() {
  if (!ahead_.empty()) ahead_.pop_front();
}

void engine::trace_syn(const token* t, int a, int b) const {
  if (!(p_->trace & HOST_TRACE_SYN)) return;
  std::string line;
  if (t != nullptr)
    line = "SYN: match " + terminal_text(p_, a) + " " + describe(p_, *t);
  else
    line = "SYN: N" + std::to_string(a) + " predicts production " + std::to_string(b);
  log_write(msg_kind::plain, line);
}

void engine::step_to_match(const token& t, int reading) {
  for (int guard = 0; guard < kMaxSimulation && !stack_.empty(); ++guard) {
    int x = stack_.back();
    if (x < 0) {
      stack_.pop_back();
      act(-x);
      continue;
    }
    if (is_terminal(x)) {
      stack_.pop_back();
      statement_begun_ = p_->last.cls == T_ENDJB || p_->last.cls == 0;
      if (reading == p_->syms->punct[static_cast<unsigned char>('=')])
        p_->option_keyword = p_->last.cls >= first_keyword_ && p_->last.cls < desc_->nterminals ? p_->last : token();
      p_->last = t;
      p_->last.cls = reading;
      if (reading >= first_keyword_ && reading < desc_->nterminals) p_->last_keyword = p_->last;
      trace_syn(&t, reading, 0);
      return;
    }
    int prod = predict(x, reading);
    if (prod == 0) return;  // not reached: the reading was accepted
    trace_syn(nullptr, x, prod);
    stack_.pop_back();
    push_rhs(desc_, &stack_, prod);
  }
}

void engine::run() {
  stack_.assign(1, desc_->first_nonterminal);
  while (!stack_.empty() && !p_->gave_up) {
    int x = stack_.back();
    if (x < 0) {
      stack_.pop_back();
      act(-x);
      continue;
    }
    token t = look(0);
    int r = chosen_reading(t);
    if (r == T_NAMEX && option_left_without_name(t)) continue;
    if (r == 0) {
      repair();
      continue;
    }
    step_to_match(t, r);
    if (r == desc_->nterminals) break;
    if (r == T_ENDJB && p_->statement_words.empty()) note_statement_words();
    consume();
  }
}

// After the PROC statement the keywords the grammar takes are those that begin the
// step's statements.
void engine::note_statement_words() {
  for (int x : acceptable(stack_))
    if (x >= first_keyword_ && x < desc_->nterminals) {
      std::string text = p_->syms->texts[static_cast<size_t>(x)];
      if (text.size() > 1 && text.back() == '$') text.pop_back();
      p_->statement_words.insert(text);
    }
}

// The hint for a token that failed where it stands: a statement's name in the middle of
// a statement is most often the next statement, its semicolon missing.
std::string engine::semicolon_hint_for(const token& t) const {
  // A WHERE statement, as other steps take it: here rows are chosen as the data set is
  // read.
  if (!t.synthetic && t.cls == T_NAMEX && upper(t.raw) == "WHERE" && (p_->last.cls == T_ENDJB || p_->last.cls == 0))
    return "; WHERE is not a statement of this step: choose the observations with the data set option WHERE=, "
           "as in DATA=name(WHERE=(condition))";
  // QUIT ends steps of other kinds; left here it would be taken for a mistyped statement.
  if (!t.synthetic && t.cls == T_NAMEX && upper(t.raw) == "QUIT" && (p_->last.cls == T_ENDJB || p_->last.cls == 0))
    return "; QUIT does not end this step: a RUN statement ends it, and so does the next PROC statement or the end "
           "of the program";
  if (p_->last.cls == T_ENDJB || t.synthetic || (t.cls != T_NAMEX && t.keyword == 0)) return {};
  return missing_semicolon(p_, t.raw);
}

// A word costs what a keyword costs to delete: a stray word is most often a
// misspelt keyword.
int engine::deletion_cost(const token& u) const {
  int term = u.keyword ? u.keyword : u.cls;
  int c = desc_->delcost[term - 1];
  if (u.cls == T_NAMEX && first_keyword_ > 0) c = std::min<int>(c, desc_->delcost[first_keyword_ - 1]);
  return c;
}

int engine::insertion_cost(int symbol) const { return desc_->inscost[symbol - 1]; }

bool engine::fits(const std::vector<int>& stack, const token& u) const {
  for (int r : readings(u))
    if (accepts(stack, r)) return true;
  return false;
}

void engine::consider(std::vector<repair_candidate>* cands, int cost, int deletions, std::vector<int> inserts) const {
  if (cost >= desc_->never_cost) return;
  cands->push_back(repair_candidate{cost, deletions, std::move(inserts)});
}

// Insertions of one terminal before the token, or of two marks or values.
void engine::add_insertions(const std::vector<int>& expected, const token& t,
                            std::vector<repair_candidate>* cands) const {
  const int end = desc_->nterminals;
  for (int x : expected) {
    if (x == end || insertion_cost(x) >= desc_->never_cost) continue;
    // A '-' put between two names would make a range of names the program does not
    // hold (FREQ a b read as FREQ a-b).
    if (x == p_->syms->punct[static_cast<unsigned char>('-')] && t.cls == T_NAMEX && p_->last.cls == T_NAMEX &&
        !p_->last.synthetic)
      continue;
    std::vector<int> s1 = after(stack_, x);
    if (fits(s1, t)) {
      consider(cands, insertion_cost(x), 0, {x});
      continue;
    }
    // Two marks or values may be inserted together, never keywords: a keyword
    // would begin another option or statement of the repair's own choosing.
    if (insertion_cost(x) > kCheapInsertion || x >= first_keyword_) continue;
    for (int y : acceptable(s1)) {
      if (y == end || y >= first_keyword_) continue;
      if (fits(after(s1, y), t)) consider(cands, insertion_cost(x) + insertion_cost(y), 0, {x, y});
    }
  }
}

// The cheapest string that completes a symbol: itself for a terminal.
std::vector<int> engine::cheapest_string(int symbol) const {
  if (is_terminal(symbol)) return {symbol};
  std::vector<int> str;
  int at = desc_->insndx[symbol - desc_->first_nonterminal];
  for (int k = 1; k <= desc_->instbl[at]; ++k) str.push_back(desc_->instbl[at + k]);
  return str;
}

// Completing the symbols on top of the stack with their cheapest strings.
void engine::add_completions(const token& t, std::vector<repair_candidate>* cands) const {
  const int end = desc_->nterminals;
  std::vector<int> s = stack_, inserts;
  int cost = 0, done = 0;
  for (int i = static_cast<int>(stack_.size()) - 1; i >= 0 && done < kMaxCompletion; --i) {
    int sym = stack_[static_cast<size_t>(i)];
    if (sym < 0) continue;
    ++done;
    for (int term : cheapest_string(sym)) {
      if (term == end || !accepts(s, term)) return;
      cost += insertion_cost(term);
      s = after(s, term);
      inserts.push_back(term);
    }
    if (cost >= desc_->never_cost) return;
    if (!inserts.empty() && fits(s, t)) consider(cands, cost, 0, inserts);
  }
}

// Deletions of up to a few tokens, each perhaps followed by one insertion.
void engine::add_deletions(const std::vector<int>& expected, std::vector<repair_candidate>* cands) {
  const int end = desc_->nterminals;
  int dcost = 0;
  for (int k = 1; k <= kMaxDeletions; ++k) {
    const token gone = look(static_cast<size_t>(k - 1));
    if (gone.cls == end) break;
    dcost += deletion_cost(gone);
    if (dcost >= desc_->never_cost) break;
    const token u = look(static_cast<size_t>(k));
    if (fits(stack_, u)) {
      consider(cands, dcost, k, {});
      continue;
    }
    // A keyword is not put in place of deleted tokens: that would quietly give
    // another option.
    for (int x : expected)
      if (x != end && x <= first_keyword_ - 1 && fits(after(stack_, x), u))
        consider(cands, dcost + insertion_cost(x), k, {x});
  }
}

// How many tokens (up to kValidation) the parse takes after the repair.
int engine::progress_after(const repair_candidate& c) {
  const int end = desc_->nterminals;
  std::vector<int> s = stack_;
  for (int x : c.inserts) s = after(s, x);
  int progress = 0;
  for (; progress < kValidation; ++progress) {
    const token u = look(static_cast<size_t>(c.deletions + progress));
    int r = 0;
    for (int rd : readings(u))
      if (accepts(s, rd)) {
        r = rd;
        break;
      }
    if (r == 0) return progress;
    if (r == T_ENDJB || r == end) return kValidation;
    s = after(s, r);
  }
  return progress;
}

// The repair that lets the parse go on longest, the cheapest among those, the one
// with fewer deletions on a tie; its cost is "never" when there is none.
engine::repair_candidate engine::best_repair(const std::vector<repair_candidate>& cands) {
  repair_candidate best;
  best.cost = desc_->never_cost;
  int best_progress = -1;
  for (const repair_candidate& c : cands) {
    const int progress = progress_after(c);
    if (progress > best_progress ||
        (progress == best_progress &&
         (c.cost < best.cost || (c.cost == best.cost && c.deletions < best.deletions)))) {
      best = c;
      best_progress = progress;
    }
  }
  return best;
}

// Names that follow the one variable a statement takes (FREQ a b): only the end of the
// statement or a range of names could follow the variable read last.
bool engine::one_variable_only(const std::vector<int>& expected, int deletions) {
  if (p_->last.cls != T_NAMEX || p_->last.synthetic || p_->sem.cur_stmt.empty()) return false;
  // The name read last was a variable of a list.
  const semantics& s = p_->sem;
  if (s.cur == nullptr || s.cur_list < 0 || s.cur_list >= static_cast<int>(s.cur->stores.size())) return false;
  const list_type lt = s.cur->stores[static_cast<size_t>(s.cur_list)].type;
  if (lt != list_type::numvars && lt != list_type::anyvars) return false;
  if (std::find(expected.begin(), expected.end(), T_NAMEX) != expected.end() ||
      std::find(expected.begin(), expected.end(), T_ENDJB) == expected.end())
    return false;
  for (int k = 0; k < deletions; ++k)
    if (look(static_cast<size_t>(k)).cls != T_NAMEX) return false;
  return look(static_cast<size_t>(deletions)).cls == T_ENDJB;
}

// Reports the repair and carries it out: the deleted tokens are skipped, the
// inserted terminals matched as if read.
void engine::apply_repair(const repair_candidate& best, const std::vector<int>& expected, const token& t) {
  std::string exp_text;
  if (best.deletions > 0) {
    exp_text = expected_text(expected, t);
    const std::string gone = quoted_text(t, look(static_cast<size_t>(best.deletions - 1)));
    if (one_variable_only(expected, best.deletions)) {
      std::string stmt = p_->sem.cur_stmt;
      for (char& c : stmt) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      parse_error(p_, t.line, t.col, 33, stmt.c_str(), gone.c_str());
    } else {
      parse_error(p_, t.line, t.col, 2, gone.c_str(), (exp_text + semicolon_hint_for(t)).c_str());
    }
    for (int k = 0; k < best.deletions; ++k) consume();
  } else {
    // A value the option takes as any number is not called an integer.
    const bool any_number = std::find(expected.begin(), expected.end(), T_NBR) != expected.end();
    for (size_t i = 0; i < best.inserts.size(); ++i)
      exp_text += (i ? " and " : "") + (best.inserts[i] == T_INT && any_number ? std::string("a number")
                                                                                : terminal_text(p_, best.inserts[i]));
    // Right after "OPTION=" the message names the option whose value is missing.
    const token& k = p_->last_keyword;
    const int equals = p_->syms->punct[static_cast<unsigned char>('=')];
    const token& name = p_->last;
    // "NAME=" after a list of names, where NAME is no option: the name was read into the
    // list, and the repair would put a keyword before '='. The word before '=' is what
    // is wrong, so that word is named, with the keywords that could stand there.
    if (t.cls == equals && name.cls == T_NAMEX && !name.synthetic && name.end <= t.begin &&
        best.inserts.size() == 1 && best.inserts[0] != T_NAMEX) {
      const std::string word = "'" + p_->text.substr(name.begin, t.end - name.begin) + "'";
      std::vector<int> options = expected;  // a name followed by '=' is never one
      options.erase(std::remove(options.begin(), options.end(), T_NAMEX), options.end());
      parse_error(p_, name.line, name.col, 2, word.c_str(),
                  (expected_text(options, name) + semicolon_hint_for(t)).c_str());
    } else if (!p_->last.synthetic && p_->last.cls == equals && k.line > 0 && !k.synthetic && k.end <= p_->last.begin)
      parse_error(p_, t.line, t.col, KES_MSG_VALUE_EXPECTED_AFTER_OPTION, exp_text.c_str(), (k.text + "=").c_str(),
                  describe(p_, t).c_str());
    else
      parse_error(p_, t.line, t.col, 1, exp_text.c_str(), (describe(p_, t) + semicolon_hint_for(t)).c_str());
  }
  const token& here = look(0);
  for (int x : best.inserts) match_inserted(x, here);
}

// Terminal x, put in by a repair before the token `here`, matched as if read there.
void engine::match_inserted(int x, const token& here) {
  token s;
  s.cls = x;
  s.synthetic = true;
  s.line = here.line;
  s.col = here.col;
  step_to_match(s, x);
}

// The program's text from token `from` to token `to`, quoted on one line and cut to
// what a message shows.
std::string engine::quoted_text(const token& from, const token& to) const {
  std::string text = "'" + p_->text.substr(from.begin, to.end - from.begin) + "'";
  for (char& c : text)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  if (text.size() > kMaxDeletedShown) text = text.substr(0, kMaxDeletedShown - 2) + "...'";
  return text;
}

// The least-cost repair: insert a short string of terminals before the token,
// delete a few tokens, or both; of every repair within reach, the one that lets the
// parse go on longest wins.
void engine::repair() {
  const token t = look(0);
  std::vector<int> expected = acceptable(stack_);
  // A statement that begins with a word the grammar does not know is skipped whole.
  if (p_->last.cls == T_ENDJB && !p_->last.synthetic && t.cls != desc_->nterminals) {
    panic(expected);
    return;
  }
  if (value_of_a_flag(t, expected)) return;
  std::vector<repair_candidate> cands;
  add_insertions(expected, t, &cands);
  add_completions(t, &cands);
  add_deletions(expected, &cands);
  const repair_candidate best = best_repair(cands);
  if (best.cost >= desc_->never_cost) {
    panic(expected);
    return;
  }
  apply_repair(best, expected, t);
}

// "GRID=yes" where GRID takes no value: the cheapest repair would make '=' the start of
// another option and read the value as that option's, so the option is said to take
// none and its '=' and value are skipped.
bool engine::value_of_a_flag(const token& t, const std::vector<int>& expected) {
  const int equals = p_->syms->punct[static_cast<unsigned char>('=')];
  const token& k = p_->last;
  if (t.synthetic || t.cls != equals || k.synthetic || k.cls < first_keyword_ || k.cls >= desc_->nterminals ||
      k.end > t.begin || statement_begun_ || std::find(expected.begin(), expected.end(), equals) != expected.end())
    return false;
  int gone = 1;
  const token& value = look(1);
  const int end = desc_->nterminals, minus = p_->syms->punct[static_cast<unsigned char>('-')];
  if (value.cls != T_ENDJB && value.cls != end && !fits(stack_, value))
    gone = value.cls == minus && look(2).cls != T_ENDJB && look(2).cls != end ? 3 : 2;
  const std::string skipped = quoted_text(t, look(static_cast<size_t>(gone - 1)));
  const std::string option = upper(k.raw.empty() ? k.text : k.raw);
  parse_error(p_, t.line, t.col, kTakesNoValue, option.c_str(), skipped.c_str());
  for (int i = 0; i < gone; ++i) consume();
  return true;
}

// "std=" at a line's end and "n=cnt" on the next: the word after "STD=" spells an
// option and '=' follows it, so it is that option, and STD= is the one without its
// name. Read as a name, it would be taken for STD='s and the error said at its '='.
// STD= is told so where it stands, a name is put in for it, and the option is read.
bool engine::option_left_without_name(const token& t) {
  const int equals = p_->syms->punct[static_cast<unsigned char>('=')];
  const token& k = p_->last_keyword;
  const token& eq = p_->last;
  if (t.synthetic || t.keyword == 0 || eq.synthetic || eq.cls != equals || k.synthetic || k.line == 0 ||
      k.end > eq.begin || look(1).cls != equals || look(1).synthetic || accepts(stack_, t.keyword))
    return false;
  const std::vector<int> named = after(stack_, T_NAMEX);
  if (!accepts(named, t.keyword) || !fits(after(named, t.keyword), look(1))) return false;
  const std::string word = p_->text.substr(t.begin, look(1).end - t.begin);
  parse_error(p_, k.line, k.col, kNoNameBeforeOption, upper(k.raw).c_str(), word.c_str(), upper(t.raw).c_str());
  match_inserted(T_NAMEX, t);
  return true;
}

// No repair within reach: skip to the end of the statement and go on from there.
void engine::panic(const std::vector<int>& expected) {
  const token t = look(0);
  std::string exp_text = expected_text(expected, t);
  parse_error(p_, t.line, t.col, 3, describe(p_, t).c_str(), (exp_text + semicolon_hint_for(t)).c_str());
  const int end = desc_->nterminals;
  while (look(0).cls != T_ENDJB && look(0).cls != end) consume();
  const int target = look(0).cls;
  while (!stack_.empty() && !accepts(stack_, target)) stack_.pop_back();
  if (stack_.empty()) p_->gave_up = true;
}

}  // namespace plat::parse
