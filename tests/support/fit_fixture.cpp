// The hand-made histogram request of the fitting and report tests.
#include "support/fit_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runner/host_table.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "driver/plot_checks.h"
#include "fit/kes_famfn.h"
#include "fitreport/kes_famsets.h"
#include "host/host_missing.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "records/pool_alloc.h"

namespace kes_test {
namespace {
const double kMiss = host_missing_of_kind(HOST_MISS_STD);

void blank_name(kes_name32& n, const char* text) {
  n.len = static_cast<std::uint16_t>(std::strlen(text));
  std::memset(n.text, ' ', 32);
  std::memcpy(n.text, text, n.len);
}
}  // namespace

void fit_fixture::SetUp() {
  work_ = std::make_unique<scratch_work>("fit");
  plat::config().listing_path = (work_->root() / "listing.txt").string();
  saved_anchor_ = v_global_gcb_anchor;
  v_global_gcb_anchor = plat::anchor();
  plat::begin_step();
  ctx_ = std::make_unique<kes_ctx>();
  ctx = ctx_.get();
  ctx->runpool = xmpoolc(0, 1024, KES_POOL_RUN);
  ctx->bypool = xmpoolc(0, 1024, KES_POOL_BYGROUP);
  ctx->pctldef = 5;
  proc_slots_.assign(50, kes_optslot{});
  proc_.slots = proc_slots_.data();
  proc_.nslots = 50;
  ctx->proc = &proc_;
  ASSERT_EQ(xobinit(&ctx->objs, 0), 0);
  wob_attr m[3] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "manager", 7), wob_out(WOB_A_HANDLE)};
  ASSERT_EQ(wobmth(ctx->objs.root, nullptr, WOB_M_CREATE, 3, m), 0);
  ctx->objs.manager = m[2].w.p;
  const char* labels[KES_NSTATLABELS] = {"Normal", "Lognormal",  "Exponential", "Weibull", "Gamma",
                                         "Beta",   "Johnson SB", "Johnson SU",  "Weibull", "Kernel"};
  for (int i = 0; i < KES_NSTATLABELS; ++i) {
    std::memset(ctx->statlabel[i], ' ', 16);
    std::memcpy(ctx->statlabel[i], labels[i], std::strlen(labels[i]));
  }
  blank_name(name_, "x");
  ctx->nvars = 1;
  ctx->varnames = &name_;
  ctx->curname = name_;
  data_cells_.clear();
  kinds_.clear();
  stmt = plot_test::node("HISTOGRA");
  req = kes_preq{};
  req.type = KES_PLOT_HISTOGRAM;
  req.stmt = &stmt.s;
  req.classvars = &cv;
  req.varslot = varslot_;
  total_[0] = 0;
  req.total = total_;
  req.tabcontents = 1;
  cv = kes_classvars{};
  ctx->classvars = &cv;
  ctx->curreq = &req;
}

void fit_fixture::TearDown() {
  plat::finish_step();
  v_global_gcb_anchor = saved_anchor_;
  work_.reset();
}

std::string fit_fixture::listing() {
  plat::flush_outputs();
  return slurp(work_->root() / "listing.txt");
}

int fit_fixture::count(const std::string& text, const std::string& in) {
  int n = 0;
  for (size_t at = in.find(text); at != std::string::npos; at = in.find(text, at + 1)) ++n;
  return n;
}

void fit_fixture::request(const std::vector<curve_kind>& curves, int vscale) {
  kinds_ = curves;
  req.vscale = vscale;
  req.ncurves = static_cast<int>(curves.size());
  for (const curve_kind& c : curves) ++req.ncurves_dist[c.dist];
  req.nkernels = req.ncurves_dist[KES_DIST_KERNEL];
}

void fit_fixture::class_vars(int count) {
  cv.count = count;
  for (int i = 0; i < count; ++i) {
    kes_classvar& v = cv.var[i];
    v.type = 2;
    blank_name(v.name, i == 0 ? "g" : "h");
    for (kes_textdesc* t : {&v.fmt, &v.key}) {
      *t = kes_textdesc{16, 0, made_.text(std::string(16, ' '))};
    }
  }
}

