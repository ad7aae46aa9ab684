// The procedure entry: one call runs one step from start-up through the BY groups to
// the exit path, with the procedure context on this frame for the whole step.
#include "driver/qorqkest.h"

#include <charconv>
#include <cstring>

#include "driver/kes_step.h"
#include "driver/step_run.h"
#include "driver/xinit.h"
#include "host/host_services.h"
#include "host/kes_parallel.h"
#include "records/kes_ctx.h"
#include "stats/engine_threads.h"
#include "stats/kes_stats.h"
#include "stats/kes_tables.h"
#include "util/kes_minmax.h"

// The THREADS= system option, resolved to a thread count.
static int step_threads() {
  char text[16];
  int n = xoptcgt("THREADS", text, sizeof text);
  int want = 0;
  if (n > 0 && n < static_cast<int>(sizeof text)) {
    const char* b = text;
    while (b < text + n && *b == ' ') ++b;
    std::from_chars(b, text + n, want);
  }
  return kes::usable_threads(want);
}

int kes_step(const kes_stages* stages) {
  xinit();
  xpselec(0, 2);
  kes_ctx ctx;
  kes_stats stats;
  kes_tables tables;
  std::memset(&ctx, 0, sizeof ctx);
  std::memset(&stats, 0, sizeof stats);
  std::memset(&tables, 0, sizeof tables);
  ctx.stats = &stats;
  ctx.tables = &tables;
  ctx.stages = stages;
  ctx.threads = step_threads();
  kes_set_engine_threads(ctx.threads);
  kes_run run{};
  run.ctx = &ctx;

  const int r = xobinit(&ctx.objs, 0);
  if (r < 0) return xexit(r, 0);

  kes_flow flow = kes_startup(run);
  if (flow == kes_flow::go_on) flow = kes_bygroups(run);
  if (flow == kes_flow::ended) return run.end_result;
  return kes_exit_path(run);
}

extern "C" int qorqkest() { return kes_step(&kes_real_stages); }
