#include "hist_fixture.h"

#include <cstdarg>
#include <cstring>

#include "host/host_missing.h"

extern "C" int mcn_main(void*, void*);

namespace hist_test {
namespace {

void record_memmsg(long size) { logged.push_back("mem(" + std::to_string(size) + ")"); }

}  // namespace

void hist_fixture::SetUp() {
  mcn_main(plat::anchor(), nullptr);
  plat::begin_step();
  const auto& msg = kes_host::services[kes_host::svc_xpmlog];
  old_xpmlog_ = plat::replace_service(msg.vector, msg.slot, reinterpret_cast<host_routine>(plot_test::record_xpmlog));
  const auto& mem = kes_host::services[kes_host::svc_xmemmsg];
  old_memmsg_ = plat::replace_service(mem.vector, mem.slot, reinterpret_cast<host_routine>(record_memmsg));
  logged.clear();
  ctx.runpool = xmpoolc(0, 1024, 0);
  ctx.bypool = xmpoolc(0, 1024, 0);
  ctx.nvars = 1;
  ctx.varnums = varnums;
  ctx.varnames = names;
  names[0].len = 1;
  std::memcpy(names[0].text, "x", 1);
  ctx.curname = names[0];
  ctx.classvars = &cv;
  ctx.nplots = ctx.nhist = 1;
  ctx.nplotslots = 1;
  ctx.preqs = ctx.curreq = &req;
  req.type = KES_PLOT_HISTOGRAM;
  req.stmt = &stmt.s;
  req.classvars = &cv;
  req.varslot = varslot;
  req.bincode = bincode;
  req.total = total;
  req.nvars = 1;
  req.tabcontents = 1;
}

void hist_fixture::TearDown() {
  const auto& msg = kes_host::services[kes_host::svc_xpmlog];
  plat::replace_service(msg.vector, msg.slot, old_xpmlog_);
  const auto& mem = kes_host::services[kes_host::svc_xmemmsg];
  plat::replace_service(mem.vector, mem.slot, old_memmsg_);
  xmpoold(ctx.bypool);
  xmpoold(ctx.runpool);
  plat::finish_step();
}

void hist_fixture::link(kes_cell* c, kes_cell* lvl) {
  kes_cell** head = lvl != nullptr ? &lvl->child : &cv.levels;
  while (*head != nullptr) head = &(*head)->next;
  *head = c;
  if (lvl != nullptr) c->child = lvl;  // a child cell points back at its level
  if (cv.keycell == nullptr && (cv.count < 2 || lvl != nullptr)) cv.keycell = c;
}

kes_cell* hist_fixture::level(const char* text) {
  kes_cell& c = cells_.emplace_back();
  texts_.emplace_back(text);
  c.fmt = {static_cast<std::uint16_t>(texts_.back().size()), static_cast<std::uint16_t>(texts_.back().size()),
           texts_.back().data()};
  c.slots = &slots_.emplace_back();
  link(&c, nullptr);
  ++cv.nlevels;
  return &c;
}

kes_cell* hist_fixture::cell(const std::vector<double>& values, double nmissing, kes_cell* lvl,
                             const std::vector<int>& counts) {
  kes_cell& c = cells_.emplace_back();
  texts_.push_back("c" + std::to_string(cells_.size()));
  c.fmt = {static_cast<std::uint16_t>(texts_.back().size()), static_cast<std::uint16_t>(texts_.back().size()),
           texts_.back().data()};
  c.slots = &slots_.emplace_back();
  kes_varsum& s = sums_.emplace_back();
  c.varsums = &s;
  std::vector<kes_valnode>& nodes = nodes_.emplace_back(values.size());
  double n = 0, sum = 0, uss = 0;
  s.min = s.max = host_missing_of_kind(HOST_MISS_STD);
  for (size_t i = 0; i < values.size(); ++i) {
    const int f = counts.empty() ? 1 : counts[i];
    nodes[i].key.value = values[i];
    nodes[i].count = f;
    nodes[i].next = i + 1 < values.size() ? &nodes[i + 1] : nullptr;
    n += f;
    sum += f * values[i];
    uss += f * values[i] * values[i];
    s.min = i == 0 ? values[i] : std::fmin(s.min, values[i]);
    s.max = i == 0 ? values[i] : std::fmax(s.max, values[i]);
  }
  s.values = values.empty() ? nullptr : nodes.data();
  s.n = n;
  s.nmiss = nmissing;
  s.pass_total = n + nmissing;
  s.mean = n > 0 ? sum / n : host_missing_of_kind(HOST_MISS_STD);
  s.std = n > 1 ? std::sqrt(std::fmax(uss - sum * sum / n, 0) / (n - 1)) : host_missing_of_kind(HOST_MISS_STD);
  link(&c, lvl);
  if (lvl == nullptr) ++cv.nlevels;
  return &c;
}

std::string hist_fixture::messages() const {
  std::string t;
  for (const std::string& m : logged) t += (t.empty() ? "" : " ") + m;
  return t;
}

std::vector<int> hist_fixture::counts(kes_cell* c) {
  const kes_plotslot* s = slot(c);
  std::vector<int> out;
  for (int i = 0; i < s->nbins; ++i)
    out.push_back(s->scale > 0 ? static_cast<int>(std::lround(s->heights[i] / s->scale)) : 0);
  return out;
}

}  // namespace hist_test
