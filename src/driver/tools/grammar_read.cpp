// Reading the grammar source: directives, productions and actions.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>

#include "grammar_model.h"

namespace gg {

std::string grammar::symbol_name(int s) const {
  if (s < 0) {
    const action& a = actions[static_cast<size_t>(-s - 1)];
    auto it = kind_names.find(a.kind);
    std::string t = "@" + (it != kind_names.end() ? it->second : std::to_string(a.kind)) + "(";
    for (size_t i = 0; i < a.args.size(); ++i) t += (i ? "," : "") + std::to_string(a.args[i]);
    return t + ")";
  }
  if (s <= nterminals) {
    const std::string& t = term_text[static_cast<size_t>(s)];
    switch (term_kinds[static_cast<size_t>(s)]) {
      case term_kind::token_class: return "<" + t + ">";
      case term_kind::punct: return "'" + t + "'";
      default: return t;
    }
  }
  return nonterm_name[static_cast<size_t>(s - first_nonterminal)];
}

std::string grammar::production_text(int p) const {
  const production& pr = prods[static_cast<size_t>(p - 1)];
  std::string t = symbol_name(pr.lhs) + " :";
  if (pr.rhs.empty()) t += " (empty)";
  for (int s : pr.rhs) t += " " + symbol_name(s);
  return t;
}

namespace {

struct token {
  enum kind_t { word, klass, punct, act, colon, bar, semi, doc, end } kind = end;
  std::string text;
  std::vector<int> args;
  source_pos pos;
  std::string scope;  // of the names given with %names, where the token stands
};

struct reader {
  grammar* g;
  std::vector<std::string>* errors;
  std::vector<token> toks;
  std::vector<std::string> tokens, puncts, keywords;
  std::map<std::string, int> kind_by_name;
  std::string start_name;
  std::set<std::string> included;
  std::string scope;  // of the names given with %names

  void error(const source_pos& p, const std::string& text) {
    errors->push_back(p.file + ":" + std::to_string(p.line) + ": " + text);
  }

  static std::string dir_of(const std::string& path) {
    size_t k = path.find_last_of('/');
    return k == std::string::npos ? std::string() : path.substr(0, k + 1);
  }

  static std::vector<std::string> split_words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
  }

  // Words and "quoted texts" (without their quotes) of a reference directive.
  bool split_quoted(const std::string& s, std::vector<std::string>* out, const source_pos& pos) {
    for (size_t i = 0; i < s.size();) {
      if (std::isspace(static_cast<unsigned char>(s[i]))) {
        ++i;
      } else if (s[i] == '"') {
        const size_t j = s.find('"', i + 1);
        if (j == std::string::npos) {
          error(pos, "unclosed quoted text");
          return false;
        }
        out->push_back(s.substr(i + 1, j - i - 1));
        i = j + 1;
      } else {
        size_t j = i;
        while (j < s.size() && !std::isspace(static_cast<unsigned char>(s[j]))) ++j;
        out->push_back(s.substr(i, j - i));
        i = j;
      }
    }
    return true;
  }

  // %statement "TITLE" nonterminal "SYNTAX", %options nonterminal "HEADING",
  // %kind nonterminal "TEXT", %family nonterminal...
  void reference_directive(const std::string& d, const std::string& rest, const source_pos& pos) {
    std::vector<std::string> w;
    if (!split_quoted(rest, &w, pos)) return;
    if (d == "%statement") {
      if (w.size() != 3) return error(pos, "%statement takes a title, a nonterminal and a syntax");
      g->statements.push_back(grammar::statement_ref{w[0], w[1], w[2], {}, pos});
    } else if (d == "%options") {
      if (w.size() != 2) return error(pos, "%options takes a nonterminal and a heading");
      if (g->statements.empty()) return error(pos, "%options before any %statement");
      g->statements.back().groups.push_back(grammar::option_group{w[0], w[1], pos});
    } else if (d == "%kind") {
      if (w.size() != 2) return error(pos, "%kind takes a nonterminal and a text");
      g->value_kinds[w[0]] = w[1];
    } else {
      g->families.insert(w.begin(), w.end());
    }
  }

