#include "support/hand_request.h"

#include <cstring>

namespace kes_test {

void hand_request::set_up(const char* name) {
  mcn_main(plat::anchor(), nullptr);
  plat::begin_step();
  recorder_.emplace();
  ctx.runpool = xmpoolc(0, 1024, 0);
  ctx.bypool = xmpoolc(0, 1024, 0);
  ctx.curname.len = static_cast<std::uint16_t>(std::strlen(name));
  std::memcpy(ctx.curname.text, name, ctx.curname.len);
  ctx.classvars = req.classvars = &cv;
  ctx.curreq = &req;
  req.type = KES_PLOT_HISTOGRAM;
  req.stmt = &stmt.s;
  req.varslot = varslot;
}

void hand_request::TearDown() {
  recorder_.reset();
  xmpoold(ctx.bypool);
  xmpoold(ctx.runpool);
  plat::finish_step();
}

}  // namespace kes_test
