// Writing the utility files of the side-by-side box plots (see kesoutp.h). A failed
// write has been reported by the host; the plots then read what is there and skip
// what is not.
#include "stats/kesoutp.h"

#include "host/host_services.h"
#include "records/kes_ctx.h"
#include "stats/kes_stats.h"
#include "stats/output_dataset.h"

static_assert(sizeof(double) == 8, "utility records hold 8-byte doubles");

namespace {

void write(kes_ctx* ctx, int which, const void* data, int length) {
  xcwrite(kes_util_handle(ctx, which), data, length);
}

void by_texts(kes_ctx* ctx, int which) {
  if (ctx->nbyvars > 0 && ctx->dp.bystored != nullptr) write(ctx, which, ctx->dp.bystored, 8 * ctx->nbyvars);
}

}  // namespace

void kesoutp(kes_ctx* ctx, const kes_stats* st) {
  if (ctx->curvar == 0) by_texts(ctx, KES_UTIL_ONE);
  const double box[KES_BOX_NVALUES] = {
      st->qnt[KES_Q_MIN], st->qnt[KES_Q_WHISKER_LO], st->qnt[KES_Q_Q1],        st->qnt[KES_Q_MEDIAN],
      st->mom.v[KES_MOM_MEAN], st->qnt[KES_Q_Q3], st->qnt[KES_Q_WHISKER_HI], st->qnt[KES_Q_MAX]};
  write(ctx, KES_UTIL_ONE, box, static_cast<int>(sizeof box));
}

void kes_side_outlier(kes_ctx* ctx, double value) {
  write(ctx, KES_UTIL_THREE, &value, static_cast<int>(sizeof value));
  ++ctx->utilword;
}

void kes_side_index(kes_ctx* ctx, int var, std::uint32_t before) {
  if (var == 0) {
    by_texts(ctx, KES_UTIL_TWO);
    write(ctx, KES_UTIL_TWO, &before, static_cast<int>(sizeof before));
  }
  const std::uint32_t after = ctx->utilword;
  write(ctx, KES_UTIL_TWO, &after, static_cast<int>(sizeof after));
}
