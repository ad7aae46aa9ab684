// The device's state of a step, its start and stop, the device registry, the graph
// control block, unit conversion and the graph files of a run.
#include "graph/device_state.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "core/host_routines.h"
#include "core/runtime.h"

namespace plat::graph {
namespace {

std::unique_ptr<step_state> g_state;
std::set<std::string> g_files;  // upper-cased file names given in this run
// Per upper-cased base name, the last number its files were given: the numbers up to it
// are taken, so that many graphs of one name do not search from 1 each time.
std::map<std::string, int> g_last_number;

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The devices the stand-in knows: one SVG device under a few names. None draws
// directly: every graph is recorded per destination.
struct device_def {
  const char* name;
  int type;
  const char* description;
};
constexpr device_def kDevices[] = {
    {"SVG", 1, "Scalable vector graphics, one file per graph"},
    {"JAVAIMG", 1, "The default device: SVG"},
    {"PNG", 1, "Drawn as SVG; convert with scripts/svg-to-png.sh"},
};

bool known_device(const std::string& upper_name) {
  for (const device_def& d : kDevices)
    if (upper_name == d.name) return true;
  return false;
}

}  // namespace

step_state& state() {
  if (!g_state) {
    g_state = std::make_unique<step_state>();
    at_step_end([] { g_state.reset(); });
  }
  return *g_state;
}

double page_width() {
  const double w = state().device.width_px;
  return w > 0 ? w : kPageWidth;
}
double page_height() {
  const double h = state().device.height_px;
  return h > 0 ? h : kPageHeight;
}
double px_x(double pct) { return page_px{}.x(pct); }
double px_y(double pct) { return page_px{}.y(pct); }
double px_w(double pct) { return pct * page_width() / 100.0; }
double px_h(double pct) { return pct * page_height() / 100.0; }

svg_writer* writer() {
  step_state& s = state();
  return s.open ? s.open->writer.get() : nullptr;
}

double line_px() {
  const int w = state().device.line_width;
  return w <= 0 ? 0.5 : w;
}

namespace {

// The clip path of a rectangle in percent, made once per segment and rectangle.
std::string clip_rect_id(const host_gclip* c, svg_writer* w) {
  const double x = px_x(std::min(c->x1, c->x2)), y = px_y(std::max(c->y1, c->y2));
  const double wd = px_w(std::fabs(c->x2 - c->x1)), ht = px_h(std::fabs(c->y2 - c->y1));
  const std::string key = svg_number(x) + " " + svg_number(y) + " " + svg_number(wd) + " " + svg_number(ht);
  auto& clips = state().open->clips;
  for (const auto& [k, id] : clips)
    if (k == key) return id;
  std::string id = w->clip_rect(x, y, wd, ht);
  clips.emplace_back(key, id);
  return id;
}

}  // namespace

std::string clip_of(const host_gclip* c) {
  svg_writer* w = writer();
  if (c == nullptr || w == nullptr) return {};
  segment& open = *state().open;
  const page_px page;
  if (!open.last_clip_id.empty() && std::memcmp(&open.last_clip, c, sizeof *c) == 0 &&
      open.last_clip_page[0] == page.w && open.last_clip_page[1] == page.h)
    return open.last_clip_id;
  open.last_clip = *c;
  open.last_clip_page[0] = page.w, open.last_clip_page[1] = page.h;
  open.last_clip_id = clip_rect_id(c, w);
  return open.last_clip_id;
}

std::string unique_graph_file(const std::string& name) {
  std::string base;
  for (char c : name) {
    // Only what is safe in a file name on every system; the rest becomes '_'.
    const unsigned char u = static_cast<unsigned char>(c);
    base += std::isalnum(u) || c == '_' || c == '-' ? c : '_';
  }
  while (!base.empty() && base.back() == '_') base.pop_back();
  if (base.empty()) base = "graph";
  std::string file = base + ".svg";
  for (int& n = g_last_number[upper(base)]; g_files.count(upper(file));) file = base + std::to_string(++n) + ".svg";
  g_files.insert(upper(file));
  return file;
}

void forget_graph_files() {
  g_files.clear();
  g_last_number.clear();
}

}  // namespace plat::graph

using namespace plat::graph;

