// The OUTPUT statement node, the statistic behind each keyword, the labels of the
// output variables and the percentile texts of their names.
#include "stats/output_layout.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/kes_stmt.h"
#include "records/stmt_slots.h"
#include "util/kes_eps.h"
#include "util/kes_minmax.h"

namespace {

// 100000 x 2^-53: how close a point must be to a whole number (or to one decimal)
// to be written as one.
constexpr double kFuzz = 100000 * KES_EPS53;

}  // namespace

const char* kes_out_option(int k) {
  // "N=", "MEAN=", ...: the list's keywords as the statement spells the options.
  static const std::array<std::string, KES_OUT_NSLOTS> options = [] {
    std::array<std::string, KES_OUT_NSLOTS> a;
    for (int j = KES_OUT_SLOT_FIRST; j <= KES_OUT_SLOT_LAST; ++j)
      a[j - KES_OUT_SLOT_FIRST] = std::string(KES_STAT_ROWS[kes_stat_of_out_slot(j)].name) + "=";
    return a;
  }();
  if (k < KES_OUT_SLOT_FIRST || k > KES_OUT_SLOT_LAST) return nullptr;
  return options[k - KES_OUT_SLOT_FIRST].c_str();
}

bool kes_is_output(const kes_stmt* s) { return s != nullptr && std::memcmp(s->name, "OUTPUT  ", 8) == 0; }

int kes_out_names(const kes_stmt* s, int k, int nvars) {
  const kes_optslot* o = kes_pslot(s, k);
  if (!o->given || o->list == nullptr) return 0;
  return kes::max(0, kes::min(o->v.count, nvars));
}

int kes_out_points(const kes_stmt* s) {
  const kes_optslot* pts = kes_pslot(s, KES_OUTPUT_SLOT_PCTLPTS);
  const kes_optslot* pre = kes_pslot(s, KES_OUTPUT_SLOT_PCTLPRE);
  if (!pts->given || pts->list == nullptr || !pre->given || pre->list == nullptr) return 0;
  return kes::max(0, pts->v.count);
}

int kes_out_prefixes(const kes_stmt* s, int nvars) {
  if (kes_out_points(s) == 0) return 0;
  return kes::max(0, kes::min(kes_pslot(s, KES_OUTPUT_SLOT_PCTLPRE)->v.count, nvars));
}

int kes_out_positions(const kes_stmt* s, int nvars) {
  int n = 0;
  for (int k = KES_OUT_SLOT_FIRST; k <= KES_OUT_SLOT_LAST; ++k) n += kes_out_names(s, k, nvars);
  return n + kes_out_prefixes(s, nvars) * kes_out_points(s);
}

host_access* kes_out_access(const kes_stmt* s) {
  return static_cast<host_access*>(kes_pslot(s, KES_OUT_SLOT_ACCESS)->list);
}

double kes_out_stat(const kes_stats* st, int k) {
  const double* cell = kes_stat_cell(st, kes_stat_of_out_slot(k));
  return cell != nullptr ? *cell : NAN;
}

int kes_out_label_msg(int k) {
  const int id = kes_stat_of_out_slot(k);
  return id >= 0 ? KES_STAT_ROWS[id].out_label : 0;
}

int kes_pctl_text(double p, char* buf, int size, bool dot) {
  if (size <= 0) return 0;
  // Hundredths, truncated after a nudge so that 97.5 stored as 97.4999... still
  // counts as 97.50.
  const double c = std::trunc((p + kFuzz) * 100);
  int n;
  if (std::fabs(std::trunc(c / 100) - p) <= kFuzz)
    n = std::snprintf(buf, static_cast<size_t>(size), "%.0f", std::trunc(c / 100));
  else if (std::fabs(std::trunc(c / 10) / 10 - p) <= kFuzz)
    n = std::snprintf(buf, static_cast<size_t>(size), "%.1f", c / 100);
  else
    n = std::snprintf(buf, static_cast<size_t>(size), "%.2f", c / 100);
  if (n < 0) n = 0;
  if (n >= size) n = size - 1;
  // The point becomes "_"; blanks go.
  int out = 0;
  for (int i = 0; i < n; ++i) {
    if (buf[i] == ' ') continue;
    buf[out++] = buf[i] == '.' && !dot ? '_' : buf[i];
  }
  buf[out] = '\0';
  return out;
}
