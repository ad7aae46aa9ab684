#include "data/where_clause.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/name_case.h"
#include "data/dataset_internal.h"
#include "host/host_missing.h"

namespace plat {

struct where_node {
  enum kind_t { var, num, text, neg, cmp, in, between, missing, all, any, negation } kind = num;
  enum op_t { eq, ne, lt, le, gt, ge } op = eq;
  bool negated = false;     // NOT IN, NOT BETWEEN, IS NOT MISSING
  std::string name;         // a variable's name as written
  int varnum = -1;
  bool is_text = false;     // the type of an operand's value
  double value = 0;
  std::string str;
  std::vector<std::unique_ptr<where_node>> kids;
};

namespace {

struct value {
  bool is_text = false;
  double num = 0;
  std::string_view str;
};

struct op_word {
  const char* word;
  where_node::op_t op;
};
constexpr op_word kOps[] = {{"=", where_node::eq},  {"EQ", where_node::eq}, {"^=", where_node::ne},
                            {"~=", where_node::ne}, {"!=", where_node::ne}, {"NE", where_node::ne},
                            {"<", where_node::lt},  {"LT", where_node::lt}, {"<=", where_node::le},
                            {"LE", where_node::le}, {">", where_node::gt},  {"GT", where_node::gt},
                            {">=", where_node::ge}, {"GE", where_node::ge}};

// Words that are operators in a condition, never variable names.
constexpr const char* kReserved[] = {"AND", "OR", "NOT", "IN", "IS", "MISSING", "NULL", "BETWEEN",
                                     "EQ",  "NE", "LT",  "LE", "GT", "GE"};

bool reserved(const opt_token& t) {
  if (t.kind != opt_token::word) return false;
  for (const char* w : kReserved)
    if (iequals(t.s, w)) return true;
  return false;
}

constexpr int kMaxNesting = 200;

class reader {
 public:
  reader(const std::vector<opt_token>& t, size_t at) : t_(t), at_(at) {}
  size_t at() const { return at_; }
  const std::string& error() const { return error_; }

  std::unique_ptr<where_node> condition() { return chain(where_node::any, "OR"); }

 private:
  const opt_token& peek(size_t k = 0) const { return t_[std::min(at_ + k, t_.size() - 1)]; }
  bool is_word(const char* w, size_t k = 0) const { return peek(k).kind == opt_token::word && iequals(peek(k).s, w); }
  bool word(const char* w) {
    if (!is_word(w)) return false;
    ++at_;
    return true;
  }
  bool mark(const char* m) {
    if (peek().kind != opt_token::mark || peek().s != m) return false;
    ++at_;
    return true;
  }
  std::unique_ptr<where_node> fail(const std::string& what) {
    if (error_.empty()) error_ = what + ", not " + token_shown(peek());
    return nullptr;
  }
  // A run of operands joined by one word (OR, AND) is one node with a child each, so
  // that a chain of any length is read, bound and evaluated without recursion.
  std::unique_ptr<where_node> chain(where_node::kind_t k, const char* joiner) {
    auto first = k == where_node::any ? chain(where_node::all, "AND") : negation();
    if (!first || !is_word(joiner)) return first;
    auto n = std::make_unique<where_node>();
    n->kind = k;
    n->kids.push_back(std::move(first));
    while (word(joiner)) {
      auto next = k == where_node::any ? chain(where_node::all, "AND") : negation();
      if (!next) return nullptr;
      n->kids.push_back(std::move(next));
    }
    return n;
  }
  // NOT, minus signs and parentheses nest by recursion: deeper than this is refused
  // rather than let it run out of stack.
  bool deeper() {
    if (++depth_ <= kMaxNesting) return true;
    if (error_.empty())
      error_ = "NOT, minus signs and parentheses are nested more than " + std::to_string(kMaxNesting) +
               " deep; write the condition with fewer levels";
    return false;
  }
  static std::unique_ptr<where_node> join(where_node::kind_t k, std::unique_ptr<where_node> a,
                                          std::unique_ptr<where_node> b) {
    if (!b) return nullptr;
    auto n = std::make_unique<where_node>();
    n->kind = k;
    n->kids.push_back(std::move(a));
    n->kids.push_back(std::move(b));
    return n;
  }

  std::unique_ptr<where_node> negation() {
    if (!word("NOT")) return predicate();
    if (!deeper()) return nullptr;
    auto inner = negation();
    --depth_;
    if (!inner) return nullptr;
    auto n = std::make_unique<where_node>();
    n->kind = where_node::negation;
    n->kids.push_back(std::move(inner));
    return n;
  }

