// Opening CSV files as input data sets: file lookup, variable names, metadata.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <vector>
#include <unordered_map>

#include "core/runtime.h"
#include "data/csv_reader.h"
#include "data/data_messages.h"
#include "data/dataset_internal.h"
#include "data/meta_file.h"
#include "data/output_state.h"
#include "host/kes_parallel.h"

namespace plat {
namespace {

namespace fs = std::filesystem;

// Data sets open in this step, in the order they were opened, closed at its end in
// that order (so the notes on output data sets do not follow heap addresses).
std::vector<dataset*>& open_sets() {
  static std::vector<dataset*> s;
  return s;
}
bool is_open(const dataset* ds) {
  const auto& v = open_sets();
  return std::find(v.begin(), v.end(), ds) != v.end();
}
bool cleanup_registered = false;

void register_open(dataset* ds) {
  if (!is_open(ds)) open_sets().push_back(ds);
  if (!cleanup_registered) {
    cleanup_registered = true;
    at_step_end([] {
      cleanup_registered = false;
      std::vector<dataset*> all;
      all.swap(open_sets());
      // Output data sets the module defined but left open take their place only when
      // the step read its input to the end.
      bool walked = false, complete = true;
      for (const dataset* d : all) {
        if (d->output || !d->by_walked) continue;
        walked = true;
        complete = complete && d->by_done;
      }
      for (dataset* d : all)
        if (d->output) finish_output(d, walked && complete);
      for (dataset* d : all) delete d;
    });
  }
}

// The name rule for header texts: every character other than a letter, digit or
// underscore becomes an underscore, a leading digit gets an underscore before it,
// an empty text becomes "_" and the column number, and the result is cut to 32.
std::string make_valid(const std::string& raw, size_t column) {
  std::string s;
  for (char c : raw) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    s.push_back(ok ? c : '_');
  }
  if (s.empty()) s = "_" + std::to_string(column);
  if (s[0] >= '0' && s[0] <= '9') s.insert(s.begin(), '_');
  if (s.size() > 32) s.resize(32);
  return s;
}

// The file of MEMBER in folder: MEMBER.csv, or the one file whose name matches it
// ignoring case.
bool find_member_file(const std::string& folder, const std::string& member, std::string* path, std::string* error) {
  fs::path exact = fs::path(folder) / (member + ".csv");
  std::error_code ec;
  if (fs::is_regular_file(exact, ec)) {
    *path = exact.string();
    return true;
  }
  std::vector<std::string> found;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (iequals(name, member + ".csv")) found.push_back(it->path().string());
  }
  if (ec && found.empty() && !fs::is_directory(folder)) {
    *error = "its library folder " + folder + " does not exist";
    return false;
  }
  if (found.empty()) {
    *error = "it does not exist (no file " + exact.string() + ")";
    return false;
  }
  if (found.size() > 1) {
    std::sort(found.begin(), found.end());
    *error = "the files " + found[0] + " and " + found[1] + " both match it; rename one of them";
    return false;
  }
  *path = found[0];
  return true;
}

}  // namespace

std::string library_label(const std::string& libref) { return libref.empty() ? std::string("WORK") : upper(libref); }

std::string work_member_hint(const std::string& libref, const std::string& member, const std::string& option) {
  std::string unused;
  if (libref.empty() || !library_folder(libref, &unused).empty()) return std::string();
  const std::string work = library_folder("", &unused);
  if (work.empty()) return std::string();
  std::string path;
  if (valid_name(libref) && find_member_file(work, libref, &path, &unused)) {
    const fs::path file = fs::path(path).filename();
    return "; to read " + file.string() + " write " + option + "=" + file.stem().string();
  }
  // state.x77 for the file state.x77.csv: no member name holds a '.'.
  if (!find_member_file(work, libref + "." + member, &path, &unused)) return std::string();
  const fs::path file = fs::path(path).filename();
  const std::string renamed = make_valid(file.stem().string(), 1);
  return "; the file " + file.string() + " cannot be read as a data set, as a data set name holds no '.': rename it (to " +
         renamed + ".csv, say) and write " + option + "=" + renamed;
}

// The separator a header text holds that is not the comma ("';'", "a tab"), or null:
// a file written with another separator reads as one column per line.
static const char* other_separator_in(const std::string& header_text) {
  return header_text.find(';') != std::string::npos    ? "';'"
         : header_text.find('\t') != std::string::npos ? "a tab"
                                                        : nullptr;
}

