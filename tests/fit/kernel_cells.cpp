#include "kernel_cells.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "fit/kes_kernel.h"
#include "host/host_services.h"
#include "support/ref_tables.h"

namespace kernel_test {

std::vector<kernel_row> kernel_cells::rows;
kes_ctx* kernel_cells::current = nullptr;

std::vector<std::vector<std::string>> ref_rows(const std::string& name) {
  return kes_test::ref_rows("fit/ref/" + name);
}

std::vector<double> ref_numbers(const std::string& name) {
  std::vector<double> v;
  for (const auto& row : ref_rows(name)) v.push_back(std::stod(row[0]));
  return v;
}

namespace {

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

}  // namespace

void kernel_cells::SetUp() {
  hand_request::set_up("X");
  rows.clear();
  current = &ctx;
  for (int i = 0; i < 2; ++i) {
    cv.var[i].type = 1;
    cv.var[i].name.len = 2;
    std::memcpy(cv.var[i].name.text, i == 0 ? "C1" : "C2", 2);
  }
}

void kernel_cells::TearDown() {
  hand_request::TearDown();
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
  req.nkernels = n;
  req.ncurves = n;
  req.ncurves_dist[KES_DIST_KERNEL] = n;
}

kes_cell* kernel_cells::add_cell(const std::vector<double>& values, double level, const char* fmt,
                                 kes_cell* parent) {
  kes_varsum* vs = made.summary(values);
  kes_plotslot& sl = slots_.emplace_back();
  sl.curves = curves_.emplace_back(std::max(req.ncurves, 1)).data();
  sl.n = std::max(static_cast<int>(vs->n), 1);
  sl.scale = 1;
  kes_cell* cell = made.cell(cv, fmt, parent);
  cell->slots = &sl;
  cell->varsums = values.empty() ? nullptr : vs;  // a level that holds children
  cell->value = level;
  if (cv.keycell == nullptr) cv.keycell = cell;
  return cell;
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

}  // namespace kernel_test
