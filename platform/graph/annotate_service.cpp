// The host's annotate service (ganotat): reads the annotate data set of the request
// (the current BY group when the request names the plot's data set and the annotate
// data set has its BY variables, else every observation) and draws each observation
// through the graphics services. Returns 0, or 1 when the data set cannot be read.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "graph/annotate.h"
#include "graph/device_state.h"
#include "kes_msg_names.h"
#include "host/kes_checked.h"

namespace {

using namespace plat::graph;

std::string trimmed(const char* s, int n) {
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  int a = 0;
  while (a < n && s[a] == ' ') ++a;
  return std::string(s + a, static_cast<std::size_t>(n - a));
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Draws through the host's graphics services.
class host_sink : public anno_sink {
 public:
  explicit host_sink(std::string ds) : ds_(std::move(ds)) {}
  void line(double x1, double y1, double x2, double y2, int style, double width, const std::string& colour) override {
    gdevice* d = plat_ggxget(nullptr);
    if (d != nullptr) d->line_width = kes_clamped_int<std::int16_t>(std::round(width), 0, INT16_MAX);
    plat_ggdraw(0, x1, y1, x2, y2, style, colour_number(colour));
    if (d != nullptr) d->line_width = 1;
  }
  void text(double x, double y, const std::string& s, double height, double angle, int halign, int valign,
            const std::string& colour) override {
    host_gtext t;
    plat_ggstri(&t);
    t.height = static_cast<float>(height);
    t.height_given = 1;
    t.just = halign < 0 ? 2 : halign > 0 ? 1 : 4;
    t.colnum = colour_number(colour);
    t.text = s.c_str();
    t.length = static_cast<std::uint16_t>(s.size());
    // The baseline: above the point, through its middle, or below it.
    const double base = valign > 0 ? y + 0.25 * height : valign < 0 ? y - height : y - 0.38 * height;
    t.x = static_cast<float>(x);
    t.y = static_cast<float>(base);
    host_gxfm xfm{angle, 0, 0, 0};
    if (angle != 0) {
      plat_ggstxfm(&xfm);
      t.xfm = &xfm;
    }
    plat_ggstr(0, &t);
  }
  void marker(double x, double y, const std::string& name, double size, const std::string& colour) override {
    const double pt[2] = {x, y};
    host_gmarks m{};
    m.count = 1;
    m.points = pt;
    const std::string n = upper(name);
    // The device's marker table: 1 plus, 4 square, 6 triangle, 7 circle, 8 dot.
    m.code = static_cast<std::int16_t>(n == "PLUS" ? 1 : n == "SQUARE" ? 4 : n == "TRIANGLE" ? 6 : n == "DOT" ? 8 : 7);
    m.size = static_cast<float>(size);
    m.flags = n == "DOT" ? 0x01 : 0;
    plat_ggpmark(0, &m, colour_number(colour), nullptr);
  }
  void polygon(const std::vector<double>& xy, const std::string& colour, bool filled) override {
    host_gpoly p{};
    p.count = static_cast<int>(xy.size() / 2);
    p.points = xy.data();
    std::memcpy(p.pattern, filled ? "SOLID   " : "EMPTY   ", 8);
    p.color = colour_number(colour);
    p.outline = p.color;
    p.line_type = 1;
    plat_ggpoly(0, &p);
  }
  void bar(double x1, double y1, double x2, double y2, const std::string& colour, bool filled) override {
    const int c = colour_number(colour);
    plat_ggfill(0, x1, y1, x2, y2, filled ? "SOLID   " : "EMPTY   ", c, 3, c, 1, 1);
  }
  void note(long number, const std::string& variable, const std::string& what) override {
    plat::log_message(KES_SET_HOST_ANNOTATE, KES_MSG_ANNOTATE_OBSERVATION_NOT_USED, ds_.c_str(), number, variable.c_str(), what.c_str());
  }

 private:
  std::string ds_;
};

// The observations of the data set's current group.
bool read_observations(kes_dsh ds, std::vector<anno_obs>* out) {
  const plat::dataset* d = plat::from_handle(ds);
  const auto& vars = plat::variables(d);
  auto var = [&](const char* n) { return plat::find_variable(d, n); };
  const int vf = var("FUNCTION"), vx = var("X"), vy = var("Y"), vxs = var("XSYS"), vys = var("YSYS");
  const int vt = var("TEXT"), vc = var("COLOR"), vs = var("SIZE"), vl = var("LINE"), vp = var("POSITION"),
            va = var("ANGLE");
  auto numeric = [&](int v) { return v >= 0 && vars[static_cast<std::size_t>(v)].numeric; };
  auto character = [&](int v) { return v >= 0 && !vars[static_cast<std::size_t>(v)].numeric; };
  struct text_get {
    int var;
    char buf[256];
  };
  text_get texts[6] = {{vf, {}}, {vxs, {}}, {vys, {}}, {vt, {}}, {vc, {}}, {vp, {}}};
  // XSYS, YSYS and POSITION may also come as numbers (a CSV column of digits).
  double codes[3] = {NAN, NAN, NAN};
  const int codevars[3] = {vxs, vys, vp};
  double nums[5] = {NAN, NAN, NAN, NAN, NAN};
  const int numvars[5] = {vx, vy, vs, vl, va};
  kes_geth g = nullptr;
  if (plat_xvgeti(ds, 14, &g) != 0) return false;
  for (text_get& t : texts)
    if (character(t.var) && plat_xvgetd(g, t.var, HOST_GET_RAW, t.buf, sizeof t.buf) != 0) return false;
  for (int i = 0; i < 5; ++i)
    if (numeric(numvars[i]) && plat_xvgetd(g, numvars[i], HOST_GET_RAW, &nums[i], 8) != 0) return false;
  for (int i = 0; i < 3; ++i)
    if (numeric(codevars[i]) && plat_xvgetd(g, codevars[i], HOST_GET_RAW, &codes[i], 8) != 0) return false;
  if (plat_xvgete(g) != 0) return false;
  for (;;) {
    host_ioreq req{};
    req.ds = ds;
    req.flags = HOST_IOF_SEQ | HOST_IOF_OBSNO;
    req.code = HOST_IOC_READ;
    if (plat_xybyget(&req) != 0) break;
    plat_xyvget(g, 0);
    anno_obs o;
    o.number = req.obsno;
    auto text = [&](int i) { return character(texts[i].var) ? trimmed(texts[i].buf, sizeof texts[i].buf) : std::string(); };
    o.function = upper(text(0));
    // A code given as a number is its digit; another number gives a text the
    // interpreter refuses by name.
    auto code = [&](int i, int t) {
      if (!numeric(codevars[i])) return text(t);
      const double v = codes[i];
      if (std::isnan(v)) return std::string();
      char buf[32];
      std::snprintf(buf, sizeof buf, "%g", v);
      return std::string(buf);
    };
    const std::string xs = code(0, 1), ys = code(1, 2);
    if (!xs.empty()) o.xsys = xs.size() == 1 ? xs[0] : '?';
    if (!ys.empty()) o.ysys = ys.size() == 1 ? ys[0] : '?';
    o.text = text(3);
    o.color = text(4);
    o.position = code(2, 5);
    o.has_x = numeric(vx), o.has_y = numeric(vy);
    o.x = nums[0], o.y = nums[1], o.size = nums[2], o.line = nums[3], o.angle = nums[4];
    out->push_back(o);
  }
  plat_xvgett(g);
  return true;
}

void position(host_annoreq* req, kes_dsh ds) {
  auto* data = static_cast<kes_dsh>(req->data);
  if (data != nullptr && plat_xbysync(data, ds) == 0) return;
  plat_xopnt2(ds);
}

}  // namespace

extern "C" int plat_ganotat(host_annoreq* req) {
  if (req == nullptr || req->annotate == nullptr || req->haxis == nullptr || req->vaxis == nullptr) return 1;
  auto* ds = static_cast<kes_dsh>(req->annotate);
  const plat::dataset* d = plat::from_handle(ds);
  if (d == nullptr) return 1;
  position(req, ds);
  std::vector<anno_obs> obs;
  const bool read = read_observations(ds, &obs);
  position(req, ds);
  if (!read) {
    plat::log_message(KES_SET_HOST_ANNOTATE, KES_MSG_ANNOTATE_DATA_SET_UNREADABLE, plat::dataset_name(d).c_str());
    return 1;
  }
  use_percent_coords(req, &obs);
  anno_frame f;
  f.h = *req->haxis;
  f.v = *req->vaxis;
  host_sink sink(plat::dataset_name(d));
  annotate_run(obs, f, sink);
  return 0;
}
