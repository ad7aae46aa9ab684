#include "data/dataset_options.h"

#include <algorithm>
#include <cmath>

#include "core/name_case.h"
#include "data/data_messages.h"
#include "data/dataset_internal.h"

namespace plat {
namespace {

constexpr const char* kKnown = "KEEP=, DROP=, RENAME=, WHERE=, FIRSTOBS=, OBS= and LABEL=";

class option_reader {
 public:
  option_reader(const std::vector<opt_token>& t, ds_options* o, std::string* e) : t_(t), o_(o), error_(e) {}

  bool run() {
    while (peek().kind != opt_token::end) {
      if (peek().kind != opt_token::word) return fail("a data set option (" + std::string(kKnown) + ") expected");
      const std::string name = upper(peek().s);
      ++at_;
      if (!is_option(name)) {
        *error_ = "unknown data set option " + name + "=; the options are " + kKnown;
        return false;
      }
      if (!mark("=")) return fail(name + " wants '=' and its value");
      if (std::find(o_->given.begin(), o_->given.end(), name) != o_->given.end()) {
        *error_ = "the data set option " + name + "= is given twice";
        return false;
      }
      o_->given.push_back(name);
      if (!value_of(name)) return false;
    }
    if (o_->firstobs_given && o_->obs >= 0 && o_->obs > 0 && o_->firstobs > o_->obs) {
      *error_ = "FIRSTOBS=" + std::to_string(o_->firstobs) + " lies beyond OBS=" + std::to_string(o_->obs);
      return false;
    }
    return true;
  }

 private:
  static bool is_option(const std::string& n) {
    return n == "KEEP" || n == "DROP" || n == "RENAME" || n == "WHERE" || n == "FIRSTOBS" || n == "OBS" ||
           n == "LABEL";
  }
  const opt_token& peek(size_t k = 0) const { return t_[std::min(at_ + k, t_.size() - 1)]; }
  bool mark(const char* m) {
    if (peek().kind != opt_token::mark || peek().s != m) return false;
    ++at_;
    return true;
  }
  bool fail(const std::string& what) {
    *error_ = what + ", not " + token_shown(peek());
    return false;
  }

  bool value_of(const std::string& name) {
    if (name == "KEEP" || name == "DROP") return names(name, name == "KEEP" ? &o_->keep : &o_->drop);
    if (name == "RENAME") return renames();
    if (name == "WHERE") return where();
    if (name == "LABEL") {
      if (peek().kind != opt_token::text) return fail("LABEL= wants a quoted text");
      o_->label = peek().s;
      o_->label_given = true;
      ++at_;
      return true;
    }
    return count(name);
  }

  // Names up to the next option (a word followed by '=').
  bool names(const std::string& name, std::vector<std::string>* out) {
    while (peek().kind == opt_token::word && !(peek(1).kind == opt_token::mark && peek(1).s == "=")) {
      out->push_back(peek().s);
      ++at_;
    }
    if (out->empty()) return fail(name + "= wants the names of variables");
    (name == "KEEP" ? o_->keep_given : o_->drop_given) = true;
    return true;
  }

  bool renames() {
    if (!mark("(")) return fail("RENAME= wants pairs old=new in parentheses");
    while (!mark(")")) {
      if (peek().kind != opt_token::word || !(peek(1).kind == opt_token::mark && peek(1).s == "=") ||
          peek(2).kind != opt_token::word)
        return fail("RENAME= wants pairs old=new in parentheses");
      o_->rename.emplace_back(peek().s, peek(2).s);
      at_ += 3;
    }
    if (o_->rename.empty()) return fail("RENAME= wants at least one pair old=new");
    return true;
  }

  bool where() {
    if (!mark("(")) return fail("WHERE= wants its condition in parentheses");
    o_->where = std::make_unique<where_clause>();
    std::string why;
    if (!o_->where->parse(t_, &at_, &why)) {
      *error_ = "WHERE=: " + why;
      return false;
    }
    if (!mark(")")) return fail("WHERE=: an operator or ')' expected");
    return true;
  }

  // FIRSTOBS= (1 or more) and OBS= (0 or more, or MAX): whole numbers.
  bool count(const std::string& name) {
    const bool obs = name == "OBS";
    if (obs && peek().kind == opt_token::word && iequals(peek().s, "MAX")) {
      ++at_;
      o_->obs_given = true;
      return true;
    }
    const double v = peek().value;
    const double least = obs ? 0 : 1;
    if (peek().kind != opt_token::number || v != std::floor(v) || v < least || v > 9e15)
      return fail(name + "= wants a whole number of " + (obs ? "0 or more (or MAX)" : "1 or more"));
    ++at_;
    if (obs) {
      o_->obs = static_cast<long>(v);
      o_->obs_given = true;
    } else {
      o_->firstobs = static_cast<long>(v);
      o_->firstobs_given = true;
    }
    return true;
  }

