// The user's reference of the statements, written from the grammar: the options are
// the alternatives of the option nonterminals each statement names, their spellings
// the keywords that lead to the same symbols and actions, their value kinds what
// follows the keyword, and their descriptions the "#:" lines before the alternatives.
#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>
#include <utility>

#include "grammar_model.h"

namespace gg {
namespace {

struct option_entry {
  std::vector<std::string> names;  // the first is the one shown; "=" when a value follows
  std::string kind;                // what follows the keyword, "" for none
  std::string doc;
  int sub = 0;                     // the nonterminal of the option's own options, 0 none
  source_pos pos;
  // Every slot and flag the option sets is one only device graphs read (or its value
  // is, device_value): the first of them ("SLOT" or "FLAG", and its number) tells that
  // the option was given; device_statement the one statement whose option is marked.
  bool device = false, device_value = false;
  std::string scope, device_kind, device_statement;
  int device_number = 0;
};

struct ref_writer {
  const grammar& g;
  std::vector<std::string>* problems;
  std::ostringstream out;
  std::map<int, std::string> sub_anchor;  // sub-option nonterminal -> where it is described
  std::set<std::string>* anchors;  // shared by every grammar's statements
  int check_kind = 0;
  std::string stmt;  // the statement whose options are collected

  void problem(const source_pos& p, const std::string& text) {
    problems->push_back(p.file + ":" + std::to_string(p.line) + ": " + text);
  }

  std::vector<const production*> prods_of(int n) const {
    std::vector<const production*> v;
    for (const production& p : g.prods)
      if (p.lhs == n) v.push_back(&p);
    return v;
  }
  int nonterminal(const std::string& name) const {
    for (int i = 0; i < g.nnonterminals(); ++i)
      if (g.nonterm_name[static_cast<size_t>(i)] == name) return g.first_nonterminal + i;
    return 0;
  }
  // The slot or flag an action sets ("SLOT" or "FLAG", and its number); "" for an
  // action that sets neither.
  std::pair<std::string, int> target(int s) const {
    const action& a = g.actions[static_cast<size_t>(-s - 1)];
    auto it = g.kind_names.find(a.kind);
    if (it == g.kind_names.end() || a.args.empty()) return {"", 0};
    static const std::set<std::string> slot_kinds = {"put",   "append",     "list", "continue", "given2",
                                                     "dsopen", "dsout",     "paired", "const",  "set",
                                                     "givenbyte", "gout",   "text", "format",   "dsdefault"};
    if (it->second == "flag") return {"FLAG", a.args[0]};
    if (slot_kinds.count(it->second)) return {"SLOT", a.args[0]};
    return {"", 0};
  }
  // The device-only mark of a slot or flag for the statement collected, or null.
  const grammar::named_ref* device_only(const std::string& scope, const std::string& kind, int number) const {
    for (const grammar::named_ref& d : g.device_only) {
      if (d.scope != scope || d.kind != kind || (!d.statement.empty() && d.statement != stmt)) continue;
      for (const grammar::named_number& n : g.names)
        if (n.scope == scope && n.kind == kind && n.name == d.name && n.value == number) return &d;
    }
    return nullptr;
  }
  // Marks the entry when every slot and flag that the actions of key set is a
  // device-only one of the scope, and there is at least one; or when the option's value
  // (its own actions, or those of a value nonterminal after it) sets one whose value
  // only device graphs read.
  void mark_device(const std::vector<int>& key, const std::string& scope, option_entry* e) const {
    e->scope = scope;
    bool other = false;
    auto mark = [&](int s) {
      const auto [kind, number] = target(s);
      if (kind.empty()) return;
      const grammar::named_ref* d = device_only(scope, kind, number);
      if (d == nullptr) {
        other = true;
        return;
      }
      if (d->value && !e->device_value) {
        e->device_value = true;
        e->device_kind = kind, e->device_number = number, e->device_statement = d->statement;
      } else if (!d->value && !e->device && !e->device_value) {
        e->device_kind = kind, e->device_number = number, e->device_statement = d->statement;
      }
      e->device = e->device || !d->value;
    };
    for (int s : key) {
      if (s < 0) {
        mark(s);
      } else if (g.is_nonterminal(s) && kind_of(s) && !sub_items(s)) {
        for (const production* p : prods_of(s))
          for (int a : p->rhs)
            if (a < 0 && !target(a).first.empty()) {
              const auto [kind, number] = target(a);
              const grammar::named_ref* d = device_only(scope, kind, number);
              if (d != nullptr && d->value) mark(a);
            }
      }
    }
    if (e->device_value) e->device = true;
    else if (other) e->device = false;
  }