  std::unique_ptr<where_node> predicate() {
    auto left = operand();
    if (!left) return nullptr;
    for (const op_word& o : kOps) {
      const bool is_mark = !(o.word[0] >= 'A' && o.word[0] <= 'Z');
      if (is_mark ? mark(o.word) : word(o.word)) {
        auto n = join(where_node::cmp, std::move(left), operand());
        if (n) n->op = o.op;
        return n;
      }
    }
    if (word("IS")) {
      auto n = std::make_unique<where_node>();
      n->kind = where_node::missing;
      n->negated = word("NOT");
      if (!word("MISSING") && !word("NULL")) return fail("IS wants MISSING or NOT MISSING");
      n->kids.push_back(std::move(left));
      return n;
    }
    const bool negated = is_word("NOT") && (is_word("IN", 1) || is_word("BETWEEN", 1));
    if (negated) ++at_;
    if (word("IN")) return in_list(std::move(left), negated);
    if (word("BETWEEN")) {
      auto low = operand();
      if (!low) return nullptr;
      if (!word("AND")) return fail("BETWEEN wants AND between its two bounds");
      auto high = operand();
      if (!high) return nullptr;
      auto n = std::make_unique<where_node>();
      n->kind = where_node::between;
      n->negated = negated;
      n->kids.push_back(std::move(left));
      n->kids.push_back(std::move(low));
      n->kids.push_back(std::move(high));
      return n;
    }
    return left;
  }

  std::unique_ptr<where_node> in_list(std::unique_ptr<where_node> left, bool negated) {
    auto n = std::make_unique<where_node>();
    n->kind = where_node::in;
    n->negated = negated;
    n->kids.push_back(std::move(left));
    if (!mark("(")) return fail("IN wants a list of values in parentheses");
    while (!mark(")")) {
      mark(",");
      auto c = constant();
      if (!c) return fail("the list of IN holds numbers, missing values or quoted texts");
      n->kids.push_back(std::move(c));
    }
    if (n->kids.size() < 2) return fail("the list of IN is empty");
    return n;
  }

  std::unique_ptr<where_node> constant() {
    const opt_token& t = peek();
    auto n = std::make_unique<where_node>();
    if (t.kind == opt_token::number || t.kind == opt_token::missing) {
      n->kind = where_node::num;
      n->value = t.value;
    } else if (t.kind == opt_token::text) {
      n->kind = where_node::text;
      n->is_text = true;
      n->str = t.s;
    } else if (t.kind == opt_token::mark && (t.s == "-" || t.s == "+") && peek(1).kind == opt_token::number) {
      ++at_;
      n->kind = where_node::num;
      n->value = t.s == "-" ? -peek().value : peek().value;
    } else {
      return nullptr;
    }
    ++at_;
    return n;
  }

  std::unique_ptr<where_node> operand() {
    if (auto c = constant()) return c;
    if (mark("-")) {
      if (!deeper()) return nullptr;
      auto inner = operand();
      --depth_;
      if (!inner) return nullptr;
      auto n = std::make_unique<where_node>();
      n->kind = where_node::neg;
      n->kids.push_back(std::move(inner));
      return n;
    }
    if (mark("(")) {
      if (!deeper()) return nullptr;
      auto inner = condition();
      --depth_;
      if (!inner) return nullptr;
      if (!mark(")")) return fail("')' expected");
      return inner;
    }
    if (peek().kind == opt_token::word && !reserved(peek())) {
      auto n = std::make_unique<where_node>();
      n->kind = where_node::var;
      n->name = peek().s;
      ++at_;
      return n;
    }
    return fail("a variable, a number, a missing value or a quoted text expected");
  }