dataset* open_input(const std::string& libref, const std::string& member, std::string* error) {
  std::string lib = library_label(libref);
  std::string what = "data set " + lib + "." + member;
  std::string folder = member_folder(libref, member, "cannot open " + what, error);
  if (folder.empty()) return nullptr;
  std::string path;
  std::string why;
  if (!find_member_file(folder, member, &path, &why)) {
    *error = "cannot open " + what + ": " + why;
    return nullptr;
  }

  meta_info meta;
  bool have_meta = read_meta(path + ".meta", &meta, &why) && !meta.vars.empty();
  if (!why.empty()) {
    *error = "cannot open " + what + ": " + why;
    return nullptr;
  }
  bool meta_used = false;
  std::vector<std::string> names;
  const char* header_separator = nullptr;
  auto force = [&](const std::vector<std::string>& header) {
    names.clear();
    header_separator = nullptr;
    for (const std::string& h : header)
      if (!header_separator) header_separator = other_separator_in(h);
    for (size_t j = 0; j < header.size(); ++j) names.push_back(make_valid(header[j], j + 1));
    std::vector<bool> f;
    if (!have_meta) return f;
    if (meta.vars.size() == header.size()) {
      bool same = true;
      for (size_t j = 0; j < header.size(); ++j) same = same && meta.vars[j].name == names[j];
      if (same) {
        meta_used = true;
        for (const ds_var& v : meta.vars) f.push_back(!v.numeric);
        return f;
      }
    }
    data_msg(datamsg::meta_mismatch, (path + ".meta").c_str(), path.c_str());
    return f;
  };
  csv_table t;
  if (!read_csv(path, force, &t, &why, run_threads())) {
    *error = "cannot open " + what + ": " + why;
    // Decimal commas in a ';'-separated file split its lines into more fields than
    // its one-column header: the cause is the separator, not the line.
    if (header_separator != nullptr)
      *error += std::string("; its header row is separated by ") + header_separator +
                ", but the fields of a data set file are separated by commas: write the file with commas "
                "between its fields and decimal points in its numbers";
    return nullptr;
  }

  // Names: made valid, then no two alike (names ignore case); one hash lookup per
  // column keeps wide files linear.
  std::unordered_map<std::string, size_t> seen;
  seen.reserve(names.size());
  for (size_t j = 0; j < names.size(); ++j) {
    auto [it, fresh] = seen.emplace(upper(names[j]), j);
    if (!fresh) {
      size_t k = it->second;
      *error = "cannot open " + what + " (file " + path + "): column " + std::to_string(k + 1) + " (\"" +
               printable(t.header[k]) + "\") and column " + std::to_string(j + 1) + " (\"" + printable(t.header[j]) +
               "\") both give the variable name " + names[j];
      return nullptr;
    }
  }
  // A file separated by ';' or tabs reads as one column per line: said, with the
  // separator, before the statements that name its variables fail to find them.
  for (size_t j = 0; j < t.header.size(); ++j) {
    const char* separator = other_separator_in(t.header[j]);
    if (separator == nullptr) continue;
    data_msg(datamsg::other_separator, static_cast<int>(j + 1), path.c_str(), printable(t.header[j]).c_str(),
             separator);
    break;
  }
  for (size_t j = 0; j < names.size(); ++j) {
    if (names[j] != t.header[j])
      data_msg(datamsg::name_made_valid, static_cast<int>(j + 1), path.c_str(), printable(t.header[j]).c_str(),
               names[j].c_str());
  }

  dataset* ds = new dataset();
  ds->libref = lib;
  ds->member = member;
  ds->path = path;
  ds->nobs = t.nrows;
  ds->cols = std::move(t.cols);
  for (size_t j = 0; j < names.size(); ++j) {
    ds_var v;
    v.name = names[j];
    v.numeric = t.numeric[j];
    v.length = t.length[j];
    v.why_char = t.why_text[j];
    if (meta_used) {
      const ds_var& m = meta.vars[j];
      v.label = m.label;
      v.format = m.format;
      if (!v.numeric) v.length = std::max(v.length, m.length);
    }
    ds->vars.push_back(v);
  }
  if (meta_used) {
    ds->ds_label = meta.ds_label;
    ds->type_text = meta.ds_type;
  }
  register_open(ds);
  return ds;
}

void close_dataset(dataset* ds) {
  if (ds == nullptr) return;
  auto& v = open_sets();
  v.erase(std::remove(v.begin(), v.end(), ds), v.end());
  if (ds->output) abandon_output(ds);
  delete ds;
}

void track_dataset(dataset* ds) { register_open(ds); }

const dataset* open_output_at(const std::string& path) {
  // Compared as files, not as spellings: one folder reached by two library names
  // ('lib', './lib', a link to it) holds one file of each name, the case aside.
  const fs::path p(path);
  const std::string folder = p.has_parent_path() ? p.parent_path().string() : ".";
  for (const dataset* d : open_sets()) {
    if (!d->output) continue;
    const fs::path q(d->path);
    if (iequals(q.filename().string(), p.filename().string()) &&
        same_path(q.has_parent_path() ? q.parent_path().string() : ".", folder))
      return d;
  }
  return nullptr;
}

const std::vector<ds_var>& variables(const dataset* ds) { return ds->vars; }

int find_variable(const dataset* ds, const std::string& name) {
  if (ds->name_index.size() != ds->vars.size()) {
    ds->name_index.clear();
    ds->name_index.reserve(ds->vars.size());
    for (size_t j = 0; j < ds->vars.size(); ++j) ds->name_index.emplace(upper(ds->vars[j].name), static_cast<int>(j));
  }
  auto it = ds->name_index.find(upper(name));
  return it == ds->name_index.end() ? -1 : it->second;
}

std::string dataset_name(const dataset* ds) { return ds->libref + "." + ds->member; }
long observation_count(const dataset* ds) { return ds->output ? -1 : ds->nobs; }

bool set_by(dataset* ds, const std::vector<by_var>& vars, bool notsorted, std::string* error) {
  for (const by_var& b : vars) {
    if (b.var < 0 || b.var >= static_cast<int>(ds->vars.size())) {
      *error = "BY variable number " + std::to_string(b.var) + " is not a variable of data set " + dataset_name(ds);
      return false;
    }
  }
  ds->by = vars;
  ds->notsorted = notsorted;
  ds->by_checked = false;
  ds->by_failed = false;
  ds->started = false;
  ds->single_group = false;
  ds->grp_start = ds->grp_end = ds->next_read = 0;
  ds->cur = -1;
  return true;
}

}  // namespace plat
