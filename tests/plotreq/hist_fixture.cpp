#include "hist_fixture.h"

#include <cmath>
#include <cstring>

#include "host/host_missing.h"

extern "C" int mcn_main(void*, void*);

namespace hist_test {
namespace {

void record_memmsg(long size) { plot_test::logged.push_back("mem(" + std::to_string(size) + ")"); }

const kes_host::svc_info& service(int i) {
  return kes_host::services[i == 0 ? kes_host::svc_xpmlog : kes_host::svc_xmemmsg];
}

}  // namespace

void hist_fixture::SetUp() {
  mcn_main(plat::anchor(), nullptr);
  plat::begin_step();
  const host_routine fakes[2] = {reinterpret_cast<host_routine>(plot_test::record_xpmlog),
                                 reinterpret_cast<host_routine>(record_memmsg)};
  for (int i = 0; i < 2; ++i) old_[i] = plat::replace_service(service(i).vector, service(i).slot, fakes[i]);
  plot_test::logged.clear();
  ctx.runpool = xmpoolc(0, 1024, 0);
  ctx.bypool = xmpoolc(0, 1024, 0);
  ctx.nvars = 1;
  ctx.varnums = varnums;
  ctx.curname.len = 1;
  ctx.curname.text[0] = 'x';
  ctx.classvars = req.classvars = &cv;
  ctx.nplots = ctx.nhist = ctx.nplotslots = 1;
  ctx.preqs = ctx.curreq = &req;
  req.type = KES_PLOT_HISTOGRAM;
  req.stmt = &stmt.s;
  req.varslot = varslot;
  req.bincode = bincode;
  req.total = total;
}

void hist_fixture::TearDown() {
  for (int i = 0; i < 2; ++i) plat::replace_service(service(i).vector, service(i).slot, old_[i]);
  xmpoold(ctx.bypool);
  xmpoold(ctx.runpool);
  plat::finish_step();
}

kes_cell* hist_fixture::cell(const std::vector<double>& values, double nmissing, kes_cell* lvl,
                             const std::vector<int>& counts) {
  kes_cell& c = cells_.emplace_back();
  std::string& text = texts_.emplace_back("c" + std::to_string(cells_.size()));
  c.fmt = {static_cast<std::uint16_t>(text.size()), static_cast<std::uint16_t>(text.size()), text.data()};
  c.slots = &slots_.emplace_back();
  // Cells are listed in the order they are made; the first leaf is the key cell.
  kes_cell** head = lvl != nullptr ? &lvl->child : &cv.levels;
  while (*head != nullptr) head = &(*head)->next;
  *head = &c;
  if (lvl != nullptr) c.child = lvl;  // a child cell points back at its level
  const bool is_level = cv.count == 2 && lvl == nullptr;
  if (cv.keycell == nullptr && !is_level) cv.keycell = &c;
  if (is_level) return &c;

  kes_varsum& s = sums_.emplace_back();
  c.varsums = &s;
  std::vector<kes_valnode>& nodes = nodes_.emplace_back(values.size());
  const double missing = host_missing_of_kind(HOST_MISS_STD);
  double sum = 0, uss = 0;
  s.min = s.max = s.mean = s.std = missing;
  for (size_t i = 0; i < values.size(); ++i) {
    const int f = counts.empty() ? 1 : counts[i];
    nodes[i] = {};
    nodes[i].key.value = values[i];
    nodes[i].count = f;
    nodes[i].next = i + 1 < values.size() ? &nodes[i + 1] : nullptr;
    s.n += f;
    sum += f * values[i];
    uss += f * values[i] * values[i];
    s.min = i == 0 ? values[i] : std::fmin(s.min, values[i]);
    s.max = i == 0 ? values[i] : std::fmax(s.max, values[i]);
  }
  s.values = values.empty() ? nullptr : nodes.data();
  s.pass_total = s.n + nmissing;
  if (s.n > 0) s.mean = sum / s.n;
  if (s.n > 1) s.std = std::sqrt(std::fmax(uss - sum * sum / s.n, 0) / (s.n - 1));
  return &c;
}

std::string hist_fixture::messages() const {
  std::string t;
  for (const std::string& m : plot_test::logged) t += (t.empty() ? "" : " ") + m;
  return t;
}

std::vector<int> hist_fixture::counts(kes_cell* c) {
  const kes_plotslot* s = slot(c);
  std::vector<int> out;
  for (int i = 0; i < s->nbins; ++i) out.push_back(s->scale > 0 ? static_cast<int>(std::lround(s->heights[i] / s->scale)) : 0);
  return out;
}

}  // namespace hist_test