  bool is_keyword(int s) const {
    return s > 0 && s <= g.nterminals && g.term_kinds[static_cast<size_t>(s)] == term_kind::keyword;
  }
  bool is_punct(int s, const char* p) const {
    return s > 0 && s <= g.nterminals && g.term_kinds[static_cast<size_t>(s)] == term_kind::punct &&
           g.term_text[static_cast<size_t>(s)] == p;
  }
  std::string word(int s) const {
    std::string t = g.term_text[static_cast<size_t>(s)];
    if (!t.empty() && t.back() == '$') t.pop_back();
    return t;
  }
  const std::string* kind_of(int n) const {
    auto it = g.value_kinds.find(g.symbol_name(n));
    return it == g.value_kinds.end() ? nullptr : &it->second;
  }
  static std::vector<int> symbols(const std::vector<int>& rhs) {
    std::vector<int> v;
    for (int s : rhs)
      if (s > 0) v.push_back(s);
    return v;
  }
  // Every alternative a keyword followed only by actions: other spellings, or a choice.
  bool keyword_head(int n) const {
    if (!g.is_nonterminal(n) || kind_of(n)) return false;
    const auto ps = prods_of(n);
    return !ps.empty() && std::all_of(ps.begin(), ps.end(), [&](const production* p) {
      const std::vector<int> s = symbols(p->rhs);
      return s.size() == 1 && is_keyword(s[0]);
    });
  }
  // The item nonterminal of "( items )" when n is an option's own option list.
  int sub_items(int n) const {
    if (!g.is_nonterminal(n) || kind_of(n)) return 0;
    for (const production* p : prods_of(n)) {
      const std::vector<int> s = symbols(p->rhs);
      if (s.size() == 3 && is_punct(s[0], "(") && is_punct(s[2], ")") && g.is_nonterminal(s[1])) return s[1];
    }
    return 0;
  }

  static std::string join_choice(const std::vector<std::string>& w) {
    std::string t;
    for (size_t i = 0; i < w.size(); ++i)
      t += (i == 0 ? "" : i + 1 == w.size() ? " or " : ", ") + ("`" + w[i] + "`");
    return t;
  }

  // What follows an option's keyword: its value kind (with a range check's limits) and
  // its own option list.
  void describe_tail(const std::vector<int>& tail, option_entry* e) {
    for (int s : tail) {
      if (s < 0) {
        const action& a = g.actions[static_cast<size_t>(-s - 1)];
        if (a.kind == check_kind && !a.args.empty() && !e->kind.empty())
          e->kind += a.args.size() > 1 ? ", " + std::to_string(a.args[0]) + " to " + std::to_string(a.args[1])
                                       : ", " + std::to_string(a.args[0]) + " or more";
        continue;
      }
      if (is_punct(s, "=")) continue;
      if (int items = sub_items(s)) {
        if (!e->sub) e->sub = items;
        continue;
      }
      if (!e->kind.empty()) continue;
      if (g.is_nonterminal(s)) {
        if (const std::string* k = kind_of(s)) {
          e->kind = *k;
        } else if (keyword_head(s)) {
          std::vector<std::string> w;
          for (const production* p : prods_of(s)) w.push_back(word(symbols(p->rhs)[0]));
          e->kind = join_choice(w);
        } else {
          problem(g.nonterm_pos[static_cast<size_t>(s - g.first_nonterminal)],
                  "no value kind for " + g.symbol_name(s) + " (give it a %kind)");
          e->kind = "?";
        }
      } else if (is_keyword(s)) {
        e->kind = "`" + word(s) + "`";
      } else {
        const std::string& t = g.term_text[static_cast<size_t>(s)];
        e->kind = t == "QS" ? "text" : t == "FMT" ? "format" : t == "NAMEX" ? "name" : "number";
      }
    }
  }

