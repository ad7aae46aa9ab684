#include "kernel_cells.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <fstream>
#include <map>
#include <numeric>
#include <sstream>

#include "core/host_vectors.h"
#include "core/runtime.h"
#include "fit/kes_kernel.h"
#include "host/host_services.h"
#include "numeric/zmissing.h"

namespace kernel_test {

std::vector<std::pair<std::string, std::string>> kernel_cells::notes;
std::vector<long> kernel_cells::memmsgs;
std::vector<kernel_row> kernel_cells::rows;
kes_ctx* kernel_cells::current = nullptr;

std::vector<std::vector<std::string>> ref_rows(const std::string& name) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(std::string(KES_SOURCE_DIR) + "/tests/fit/ref/" + name);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    rows.emplace_back();
    for (std::string f; fields >> f;) rows.back().push_back(f);
  }
  return rows;
}

std::vector<double> ref_numbers(const std::string& name) {
  std::vector<double> v;
  for (const auto& row : ref_rows(name)) v.push_back(std::stod(row[0]));
  return v;
}

namespace {

int record_xpmlog(int set, int number, va_list ap) {
  kernel_cells::notes.emplace_back(std::to_string(set) + "/" + std::to_string(number),
                                   plat::catalogue_format(set, number, ap));
  return 0;
}
void record_xmemmsg(long size) { kernel_cells::memmsgs.push_back(size); }

int record_row(host_access*) {
  const kes_ctx* ctx = kernel_cells::current;
  const kes_outhist_row& r = ctx->outrow;
  kernel_row row{{ctx->classvars->var[0].value, ctx->classvars->var[1].value},
                 std::string(r.curve, 16), r.kernel_c, r.point, r.height, r.density};
  row.type.erase(row.type.find_last_not_of(' ') + 1);
  kernel_cells::rows.push_back(row);
  return 0;
}
int write_ok(host_dataset*, host_ioreq*) { return 0; }

// The p-quantile of sorted values: the empirical distribution, averaged at jumps.
double quantile(const std::vector<double>& x, double p) {
  const double np = x.size() * p;
  const int j = static_cast<int>(np);
  return np > j ? x[j] : 0.5 * (x[j - 1] + x[j]);
}

}  // namespace

void kernel_cells::SetUp() {
  mcn_main(plat::anchor(), nullptr);
  plat::begin_step();
  const auto& pm = kes_host::services[kes_host::svc_xpmlog];
  const auto& mm = kes_host::services[kes_host::svc_xmemmsg];
  old_pmlog_ = plat::replace_service(pm.vector, pm.slot, reinterpret_cast<host_routine>(record_xpmlog));
  old_memmsg_ = plat::replace_service(mm.vector, mm.slot, reinterpret_cast<host_routine>(record_xmemmsg));
  notes.clear();
  memmsgs.clear();
  rows.clear();
  current = &ctx;
  ctx.classvars = &cv;
  ctx.bypool = xmpoolc(0, 1024, 0);
  ctx.curreq = &req;
  ctx.curvar = 0;
  const char name[] = "X";
  ctx.curname.len = 1;
  std::memcpy(ctx.curname.text, name, 1);
  req.type = KES_PLOT_HISTOGRAM;
  req.stmt = &stmt.s;
  req.classvars = &cv;
  req.varslot = varslot;
  for (int i = 0; i < 2; ++i) {
    cv.var[i].type = 1;
    cv.var[i].name.len = 2;
    std::memcpy(cv.var[i].name.text, i == 0 ? "C1" : "C2", 2);
  }
}

void kernel_cells::TearDown() {
  const auto& pm = kes_host::services[kes_host::svc_xpmlog];
  const auto& mm = kes_host::services[kes_host::svc_xmemmsg];
  plat::replace_service(pm.vector, pm.slot, old_pmlog_);
  plat::replace_service(mm.vector, mm.slot, old_memmsg_);
  xmpoold(ctx.bypool);
  plat::finish_step();
  current = nullptr;
}

