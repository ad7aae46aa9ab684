// Variables of input data sets: descriptions (xvname, xvfind), lists (xvdflst,
// xffile), variable-get sets (xvgeti ... xvgett) and single-variable gets.
#include <algorithm>
#include <cstring>
#include <set>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "data/data_messages.h"
#include "data/dataset_internal.h"
#include "data/formats.h"

struct host_getset {
  struct entry {
    int var;
    int code;
    void* buffer;
    int length;
    // The last formatted value: CLASS values repeat, formatting them is not free.
    bool have_last = false;
    std::uint64_t last_bits = 0;
    std::string last_text;
  };
  plat::dataset* ds = nullptr;
  std::vector<entry> entries;
  bool ended = false;
};

namespace plat {
namespace {

std::set<host_getset*>& live_sets() {
  static std::set<host_getset*> s;
  return s;
}
bool cleanup_registered = false;

bool var_ok(const dataset* ds, int var) {
  if (ds == nullptr) return false;
  if (var >= 0 && var < static_cast<int>(ds->vars.size())) return true;
  data_msg(datamsg::bad_varnum, var, dataset_name(ds).c_str());
  return false;
}

void put_text(std::string_view s, char* buf, int len) {
  if (len <= 0) return;
  size_t n = std::min(s.size(), static_cast<size_t>(len));
  std::memcpy(buf, s.data(), n);
  std::memset(buf + n, ' ', static_cast<size_t>(len) - n);
}

format_def format_of(const ds_var& v) {
  format_def f;
  if (v.format.empty() || !parse_format(v.format, &f)) f = default_format(v.numeric, v.length);
  return f;
}

// The formatted value of a variable, in len characters.
void put_formatted(const dataset* ds, host_getset::entry& e, long row) {
  int var = e.var, len = e.length;
  char* buf = static_cast<char*>(e.buffer);
  const ds_var& v = ds->vars[var];
  if (v.numeric) {
    double x = num_value(ds, var, row);
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    if (!e.have_last || b != e.last_bits) {
      std::string s = format_number(x, format_of(v));
      if (static_cast<int>(s.size()) > len) s = format_best(x, std::min(len, 32));
      e.last_text = s;
      e.last_bits = b;
      e.have_last = true;
    }
    put_text(e.last_text, buf, len);
  } else {
    format_def f = format_of(v);
    std::string_view t = char_value(ds, var, row);
    put_text(t.substr(0, static_cast<size_t>(f.width)), buf, len);
  }
}

void fill_name(char* dst, std::uint16_t* len, std::string_view s, size_t room) {
  size_t n = std::min(s.size(), room);
  std::memset(dst, ' ', room);
  std::memcpy(dst, s.data(), n);
  *len = static_cast<std::uint16_t>(n);
}

}  // namespace

// Fills a description record from a variable of a data set (also used by output
// data sets to copy definitions).
void describe_variable(const ds_var& v, int varnum, host_varinfo* info) {
  std::memset(info, 0, sizeof *info);
  fill_name(info->name, &info->name_len, v.name, sizeof info->name);
  fill_name(info->label, &info->label_len, v.label, sizeof info->label);
  info->type = v.numeric ? HOST_VT_NUM : HOST_VT_CHAR;
  info->length = v.numeric ? 8 : v.length;
  info->varnum = varnum;
  std::memset(info->fmt_name, ' ', sizeof info->fmt_name);
  format_def f;
  if (!v.format.empty() && parse_format(v.format, &f)) {
    std::string name = f.kind == format_def::best ? "BEST" : (f.kind == format_def::text ? "$" : "");
    fill_name(info->fmt_name, &info->fmt_name_len, name, sizeof info->fmt_name);
    info->fmt_width = f.width;
    info->fmt_decimals = f.decimals;
  }
}

}  // namespace plat

using namespace plat;

