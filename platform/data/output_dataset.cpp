// Output data sets: variable definitions (xvputi, xvputcv, xvnamei, xvputd, xvpute),
// observations (xyvput and the data set's write routine), closing (xvputt). The CSV
// text goes to a temporary file in the library folder that takes the data set's
// place only when the module closes it, together with its metadata file.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "core/temp_files.h"
#include "data/data_messages.h"
#include "data/dataset_internal.h"
#include "data/dataset_options.h"
#include "data/formats.h"
#include "data/meta_file.h"
#include "data/output_state.h"
#include "host/step_codes.h"

namespace plat {

struct output_state {
  struct ovar {
    ds_var var;
    const void* address = nullptr;  // bound value: a double, or length bytes of text
    int length = 8;
    const dataset* src = nullptr;   // copied from an input data set: its current BY values
    int src_var = -1;
  };
  std::vector<ovar> vars;
  bool begun = false;     // xvputi was called
  bool ended = false;     // xvpute: the file exists
  bool closed = false;    // xvputt
  bool failed = false;
  bool reported = false;
  std::string fail_reason;
  std::string fail_path;  // the file that could not be written, when not tmp_path
  std::string tmp_path;
  int fd = -1;
  std::string buf;        // text not yet written to the file
  std::string row;        // the pending observation
  bool row_pending = false;
  long nobs = 0;
};

namespace {

namespace fs = std::filesystem;
constexpr size_t kFlushSize = 1 << 20;

std::string csv_text(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  bool quote = s.find_first_of(",\"\r\n") != std::string_view::npos;
  if (!quote) return std::string(s);
  std::string r = "\"";
  for (char c : s) {
    r.push_back(c);
    if (c == '"') r.push_back('"');
  }
  r.push_back('"');
  return r;
}

// An output data set that is not written fails the step: its return code says the
// output is incomplete, whatever the module makes of the failed call.
void lost(int number, const std::string& a, const std::string& b, const std::string& c = std::string()) {
  raise_step_code(KES_RC_STEP_FAILED);
  data_msg(number, a.c_str(), b.c_str(), c.c_str());
}

void fail(dataset* ds, const std::string& reason) {
  output_state& o = *ds->out;
  if (!o.failed) o.fail_reason = reason;
  o.failed = true;
  ds->flags |= HOST_DSF_REPORT;
}

bool flush_buffer(dataset* ds) {
  output_state& o = *ds->out;
  const char* p = o.buf.data();
  size_t left = o.buf.size();
  while (left > 0) {
    ssize_t n = ::write(o.fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(ds, std::strerror(errno));
      o.buf.clear();
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  o.buf.clear();
  return true;
}

void remove_temp(output_state& o) {
  if (o.fd >= 0) ::close(o.fd);
  o.fd = -1;
  if (!o.tmp_path.empty()) {
    ::unlink(o.tmp_path.c_str());
    temp_files_remove(o.tmp_path);
  }
  o.tmp_path.clear();
}

int write_observation(host_dataset* h, host_ioreq* status) {
  dataset* ds = static_cast<dataset*>(h);
  int rc = 0;
  if (ds == nullptr || ds->out == nullptr || !ds->out->ended || ds->out->closed) {
    rc = 1;
  } else {
    output_state& o = *ds->out;
    if (o.failed) {
      rc = 5;
    } else {
      o.buf += o.row;
      o.buf.push_back('\n');
      ++o.nobs;
      if (o.buf.size() >= kFlushSize && !flush_buffer(ds)) rc = 5;
    }
    o.row.clear();
    o.row_pending = false;
  }
  if (status != nullptr) {
    status->ds = h;
    status->status = rc;
  }
  return rc;
}

output_state* defining(host_access* acc, dataset** out) {
  if (acc == nullptr || acc->ds == nullptr) return nullptr;
  dataset* ds = from_handle(acc->ds);
  if (!ds->output || ds->out == nullptr || !ds->out->begun) return nullptr;
  *out = ds;
  return ds->out.get();
}

bool add_var(dataset* ds, output_state::ovar v) {
  output_state& o = *ds->out;
  std::string name = dataset_name(ds);
  if (o.ended) {
    data_msg(datamsg::output_bad_definition, name.c_str(), ("variable " + v.var.name + " was defined after the definitions ended").c_str());
    return false;
  }
  if (!valid_name(v.var.name)) {
    data_msg(datamsg::output_bad_definition, name.c_str(), ("\"" + v.var.name + "\" is not a valid variable name").c_str());
    return false;
  }
  for (const output_state::ovar& w : o.vars) {
    if (iequals(w.var.name, v.var.name)) {
      data_msg(datamsg::duplicate_output_var, name.c_str(), v.var.name.c_str());
      return false;
    }
  }
  o.vars.push_back(std::move(v));
  return true;
}

// How the temporary files beside target are named, for a message when none could be made.
std::string temp_pattern(const std::string& target) {
  fs::path t(target);
  return (t.parent_path() / ("." + t.filename().string() + ".tmp" + std::to_string(::getpid()) + "_N")).string();
}

// The data set options (KEEP=, DROP=, RENAME=) choose and rename the variables the
// step defined; false after a message when they name one it did not define.
bool apply_output_options(dataset* ds, output_state* o) {
  std::vector<std::string> names;
  for (const output_state::ovar& v : o->vars) names.push_back(v.var.name);
  std::vector<std::pair<size_t, std::string>> kept;
  std::string why;
  if (!select_output_variables(ds, names, &kept, &why)) {
    fail(ds, why);
    o->reported = true;
    o->closed = true;  // nothing was written: no file to keep or replace
    data_msg(datamsg::output_bad_definition, dataset_name(ds).c_str(), why.c_str());
    return false;
  }
  std::vector<output_state::ovar> vars;
  for (const auto& [j, name] : kept) {
    vars.push_back(o->vars[j]);
    vars.back().var.name = name;
  }
  o->vars = std::move(vars);
  return true;
}

// A link, FIFO, device or folder at the data set's file or its metadata file is never
// written through or replaced: the step fails naming it and leaves it as it was (and
// the other file too). False after that message.
bool targets_replaceable(dataset* ds, output_state* o) {
  for (const std::string& target : {ds->path, ds->path + ".meta"}) {
    std::string why = replace_refusal(target);
    if (why.empty()) continue;
    fail(ds, why);
    o->reported = true;
    lost(datamsg::write_not_replaced, dataset_name(ds), target, why);
    return false;
  }
  return true;
}

enum class placed { none, data_only, both };

// The data file, then its metadata file, take their places with no interrupt between
// them: a reader finds the older pair or the new one, never new data that older labels,
// formats and lengths describe. Nothing that may wait (a log on a pipe) is done while
// interrupts are held. *why is the errno of a rename that failed.
placed place_pair(dataset* ds, output_state& o, const std::string& meta_tmp, int* why) {
  interrupts_held held;
  if (::rename(o.tmp_path.c_str(), ds->path.c_str()) != 0) {
    *why = errno;
    return placed::none;
  }
  temp_files_remove(o.tmp_path);
  o.tmp_path.clear();
  set_interrupt_output_placed();
  const std::string meta = ds->path + ".meta";
  if (::rename(meta_tmp.c_str(), meta.c_str()) == 0) {
    temp_files_remove(meta_tmp);
    return placed::both;
  }
  *why = errno;
  ::unlink(meta_tmp.c_str());
  temp_files_remove(meta_tmp);
  // A metadata file of an older version must not describe the new data.
  if (not_replaceable(meta) == nullptr) ::unlink(meta.c_str());
  return placed::data_only;
}

std::string trimmed(const char* s, int len, int room) {
  if (len < 0) len = 0;
  if (len > room) len = room;
  std::string r(s, static_cast<size_t>(len));
  while (!r.empty() && r.back() == ' ') r.pop_back();
  return r;
}

}  // namespace

dataset::dataset() {
  write = nullptr;
  flags = 0;
  access = &access_rec;
  access_rec.ds = this;
}

dataset::~dataset() = default;

dataset* open_output(const std::string& libref, const std::string& member, std::string* error) {
  std::string what = "data set " + library_label(libref) + "." + member;
  std::string folder = member_folder(libref, member, "cannot open " + what + " for output", error);
  if (folder.empty()) return nullptr;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    *error = "cannot open " + what + " for output: its library folder " + folder + " does not exist";
    return nullptr;
  }
  // An existing file whose name differs only in case is replaced under its own name.
  std::string path = (fs::path(folder) / (member + ".csv")).string();
  if (!fs::exists(path, ec)) {
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
      if (iequals(it->path().filename().string(), member + ".csv")) {
        path = it->path().string();
        break;
      }
    }
  }
  // Two outputs to one file: one would silently replace the other.
  for (const std::string& file : {path, path + ".meta"})
    if (const char* own = run_file_at(file)) {
      *error = "cannot open " + what + " for output: its file " + file + " is the run's " + own +
               " file; give each output its own name";
      return nullptr;
    }
  if (const dataset* other = open_output_at(path)) {
    *error = "cannot open " + what + " for output: the step already writes its file " + path +
             " as the output data set " + dataset_name(other) + "; give each output its own name";
    return nullptr;
  }
  dataset* ds = new dataset();
  ds->output = true;
  ds->libref = library_label(libref);
  ds->member = member;
  ds->path = path;
  ds->write = &write_observation;
  ds->out = std::make_unique<output_state>();
  track_dataset(ds);
  return ds;
}

void abandon_output(dataset* ds) {
  if (ds->out == nullptr) return;
  output_state& o = *ds->out;
  if (o.begun && !o.closed) {
    std::string name = dataset_name(ds);
    // A step that ran out of memory stops where it was: that, not the open data set,
    // is its failure.
    if (memory_failed_in_step()) data_msg(datamsg::not_replaced_out_of_memory, name.c_str(), ds->path.c_str());
    else lost(datamsg::output_not_closed, name, ds->path);
  }
  remove_temp(o);
  o.closed = true;
}

void finish_output(dataset* ds, bool complete) {
  if (ds->out == nullptr) return;
  output_state& o = *ds->out;
  if (complete && o.ended && !o.closed) {
    plat_xvputt(&ds->access_rec);
    return;
  }
  abandon_output(ds);
}

int report_output_failure(dataset* ds, int status) {
  if (ds == nullptr || !ds->output || ds->out == nullptr) return status != 0 ? 1 : 0;
  output_state& o = *ds->out;
  ds->flags &= ~HOST_DSF_REPORT;
  if (status == 0 && !o.failed) return 0;
  if (!o.reported) {
    o.reported = true;
    std::string name = dataset_name(ds);
    std::string reason = o.failed ? o.fail_reason : ("status " + std::to_string(status));
    lost(datamsg::write_failed, o.tmp_path.empty() ? ds->path : o.tmp_path, reason, name);
  }
  return 1;
}

}  // namespace plat

