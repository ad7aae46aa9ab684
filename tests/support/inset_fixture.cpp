#include "support/inset_fixture.h"

#include <cmath>

#include "core/format_ids.h"
#include "devgraph/device_inset_needs.h"
#include "host/host_missing.h"
#include "kes_gram_names.h"
#include "support/note_recorder.h"
#include "tmplgraph/template_inset_needs.h"

namespace inset_test {

std::string text_of(const char* t, int len) { return std::string(t, static_cast<size_t>(len < 0 ? 0 : len)); }

inset_stmt& inset_stmt::codes(std::vector<double> c) {
  c.push_back(300);
  node.list(KES_INSET_SLOT_CODES, std::move(c));
  return *this;
}

inset_stmt& inset_stmt::label(const std::string& t) {
  label_texts.push_back(t);
  labels.clear();
  for (const std::string& s : label_texts) labels.push_back({static_cast<int>(s.size()), s.c_str()});
  kes_optslot& s = node.slots[KES_INSET_SLOT_LABELS];
  s.given = 1;
  s.v.count = static_cast<int>(labels.size());
  s.list = labels.data();
  return *this;
}

// A w.d format as the parser stores it: its word is the process's word for "F", which
// depends on the formats named before (BEST named first takes word 1).
static kes_fmtentry fixed_format(int width, int decimals) {
  return {static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(decimals), plat::format_id("F")};
}

inset_stmt& inset_stmt::format(int width, int decimals) {
  formats.push_back(fixed_format(width, decimals));
  kes_optslot& s = node.slots[KES_INSET_SLOT_FORMATS];
  s.given = 1;
  s.v.count = static_cast<int>(formats.size());
  s.list = formats.data();
  return *this;
}

inset_stmt& inset_stmt::format_all(int width, int decimals) {
  all = fixed_format(width, decimals);
  kes_optslot& s = node.slots[KES_INSET_SLOT_FORMAT];
  s.given = 1;
  s.list = &all;
  return *this;
}

void inset_fixture::SetUp() {
  hand_request::SetUp();
  ctx.nvars = 1;
  ctx.varnums = varnums;
  ctx.nplots = ctx.nhist = ctx.nplotslots = 1;
  ctx.preqs = &req;
  ctx.tmplgraph = 1;
  req.total = total;
  req.nvars = 1;
}

inset_stmt& inset_fixture::inset(std::vector<double> codes) {
  inset_stmt& s = insets_.emplace_back();
  s.codes(std::move(codes));
  kes_stmt* at = &stmt.s;
  while (at->next != nullptr) at = at->next;
  at->next = s.node.node();
  return s;
}

kes_cell* inset_fixture::single(const std::vector<double>& values) {
  kes_cell* c = made.cell(cv, "", nullptr);
  c->fmt.len = 0;
  c->slots = &slots_.emplace_back();
  c->varsums = made.summary(values);
  std::vector<double>& sum = summaries_.emplace_back(33, host_missing_of_kind(HOST_MISS_STD));
  for (size_t i = 0; i < sum.size(); ++i) sum[i] = 100.0 + static_cast<double>(i);
  c->varsums->summary = sum.data();
  c->varsums->nobs = c->varsums->n + 2;
  c->varsums->nmiss = 2;
  if (cv.keycell == nullptr) cv.keycell = c;
  slot(c)->n = static_cast<int>(c->varsums->n);
  return c;
}

kes_curve* inset_fixture::curve(kes_cell* c, int dist, std::vector<double> params, bool fitted) {
  kes_plotslot* s = slot(c);
  // Curves live in one array per slot, rebuilt as curves are added (kernels last).
  std::vector<kes_curve> all(s->curves, s->curves + s->ncurves);
  kes_curve k{};
  k.dist = dist;
  for (size_t i = 0; i < 4 && i < params.size(); ++i) k.params[i] = params[i];
  k.fitted = fitted ? 1 : 0;
  k.mode = host_missing_of_kind(HOST_MISS_STD);
  all.insert(all.end() - s->nkernels, k);
  curves_.push_back(all);
  s->curves = curves_.back().data();
  s->ncurves = static_cast<int>(all.size());
  for (int i = 0; i < s->ncurves; ++i) s->curves[i].index = i;
  ++req.ncurves_dist[dist];
  ++req.ncurves;
  return &s->curves[s->ncurves - s->nkernels - 1];
}

kes_curve* inset_fixture::kernel(kes_cell* c, int type, double cvalue, double h, double amise) {
  kes_plotslot* s = slot(c);
  std::vector<kes_curve> all(s->curves, s->curves + s->ncurves);
  kes_curve k{};
  k.dist = KES_DIST_KERNEL;
  k.kernel.type = type;
  k.kernel.c = cvalue;
  k.kernel.h = h;
  k.kernel.amise = amise;
  k.fitted = 1;
  all.push_back(k);
  curves_.push_back(all);
  s->curves = curves_.back().data();
  s->ncurves = static_cast<int>(all.size());
  ++s->nkernels;
  ++req.nkernels;
  ++req.ncurves;
  return &s->curves[s->ncurves - 1];
}

// The fixture asks as the renderer its context names would.
int inset_fixture::build(kes_cell* c, int panel) {
  return kesins(&ctx, c, panel, ctx.devgraph != 0 && ctx.tmplgraph == 0 ? kes_device_inset_needs : kes_template_inset_needs);
}

kes_insetbox* inset_fixture::box(int k) {
  kes_insetbox* b = ctx.insets;
  for (int i = 0; i < k && b != nullptr; ++i) b = b->next;
  return b;
}

std::vector<std::string> inset_fixture::rows(int k) {
  std::vector<std::string> out;
  kes_insetbox* b = box(k);
  if (b == nullptr) return out;
  for (kes_inset* r = b->rows; r != nullptr; r = r->next)
    out.push_back(text_of(r->label, r->label_len) + "=" + text_of(r->value, r->value_len));
  return out;
}

std::vector<int> inset_fixture::kinds(int k) {
  std::vector<int> out;
  kes_insetbox* b = box(k);
  if (b == nullptr) return out;
  for (kes_inset* r = b->rows; r != nullptr; r = r->next) out.push_back(r->kind);
  return out;
}

std::string inset_fixture::notes() const { return kes_test::note_recorder::keys(); }

}  // namespace inset_test