  // Adds the alternatives of n that begin with a keyword, or with a nonterminal of
  // spellings, as options; one that begins with another nonterminal adds that one's
  // options. What follows in the outer alternative (outer) follows each of them.
  void collect(int n, const std::vector<int>& outer, std::vector<option_entry>* out, std::set<int>* seen) {
    if (!seen->insert(n).second) return;
    const bool family = g.families.count(g.symbol_name(n)) != 0;
    struct group_key {
      std::vector<int> tail;
      size_t entry;
    };
    std::vector<group_key> groups;
    auto add = [&](std::vector<std::string> names, const std::vector<int>& key, const std::vector<int>& tail,
                   const production& p, const std::string& doc) {
      // Every spelling of an option that takes a value is shown with its '='.
      for (int s : tail)
        if (s > 0) {
          if (is_punct(s, "="))
            for (std::string& nm : names) nm += "=";
          break;
        }
      // Only the same actions show that two keywords are one option's spellings.
      const bool acts = std::any_of(key.begin(), key.end(), [](int s) { return s < 0; });
      for (const group_key& k : groups)
        if (acts && k.tail == key) {
          option_entry& e = (*out)[k.entry];
          e.names.insert(e.names.end(), names.begin(), names.end());
          if (e.doc.empty()) e.doc = doc;
          return;
        }
      option_entry e;
      e.names = names;
      e.doc = doc;
      e.pos = p.pos;
      describe_tail(tail, &e);
      mark_device(key, p.scope, &e);
      if (family) e.kind = "family";
      groups.push_back({key, out->size()});
      out->push_back(e);
    };
    for (const production* p : prods_of(n)) {
      std::vector<int> rhs = p->rhs;
      // A list "item items | ": the item's options.
      for (size_t k = rhs.size(); k-- > 0;)
        if (rhs[k] > 0) {
          if (rhs[k] == n) rhs.erase(rhs.begin() + static_cast<long>(k));
          break;
        }
      const std::vector<int> s = symbols(rhs);
      if (s.empty()) continue;
      const size_t at = static_cast<size_t>(std::find(rhs.begin(), rhs.end(), s[0]) - rhs.begin());
      std::vector<int> tail(rhs.begin() + static_cast<long>(at) + 1, rhs.end());
      tail.insert(tail.end(), outer.begin(), outer.end());
      if (is_keyword(s[0])) {
        add({word(s[0])}, tail, tail, *p, p->doc);
      } else if (keyword_head(s[0])) {
        // One option per group of spellings that lead to the same actions.
        struct spellings {
          std::vector<int> tail;
          std::vector<std::string> names;
          std::string doc;
        };
        std::vector<spellings> inner;
        for (const production* q : prods_of(s[0])) {
          const int keyword = symbols(q->rhs)[0];
          const std::vector<int> itail(std::find(q->rhs.begin(), q->rhs.end(), keyword) + 1, q->rhs.end());
          auto it = std::find_if(inner.begin(), inner.end(), [&](const spellings& x) { return x.tail == itail; });
          if (it == inner.end()) it = inner.insert(inner.end(), spellings{itail, {}, {}});
          it->names.push_back(word(keyword));
          if (it->doc.empty()) it->doc = q->doc;
        }
        for (const spellings& sp : inner) {
          std::vector<int> key = sp.tail;
          key.insert(key.end(), tail.begin(), tail.end());
          add(sp.names, key, tail, *p, sp.doc.empty() ? p->doc : sp.doc);
        }
      } else if (g.is_nonterminal(s[0]) && !kind_of(s[0])) {
        collect(s[0], tail, out, seen);
      }
    }
  }

  static std::string cell(const std::string& t) {
    std::string r;
    for (char c : t) r += c == '|' ? std::string("\\|") : std::string(1, c);
    return r;
  }
  std::string anchor(const std::string& text) {
    std::string a;
    for (char c : text) {
      if (std::isalnum(static_cast<unsigned char>(c))) a += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      else if (!a.empty() && a.back() != '-') a += '-';
    }
    while (!a.empty() && a.back() == '-') a.pop_back();
    std::string u = a;
    for (int k = 2; !anchors->insert(u).second; ++k) u = a + "-" + std::to_string(k);
    return u;
  }