  // Scans one file into directives (handled at once) and production tokens.
  void scan_file(const std::string& path, const source_pos& from) {
    if (!included.insert(path).second) {
      error(from, "file included twice: " + path);
      return;
    }
    std::ifstream in(path);
    if (!in) {
      error(from, "cannot read " + path);
      return;
    }
    std::string line;
    int lineno = 0;
    bool in_keywords = false;
    while (std::getline(in, line)) {
      ++lineno;
      source_pos pos{path, lineno};
      size_t hash = line.find('#');
      // A '#' inside a quoted punctuation mark is not a comment.
      while (hash != std::string::npos && hash > 0 && line[hash - 1] == '\'' &&
             hash + 1 < line.size() && line[hash + 1] == '\'')
        hash = line.find('#', hash + 1);
      std::string body = hash == std::string::npos ? line : line.substr(0, hash);
      std::vector<std::string> words = split_words(body);
      // "#:" describes the alternative that follows, for the user's reference.
      if (hash != std::string::npos && hash + 1 < line.size() && line[hash + 1] == ':' && !in_keywords) {
        if (!words.empty()) {
          error(pos, "a description (#:) stands on a line of its own, before its alternative");
          continue;
        }
        token t;
        t.kind = token::doc;
        t.pos = pos;
        const size_t from = line.find_first_not_of(" \t", hash + 2);
        t.text = from == std::string::npos ? std::string() : line.substr(from);
        while (!t.text.empty() && std::isspace(static_cast<unsigned char>(t.text.back()))) t.text.pop_back();
        toks.push_back(t);
        continue;
      }
      if (in_keywords) {
        if (!words.empty() && words[0] == "%end") {
          in_keywords = false;
          continue;
        }
        keywords.insert(keywords.end(), words.begin(), words.end());
        continue;
      }
      if (!words.empty() && words[0][0] == '%') {
        const std::string& d = words[0];
        if (d == "%tokens") {
          tokens.insert(tokens.end(), words.begin() + 1, words.end());
        } else if (d == "%punct") {
          puncts.insert(puncts.end(), words.begin() + 1, words.end());
        } else if (d == "%keywords") {
          in_keywords = true;
        } else if (d == "%action") {
          if (words.size() != 3) {
            error(pos, "%action takes a kind number and a name");
            continue;
          }
          int k = std::atoi(words[1].c_str());
          if (k < 1 || k > 36) error(pos, "action kind out of range 1..36: " + words[1]);
          kind_by_name[words[2]] = k;
          g->kind_names[k] = words[2];
        } else if (d == "%names") {
          if (words.size() != 2)
            error(pos, "%names takes one scope name");
          else
            scope = words[1];
        } else if (d == "%slot" || d == "%flag") {
          // A number the actions assign themselves, named here.
          char* endp = nullptr;
          long v = words.size() == 3 ? std::strtol(words[2].c_str(), &endp, 10) : 0;
          if (words.size() != 3 || *endp != '\0')
            error(pos, d + " takes a name and a number");
          else
            add_name(d == "%flag" ? "FLAG" : "SLOT", words[1], static_cast<int>(v), pos);
        } else if (d == "%device_only" || d == "%device_value" || d == "%device_only_in") {
          // %device_only_in names its statement first.
          const size_t at = d == "%device_only_in" ? 2 : 1;
          if (words.size() < at + 2 || (words[at] != "SLOT" && words[at] != "FLAG"))
            error(pos, d + (at == 2 ? " takes a statement, " : " takes ") + "SLOT or FLAG and one or more names");
          else if (scope.empty())
            error(pos, d + " needs a %names scope");
          else
            for (size_t k = at + 1; k < words.size(); ++k)
              g->device_only.push_back(grammar::named_ref{scope, words[at], words[k], pos, at == 2 ? words[1] : "",
                                                          d == "%device_value"});
        } else if (d == "%statement" || d == "%options" || d == "%kind" || d == "%family") {
          reference_directive(d, body.substr(body.find(d) + d.size()), pos);
        } else if (d == "%start") {
          if (words.size() != 2) error(pos, "%start takes one nonterminal");
          else start_name = words[1];
        } else if (d == "%include") {
          if (words.size() != 2 || words[1].size() < 3 || words[1].front() != '"' ||
              words[1].back() != '"') {
            error(pos, "%include takes a quoted file name");
            continue;
          }
          scan_file(dir_of(path) + words[1].substr(1, words[1].size() - 2), pos);
        } else {
          error(pos, "unknown directive " + d);
        }
        continue;
      }
      scan_body(body, pos);
    }
    if (in_keywords) error(source_pos{path, lineno}, "%keywords without %end");
  }

