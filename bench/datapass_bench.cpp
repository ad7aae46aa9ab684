// Times the procedure's read of a CSV data set and its data pass: the options and
// variable set-up, then one pass over the single BY group (counts, weighted sums,
// extremes, the value list of every distinct value). Prints wall times and the
// peak resident size.
//   datapass_bench [FILE.csv [THREADS]]   (default bench/data/normal_1e7.csv, made with
//                                          bench/make_normal_csv.cpp; THREADS 0, the
//                                          default: every core, as the runner)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "runner/host_table.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "driver/kesgopt_options.h"
#include "driver/kesgset_vars.h"
#include "datapass/kesin.h"
#include "host/host_services.h"
#include "host/kes_parallel.h"
#include "records/kes_ctx.h"
#include "records/kes_readstate.h"
#include "records/kes_valnode.h"
#include "records/pool_alloc.h"

using kes_bench::seconds_since;

int main(int argc, char** argv) {
  std::filesystem::path file;
  if (!kes_bench::csv_argument(argc, argv, &file)) return 1;
  plat::config().log_path = "/dev/null";
  const int threads = kes::usable_threads(argc > 2 ? std::atoi(argv[2]) : 0);
  plat::config().sysopts["THREADS"] = std::to_string(threads);  // the reader's
  plat::begin_step();
  v_global_gcb_anchor = plat::anchor();

  auto t0 = std::chrono::steady_clock::now();
  std::string err;
  plat::dataset* ds = plat::open_input("BENCH", file.stem().string(), &err);
  if (ds == nullptr) {
    std::fprintf(stderr, "%s\n", err.c_str());
    return 1;
  }
  const double t_open = seconds_since(t0);

  // The PROC node: DATA= and VAR of the first column, NOPRINT.
  std::vector<kes_optslot> slots(50);
  kes_stmt proc{};
  std::memcpy(proc.name, "PROC    ", 8);
  proc.flags[0] |= 0x80u >> 1;  // NOPRINT
  proc.slots = slots.data();
  proc.nslots = 50;
  std::int32_t var0 = 0;
  slots[1].given = 1;
  slots[1].v.count = 1;
  slots[1].list = &var0;
  slots[6].given = 1;
  slots[6].v.handle = plat::handle(ds);

  auto* ctx = new kes_ctx();
  ctx->proc = &proc;
  ctx->threads = threads;
  auto t1 = std::chrono::steady_clock::now();
  int r = -1;
  double n = 0, sum = 0;
  int distinct = 0;
  try {
    kesgopt_impl(ctx);
    kesgset_impl(ctx);
    xvgete(ctx->varget);
    while (xbynext(ctx->data) > 0) {
      ctx->bypool = xmpoolc(0, 1024, KES_POOL_BYGROUP);
      ctx->batch_first = 0;
      ctx->batch_n = ctx->nvars;
      ctx->varpools[0] = xmpoolc(8192, 8192, KES_POOL_VAR);
      ctx->node_chunk[0] = nullptr;
      ctx->weight_chunk[0] = nullptr;
      ctx->nodes_used[0] = ctx->nodes_per_chunk;
      r = kesin(ctx);
      n = ctx->varsums[0].n;
      sum = ctx->varsums[0].sum;
      distinct = ctx->varsums[0].ndistinct;
      xmpoold(ctx->varpools[0]);
      xmpoold(ctx->bypool);
    }
  } catch (const plat::step_exit& e) {
    std::fprintf(stderr, "step ended with %d\n", e.code);
    return 1;
  }
  const double t_pass = seconds_since(t1);

  std::printf("result %d, N %.0f, mean %.6f, distinct %d\n", r, n, n > 0 ? sum / n : 0.0, distinct);
  std::printf("open and type: %.3f s\ndata pass:     %.3f s\ntotal:         %.3f s\n", t_open, t_pass,
              t_open + t_pass);
  kes_bench::print_peak_rss();
  delete ctx;
  plat::close_dataset(ds);
  plat::finish_step();
  return 0;
}