  const std::vector<opt_token>& t_;
  size_t at_;
  int depth_ = 0;
  std::string error_;
};

bool bind_node(where_node* n, const dataset* ds, const std::function<int(const std::string&)>& find, int* names,
               std::string* error) {
  for (auto& k : n->kids)
    if (!bind_node(k.get(), ds, find, names, error)) return false;
  auto type = [](const where_node* k) { return k->is_text ? "character" : "numeric"; };
  auto same_type = [&](const where_node* a, const where_node* b, const char* what) {
    if (a->is_text == b->is_text) return true;
    *error = "has " + std::string(what) + " that joins a " + type(a) + " value with a " + type(b) + " value";
    return false;
  };
  switch (n->kind) {
    case where_node::var:
      n->varnum = find(n->name);
      if (n->varnum < 0) {
        *error = "names variable " + n->name + ", which data set " + dataset_name(ds) + " does not have";
        return false;
      }
      n->is_text = !ds->vars[static_cast<size_t>(n->varnum)].numeric;
      ++*names;
      return true;
    case where_node::neg:
      if (n->kids[0]->is_text) {
        *error = "has a minus sign before a character value";
        return false;
      }
      return true;
    case where_node::cmp: return same_type(n->kids[0].get(), n->kids[1].get(), "a comparison");
    case where_node::in:
      for (size_t i = 1; i < n->kids.size(); ++i)
        if (!same_type(n->kids[0].get(), n->kids[i].get(), "IN")) return false;
      return true;
    case where_node::between:
      return same_type(n->kids[0].get(), n->kids[1].get(), "BETWEEN") &&
             same_type(n->kids[0].get(), n->kids[2].get(), "BETWEEN");
    default: return true;
  }
}

// Texts compare as if the shorter were padded with blanks.
int compare_texts(std::string_view a, std::string_view b) {
  const size_t n = std::max(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : ' ';
    const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : ' ';
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

int compare(const value& a, const value& b) {
  return a.is_text ? compare_texts(a.str, b.str) : host_compare_values(a.num, b.num);
}

bool truth(const value& v) {
  if (v.is_text) return v.str.find_first_not_of(' ') != std::string_view::npos;
  return !host_is_missing(v.num) && v.num != 0;
}

value eval(const where_node& n, const dataset* ds, long row) {
  auto boolean = [](bool b) { return value{false, b ? 1.0 : 0.0, {}}; };
  switch (n.kind) {
    case where_node::var:
      if (n.is_text) return value{true, 0, char_value(ds, n.varnum, row)};
      return value{false, num_value(ds, n.varnum, row), {}};
    case where_node::num: return value{false, n.value, {}};
    case where_node::text: return value{true, 0, n.str};
    case where_node::neg: {
      const value v = eval(*n.kids[0], ds, row);
      return value{false, host_is_missing(v.num) ? v.num : -v.num, {}};
    }
    case where_node::cmp: {
      const int c = compare(eval(*n.kids[0], ds, row), eval(*n.kids[1], ds, row));
      switch (n.op) {
        case where_node::eq: return boolean(c == 0);
        case where_node::ne: return boolean(c != 0);
        case where_node::lt: return boolean(c < 0);
        case where_node::le: return boolean(c <= 0);
        case where_node::gt: return boolean(c > 0);
        case where_node::ge: return boolean(c >= 0);
      }
      return boolean(false);
    }
    case where_node::in: {
      const value v = eval(*n.kids[0], ds, row);
      bool found = false;
      for (size_t i = 1; i < n.kids.size() && !found; ++i) found = compare(v, eval(*n.kids[i], ds, row)) == 0;
      return boolean(found != n.negated);
    }
    case where_node::between: {
      const value v = eval(*n.kids[0], ds, row);
      const bool inside = compare(eval(*n.kids[1], ds, row), v) <= 0 && compare(v, eval(*n.kids[2], ds, row)) <= 0;
      return boolean(inside != n.negated);
    }
    case where_node::missing: {
      const value v = eval(*n.kids[0], ds, row);
      const bool miss = v.is_text ? !truth(v) : host_is_missing(v.num);
      return boolean(miss != n.negated);
    }
    case where_node::all:
      for (const auto& k : n.kids)
        if (!truth(eval(*k, ds, row))) return boolean(false);
      return boolean(true);
    case where_node::any:
      for (const auto& k : n.kids)
        if (truth(eval(*k, ds, row))) return boolean(true);
      return boolean(false);
    case where_node::negation: return boolean(!truth(eval(*n.kids[0], ds, row)));
  }
  return boolean(false);
}

}  // namespace

where_clause::where_clause() = default;
where_clause::~where_clause() = default;
where_clause::where_clause(where_clause&&) noexcept = default;
where_clause& where_clause::operator=(where_clause&&) noexcept = default;

bool where_clause::parse(const std::vector<opt_token>& tokens, size_t* at, std::string* error) {
  const size_t first = *at;
  reader r(tokens, *at);
  root_ = r.condition();
  if (!root_) {
    *error = r.error();
    return false;
  }
  *at = r.at();
  text_.clear();
  for (size_t i = first; i < *at; ++i) text_ += (i > first ? " " : "") + token_shown(tokens[i]);
  return true;
}

bool where_clause::bind(const dataset* ds, const std::function<int(const std::string&)>& find, std::string* error) {
  ds_ = ds;
  int names = 0;
  if (!root_ || !bind_node(root_.get(), ds, find, &names, error)) return false;
  if (names == 0) {
    *error = "(" + text_ + ") names no variable of data set " + dataset_name(ds);
    return false;
  }
  return true;
}

bool where_clause::passes(long row) const { return root_ && truth(eval(*root_, ds_, row)); }

}  // namespace plat