  // Records NAME=value in the current scope: a name keeps one number and a number
  // one name within a scope and kind.
  void add_name(const std::string& kind, const std::string& name, int value, const source_pos& pos) {
    if (scope.empty()) {
      error(pos, "a named number needs a %names scope: " + name);
      return;
    }
    if (!std::all_of(name.begin(), name.end(), [](char ch) {
          return std::isupper(static_cast<unsigned char>(ch)) || std::isdigit(static_cast<unsigned char>(ch)) ||
                 ch == '_';
        })) {
      error(pos, "a slot or flag name is upper case letters, digits and '_': " + name);
      return;
    }
    for (const grammar::named_number& n : g->names) {
      if (n.scope != scope || n.kind != kind) continue;
      if (n.name == name && n.value != value)
        error(pos, scope + " " + kind + " " + name + " is " + std::to_string(n.value) + " at " + n.pos.file + ":" +
                       std::to_string(n.pos.line) + ", not " + std::to_string(value));
      if (n.name != name && n.value == value)
        error(pos, scope + " " + kind + " " + std::to_string(value) + " is named " + n.name + " at " + n.pos.file +
                       ":" + std::to_string(n.pos.line) + ", not " + name);
      if (n.name == name || n.value == value) return;
    }
    g->names.push_back(grammar::named_number{scope, kind, name, value, pos});
  }

  void scan_body(const std::string& s, const source_pos& pos) {
    size_t i = 0;
    while (i < s.size()) {
      char c = s[i];
      if (std::isspace(static_cast<unsigned char>(c))) {
        ++i;
        continue;
      }
      token t;
      t.pos = pos;
      t.scope = scope;
      if (c == ':' || c == '|' || c == ';') {
        t.kind = c == ':' ? token::colon : c == '|' ? token::bar : token::semi;
        ++i;
      } else if (c == '\'') {
        size_t j = s.find('\'', i + 1);
        if (j == std::string::npos || j == i + 1) {
          error(pos, "unclosed or empty punctuation mark");
          return;
        }
        t.kind = token::punct;
        t.text = s.substr(i + 1, j - i - 1);
        i = j + 1;
      } else if (c == '<') {
        size_t j = s.find('>', i);
        if (j == std::string::npos) {
          error(pos, "unclosed token class");
          return;
        }
        t.kind = token::klass;
        t.text = s.substr(i + 1, j - i - 1);
        i = j + 1;
      } else if (c == '@') {
        size_t j = i + 1;
        while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_')) ++j;
        t.kind = token::act;
        t.text = s.substr(i + 1, j - i - 1);
        i = j;
        if (i < s.size() && s[i] == '(') {
          size_t k = s.find(')', i);
          if (k == std::string::npos) {
            error(pos, "unclosed action arguments");
            return;
          }
          std::string inner = s.substr(i + 1, k - i - 1);
          std::replace(inner.begin(), inner.end(), ',', ' ');
          bool first = true;
          std::string first_name;
          for (std::string w : split_words(inner)) {
            const size_t eq = w.find('=');
            std::string name;
            // The value a @const puts in its slot may be named too: a code the
            // module reads back from the slot (kind CODE).
            const bool code = !first && t.text == "const" && t.args.size() == 1;
            if (eq != std::string::npos) {
              name = w.substr(0, eq);
              if (first) first_name = name;
              w = w.substr(eq + 1);
              if (!first && !code) error(pos, "only an action's first argument takes a name: " + name);
            }
            char* endp = nullptr;
            long v = std::strtol(w.c_str(), &endp, 10);
            if (!name.empty())
              add_name(code ? "CODE" : t.text == "flag" ? "FLAG" : "SLOT", name, static_cast<int>(v), pos);
            first = false;
            if (*endp != '\0' || v < -32768 || v > 32767) error(pos, "bad action argument " + w);
            t.args.push_back(static_cast<int>(v));
          }
          // A named parameter's marker list and EST positions are slots of their own:
          // NAME_MARKS and NAME_EST beside NAME, its value list.
          if (t.text == "paired" && !first_name.empty() && t.args.size() == 3) {
            add_name("SLOT", first_name + "_MARKS", t.args[1], pos);
            add_name("SLOT", first_name + "_EST", t.args[2], pos);
          }
          i = k + 1;
        }
      } else {
        size_t j = i;
        while (j < s.size() && !std::isspace(static_cast<unsigned char>(s[j])) && s[j] != ':' &&
               s[j] != '|' && s[j] != ';' && s[j] != '\'' && s[j] != '<' && s[j] != '@')
          ++j;
        t.kind = token::word;
        t.text = s.substr(i, j - i);
        i = j;
      }
      toks.push_back(t);
    }
  }