  // A table of options, then the own options of those that have them.
  void table(const std::string& where, int n, const std::string& context) {
    std::vector<option_entry> opts;
    std::set<int> seen;
    collect(n, {}, &opts, &seen);
    if (opts.empty()) problem(g.nonterm_pos[static_cast<size_t>(n - g.first_nonterminal)], where + ": no options");
    std::vector<std::pair<int, std::string>> subs;  // described below this table
    out << "| Option | Also | Value | Description |\n|---|---|---|---|\n";
    for (const option_entry& e : opts) {
      std::string also;
      for (size_t i = 1; i < e.names.size(); ++i) also += (i > 1 ? ", " : "") + ("`" + e.names[i] + "`");
      std::string kind = e.kind.empty() && !e.sub ? "flag" : e.kind;
      if (e.sub) {
        auto it = sub_anchor.find(e.sub);
        if (it == sub_anchor.end()) {
          std::string name = e.names[0];
          if (!name.empty() && name.back() == '=') name.pop_back();
          const std::string a = anchor(context + " " + name);
          it = sub_anchor.emplace(e.sub, a).first;
          subs.push_back({e.sub, context + ": " + name});
        }
        kind += (kind.empty() ? "" : " ") + ("[( options )](#" + it->second + ")");
      }
      std::string doc = e.doc;
      if (doc.empty()) {
        problem(e.pos, where + ": option " + e.names[0] + " has no description (a #: line before it)");
        doc = "(no description)";
      }
      if (e.device) doc += std::string(" ") + (e.device_value ? kDeviceValueMark : kDeviceOnlyMark);
      out << "| `" << e.names[0] << "` | " << also << " | " << cell(kind) << " | " << cell(doc) << " |\n";
    }
    out << "\n";
    for (const auto& [items, title] : subs) {
      out << "<a id=\"" << sub_anchor[items] << "\"></a>\n\n#### " << title << "( options )\n\n";
      table(title, items, title);
    }
  }

