// The data set opening of the parser: the options after a data set's name, and the
// data set named last opened for input or output with those options applied.
#include "parse/dataset_opening.h"

#include <algorithm>

#include "core/name_case.h"

namespace plat::parse {
namespace {

// Remembers the stored variables of an input data set that its KEEP= or DROP= left
// out, so that a list naming one says why it is not there.
void note_left_out(semantics& s, const dataset* ds, const ds_options& o, const std::vector<std::string>& stored) {
  auto named = [](const std::vector<std::string>& list, const std::string& n) {
    return std::any_of(list.begin(), list.end(), [&](const std::string& x) { return iequals(x, n); });
  };
  auto& out = s.left_out[ds];
  out.clear();
  for (const std::string& n : stored) {
    if (find_variable(ds, n) >= 0) continue;
    if (std::any_of(o.rename.begin(), o.rename.end(), [&](const auto& r) { return iequals(r.first, n); })) continue;
    if (o.keep_given && !named(o.keep, n)) out.emplace_back(n, "KEEP=");
    else if (o.drop_given && named(o.drop, n)) out.emplace_back(n, "DROP=");
  }
}

}  // namespace

std::string ds_shown(const semantics& s) { return (s.ds_lib.empty() ? std::string("WORK") : s.ds_lib) + "." + s.ds_member; }

// Data set options after the data set's name: read as raw text and kept for the
// action that opens the data set.
void read_dataset_options(parser* p) {
  semantics& s = p->sem;
  s.ds_opts.reset();
  s.ds_opts_refused = false;
  std::string text, err;
  int line = 0, col = 0;
  if (p->last.synthetic || !read_raw_group(p, &text, &line, &col)) return;
  auto o = std::make_shared<ds_options>();
  if (!parse_ds_options(text, o.get(), &err)) {
    parse_error(p, line, col, 32, ds_shown(s).c_str(), err.c_str());
    s.ds_opts_refused = true;  // the data set is not opened either
  }
  s.ds_opts = std::move(o);
}

dataset* open_with_options(parser* p, bool for_input) {
  semantics& s = p->sem;
  std::shared_ptr<ds_options> o = std::move(s.ds_opts);
  std::string err;
  if (s.ds_opts_refused) {
    s.ds_opts_refused = false;
    return nullptr;
  }
  if (o && !check_ds_options(*o, !for_input, &err)) {
    parse_error(p, p->last.line, p->last.col, 32, ds_shown(s).c_str(), err.c_str());
    return nullptr;
  }
  dataset* ds = for_input ? open_input(s.ds_lib, s.ds_member, &err) : open_output(s.ds_lib, s.ds_member, &err);
  if (ds == nullptr) {
    if (for_input) err += work_member_hint(s.ds_lib, s.ds_member, p->last_keyword.text);
    parse_error(p, p->last.line, p->last.col, 23, err.c_str());
    return nullptr;
  }
  std::vector<std::string> stored;
  if (o && for_input)
    for (const ds_var& v : variables(ds)) stored.push_back(v.name);
  if (o && for_input && !apply_input_options(ds, *o, &err)) {
    parse_error(p, p->last.line, p->last.col, 32, ds_shown(s).c_str(), err.c_str());
    close_dataset(ds);
    return nullptr;
  }
  if (o && for_input) note_left_out(s, ds, *o, stored);
  if (o && !for_input) set_output_options(ds, o);
  return ds;
}

dataset* open_last_written(parser* p) {
  const run_config& c = config();
  if (c.last_written_member.empty()) return nullptr;
  std::string err;
  dataset* ds = open_input(c.last_written_lib, c.last_written_member, &err);
  if (ds == nullptr) parse_error(p, p->last.line, p->last.col, 23, err.c_str());
  return ds;
}

}  // namespace plat::parse