void kernel_cells::kernel_option(std::vector<double> k, std::vector<double> c, std::vector<double> lower,
                                 std::vector<double> upper) {
  stmt.flag(KES_PLOT_FLAG_KERNEL);
  const int n = static_cast<int>(std::max<size_t>({1, k.size(), c.size()}));
  if (!k.empty()) stmt.list(KES_PLOT_SLOT_KERNEL_K, k);
  if (!c.empty()) stmt.list(KES_PLOT_SLOT_KERNEL_C, c);
  if (!lower.empty()) stmt.list(KES_PLOT_SLOT_KERNEL_LOWER, lower);
  if (!upper.empty()) stmt.list(KES_PLOT_SLOT_KERNEL_UPPER, upper);
  req.nkernels = req.nkernels2 = n;
  req.ncurves = n;
  req.ncurves_dist[KES_DIST_KERNEL] = n;
}

kes_cell* kernel_cells::add_cell(const std::vector<double>& values, double level, const char* fmt,
                                 kes_cell* parent) {
  std::vector<double> x = values;
  std::sort(x.begin(), x.end());
  std::map<double, int> counts;
  for (double v : x) ++counts[v];
  auto& nodes = nodes_.emplace_back(counts.size());
  int i = 0;
  for (const auto& [v, c] : counts) {
    nodes[i].key.value = v;
    nodes[i].count = c;
    nodes[i].next = i + 1 < static_cast<int>(nodes.size()) ? &nodes[i + 1] : nullptr;
    ++i;
  }
  kes_varsum& vs = sums_.emplace_back();
  const bool level_only = x.empty();
  if (level_only) x.push_back(0);
  const double n = static_cast<double>(x.size()), mean = std::accumulate(x.begin(), x.end(), 0.0) / n;
  double ss = 0;
  for (double v : x) ss += (v - mean) * (v - mean);
  vs.n = n;
  vs.std = n > 1 ? std::sqrt(ss / (n - 1)) : zmissing();
  vs.min = x.front();
  vs.max = x.back();
  vs.qrange = quantile(x, 0.75) - quantile(x, 0.25);
  vs.ndistinct = static_cast<int>(nodes.size());
  vs.values = nodes.data();

  kes_plotslot& sl = slots_.emplace_back();
  auto& curves = curves_.emplace_back(std::max(req.ncurves, 1));
  sl.curves = curves.data();
  sl.n = static_cast<int>(x.size());
  sl.scale = 1;
  kes_cell& cell = cells_.emplace_back();
  cell.slots = &sl;
  cell.varsums = level_only ? nullptr : &vs;
  cell.value = level;
  const std::string& t = texts_.emplace_back(fmt);
  cell.fmt.len = cell.fmt.width = static_cast<std::uint16_t>(t.size());
  cell.fmt.text = const_cast<char*>(t.c_str());
  kes_cell** tail = parent != nullptr ? &parent->child : &cv.levels;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = &cell;
  if (parent != nullptr) cell.child = parent;
  if (cv.keycell == nullptr) cv.keycell = &cell;
  return &cell;
}

int kernel_cells::set_up(kes_cell* cell) {
  keskern(&ctx, cell);
  return keskdfx(&ctx, cell);
}

void kernel_cells::bins(double first, double last, double width, int vscale) {
  req.vscale = vscale;
  for (kes_plotslot& s : slots_) {
    s.first = first;
    s.last = last;
    s.width = width;
    s.hlow = first;
    s.hhigh = last;
    s.scale = vscale == 1 ? 1.0 : (vscale == 0 ? 100.0 : 1.0) / s.n;
  }
}

void kernel_cells::record_rows() {
  dataset_.write = write_ok;
  access_.put = record_row;
  access_.ds = &dataset_;
  req.outkernel = &dataset_;
  req.outkernel_def = &access_;
}

int kernel_cells::count(const std::string& key) const {
  return static_cast<int>(std::count_if(notes.begin(), notes.end(), [&](const auto& n) { return n.first == key; }));
}

}  // namespace kernel_test