  void number_terminals() {
    g->term_text.assign(1, "");
    g->term_kinds.assign(1, term_kind::end_marker);
    for (const std::string& t : tokens) {
      g->term_text.push_back(t);
      g->term_kinds.push_back(term_kind::token_class);
    }
    for (const std::string& t : puncts) {
      g->term_text.push_back(t);
      g->term_kinds.push_back(term_kind::punct);
    }
    for (size_t i = 0; i < keywords.size(); ++i) {
      if (i > 0 && keywords[i - 1] >= keywords[i])
        errors->push_back("keywords out of ascending byte order or repeated: " + keywords[i - 1] +
                          ", " + keywords[i]);
      g->term_text.push_back(keywords[i]);
      g->term_kinds.push_back(term_kind::keyword);
    }
    g->term_text.push_back("$$$");
    g->term_kinds.push_back(term_kind::end_marker);
    g->nterminals = static_cast<int>(g->term_text.size()) - 1;
    g->first_nonterminal = g->nterminals + 1;
    // A keyword's $-less spelling must not be another keyword's.
    std::set<std::string> bare;
    for (const std::string& k : keywords) {
      std::string b = k.back() == '$' ? k.substr(0, k.size() - 1) : k;
      if (!bare.insert(b).second) errors->push_back("two keywords are spelled " + b);
    }
  }

  int terminal_of(term_kind kind, const std::string& text) const {
    for (int t = 1; t <= g->nterminals; ++t)
      if (g->term_kinds[static_cast<size_t>(t)] == kind && g->term_text[static_cast<size_t>(t)] == text)
        return t;
    return 0;
  }

