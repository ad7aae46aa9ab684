// kesside: the side-by-side box plots of all BY groups, after the last BY group.
// A first pass over ONE finds each variable's range over all BY groups; each variable
// with data then gets pages of boxes, P BY groups a page, on a common axis, with its
// values beyond the whiskers read back from THREE through the index words of TWO.
//
// The plots allocate from a pool of their own: the BY-group pool is gone by now.
#include "stats/kesside.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "host/kes_tick_text.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "numeric/zmissing.h"
#include "numeric/zqscale.h"
#include "numeric/zscale.h"
#include "records/kes_ctx.h"
#include "records/pool_alloc.h"
#include "stats/kesoutp.h"
#include "stats/output_dataset.h"
#include "stats/side_layout.h"
#include "stats/tables_call.h"
#include "util/kes_eps.h"
#include "util/kes_text.h"
#include "util/sort_tree.h"

namespace {

constexpr double kTol = 1e5 * KES_EPS53;

struct side_files {
  int one, two, three;
};

struct side_run {
  kes_ctx* ctx;
  side_files f;
  int nvars, nby, ngroups;
  double* lo;                 // per variable, over all BY groups
  double* hi;
  double* box;                // one BY group's box records
  std::uint32_t* index;       // one BY group's index words
  char* by1;                  // BY texts as ONE and TWO hold them
  char* by2;
  kes_sidepage sp;
};

bool read_exact(int h, void* buf, long len) {
  return len == 0 || xcread(h, buf, static_cast<int>(len)) == static_cast<int>(len);
}

// Reads the next BY group's records of ONE (and of TWO when with_index).
bool next_group(side_run& s, bool with_index) {
  if (!read_exact(s.f.one, s.by1, 8L * s.nby) || !read_exact(s.f.one, s.box, 8L * KES_BOX_NVALUES * s.nvars))
    return false;
  if (!with_index) return true;
  if (!read_exact(s.f.two, s.by2, 8L * s.nby) || !read_exact(s.f.two, s.index, 4L * (s.nvars + 1))) {
    for (int v = 0; v <= s.nvars; ++v) s.index[v] = 0;
  }
  return true;
}

// Axis of variable v: value of row 0, value of one row, rows between labels.
struct side_axis {
  double y0, step, scale;
  int tick;
  int row(double y, int H) const {
    double r = std::trunc(scale * (y - y0) + 0.5 + kTol);
    if (!(r >= 0)) r = 0;  // also a value that is not a number
    return static_cast<int>(r > H ? H : r);
  }
};

side_axis axis_of(double mn, double mx, int H) {
  side_axis a{};
  a.tick = H > 12 ? 4 : 3;
  const double big = std::max(std::fabs(mn), std::fabs(mx));
  if (std::fabs(mx - mn) > kTol * big || zqscale_steps_apart(big, std::fabs(mx - mn), H)) {
    zscale_req r{mn, mx, H, a.tick, 0, 0, 0, 0, nullptr, 0};
    zscale(&r);
    a.y0 = r.min;
    a.step = r.tick_interval;
    if (r.minor > 0) a.tick = r.minor;
  } else {
    double d = std::fabs(mn);
    if (d < kTol) d = 1;
    a.y0 = mn - d;
    a.step = d / a.tick;
  }
  const double span = a.step * H;
  a.scale = std::fabs(span) > kTol * std::fabs(a.step) ? H / span : 1;
  return a;
}

// The value of body row r.
double row_value(const side_axis& a, int r) {
  const double y = a.y0 + r * a.step;
  return std::fabs(y) < kTol * std::fabs(a.step) ? 0 : y;
}

// The labelled rows' values as the axes of graphs write them: each reads its value.
std::vector<std::string> label_texts(const kes_sidepage& sp, const side_axis& a) {
  std::vector<double> values;
  for (int r = 0; r <= sp.H; r += a.tick) values.push_back(row_value(a, r));
  return kes_tick_texts(values, a.step * a.tick);
}

void fill_labels(side_run& s, const side_axis& a) {
  kes_sidepage& sp = s.sp;
  // The labels take eight characters, or as many more as the widest needs.
  const std::vector<std::string> texts = label_texts(sp, a);
  std::size_t widest = KES_SIDE_LABEL;
  for (const std::string& t : texts) widest = std::max(widest, t.size());
  sp.lw = static_cast<int>(std::min<std::size_t>(widest, KES_SIDE_MAXLABEL));
  std::memset(sp.labels, ' ', static_cast<std::size_t>(sp.R) * KES_SIDE_MAXFIELD);
  for (int r = 0; r <= sp.H; ++r) {
    char* l = sp.label(r);
    if (r % a.tick != 0) {
      l[sp.lw + 1] = '|';
      continue;
    }
    const std::string& t = texts[static_cast<std::size_t>(r / a.tick)];
    const std::size_t n = std::min<std::size_t>(t.size(), static_cast<std::size_t>(sp.lw));
    std::memcpy(l + sp.lw - n, t.data(), n);
    l[sp.lw + 1] = '+';
  }
  // BY rows: the last BY variable right under the axis.
  for (int j = 0; j < s.nby; ++j) {
    host_varinfo info{};
    xvname(s.ctx->data, s.ctx->dp.byvarnums[j], &info);
    int n = std::min(8, kes_trimlen(info.name, info.name_len));
    std::memcpy(sp.label(sp.H + s.nby - j) + sp.lw - n, info.name, static_cast<std::size_t>(n));
  }
}

void put_cell(kes_sidepage& sp, int row, int slot, const char* text) { std::memcpy(sp.cell(row, slot), text, 8); }

// The box of one BY group in its slot, and its values beyond the whiskers.
void draw_box(side_run& s, const side_axis& a, int v, int slot) {
  kes_sidepage& sp = s.sp;
  const double* b = s.box + static_cast<long>(v) * KES_BOX_NVALUES;
  const int H = sp.H;
  const int wlo = a.row(b[KES_BOX_WLO], H), q1 = a.row(b[KES_BOX_Q1], H);
  const int q3 = a.row(b[KES_BOX_Q3], H), whi = a.row(b[KES_BOX_WHI], H);
  const int med = a.row(b[KES_BOX_MEDIAN], H);
  const int mean = is_missing(b[KES_BOX_MEAN]) ? -1 : a.row(b[KES_BOX_MEAN], H);
  for (int r = wlo; r < q1; ++r) put_cell(sp, r, slot, "    |   ");
  for (int r = q3 + 1; r <= whi; ++r) put_cell(sp, r, slot, "    |   ");
  for (int r = q1 + 1; r < q3; ++r) put_cell(sp, r, slot, " |     |");
  put_cell(sp, q1, slot, " +-----+");
  put_cell(sp, q3, slot, " +-----+");
  put_cell(sp, med, slot, " *-----*");
  if (mean >= 0) sp.cell(mean, slot)[4] = '+';

  const double iqr = b[KES_BOX_Q3] - b[KES_BOX_Q1];
  const double in_lo = b[KES_BOX_Q1] - 1.5 * iqr, in_hi = b[KES_BOX_Q3] + 1.5 * iqr;
  const double out_lo = b[KES_BOX_Q1] - 3 * iqr, out_hi = b[KES_BOX_Q3] + 3 * iqr;
  const std::uint32_t first = s.index[v], end = s.index[v + 1];
  if (end <= first || xcseek(s.f.three, 8L * first) != 0) return;
  for (std::uint32_t k = first; k < end; ++k) {
    double y;
    if (!read_exact(s.f.three, &y, 8)) break;
    const char c = y < out_lo || y > out_hi ? '*' : y < in_lo || y > in_hi ? '0' : ' ';
    sp.cell(a.row(y, H), slot)[4] = c;
  }
}

void by_values(side_run& s, int slot) {
  for (int j = 0; j < s.nby; ++j) {
    char* cell = s.sp.cell(s.sp.H + s.nby - j, slot);
    std::memcpy(cell, s.by1 + 8L * j, 8);
    wzstjus(cell, 8, 'R');
  }
}

// Boxes a page beside labels of lw characters: the page is 12 per box + 14 + lw wide.
int slots(const kes_ctx* ctx, int ngroups, int lw) {
  return std::max(std::min((ctx->linesize - 14 - lw) / 12, ngroups), 1);
}

void plot_variable(side_run& s, int v, int H) {
  kes_ctx* ctx = s.ctx;
  kesshdr(ctx, v);
  xppage(0);
  kes_sidepage& sp = s.sp;
  sp.H = std::max(std::min(H, ctx->pagesize - s.nby - 2), 8);
  sp.R = sp.H + 1 + s.nby;
  const side_axis a = axis_of(s.lo[v], s.hi[v], sp.H);
  fill_labels(s, a);
  // Wider labels leave room for fewer boxes a page (at least two at the narrowest
  // line size); the grid holds the most, those of eight-character labels.
  sp.P = slots(ctx, s.ngroups, sp.lw);
  sp.W = 12 * sp.P + 12;
  sp.c = zcenter(12 * sp.P + 14 + sp.lw);
  const int rmax = a.row(s.hi[v], sp.H);
  const int k = rmax == 0 ? a.tick : (rmax + a.tick - 1) / a.tick * a.tick;
  sp.top = std::min(k + 1, sp.H);
  std::memset(sp.grid, ' ', static_cast<std::size_t>(sp.R) * sp.P * 8);

  xcrewnd(s.f.one);
  xcrewnd(s.f.two);
  int page = 0, slot = 0;
  while (next_group(s, true)) {
    if (!is_missing(s.box[static_cast<long>(v) * KES_BOX_NVALUES + KES_BOX_MIN])) draw_box(s, a, v, slot);
    by_values(s, slot);
    if (++slot == sp.P) {
      ssplot(ctx, page++, &sp, slot);
      slot = 0;
    }
  }
  if (slot > 0) ssplot(ctx, page, &sp, slot);
}

}  // namespace