extern "C" {

int plat_xvname(kes_dsh h, int varnum, host_varinfo* info) {
  dataset* ds = from_handle(h);
  if (info == nullptr || !var_ok(ds, varnum)) return 1;
  describe_variable(ds->vars[varnum], varnum, info);
  return 0;
}

int plat_xvfind(kes_dsh h, const char* name, int length, int* varnum) {
  dataset* ds = from_handle(h);
  if (ds == nullptr || name == nullptr) return 1;
  std::string_view n = length < 0 ? std::string_view(name) : std::string_view(name, static_cast<size_t>(length));
  while (!n.empty() && n.back() == ' ') n.remove_suffix(1);
  int k = find_variable(ds, std::string(n));
  if (k < 0) return 1;
  if (varnum != nullptr) *varnum = k;
  return 0;
}

int plat_xvdflst(kes_dsh h, const int* varnums, int count) {
  dataset* ds = from_handle(h);
  if (ds == nullptr || count < 0 || (count > 0 && varnums == nullptr)) return 1;
  for (int i = 0; i < count; ++i)
    if (!var_ok(ds, varnums[i])) return 1;
  return 0;
}

int plat_xffile(kes_dsh h, int letter, const int* varnums, int count) {
  if (letter != 'F') return 1;
  return plat_xvdflst(h, varnums, count);
}

int plat_xvsele(kes_dsh h) { return h == nullptr ? 1 : 0; }

int plat_xvgeti(kes_dsh h, int count, kes_geth* handle) {
  dataset* ds = from_handle(h);
  if (ds == nullptr || handle == nullptr || ds->output) return 1;
  auto* g = new host_getset();
  g->ds = ds;
  g->entries.reserve(static_cast<size_t>(std::max(count, 0)));
  live_sets().insert(g);
  if (!cleanup_registered) {
    cleanup_registered = true;
    at_step_end([] {
      cleanup_registered = false;
      for (host_getset* s : live_sets()) delete s;
      live_sets().clear();
    });
  }
  *handle = g;
  return 0;
}

int plat_xvgetd(kes_geth g, int varnum, int code, void* buffer, int length) {
  if (g == nullptr || buffer == nullptr || g->ended || !var_ok(g->ds, varnum)) return 1;
  const ds_var& v = g->ds->vars[varnum];
  bool text = code == HOST_GET_FMT || !v.numeric;
  if (code != HOST_GET_RAW && code != HOST_GET_FMT && code != HOST_GET_KEY && code != HOST_GET_ANALYSIS) return 1;
  if (code == HOST_GET_ANALYSIS && !v.numeric) return 1;
  if (text && length <= 0) return 1;
  g->entries.push_back({varnum, code, buffer, length, false, 0, std::string()});
  return 0;
}

int plat_xvgete(kes_geth g) {
  if (g == nullptr) return 1;
  g->ended = true;
  return 0;
}

int plat_xyvget(kes_geth g, int) {
  if (g == nullptr) return 1;
  const dataset* ds = g->ds;
  long row = ds->cur;
  if (row < 0) return 1;
  for (host_getset::entry& e : g->entries) {
    const ds_var& v = ds->vars[e.var];
    if (e.code == HOST_GET_FMT) {
      put_formatted(ds, e, row);
    } else if (v.numeric) {
      double x = num_value(ds, e.var, row);
      std::memcpy(e.buffer, &x, sizeof x);
    } else {
      put_text(char_value(ds, e.var, row), static_cast<char*>(e.buffer), e.length);
    }
  }
  return 0;
}

int plat_xvgett(kes_geth g) {
  if (g == nullptr) return 1;
  if (live_sets().erase(g) != 0) delete g;
  return 0;
}

int plat_xvget1v(kes_dsh h, int varnum, int length, void* buffer) {
  dataset* ds = from_handle(h);
  if (buffer == nullptr || length <= 0 || !var_ok(ds, varnum) || ds->output || ds->cur < 0) return 1;
  if (ds->vars[varnum].numeric) {
    double x = num_value(ds, varnum, ds->cur);
    unsigned char b[8];
    std::memcpy(b, &x, 8);
    std::memset(buffer, 0, static_cast<size_t>(length));
    std::memcpy(buffer, b, static_cast<size_t>(std::min(length, 8)));
  } else {
    put_text(char_value(ds, varnum, ds->cur), static_cast<char*>(buffer), length);
  }
  return 0;
}

int plat_xvget1c(kes_dsh h, int varnum, int length, char* buffer) {
  dataset* ds = from_handle(h);
  if (buffer == nullptr || !var_ok(ds, varnum) || ds->output || ds->cur < 0 || ds->vars[varnum].numeric) return 1;
  put_text(char_value(ds, varnum, ds->cur), buffer, length);
  return 0;
}

int plat_xvget1t(kes_dsh h, int varnum, int length, char* buffer) {
  dataset* ds = from_handle(h);
  if (buffer == nullptr || length <= 0 || !var_ok(ds, varnum) || ds->output || ds->cur < 0) return 1;
  host_getset::entry e;
  e.var = varnum;
  e.code = HOST_GET_FMT;
  e.buffer = buffer;
  e.length = length;
  put_formatted(ds, e, ds->cur);
  return 0;
}

int plat_xvget1f(kes_dsh h, int varnum, double* value) {
  dataset* ds = from_handle(h);
  if (value == nullptr || !var_ok(ds, varnum) || ds->output || ds->cur < 0 || !ds->vars[varnum].numeric) return 1;
  *value = num_value(ds, varnum, ds->cur);
  return 0;
}

}  // extern "C"
