// Variable lists: each element form resolved against the DATA= data set into
// variable numbers, with a message for a name the data set lacks or a character
// variable where the list asks for numeric ones.
#include <cctype>
#include <cstdlib>

#include "kes_gram_names.h"
#include "parse/parse_internal.h"
#include "core/name_case.h"

namespace plat::parse {
namespace {

enum form : int {
  F_NAME = 1, F_NUMBERED, F_POSITIONAL, F_POSITIONAL_NUM, F_POSITIONAL_CHAR, F_PREFIX,
  F_ALL_NUM, F_ALL_CHAR, F_ALL
};

// Splits x12 into ("X", 12, digits 2); false without a numeric suffix.
bool split_numbered(const std::string& name, std::string* prefix, long* number, size_t* digits) {
  size_t k = name.size();
  while (k > 0 && std::isdigit(static_cast<unsigned char>(name[k - 1]))) --k;
  if (k == name.size() || k == 0 || name.size() - k > 9) return false;
  *prefix = name.substr(0, k);
  *number = std::atol(name.c_str() + k);
  *digits = name.size() - k;
  return true;
}

struct resolver {
  parser* p;
  dataset* ds;
  bool numeric_only;
  std::vector<std::int32_t> out;
  bool failed = false;

  std::string element_text(int kind) const {
    const semantics& s = p->sem;
    switch (kind) {
      case F_NUMBERED: return s.name1 + "-" + s.name2;
      case F_POSITIONAL: return s.name1 + "--" + s.name2;
      case F_POSITIONAL_NUM: return s.name1 + "-NUMERIC-" + s.name2;
      case F_POSITIONAL_CHAR: return s.name1 + "-CHARACTER-" + s.name2;
      case F_PREFIX: return s.name1 + ":";
      case F_ALL_NUM: return "_NUMERIC_";
      case F_ALL_CHAR: return "_CHARACTER_";
      case F_ALL: return "_ALL_";
      default: return s.name1;
    }
  }

  int find(const std::string& name) {
    int v = find_variable(ds, name);
    if (v < 0) {
      const auto gone = p->sem.left_out.find(ds);
      if (gone != p->sem.left_out.end())
        for (const auto& [stored, option] : gone->second)
          if (iequals(stored, name)) {
            parse_error(p, p->last.line, p->last.col, KES_MSG_VARIABLE_LEFT_OUT_BY_OPTION, name.c_str(),
                        dataset_name(ds).c_str(), option.c_str());
            failed = true;
            return v;
          }
      parse_error(p, p->last.line, p->last.col, 20, name.c_str(), (dataset_name(ds) + missing_semicolon(p, name)).c_str());
      failed = true;
    }
    return v;
  }

  // Adds variable v; a character variable in a numeric list is refused by name.
  void add(int v) {
    const ds_var& var = variables(ds)[static_cast<size_t>(v)];
    if (numeric_only && !var.numeric) {
      if (var.why_char.empty()) parse_error(p, p->last.line, p->last.col, 21, var.name.c_str());
      else parse_error(p, p->last.line, p->last.col, 18, var.name.c_str(), var.why_char.c_str());
      failed = true;
      return;
    }
    out.push_back(v);
  }