kes_cell* fit_fixture::parent_level(const std::string& level) { return made_.cell(cv, level, nullptr); }

kes_cell* fit_fixture::cell(const std::vector<double>& values, const std::string& level, kes_cell* parent) {
  kes_cell* c = made_.cell(cv, level, parent);
  if (cv.keycell == nullptr) cv.keycell = c;
  kes_varsum& s = *made_.summary(values);
  const double n = s.n;
  total_[0] += static_cast<int>(n);
  summaries_.emplace_back(KES_SUMMARY_DOUBLES, kMiss);
  s.summary = summaries_.back().data();
  c->varsums = &s;

  cellslots_.emplace_back(1);
  kes_plotslot& ps = cellslots_.back()[0];
  curves_.emplace_back(kinds_.size());
  for (size_t i = 0; i < kinds_.size(); ++i) {
    kes_curve& k = curves_.back()[i];
    k.dist = kinds_[i].dist;
    k.family_index = kinds_[i].family_index;
    k.index = static_cast<int>(i);
  }
  ps.curves = curves_.back().data();
  ps.ncurves = static_cast<int>(kinds_.size());
  ps.nkernels = req.nkernels;
  ps.n = static_cast<int>(n);
  ps.scale = ps.one_obs = req.vscale == 1 ? 1.0 : req.vscale == 2 ? 1.0 / n : 100.0 / n;
  c->slots = cellslots_.back().data();
  data_cells_.push_back(c);
  return c;
}

void fit_fixture::bins(double first, double width, int nbins, bool endpoints) {
  req.endpoints = endpoints ? 1 : 0;
  kes_plotslot& key = slot(cv.keycell);
  key.first = first;
  key.width = width;
  key.key = 1;
  key.vmax = 1e300;
  const double lo = endpoints ? first : first - width / 2;
  auto bin = [&](double x) { return std::clamp(static_cast<int>(std::floor((x - lo) / width)), 0, nbins - 1); };
  for (kes_cell* c : data_cells_) {
    kes_plotslot& s = slot(c);
    const kes_varsum& vs = c->varsums[0];
    if (vs.view == nullptr || vs.view->m == 0) continue;
    // The cell's stretch: from the bin of its smallest value to that of its largest.
    s.firstbin = bin(vs.min);
    s.nbins = bin(vs.max) - s.firstbin + 1;
    doubles_.emplace_back(static_cast<size_t>(s.nbins), 0.0);
    for (int i = 0; i < vs.view->m; ++i)
      doubles_.back()[static_cast<size_t>(bin(vs.view->x[i]) - s.firstbin)] += vs.view->f[i] * s.scale;
    s.heights = doubles_.back().data();
  }
}

void fit_fixture::param(int values_slot, int markers_slot, const std::vector<double>& values,
                        const std::vector<int>& est) {
  stmt.list(values_slot, values);
  stmt.marks(markers_slot, est.empty() ? std::vector<int>(values.size(), 0) : est);
}

kes_plotslot& fit_fixture::slot(kes_cell* c) { return c->slots[0]; }

int fit_fixture::estimate(kes_cell* c, int k, double low, double high, double* height) {
  kes_plotslot& s = slot(c);
  s.curve = k;
  kes_curve& cur = s.curves[k];
  for (double& p : cur.params) p = kMiss;
  const kes_famfn* fam = kes_famdisp(cur.dist);
  double h = kMiss;
  const int r = fam == nullptr ? 1 : fam->est(ctx, &req, c, cur.dist, low, high, cur.family_index, 0, &h);
  if (height != nullptr) *height = h;
  if (r != 0) {
    kesnoest(ctx, c, cur.dist);
    return r;
  }
  cur.fitted = 1;
  ++s.nfitted;
  ++s.nfitted_dist[cur.dist];
  return 0;
}

}  // namespace kes_test