void kesside(kes_ctx* ctx) {
  host_pool* pool = xmpoolc(0, 1024, KES_POOL_BYGROUP);
  if (pool == nullptr) return;
  side_run s{};
  s.ctx = ctx;
  s.f = {kes_util_handle(ctx, KES_UTIL_ONE), kes_util_handle(ctx, KES_UTIL_TWO),
         kes_util_handle(ctx, KES_UTIL_THREE)};
  s.nvars = ctx->nvars;
  s.nby = ctx->nbyvars;
  bool failed = false;
  auto take = [&](long size) { return kes_zalloc(pool, size, KES_ALLOC, &failed); };
  s.lo = static_cast<double*>(take(8L * s.nvars));
  s.hi = static_cast<double*>(take(8L * s.nvars));
  s.box = static_cast<double*>(take(8L * KES_BOX_NVALUES * s.nvars));
  s.index = static_cast<std::uint32_t*>(take(4L * (s.nvars + 1)));
  s.by1 = static_cast<char*>(take(8L * s.nby));
  s.by2 = static_cast<char*>(take(8L * s.nby));
  if (failed) {
    xmpoold(pool);
    return;
  }
  for (int v = 0; v < s.nvars; ++v) {
    s.lo[v] = DBL_MAX;
    s.hi[v] = -DBL_MAX;
  }
  xcrewnd(s.f.one);
  while (next_group(s, false)) {
    ++s.ngroups;
    for (int v = 0; v < s.nvars; ++v) {
      const double* b = s.box + static_cast<long>(v) * KES_BOX_NVALUES;
      if (is_missing(b[KES_BOX_MIN])) continue;
      s.lo[v] = std::min(s.lo[v], b[KES_BOX_MIN]);
      s.hi[v] = std::max(s.hi[v], b[KES_BOX_MAX]);
    }
  }
  bool any = false;
  for (int v = 0; v < s.nvars; ++v) {
    // No axis spans values near both ends of the doubles: note it, plot the others.
    if (s.lo[v] <= s.hi[v] && !std::isfinite(s.hi[v] - s.lo[v])) {
      const kes_name32& nm = ctx->varnames[v];
      xpmlog(KES_SET_PROC, KES_MSG_LP_PLOTS_RANGE_TOO_WIDE, static_cast<int>(nm.len), nm.text);
      s.lo[v] = DBL_MAX;
      s.hi[v] = -DBL_MAX;
    }
    any = any || s.lo[v] <= s.hi[v];
  }
  if (any) {
    xpplotf();
    const int H = std::max(ctx->pagesize - s.nby - 4 - (ctx->weight_given ? 1 : 0), 8);
    kes_sidepage& sp = s.sp;
    sp.P = slots(ctx, s.ngroups, KES_SIDE_LABEL);
    const int rows = std::max(H, 8) + 1 + s.nby;
    sp.labels = static_cast<char*>(take(long{KES_SIDE_MAXFIELD} * rows));
    sp.grid = static_cast<char*>(take(8L * rows * sp.P));
    if (!failed) {
      const bool titles = !kes_flag(ctx->proc, KES_PROC_FLAG_BYPLOTTITLES);
      if (titles) xpbyttl(1);
      for (int v = 0; v < s.nvars; ++v)
        if (s.lo[v] <= s.hi[v]) plot_variable(s, v, H);
      if (titles) xpbyttl(0);
    }
  }
  xmpoold(pool);
}
