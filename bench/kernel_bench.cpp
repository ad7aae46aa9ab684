// Times the kernel density code of one HISTOGRAM request on N distinct standard normal
// values in one cell, C=SJPI: set-up and bandwidth (one pass over the values, the
// plug-in), the vertical-axis height, and the OUTKERNEL rows (to a sink). The value
// nodes lie in memory in data order, linked in value order, as the data pass leaves
// them; their making-order list is kept as the data pass keeps it.
//   kernel_bench [N]   (default 10000000)
#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "runner/host_table.h"
#include "core/runtime.h"
#include "fit/kes_kernel.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "records/kes_cell.h"
#include "records/kes_ctx.h"
#include "records/kes_curve.h"
#include "records/kes_plotslot.h"
#include "records/kes_valnode.h"

extern "C" int mcn_main(void*, void*);

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

long rows = 0;
int count_row(host_access*) { return ++rows, 0; }
int write_ok(host_dataset*, host_ioreq*) { return 0; }

}  // namespace

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::atol(argv[1]) : 10000000;
  std::vector<double> x(static_cast<size_t>(n));
  std::mt19937_64 gen(7);
  std::normal_distribution<double> normal;
  for (double& v : x) v = normal(gen);
  std::vector<kes_valnode> nodes(static_cast<size_t>(n));
  std::vector<kes_valnode*> listed(static_cast<size_t>(n));
  std::vector<long> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](long a, long b) { return x[a] < x[b]; });
  for (long i = 0; i < n; ++i) {
    nodes[i].key.value = x[i];
    nodes[i].count = 1;
    listed[i] = &nodes[i];
  }
  for (long i = 0; i + 1 < n; ++i) nodes[order[i]].next = &nodes[order[i + 1]];

  mcn_main(plat::anchor(), nullptr);
  plat::begin_step();
  kes_ctx ctx{};
  kes_preq req{};
  kes_classvars cv{};
  kes_cell cell{};
  kes_plotslot slot{};
  kes_varsum vs{};
  kes_curve curve{};
  kes_stmt stmt{};
  std::vector<kes_optslot> slots(300);
  double c = -2;
  slots[KES_PLOT_SLOT_KERNEL_C].given = 1;
  slots[KES_PLOT_SLOT_KERNEL_C].v.count = 1;
  slots[KES_PLOT_SLOT_KERNEL_C].list = &c;
  stmt.slots = slots.data();
  stmt.nslots = 300;
  int varslot = 0;
  req.stmt = &stmt;
  req.classvars = &cv;
  req.varslot = &varslot;
  req.nkernels = req.ncurves = 1;
  ctx.curreq = &req;
  ctx.classvars = &cv;
  ctx.bypool = xmpoolc(0, 1024, 0);
  cv.levels = cv.keycell = &cell;
  cell.slots = &slot;
  cell.varsums = &vs;
  slot.curves = &curve;
  slot.n = static_cast<int>(n);
  slot.scale = 100.0 / n;
  std::vector<double> sorted = x;
  std::sort(sorted.begin(), sorted.end());
  double sum = std::accumulate(x.begin(), x.end(), 0.0), ss = 0;
  for (double v : x) ss += (v - sum / n) * (v - sum / n);
  vs.n = n;
  vs.std = std::sqrt(ss / (n - 1));
  vs.min = sorted.front();
  vs.max = sorted.back();
  vs.qrange = sorted[n * 3 / 4] - sorted[n / 4];
  vs.ndistinct = static_cast<int>(n);
  vs.values = &nodes[order[0]];
  vs.listed = listed.data();
  vs.nlisted = std::getenv("KERNEL_BENCH_WALK") ? 0 : static_cast<int>(n);  // 0: walk the list
  slot.width = 0.25;
  slot.first = std::floor(vs.min * 4) / 4;
  slot.last = std::ceil(vs.max * 4) / 4;
  slot.hlow = slot.first;
  slot.hhigh = slot.last;
  host_dataset ds{write_ok, 0, nullptr};
  host_access acc{};
  acc.put = count_row;
  acc.ds = &ds;
  req.outkernel_def = &acc;

  auto t0 = std::chrono::steady_clock::now();
  keskern(&ctx, &cell);
  const int r = keskdfx(&ctx, &cell);
  const double t_setup = seconds_since(t0);
  t0 = std::chrono::steady_clock::now();
  const double top = keskdfy(&ctx, &cell, 0);
  const double t_height = seconds_since(t0);
  t0 = std::chrono::steady_clock::now();
  const int w = kesoutk(&ctx);
  const double t_rows = seconds_since(t0);
  std::printf("values:            %ld\n", n);
  std::printf("set-up, plug-in:   %.3f s (status %d, h %.6g)\n", t_setup, r, curve.kernel.h);
  std::printf("height:            %.3f s (%.6g)\n", t_height, top);
  std::printf("OUTKERNEL rows:    %.3f s (%ld rows, status %d)\n", t_rows, rows, w);
  std::printf("kernel in all:     %.3f s\n", t_setup + t_height + t_rows);
  xmpoold(ctx.bypool);
  plat::finish_step();
  return 0;
}
