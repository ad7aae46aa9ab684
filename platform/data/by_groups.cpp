// BY groups and observation reads of input data sets: xbynext, xbyrwnd, xybyget,
// xofprc, xopnt, xopnt2, xbylist, xbysync, and the information items (xoinfo).
#include <algorithm>
#include <cstring>

#include "core/host_routines.h"
#include "core/output_link.h"
#include "core/runtime.h"
#include "data/data_messages.h"
#include "data/dataset_internal.h"
#include "data/formats.h"
#include "data/output_state.h"
#include "host/host_missing.h"

namespace plat {
namespace {

// Character values compare as if blank-padded to a common length.
int compare_padded(std::string_view a, std::string_view b) {
  size_t n = std::max(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : ' ';
    unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : ' ';
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

int compare_var(const dataset* a, long ra, const dataset* b, long rb, int va, int vb) {
  if (a->vars[va].numeric) return host_compare_values(num_value(a, va, ra), num_value(b, vb, rb));
  return compare_padded(char_value(a, va, ra), char_value(b, vb, rb));
}

std::string value_text(const dataset* ds, int var, long row) {
  if (ds->vars[var].numeric) {
    std::string s = format_best(num_value(ds, var, row), 12);
    s.erase(0, s.find_first_not_of(' '));
    return ds->vars[var].name + "=" + s;
  }
  std::string_view t = char_value(ds, var, row);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return ds->vars[var].name + "=\"" + std::string(t) + "\"";
}

// Verifies once that the observations come in the order the BY statement states.
bool check_order(dataset* ds) {
  if (ds->by_checked) return !ds->by_failed;
  ds->by_checked = true;
  if (ds->notsorted || ds->by.empty()) return true;
  for (long r = 1; r < ds->nobs; ++r) {
    for (const by_var& b : ds->by) {
      int c = compare_var(ds, r, ds, r - 1, b.var, b.var);
      if (c == 0) continue;
      if (b.descending ? c > 0 : c < 0) {
        ds->by_failed = true;
        mark_data_error();
        std::string name = dataset_name(ds);
        data_msg(b.descending ? datamsg::not_sorted_desc : datamsg::not_sorted_asc, name.c_str(),
                 ds->vars[b.var].name.c_str(), static_cast<long>(r + 1), value_text(ds, b.var, r).c_str(),
                 static_cast<long>(r), value_text(ds, b.var, r - 1).c_str());
        return false;
      }
      break;
    }
  }
  return true;
}

bool same_group(const dataset* ds, long a, long b) {
  for (const by_var& v : ds->by)
    if (compare_var(ds, a, ds, b, v.var, v.var) != 0) return false;
  return true;
}

dataset* input_of(kes_dsh h) {
  dataset* ds = from_handle(h);
  return (ds != nullptr && !ds->output) ? ds : nullptr;
}

// Makes the next BY group current (the work of xbynext).
int next_group(dataset* ds) {
  if (!check_order(ds)) return -1;
  ds->cur = -1;
  if (!ds->started) {
    ds->started = true;
    ds->grp_start = 0;
    ds->grp_end = 0;
    if (ds->by.empty() || ds->single_group) {
      // Without BY variables the whole data set is one group, even an empty one.
      ds->grp_end = ds->nobs;
      ds->next_read = 0;
      return 1;
    }
  } else if (ds->by.empty() || ds->single_group) {
    ds->grp_start = ds->grp_end = ds->next_read = ds->nobs;
    return 0;
  }
  long s = ds->grp_end;
  if (s >= ds->nobs) {
    ds->grp_start = ds->next_read = ds->nobs;
    return 0;
  }
  long e = s + 1;
  while (e < ds->nobs && same_group(ds, e, s)) ++e;
  ds->grp_start = s;
  ds->grp_end = e;
  ds->next_read = s;
  return 1;
}

}  // namespace
}  // namespace plat

using namespace plat;

extern "C" {

int plat_xbynext(kes_dsh h) {
  dataset* ds = input_of(h);
  if (ds == nullptr) return -1;
  ds->by_walked = true;
  const int r = next_group(ds);
  ds->by_done = r == 0;
  // The outputs of the new group carry its BY values (the listing's BY line).
  if (r > 0 && !ds->by.empty() && !ds->single_group) {
    std::vector<std::pair<std::string, std::string>> by;
    for (const by_var& b : ds->by) {
      std::string t = value_text(ds, b.var, ds->grp_start);
      const std::size_t eq = t.find('=');
      std::string v = t.substr(eq + 1);
      if (v.size() >= 2 && v.front() == '"') v = v.substr(1, v.size() - 2);
      by.emplace_back(ds->vars[b.var].name, v);
    }
    std::string line;
    for (const auto& [name, value] : by) line += (line.empty() ? "" : " ") + name + "=" + value;
    set_message_by_group(std::move(line));
    if (output_linked().set_by != nullptr) output_linked().set_by(std::move(by));
  } else if (r == 0 && !ds->by.empty()) {
    // What the step prints after its last BY group (plots of all groups together)
    // belongs to no one group.
    set_message_by_group({});
    if (output_linked().set_by != nullptr) output_linked().set_by({});
  }
  return r;
}

int plat_xbyrwnd(kes_dsh h, int mode) {
  dataset* ds = input_of(h);
  if (ds == nullptr) return 1;
  ds->cur = -1;
  if (mode == 66) {
    ds->next_read = ds->started ? ds->grp_start : 0;
    return 0;
  }
  if (mode == 0) {
    ds->by_done = false;
    ds->started = false;
    ds->grp_start = ds->grp_end = ds->next_read = 0;
    return 0;
  }
  return 1;
}

int plat_xybyget(host_ioreq* req) {
  if (req == nullptr) return 1;
  dataset* ds = input_of(req->ds);
  if (ds == nullptr) {
    req->status = 1;
    return 1;
  }
  if (ds->next_read >= ds->grp_end) {
    req->status = HOST_IO_EOG;
    return HOST_IO_EOG;
  }
  ds->cur = ds->next_read++;
  req->obsno = ds->cur + 1;
  req->status = 0;
  return 0;
}

int plat_xofprc(host_ioreq* req, int status, int mode) {
  dataset* ds = req != nullptr ? from_handle(req->ds) : nullptr;
  if (mode == 4) return report_output_failure(ds, status);
  if (status == 0 || status == HOST_IO_EOG) return 0;
  std::string name = ds != nullptr ? dataset_name(ds) : std::string("(none)");
  data_msg(datamsg::read_failed, name.c_str(), status);
  return 1;
}

int plat_xopnt(kes_dsh h) {
  dataset* ds = input_of(h);
  if (ds == nullptr) return 1;
  ds->single_group = false;
  ds->started = false;
  ds->grp_start = ds->grp_end = ds->next_read = 0;
  ds->cur = -1;
  return 0;
}

int plat_xopnt2(kes_dsh h) {
  dataset* ds = input_of(h);
  if (ds == nullptr) return 1;
  ds->single_group = true;
  ds->started = true;
  ds->grp_start = 0;
  ds->grp_end = ds->nobs;
  ds->next_read = 0;
  ds->cur = -1;
  return 0;
}

int plat_xbylist(kes_dsh a, kes_dsh b) {
  dataset* da = from_handle(a);
  dataset* db = from_handle(b);
  if (da == nullptr || db == nullptr) return 0;
  int missing = 0;
  for (const by_var& v : da->by)
    if (find_variable(db, da->vars[v.var].name) < 0) ++missing;
  return missing;
}

int plat_xbysync(kes_dsh a, kes_dsh b) {
  dataset* da = input_of(a);
  dataset* db = input_of(b);
  if (da == nullptr || db == nullptr) return 1;
  std::vector<int> other;
  for (const by_var& v : da->by) {
    int k = find_variable(db, da->vars[v.var].name);
    if (k < 0 || db->vars[k].numeric != da->vars[v.var].numeric) return 2;
    other.push_back(k);
  }
  db->cur = -1;
  db->single_group = false;
  db->started = true;
  if (other.empty()) {
    db->grp_start = db->next_read = 0;
    db->grp_end = db->nobs;
    return 0;
  }
  if (!da->started || da->grp_start >= da->nobs) return 1;
  long ref = da->grp_start;
  auto matches = [&](long r) {
    for (size_t i = 0; i < other.size(); ++i)
      if (compare_var(da, ref, db, r, da->by[i].var, other[i]) != 0) return false;
    return true;
  };
  for (long r = 0; r < db->nobs; ++r) {
    if (!matches(r)) continue;
    long e = r + 1;
    while (e < db->nobs && matches(e)) ++e;
    db->grp_start = db->next_read = r;
    db->grp_end = e;
    return 0;
  }
  db->grp_start = db->grp_end = db->next_read = db->nobs;
  return 1;
}

int plat_xoinfo(kes_dsh h, int item, void* answer) {
  dataset* ds = from_handle(h);
  if (ds == nullptr) return item == HOST_DSI_OPEN ? 0 : -1;
  auto number = [&](int v) {
    if (answer != nullptr) std::memcpy(answer, &v, sizeof v);
    return v;
  };
  switch (item) {
    case HOST_DSI_NAME: {
      if (answer == nullptr) return 1;
      std::string n = dataset_name(ds).substr(0, 41);
      std::memcpy(answer, n.c_str(), n.size() + 1);
      return 0;
    }
    case HOST_DSI_NOBS:
      return number(ds->output ? -1 : static_cast<int>(std::min<long>(ds->nobs, 2147483647L)));
    case HOST_DSI_NVARS: return number(static_cast<int>(ds->vars.size()));
    case HOST_DSI_OBSNO: return number(ds->output ? 0 : 1);
    case HOST_DSI_OPEN: return number(1);
    case HOST_DSI_NBY: return number(static_cast<int>(ds->by.size()));
    case HOST_DSI_TYPE: {
      if (answer == nullptr) return 1;
      char* a = static_cast<char*>(answer);
      if (ds->output) {
        std::string t(a, 8);
        while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.pop_back();
        ds->type_text = t;
      } else {
        std::string t = format_text_value(ds->type_text, 8);
        std::memcpy(a, t.data(), 8);
      }
      return 0;
    }
    case HOST_DSI_LABEL: {
      if (answer == nullptr) return 1;
      char* a = static_cast<char*>(answer);
      std::uint16_t len = 0;
      if (ds->output) {
        std::memcpy(&len, a, sizeof len);
        if (len > 256) len = 256;
        std::string t(a + sizeof len, len);
        while (!t.empty() && t.back() == ' ') t.pop_back();
        ds->ds_label = t;
      } else {
        std::string t = ds->ds_label.substr(0, 32);
        len = static_cast<std::uint16_t>(t.size());
        std::memcpy(a, &len, sizeof len);
        std::memcpy(a + sizeof len, t.data(), t.size());
      }
      return 0;
    }
    default: return -1;
  }
}

}  // extern "C"