  void resolve(int kind) {
    const semantics& s = p->sem;
    const std::vector<ds_var>& vars = variables(ds);
    switch (kind) {
      case F_NAME: {
        int v = find(s.name1);
        if (v >= 0) add(v);
        break;
      }
      case F_NUMBERED: {
        std::string p1, p2;
        long n1 = 0, n2 = 0;
        size_t d1 = 0, d2 = 0;
        if (!split_numbered(s.name1, &p1, &n1, &d1) || !split_numbered(s.name2, &p2, &n2, &d2) ||
            p1 != p2 || n1 > n2 || n2 - n1 > 100000) {
          parse_error(p, p->last.line, p->last.col, 24, element_text(kind).c_str());
          failed = true;
          break;
        }
        // x01-x10 keeps the width of its digits; x1-x10 does not.
        bool padded = d1 == d2 && d1 > 1 && s.name1[p1.size()] == '0';
        for (long n = n1; n <= n2; ++n) {
          std::string digits = std::to_string(n);
          if (padded && digits.size() < d1) digits.insert(0, d1 - digits.size(), '0');
          int v = find(p1 + digits);
          if (v >= 0) add(v);
        }
        break;
      }
      case F_POSITIONAL:
      case F_POSITIONAL_NUM:
      case F_POSITIONAL_CHAR: {
        int a = find(s.name1), b = find(s.name2);
        if (a < 0 || b < 0) break;
        if (a > b) {
          parse_error(p, p->last.line, p->last.col, 29, element_text(kind).c_str(), s.name2.c_str(),
                      s.name1.c_str(), dataset_name(ds).c_str());
          failed = true;
          break;
        }
        size_t before = out.size();
        for (int v = a; v <= b; ++v) {
          bool num = vars[static_cast<size_t>(v)].numeric;
          if ((kind == F_POSITIONAL_NUM && !num) || (kind == F_POSITIONAL_CHAR && num)) continue;
          add(v);
        }
        if (out.size() == before && !failed) {
          parse_error(p, p->last.line, p->last.col, 22, element_text(kind).c_str(), dataset_name(ds).c_str());
          failed = true;
        }
        break;
      }
      case F_PREFIX: {
        std::string pre = upper(s.name1);
        size_t before = out.size();
        for (size_t v = 0; v < vars.size(); ++v)
          if (upper(vars[v].name).compare(0, pre.size(), pre) == 0) add(static_cast<int>(v));
        if (out.size() == before && !failed) {
          parse_error(p, p->last.line, p->last.col, 22, element_text(kind).c_str(), dataset_name(ds).c_str());
          failed = true;
        }
        break;
      }
      case F_ALL_NUM:
      case F_ALL_CHAR:
      case F_ALL: {
        size_t before = out.size();
        for (size_t v = 0; v < vars.size(); ++v) {
          bool num = vars[v].numeric;
          if ((kind == F_ALL_NUM && !num) || (kind == F_ALL_CHAR && num)) continue;
          add(static_cast<int>(v));
        }
        if (out.size() == before && !failed) {
          parse_error(p, p->last.line, p->last.col, 22, element_text(kind).c_str(), dataset_name(ds).c_str());
          failed = true;
        }
        break;
      }
      default:
        break;
    }
  }
};

// True when only the statement's semicolon and blanks follow token t and the step ends
// with the next PROC or the program, not with a RUN statement.
bool ends_the_step(const parser* p, const token& t) {
  if (current_step().ended_by_run || t.synthetic || t.end == 0 || t.end > p->text.size()) return false;
  bool semicolon = false;
  for (size_t k = t.end; k < p->text.size(); ++k) {
    const char c = p->text[k];
    if (c == ';' && !semicolon) semicolon = true;
    else if (!std::isspace(static_cast<unsigned char>(c))) return false;
  }
  return semicolon;
}

}  // namespace

void add_variables(parser* p, int kind) {
  semantics& s = p->sem;
  if (s.cur == nullptr || s.cur_list < 0 || s.cur_list >= static_cast<int>(s.cur->stores.size())) return;
  slot_store& st = s.cur->stores[static_cast<size_t>(s.cur_list)];
  if (st.type != list_type::numvars && st.type != list_type::anyvars) return;
  // Without an input data set nothing can be resolved; the missing DATA= is
  // reported by the routine that reads it.
  if (s.input == nullptr) return;
  resolver r{p, s.input, st.type == list_type::numvars, {}};
  r.resolve(kind);
  bool by_list = s.cur == s.proc && s.cur_list == KES_PROC_SLOT_BY;
  // A variable named twice (also by a repeated statement) is used once.
  st.listed.resize(variables(s.input).size());
  std::string again;
  int repeated = 0;
  for (size_t i = 0; i < r.out.size(); ++i) {
    std::size_t v = static_cast<std::size_t>(r.out[i]);
    if (st.listed[v]) {
      if (++repeated <= 5) again += (again.empty() ? "" : " ") + variables(s.input)[v].name;
      continue;
    }
    st.listed[v] = true;
    st.ints.push_back(r.out[i]);
    if (by_list) {
      slot_store& desc = s.cur->stores[KES_PROC_SLOT_BY_DESCENDING];
      if (desc.type != list_type::markers) {
        desc = slot_store();
        desc.type = list_type::markers;
        s.cur->slots[KES_PROC_SLOT_BY_DESCENDING].given = 1;
      }
      desc.ints.push_back(i == 0 && s.by_descending_next ? 1 : 0);
    }
  }
  if (by_list) s.by_descending_next = false;
  if (kind == F_NAME && !r.out.empty() && ends_the_step(p, p->last)) {
    // "by Expt" then "run;" on the next line: with a column named Run the step runs
    // with Run as a BY variable, and says nothing unless told here.
    const std::string word = upper(s.name1);
    if (word == "RUN" || word == "QUIT") parse_error(p, p->last.line, p->last.col, 41, word.c_str(), word.c_str());
  }
  if (repeated > 5) again += " ...";
  if (repeated > 0) parse_error(p, p->last.line, p->last.col, repeated == 1 ? 19 : 17, again.c_str());
}

}  // namespace plat::parse
