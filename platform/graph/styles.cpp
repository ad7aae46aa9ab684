// Symbols, fill patterns, style elements and annotate of the device. No graph style
// is ever in force here, so every style element is undefined (the caller's default
// holds); the symbol definitions are the curve palette of the graphs.
#include <cstring>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "graph/device_state.h"
#include "graph/graph_messages.h"
#include "graph/graph_style.h"

namespace plat::graph {
namespace {

// Curves in order: the shared colours with line styles solid, dashed, dotted,
// dash-dot, long dash.
constexpr int kCurveLines[5] = {1, 2, 3, 4, 5};

void put8(char* field, const char* text) {
  std::memset(field, ' ', 8);
  std::memcpy(field, text, std::strlen(text) < 8 ? std::strlen(text) : 8);
}

}  // namespace
}  // namespace plat::graph

using namespace plat::graph;

extern "C" {

int plat_ggetsym(int, int count, kes_symattr* table) {
  if (table == nullptr || count < 0) return 1;
  for (int i = 0; i < count; ++i) {
    kes_symattr& e = table[i];
    std::memset(&e, 0, sizeof e);
    // Entry 0 draws bar outlines and data points: dark grey lines, open circles of 5
    // px; the others the curve palette in order.
    const int k = i == 0 ? -1 : (i - 1);
    put8(e.color, k < 0 ? "#4A4A4A" : kCurveColours[k % 8]);
    put8(e.symbol_color, k < 0 ? kInk : kCurveColours[k % 8]);
    std::memset(e.marker_font, ' ', sizeof e.marker_font);
    e.line_type = static_cast<std::int16_t>(k < 0 ? 1 : kCurveLines[k % 5]);
    e.line_width = static_cast<std::int16_t>(k < 0 ? 1 : 2);
    e.defined = 0;
    e.marker = 7;
    e.marker_size = static_cast<float>(5.0 * 100.0 / page_height());
    e.marker_flags = 0;
  }
  return 0;
}

int plat_ggetpat(int, kes_fillslot* slots, char) {
  if (slots == nullptr) return 0;
  // Bars are light blue with a dark grey outline; all three slots alike.
  for (int i = 0; i < 3; ++i) {
    put8(slots[i].pattern, "S");
    put8(slots[i].color, "#C6DBEF");
    slots[i].hatch = 0;
  }
  return 0;  // every slot has a definition
}

int plat_gvemclr(gdevice*, const char*, int, char*) { return 0; }
int plat_gvemcclr(gdevice*, const char*, int, char*) { return 0; }
int plat_gvembclr(gdevice*, const char*, int, char*) { return 0; }
int plat_gvemlsty(gdevice*, const char*, int, int*) { return 0; }
int plat_gvemlwid(gdevice*, const char*, int, int*) { return 0; }
int plat_gvemfont(gdevice*, const char*, int, char*, double*) { return 0; }
int plat_gvemgrad(gdevice*, const char*, int, void*, int*, int*) { return 0; }

}  // extern "C"