  // Writes the statement's section; returns its anchor.
  std::string statement(const grammar::statement_ref& st) {
    const std::string a = anchor(st.title);
    stmt = st.title;
    const int n = nonterminal(st.nonterminal);
    if (!n) {
      problem(st.pos, "no nonterminal " + st.nonterminal + " for " + st.title);
      return a;
    }
    const auto ps = prods_of(n);
    out << "<a id=\"" << a << "\"></a>\n\n## " << st.title << "\n\n";
    if (ps.empty() || ps[0]->doc.empty()) problem(st.pos, st.title + " has no description (a #: line before it)");
    else out << ps[0]->doc << "\n\n";
    out << "    " << st.syntax << "\n\n";
    // Other spellings of the statement's keyword.
    const std::vector<int> s = ps.empty() ? std::vector<int>{} : symbols(ps[0]->rhs);
    if (!s.empty() && keyword_head(s[0])) {
      const auto ks = prods_of(s[0]);
      std::string also;
      for (size_t i = 1; i < ks.size(); ++i) also += (i > 1 ? ", " : "") + ("`" + word(symbols(ks[i]->rhs)[0]) + "`");
      if (!also.empty()) out << "Also spelled " << also << ".\n\n";
    }
    for (const grammar::option_group& og : st.groups) {
      const int gn = nonterminal(og.nonterminal);
      if (!gn) {
        problem(og.pos, "no nonterminal " + og.nonterminal + " for " + st.title);
        continue;
      }
      out << "### " << og.heading << "\n\n";
      table(st.title, gn, st.title);
    }
    return a;
  }
};

// The keywords the productions use that the text names nowhere.
void unnamed_keywords(const grammar& g, const std::string& text, std::vector<std::string>* problems) {
  std::set<std::string> words;
  std::string w;
  for (char c : text + " ") {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') w += c;
    else if (!w.empty()) words.insert(w), w.clear();
  }
  std::set<int> used;
  for (const production& p : g.prods)
    for (int s : p.rhs)
      if (s > 0 && s <= g.nterminals && g.term_kinds[static_cast<size_t>(s)] == term_kind::keyword) used.insert(s);
  for (int s : used) {
    std::string k = g.term_text[static_cast<size_t>(s)];
    if (k.back() == '$') k.pop_back();
    if (!words.count(k)) problems->push_back("the keyword " + k + " is named nowhere in the reference");
  }
}

}  // namespace

std::vector<device_option> device_only_options(const grammar& g) {
  std::vector<std::string> problems;
  std::set<std::string> anchors;
  ref_writer w{g, &problems, {}, {}, &anchors, 0, {}};
  std::vector<device_option> out;
  // The marked options of n, named within the family `family` ("NORMAL(COLOR=)").
  auto add = [&](int n, const std::string& family, const auto& self) -> void {
    std::vector<option_entry> opts;
    std::set<int> seen;
    w.collect(n, {}, &opts, &seen);
    for (const option_entry& e : opts) {
      if (e.sub) {
        std::string name = e.names[0];
        if (!name.empty() && name.back() == '=') name.pop_back();
        self(e.sub, name, self);
      }
      if (!e.device) continue;
      // The note names an option whose value alone is the device's as "CGRID= (its value)".
      const std::string option = (family.empty() ? e.names[0] : family + "(" + e.names[0] + ")") +
                                 (e.device_value ? " (its value)" : "");
      const bool known = std::any_of(out.begin(), out.end(), [&](const device_option& d) {
        return d.scope == e.scope && d.option == option && d.statement == e.device_statement;
      });
      if (!known) out.push_back(device_option{e.scope, e.device_kind, option, e.device_number, e.device_statement});
    }
  };
  for (const grammar::statement_ref& st : g.statements) {
    w.stmt = st.title;
    for (const grammar::option_group& og : st.groups)
      if (const int n = w.nonterminal(og.nonterminal)) add(n, "", add);
  }
  return out;
}

std::string reference_text(const std::vector<const grammar*>& grammars, std::vector<std::string>* problems) {
  std::ostringstream doc;
  doc << "# Statements and their options\n\n"
         "*Generated by kes_grammar_gen from the statement grammars (`src/driver/grammar/` and\n"
         "`platform/runner/statements.grammar`). Do not edit this page: change the `#:` lines\n"
         "there and run `cmake --build build --target update_reference`.*\n\n"
         "Every statement a program may contain, with every option it takes. An option is\n"
         "written with the spelling in the first column or any spelling under \"Also\"; case\n"
         "does not matter. The value column says what follows the option: nothing (a flag),\n"
         "a name, a number, a list of numbers (`a TO b BY c` ranges allowed, commas optional,\n"
         "in parentheses or not), a quoted text, a colour (a CSS colour name of any length,\n"
         "in any case, or `#RRGGBB`, quoted or not; a word that names no colour is noted and the element\n"
         "keeps its default colour), a data set (`member` or `library.member`), values or\n"
         "`EST` (estimate it), a choice of words, or a family\n"
         "with its own options in parentheses. A list of variables names them one by one or\n"
         "as `a-b` (numbered names), `a--b`, `a-NUMERIC-b` or `a-CHARACTER-b` (`CHAR`; data\n"
         "set order), `prefix:`, `_NUMERIC_`, `_CHARACTER_` (`_CHAR_`) or `_ALL_`.\n\n";
  std::string contents, body;
  std::set<std::string> anchors;
  for (const grammar* g : grammars) {
    ref_writer w{*g, problems, {}, {}, &anchors, 0, {}};
    for (const auto& [k, name] : g->kind_names)
      if (name == "check") w.check_kind = k;
    for (const grammar::statement_ref& st : g->statements)
      contents += "- [" + st.title + "](#" + w.statement(st) + ")\n";
    const std::string text = w.out.str();
    unnamed_keywords(*g, doc.str() + text, problems);
    body += text;
  }
  doc << contents << "\n" << body;
  std::string t = doc.str();
  while (t.size() > 1 && t[t.size() - 1] == '\n' && t[t.size() - 2] == '\n') t.pop_back();
  return t;
}

}  // namespace gg