  static bool is_nonterminal_name(const std::string& w) {
    return std::any_of(w.begin(), w.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)); });
  }

  int nonterminal_of(const std::string& name, const source_pos& pos) {
    for (size_t i = 0; i < g->nonterm_name.size(); ++i)
      if (g->nonterm_name[i] == name) return g->first_nonterminal + static_cast<int>(i);
    g->nonterm_name.push_back(name);
    g->nonterm_pos.push_back(pos);
    return g->first_nonterminal + static_cast<int>(g->nonterm_name.size()) - 1;
  }

  int action_of(const token& t) {
    auto it = kind_by_name.find(t.text);
    action a;
    if (it != kind_by_name.end()) {
      a.kind = it->second;
    } else if (!t.text.empty() && std::all_of(t.text.begin(), t.text.end(), ::isdigit)) {
      a.kind = std::atoi(t.text.c_str());
      if (a.kind < 1 || a.kind > 36) error(t.pos, "action kind out of range: " + t.text);
    } else {
      error(t.pos, "unknown action @" + t.text);
    }
    a.args = t.args;
    for (size_t i = 0; i < g->actions.size(); ++i)
      if (!(g->actions[i] < a) && !(a < g->actions[i])) return -static_cast<int>(i + 1);
    g->actions.push_back(a);
    return -static_cast<int>(g->actions.size());
  }

  int symbol_of(const token& t) {
    switch (t.kind) {
      case token::klass: {
        int s = terminal_of(term_kind::token_class, t.text);
        if (!s) error(t.pos, "unknown token class <" + t.text + ">");
        return s;
      }
      case token::punct: {
        int s = terminal_of(term_kind::punct, t.text);
        if (!s) error(t.pos, "unknown punctuation mark '" + t.text + "'");
        return s;
      }
      case token::act:
        return action_of(t);
      case token::word: {
        if (is_nonterminal_name(t.text)) return nonterminal_of(t.text, t.pos);
        int s = terminal_of(term_kind::keyword, t.text);
        if (!s) error(t.pos, "unknown keyword " + t.text);
        return s;
      }
      default:
        return 0;
    }
  }

  void parse_productions() {
    // The augmented start production comes first: $accept : start $$$.
    g->nonterm_name.push_back("$accept");
    g->nonterm_pos.push_back(source_pos{});
    g->start = g->first_nonterminal;
    std::set<int> defined;
    size_t i = 0;
    bool have_start = false;
    std::string pending;  // descriptions waiting for their alternative
    auto take_doc = [&](const token& t) { pending += (pending.empty() ? "" : " ") + t.text; };
    while (i < toks.size()) {
      if (toks[i].kind == token::doc) {
        take_doc(toks[i++]);
        continue;
      }
      const token& head = toks[i];
      if (head.kind != token::word || !is_nonterminal_name(head.text)) {
        error(head.pos, "a production must start with a nonterminal name");
        while (i < toks.size() && toks[i].kind != token::semi) ++i;
        ++i;
        continue;
      }
      int lhs = nonterminal_of(head.text, head.pos);
      if (!defined.insert(lhs).second) error(head.pos, "nonterminal defined twice: " + head.text);
      g->nonterm_pos[static_cast<size_t>(lhs - g->first_nonterminal)] = head.pos;
      if (head.text == start_name && !have_start) {
        have_start = true;
        production aug;
        aug.lhs = g->start;
        aug.rhs = {lhs, g->nterminals};
        aug.pos = head.pos;
        g->prods.insert(g->prods.begin(), aug);
      }
      ++i;
      while (i < toks.size() && toks[i].kind == token::doc) take_doc(toks[i++]);
      if (i >= toks.size() || toks[i].kind != token::colon) {
        error(head.pos, "':' expected after " + head.text);
        while (i < toks.size() && toks[i].kind != token::semi) ++i;
        ++i;
        continue;
      }
      ++i;
      production cur;
      cur.lhs = lhs;
      cur.scope = head.scope;
      cur.pos = i < toks.size() ? toks[i].pos : head.pos;
      cur.doc.swap(pending);
      for (;; ++i) {
        if (i >= toks.size()) {
          error(head.pos, "production of " + head.text + " not ended by ';'");
          g->prods.push_back(cur);
          break;
        }
        const token& t = toks[i];
        if (t.kind == token::doc) {
          take_doc(t);
          continue;
        }
        if (t.kind == token::bar || t.kind == token::semi) {
          if (t.kind == token::semi && !pending.empty()) {
            error(t.pos, "a description (#:) before ';' describes no alternative");
            pending.clear();
          }
          g->prods.push_back(cur);
          cur = production();
          cur.lhs = lhs;
          cur.scope = head.scope;
          cur.pos = i + 1 < toks.size() ? toks[i + 1].pos : t.pos;
          cur.doc.swap(pending);
          if (t.kind == token::semi) {
            ++i;
            break;
          }
          continue;
        }
        if (t.kind == token::colon) {
          error(t.pos, "unexpected ':' (missing ';' before it?)");
          continue;
        }
        int s = symbol_of(t);
        if (s != 0) cur.rhs.push_back(s);
      }
    }
    if (start_name.empty()) errors->push_back("no %start given");
    else if (!have_start) errors->push_back("start nonterminal " + start_name + " has no production");
    for (int n = g->first_nonterminal + 1; n < g->first_nonterminal + g->nnonterminals(); ++n)
      if (!defined.count(n))
        error(g->nonterm_pos[static_cast<size_t>(n - g->first_nonterminal)],
              "nonterminal used but not defined: " + g->symbol_name(n));
  }
};

}  // namespace

bool read_grammar(const std::string& path, grammar* g, std::vector<std::string>* errors) {
  reader r{g, errors, {}, {}, {}, {}, {}, {}, {}, {}};
  size_t before = errors->size();
  r.scan_file(path, source_pos{path, 0});
  if (errors->size() != before) return false;
  r.number_terminals();
  r.parse_productions();
  // Every device-only name is one the grammar gives a number.
  for (const grammar::named_ref& d : g->device_only) {
    bool known = false;
    for (const grammar::named_number& n : g->names)
      known = known || (n.scope == d.scope && n.kind == d.kind && n.name == d.name);
    if (!known)
      r.error(d.pos, "%device_only names " + d.scope + " " + d.kind + " " + d.name + ", which no action sets");
  }
  return errors->size() == before;
}

}  // namespace gg