extern "C" {

int plat_ggstop() {
  step_state& s = state();
  s.open.reset();
  s.started = false;
  return 0;
}

int plat_gginit(gdevopts* o) {
  if (o == nullptr) return -1;
  std::string name(o->device, 8);
  name = upper(name.substr(0, name.find_last_not_of(" \0", std::string::npos, 2) + 1));
  if (name.empty()) name = "SVG";
  if (!known_device(name)) return -1;
  step_state& s = state();
  gdevice& d = s.device;
  d.opts = o;
  d.width_px = (o->sizeflags & GOPT_WIDTH_GIVEN) && o->size[0] > 0 ? o->size[0] : kPageWidth;
  d.height_px = (o->sizeflags & GOPT_HEIGHT_GIVEN) && o->size[1] > 0 ? o->size[1] : kPageHeight;
  d.aspect = d.height_px / d.width_px;
  d.cell_h = kCellHeightPx * 100.0 / d.height_px;
  d.cell_w = kCellWidthPx * 100.0 / d.width_px;
  d.flags = 0;  // a vector device: no hardware cells
  d.hardware_text = 'N';
  d.line_width = 1;
  d.fill_layer = 4;
  d.default_height = d.cell_h;
  d.default_charw = d.cell_w;
  // The text font is never blank: a blank one would stack vertical labels.
  if (o->font[0] == ' ' || o->font[0] == '\0') std::memcpy(o->font, "SANS    ", 8);
  o->style = 0;
  s.started = true;
  return 0;
}

gdevopts* plat_ggznew(void*) {
  auto o = std::make_unique<gdevopts>();
  std::memset(o->device, ' ', 8);
  std::memset(o->font, ' ', 8);
  std::memset(o->text_color, ' ', 8);
  std::memset(o->descr, ' ', sizeof o->descr);
  // The output manager receives the graphs of each chart at its end (publish at set-up).
  o->flags = GOPT_OPTION_C | GOPT_PUBLISH;
  step_state& s = state();
  s.options.push_back(std::move(o));
  return s.options.back().get();
}

gdevice* plat_ggxget(void*) {
  step_state& s = state();
  return s.started ? &s.device : nullptr;
}

void plat_ggdinit() { state(); }
void plat_ggdvdlt(int, int) {
  for (auto& e : state().registry) e->use_count = 0;
}

void plat_ggzrst(int) {
  gdevice& d = state().device;
  d.line_width = 1;
  d.fill_layer = 4;
  d.fill_word = 0;
}

const gdeventry* plat_ggdvfind(const char* name8) {
  if (name8 == nullptr || name8[0] == ' ' || name8[0] == '\0') return nullptr;
  std::string name(name8, strnlen(name8, 8));
  name = upper(name.substr(0, name.find_last_not_of(' ') + 1));
  step_state& s = state();
  for (auto& e : s.registry)
    if (std::string(e->name, 8).substr(0, name.size()) == name &&
        std::string(e->name + name.size(), 8 - name.size()).find_first_not_of(' ') == std::string::npos) {
      ++e->use_count;
      return e.get();
    }
  for (const device_def& d : kDevices) {
    if (name != d.name) continue;
    auto e = std::make_unique<gdeventry>();
    std::memset(e->name, ' ', 8);
    std::memcpy(e->name, d.name, std::strlen(d.name));
    e->type = d.type;
    e->description = d.description;
    e->use_count = 1;
    s.registry.push_back(std::move(e));
    return s.registry.back().get();
  }
  return nullptr;
}

void plat_ggpfree() {
  // A segment still open when the step ends is dropped: it was never closed, so it is
  // never published.
  state().open.reset();
}

int plat_ggcbini(void** control, int) {
  if (control != nullptr) *control = &state().control_word;
  return 0;
}
void plat_ggcbex(void** control, int) {
  if (control != nullptr) *control = nullptr;
}
int plat_ggzread(void*) { return 0; }

int plat_xytngl(void* control, int, const char* name, int length, void** slot) {
  if (slot != nullptr) *slot = nullptr;
  if (control == nullptr || name == nullptr) return 1;
  // The shared blocks of the stand-in: the graph control record. The libraries of
  // graphics subroutines are never preloaded, so their blocks are missing.
  if (std::string(name, static_cast<std::size_t>(length)) == "__GCB_GRAPH") {
    if (slot != nullptr) *slot = &state().control;
    return 0;
  }
  return 1;
}

int plat_wiinstl(int vector, const char*, int) {
  // Every graphics vector is built into the stand-in.
  const int v = vector - 0x40000;
  return v == 116 || v == 117 || v == 118 || v == 120 || v == 268 ? 0 : 1;
}

host_ggcb* plat_vemggcb(int) { return &state().control; }

double plat_ggcell(int, double value, int, int) { return value; }

double plat_ggpct2l(int units, int axis, double percent, char* unit_text) {
  // Units " PCILDTA" as ggl2pct reads them: the inverse of that conversion.
  static const char* const kNames[] = {"PCT ", "PCT ", "CELL", "IN  ", "CM  ", "CM  ", "CM  ", "CM  "};
  const int u = units >= 0 && units < 8 ? units : 0;
  if (unit_text != nullptr) std::memcpy(unit_text, kNames[u], 4);
  const double one = plat_ggl2pct(0, u, axis, 1.0);
  return one != 0 ? percent / one : percent;
}

}  // extern "C"