  const std::vector<opt_token>& t_;
  size_t at_ = 0;
  ds_options* o_;
  std::string* error_;
};

// The index of the name in names (case-blind), or -1.
int index_of(const std::vector<std::string>& names, const std::string& name) {
  for (size_t j = 0; j < names.size(); ++j)
    if (iequals(names[j], name)) return static_cast<int>(j);
  return -1;
}

// Which variables KEEP= and DROP= leave, and the names RENAME= gives: names are the
// variables as stored; what names the data set in messages.
bool select_and_rename(const ds_options& o, const std::vector<std::string>& names, const std::string& what,
                       std::vector<bool>* selected, std::vector<std::string>* final_names, std::string* error) {
  for (const auto* list : {&o.keep, &o.drop})
    for (const std::string& n : *list)
      if (index_of(names, n) < 0) {
        *error = (list == &o.keep ? "KEEP=" : "DROP=") + std::string(" names variable ") + n + ", which " + what +
                 " does not have";
        return false;
      }
  *final_names = names;
  std::vector<bool> renamed(names.size(), false);
  for (const auto& [from, to] : o.rename) {
    const int j = index_of(names, from);
    if (j < 0) {
      *error = "RENAME= names variable " + from + ", which " + what + " does not have";
      return false;
    }
    if (renamed[static_cast<size_t>(j)]) {
      *error = "RENAME= renames variable " + from + " twice";
      return false;
    }
    if (!valid_name(to)) {
      *error = "RENAME= gives " + from + " the name " + to + ", which is no valid variable name";
      return false;
    }
    renamed[static_cast<size_t>(j)] = true;
    (*final_names)[static_cast<size_t>(j)] = to;
  }
  selected->assign(names.size(), false);
  bool any = false;
  for (size_t j = 0; j < names.size(); ++j) {
    (*selected)[j] = (!o.keep_given || index_of(o.keep, names[j]) >= 0) && index_of(o.drop, names[j]) < 0;
    any = any || (*selected)[j];
  }
  if (!any) {
    *error = "KEEP= and DROP= leave no variable of " + what;
    return false;
  }
  for (size_t j = 0; j < names.size(); ++j)
    for (size_t k = 0; k < j; ++k)
      if (iequals((*final_names)[j], (*final_names)[k])) {
        *error = "after RENAME= two variables of " + what + " are named " + (*final_names)[j];
        return false;
      }
  return true;
}

// The observations that pass WHERE= and lie between FIRSTOBS= and OBS= among them.
std::vector<long> selected_rows(const dataset* ds, const ds_options& o) {
  std::vector<long> rows;
  long passed = 0;
  for (long r = 0; r < ds->nobs; ++r) {
    if (o.obs >= 0 && passed >= o.obs) break;
    if (o.where && !o.where->passes(r)) continue;
    ++passed;
    if (passed >= o.firstobs) rows.push_back(r);
  }
  return rows;
}

column_data copy_rows(const column_data& c, bool numeric, const std::vector<long>& rows) {
  column_data out;
  if (numeric) {
    out.num.reserve(rows.size());
    for (long r : rows) out.num.push_back(c.num[static_cast<size_t>(r)]);
    return out;
  }
  out.text_off.reserve(rows.size() + 1);
  out.text_off.push_back(0);
  for (long r : rows) {
    out.text += c.str(r);
    out.text_off.push_back(out.text.size());
  }
  return out;
}

}  // namespace

bool parse_ds_options(std::string_view text, ds_options* out, std::string* error) {
  std::vector<opt_token> tokens;
  if (!option_tokens(text, &tokens, error)) return false;
  return option_reader(tokens, out, error).run();
}

bool check_ds_options(const ds_options& o, bool for_output, std::string* error) {
  for (const std::string& n : o.given) {
    const bool input_only = n == "WHERE" || n == "FIRSTOBS" || n == "OBS";
    if (for_output && input_only) {
      *error = "the data set option " + n + "= applies to data sets the step reads, not to one it writes";
      return false;
    }
    if (!for_output && n == "LABEL") {
      *error = "the data set option LABEL= applies to data sets the step writes, not to one it reads";
      return false;
    }
  }
  return true;
}

bool apply_input_options(dataset* ds, const ds_options& o, std::string* error) {
  const std::string what = "data set " + dataset_name(ds);
  std::vector<std::string> names;
  for (const ds_var& v : ds->vars) names.push_back(v.name);
  std::vector<bool> selected;
  std::vector<std::string> final_names;
  if (!select_and_rename(o, names, what, &selected, &final_names, error)) return false;
  if (o.where) {
    auto find = [&final_names](const std::string& n) { return index_of(final_names, n); };
    std::string why;
    if (!o.where->bind(ds, find, &why)) {
      *error = "WHERE= " + why;
      return false;
    }
  }
  const std::vector<long> rows = selected_rows(ds, o);
  std::vector<ds_var> vars;
  std::vector<column_data> cols;
  for (size_t j = 0; j < ds->vars.size(); ++j) {
    if (!selected[j]) continue;
    vars.push_back(ds->vars[j]);
    vars.back().name = final_names[j];
    cols.push_back(copy_rows(ds->cols[j], ds->vars[j].numeric, rows));
  }
  const long read = ds->nobs;
  ds->vars = std::move(vars);
  ds->cols = std::move(cols);
  ds->nobs = static_cast<long>(rows.size());
  if (o.where || o.firstobs_given || o.obs_given)
    data_msg(datamsg::options_selected, dataset_name(ds).c_str(), ds->nobs, read);
  return true;
}

void set_output_options(dataset* ds, std::shared_ptr<const ds_options> o) { ds->options = std::move(o); }

bool select_output_variables(const dataset* ds, const std::vector<std::string>& names,
                             std::vector<std::pair<size_t, std::string>>* kept, std::string* error) {
  kept->clear();
  if (!ds->options) {
    for (size_t j = 0; j < names.size(); ++j) kept->emplace_back(j, names[j]);
    return true;
  }
  std::vector<bool> selected;
  std::vector<std::string> final_names;
  const std::string what = "the output of the step";
  if (!select_and_rename(*ds->options, names, what, &selected, &final_names, error)) return false;
  for (size_t j = 0; j < names.size(); ++j)
    if (selected[j]) kept->emplace_back(j, final_names[j]);
  return true;
}

}  // namespace plat