using namespace plat;

extern "C" {

int plat_xvputi(kes_dsh h, int nvars, int namelen, host_access** handle) {
  dataset* ds = from_handle(h);
  if (ds == nullptr || !ds->output || ds->out == nullptr || handle == nullptr) return 1;
  output_state& o = *ds->out;
  if (o.begun) {
    std::string name = dataset_name(ds);
    data_msg(datamsg::output_bad_definition, name.c_str(), "its variables were already defined");
    return 1;
  }
  (void)namelen;
  o.begun = true;
  o.vars.reserve(static_cast<size_t>(nvars > 0 ? nvars : 0));
  ds->access_rec = host_access{};
  ds->access_rec.ds = ds;
  *handle = &ds->access_rec;
  return 0;
}

int plat_xvputcv(host_access* acc, kes_dsh input, const int* varnums, int count, int) {
  dataset* ds = nullptr;
  output_state* o = defining(acc, &ds);
  dataset* in = from_handle(input);
  if (o == nullptr || in == nullptr || in->output || count < 0 || (count > 0 && varnums == nullptr)) return 1;
  for (int i = 0; i < count; ++i) {
    int k = varnums[i];
    if (k < 0 || k >= static_cast<int>(in->vars.size())) {
      data_msg(datamsg::bad_varnum, k, dataset_name(in).c_str());
      return 1;
    }
    output_state::ovar v;
    v.var = in->vars[k];
    v.length = v.var.numeric ? 8 : v.var.length;
    v.src = in;
    v.src_var = k;
    if (!add_var(ds, v)) return 1;
  }
  return 0;
}

int plat_xvnamei(host_varinfo* info, const char* name, int namelen, int type, int length, const char* label,
                 int labellen) {
  if (info == nullptr) return 1;
  std::memset(info, 0, sizeof *info);
  std::memset(info->name, ' ', sizeof info->name);
  std::memset(info->label, ' ', sizeof info->label);
  std::memset(info->fmt_name, ' ', sizeof info->fmt_name);
  std::string n = name == nullptr ? std::string() : (namelen < 0 ? std::string(name) : trimmed(name, namelen, 1 << 20));
  while (!n.empty() && n.back() == ' ') n.pop_back();
  size_t nn = std::min(n.size(), sizeof info->name);
  std::memcpy(info->name, n.data(), nn);
  info->name_len = static_cast<std::uint16_t>(nn);
  std::string l = label == nullptr ? std::string() : (labellen < 0 ? std::string(label) : trimmed(label, labellen, 256));
  size_t ln = std::min(l.size(), sizeof info->label);
  std::memcpy(info->label, l.data(), ln);
  info->label_len = static_cast<std::uint16_t>(ln);
  info->type = type == HOST_VT_CHAR ? HOST_VT_CHAR : HOST_VT_NUM;
  info->length = info->type == HOST_VT_NUM ? 8 : (length > 0 ? length : 1);
  info->varnum = -1;
  bool ok = (type == HOST_VT_NUM || type == HOST_VT_CHAR) && valid_name(n);
  return ok ? 0 : 1;
}

int plat_xvputd(host_access* acc, const host_varinfo* info, int, void* address, int length, int, int) {
  dataset* ds = nullptr;
  output_state* o = defining(acc, &ds);
  if (o == nullptr || info == nullptr || address == nullptr) return 1;
  output_state::ovar v;
  v.var.name = trimmed(info->name, info->name_len, sizeof info->name);
  v.var.label = trimmed(info->label, info->label_len, sizeof info->label);
  v.var.numeric = info->type != HOST_VT_CHAR;
  v.var.length = v.var.numeric ? 8 : (length > 0 ? length : info->length);
  if (!v.var.numeric && v.var.length <= 0) {
    data_msg(datamsg::output_bad_definition, dataset_name(ds).c_str(), ("character variable " + v.var.name + " has no length").c_str());
    return 1;
  }
  if (info->fmt_width > 0) {
    std::string fname = trimmed(info->fmt_name, info->fmt_name_len, sizeof info->fmt_name);
    format_def f;
    if (parse_format(fname + std::to_string(info->fmt_width) + "." +
                         (info->fmt_decimals > 0 ? std::to_string(info->fmt_decimals) : std::string()),
                     &f))
      v.var.format = format_text(f);
  }
  v.length = v.var.length;
  v.address = address;
  return add_var(ds, v) ? 0 : 1;
}

int plat_xvpute(host_access* acc) {
  dataset* ds = nullptr;
  output_state* o = defining(acc, &ds);
  if (o == nullptr) return 1;
  if (o->ended) return 0;
  o->ended = true;
  if (!apply_output_options(ds, o)) return 1;
  fs::path target(ds->path);
  remove_stale_temp_files(target.parent_path().string());
  o->fd = create_temp_file(ds->path, &o->tmp_path);
  if (o->fd < 0) {
    std::string reason = std::strerror(errno);
    std::string path = temp_pattern(ds->path);
    o->tmp_path.clear();
    fail(ds, reason);
    o->reported = true;
    lost(datamsg::write_failed, path, reason, dataset_name(ds));
    return 1;
  }
  ds->vars.clear();
  for (const output_state::ovar& v : o->vars) ds->vars.push_back(v.var);
  std::string header;
  for (size_t i = 0; i < o->vars.size(); ++i) {
    if (i > 0) header.push_back(',');
    header += o->vars[i].var.name;
  }
  o->buf = header + "\n";
  return 0;
}

int plat_xyvput(host_access* acc, int) {
  if (acc == nullptr || acc->ds == nullptr) return 1;
  dataset* ds = from_handle(acc->ds);
  if (!ds->output || ds->out == nullptr) return 1;
  output_state& o = *ds->out;
  if (!o.ended || o.closed) {
    data_msg(datamsg::output_not_defined, dataset_name(ds).c_str(), "xyvput");
    return 1;
  }
  std::string& row = o.row;
  row.clear();
  for (size_t i = 0; i < o.vars.size(); ++i) {
    const output_state::ovar& v = o.vars[i];
    if (i > 0) row.push_back(',');
    if (v.src != nullptr) {
      const dataset* in = v.src;
      long r = in->started && in->grp_start < in->nobs ? in->grp_start : in->cur;
      if (r < 0 || r >= in->nobs) {
        row += v.var.numeric ? "." : "";
      } else if (v.var.numeric) {
        row += number_to_csv(num_value(in, v.src_var, r));
      } else {
        row += csv_text(char_value(in, v.src_var, r));
      }
    } else if (v.var.numeric) {
      double x;
      std::memcpy(&x, v.address, sizeof x);
      row += number_to_csv(x);
    } else {
      const char* p = static_cast<const char*>(v.address);
      row += csv_text(std::string_view(p, static_cast<size_t>(v.length)));
    }
  }
  o.row_pending = true;
  return 0;
}

int plat_xvputt(host_access* acc) {
  dataset* ds = nullptr;
  output_state* o = defining(acc, &ds);
  if (o == nullptr || o->closed) return 1;
  std::string name = dataset_name(ds);
  if (!o->ended && plat_xvpute(acc) != 0) {
    o->closed = true;
    return 1;
  }
  if ((data_error_in_step() || memory_failed_in_step()) && !o->failed) {
    // The observations stop short of the data, or miss what memory could not hold:
    // keep the older file.
    data_msg(data_error_in_step() ? datamsg::not_replaced_after_error : datamsg::not_replaced_out_of_memory,
             name.c_str(), ds->path.c_str());
    remove_temp(*o);
    o->closed = true;
    return 1;
  }
  if (!o->failed) flush_buffer(ds);
  if (!o->failed && ::fsync(o->fd) != 0) fail(ds, std::strerror(errno));
  if (o->fd >= 0 && ::close(o->fd) != 0 && !o->failed) fail(ds, std::strerror(errno));
  o->fd = -1;
  // The metadata file: types, lengths, labels and formats of the variables. Its
  // temporary file is made like the data's: new, never through a link.
  std::string meta_tmp;
  if (!o->failed) {
    meta_info m;
    m.ds_label = ds->options && ds->options->label_given ? ds->options->label : ds->ds_label;
    m.ds_type = ds->type_text;
    for (const output_state::ovar& v : o->vars) m.vars.push_back(v.var);
    std::string why;
    if (!write_temp_file(ds->path + ".meta", meta_text(m), &meta_tmp, &why)) {
      o->fail_path = meta_tmp.empty() ? temp_pattern(ds->path + ".meta") : meta_tmp;
      meta_tmp.clear();
      fail(ds, why);
    }
  }
  auto drop_meta = [&] {
    if (meta_tmp.empty()) return;
    ::unlink(meta_tmp.c_str());
    temp_files_remove(meta_tmp);
  };
  if (o->failed) {
    if (!o->reported) {
      o->reported = true;
      lost(datamsg::write_failed, o->fail_path.empty() ? o->tmp_path : o->fail_path, o->fail_reason, name);
    }
    drop_meta();
    remove_temp(*o);
    o->closed = true;
    return 1;
  }
  // Checked when the files take their places, so that something put there while the
  // step ran is kept too; until then only temporary files of their own were written.
  if (!targets_replaceable(ds, o)) {
    drop_meta();
    remove_temp(*o);
    o->closed = true;
    return 1;
  }
  int why = 0;
  const placed p = place_pair(ds, *o, meta_tmp, &why);
  if (p == placed::none) {
    lost(datamsg::write_not_replaced, name, ds->path, std::strerror(why));
    drop_meta();
    remove_temp(*o);
    o->closed = true;
    return 1;
  }
  o->closed = true;
  if (p == placed::data_only) {
    lost(datamsg::meta_not_written, ds->path + ".meta", std::strerror(why), name);
    return 1;
  }
  data_msg(datamsg::output_written, name.c_str(), o->nobs, o->nobs == 1 ? "" : "s", static_cast<int>(o->vars.size()),
           o->vars.size() == 1 ? "" : "s", ds->path.c_str());
  config().last_written_lib = ds->libref;
  config().last_written_member = ds->member;
  return 0;
}

}  // extern "C"
