// The chart drawers' calls on the host graphics services: each fills the host's
// record from plain numbers and names and makes one call.
#include "devgraph/gdev.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host/host_graph.h"
#include "host/host_services.h"
#include "host/text_ellipsis.h"
#include "records/kes_ctx.h"

namespace {

gdevice* device_of(kes_ctx* ctx) { return static_cast<gdevice*>(ctx->device); }

// A host text record of t, with its transform and extent box when asked for.
void fill_record(const kes_gtext& t, host_gtext* rec, host_gxfm* xfm, host_gbox* box) {
  ggstri(rec);
  std::memcpy(rec->font, t.font, 8);
  rec->height = static_cast<float>(t.height);
  rec->just = t.align;
  rec->colnum = t.colour;
  rec->x = static_cast<float>(t.x);
  rec->y = static_cast<float>(t.y);
  rec->text = t.text;
  rec->length = static_cast<std::uint16_t>(std::max(0, t.len));
  if (t.angle != 0 || t.rotation != 0) {
    xfm->angle = t.angle;
    xfm->rotation = t.rotation;
    ggstxfm(xfm);
    rec->xfm = xfm;
  }
  rec->box = box;
}

void put_text(const kes_gtext& t) {
  if (t.len <= 0) return;
  host_gtext rec{};
  host_gxfm xfm{};
  fill_record(t, &rec, &xfm, nullptr);
  ggstr(0, &rec);
}

}  // namespace

void gd_device(kes_ctx* ctx, kes_gdevice* out) {
  *out = kes_gdevice{};
  std::memset(out->textfont, ' ', 8);
  const gdevice* d = device_of(ctx);
  if (d == nullptr) return;
  out->cw = d->cell_w;
  out->ch = d->cell_h;
  out->aspect = d->aspect;
  out->hwcells = (d->flags & GDEV_HARD_CELLS) != 0;
  if (const gdevopts* o = d->opts; o != nullptr) {
    std::memcpy(out->textfont, o->font, 8);
    out->text_height = o->text_height > 0 ? ggl2pct(0, o->text_unit, 2, o->text_height) : 0;
    out->style = o->style;
  }
}

double gd_least_text(kes_ctx* ctx) {
  const gdevice* d = device_of(ctx);
  return d != nullptr && d->height_px > 0 ? 6 * 100.0 / d->height_px : 0;
}

double gd_measure(kes_ctx*, kes_gtext* t, double* box) {
  host_gtext rec{};
  host_gxfm xfm{};
  host_gbox b{};
  fill_record(*t, &rec, &xfm, box != nullptr ? &b : nullptr);
  const double len = ggstrl(0, &rec);
  std::memcpy(t->font, rec.font, 8);
  t->height = rec.height;
  if (box != nullptr)
    for (int i = 0; i < 4; ++i) box[2 * i] = b.c[i].x, box[2 * i + 1] = b.c[i].y;
  return len;
}

double gd_blank(kes_ctx* ctx, const kes_gtext& t) {
  kes_gtext blank = t;
  blank.text = " ";
  blank.len = 1;
  return gd_measure(ctx, &blank, nullptr);
}

void gd_text(kes_ctx* ctx, const kes_gtext& t, kes_cut cut) {
  const double least = gd_least_text(ctx);
  if (!(t.height > 0 && t.height < least) || t.len <= 0) {
    put_text(t);
    return;
  }
  kes_gtext small = t;
  const double room = gd_measure(ctx, &small, nullptr);
  const std::string whole(t.text, static_cast<std::size_t>(t.len));
  // Where each character starts, whole UTF-8 sequences at a time.
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < whole.size(); ++i)
    if ((static_cast<unsigned char>(whole[i]) & 0xC0) != 0x80) starts.push_back(i);
  starts.push_back(whole.size());
  const std::size_t n = starts.size() - 1;
  for (std::size_t keep = n; keep > 0; --keep) {
    std::string text = whole;
    if (keep < n) {
      const std::size_t head = cut == kes_cut::middle ? (keep + 1) / 2 : keep, tail = keep - head;
      text = whole.substr(0, starts[head]) + std::string(KES_ELLIPSIS) + whole.substr(starts[n - tail]);
    }
    kes_gtext big = t;
    big.height = least;
    big.text = text.c_str();
    big.len = static_cast<int>(text.size());
    kes_gtext measured = big;
    if (gd_measure(ctx, &measured, nullptr) <= room) {
      put_text(big);
      return;
    }
  }
}

void gd_width(kes_ctx* ctx, int width) {
  if (gdevice* d = device_of(ctx); d != nullptr) d->line_width = static_cast<std::int16_t>(width);
}

void gd_line(kes_ctx*, double x1, double y1, double x2, double y2, int style, int colour) {
  ggdraw(0, x1, y1, x2, y2, style, colour);
}

void gd_fill(kes_ctx*, double x1, double y1, double x2, double y2, const char* pattern, int colour, int mode,
             int outline, int outline_style, int outline_width) {
  char p[8];
  std::memcpy(p, pattern, 8);
  ggfill(0, x1, y1, x2, y2, p, colour, mode, outline, outline_style, outline_width);
}

int gd_polyline(kes_ctx*, const double* xy, int n, int style, int colour, const double* clip) {
  host_gpline pl{n, xy, style};
  host_gclip c{static_cast<float>(clip[0]), static_cast<float>(clip[1]), static_cast<float>(clip[2]),
               static_cast<float>(clip[3])};
  return ggpline(0, &pl, colour, &c);
}

int gd_polygon(kes_ctx* ctx, const double* xy, int n, const char* pattern, const char* colour) {
  host_gpoly pg{};
  pg.count = n;
  pg.points = xy;
  std::memcpy(pg.pattern, pattern, 8);
  pg.color = gd_colour(ctx, colour);
  pg.outline = -1;
  pg.line_type = 1;
  // The area under a curve is light enough for the bars and texts over it.
  pg.opacity = 0.25f;
  return ggpoly(0, &pg);
}

int gd_colour(kes_ctx*, const char* name) {
  char n[8];
  std::memcpy(n, name, 8);
  return ggcnum(0, n);
}

void gd_colour_name(kes_ctx*, int i, char* name) {
  std::memset(name, ' ', 8);
  ggcnum5(0, i, name);
}

int gd_text_colour(kes_ctx* ctx, char* name) {
  const gdevice* d = device_of(ctx);
  std::memset(name, ' ', 8);
  if (d == nullptr || d->opts == nullptr) return 0;
  std::memcpy(name, d->opts->text_color, 8);
  return name[0] != ' ' && name[0] != '\0';
}

void gd_font(kes_ctx*, const char* text, int len, char* font) {
  char buf[256];
  std::memset(buf, ' ', sizeof buf);
  std::memcpy(buf, text, static_cast<size_t>(std::clamp(len, 0, 256)));
  std::memset(font, ' ', 8);
  ggfname(buf, 256, font);
}

double gd_cell(kes_ctx*, double v, int axis, int mode) { return ggcell(0, v, axis, mode); }

void gd_symbols(kes_ctx*, int n, kes_symattr* table) { ggetsym(0, n, table); }

int gd_patterns(kes_ctx*, kes_fillslot* slots, char mode) { return ggetpat(3, slots, mode); }

namespace {
int elen(const char* e) { return static_cast<int>(std::strlen(e)); }
}  // namespace

int gd_style_colour(kes_ctx* ctx, const char* e, char* name) {
  return gvemclr(device_of(ctx), e, elen(e), name);
}
int gd_style_contrast(kes_ctx* ctx, const char* e, char* name) {
  return gvemcclr(device_of(ctx), e, elen(e), name);
}
int gd_style_background(kes_ctx* ctx, const char* e, char* name) {
  return gvembclr(device_of(ctx), e, elen(e), name);
}
int gd_style_linestyle(kes_ctx* ctx, const char* e, int* style) {
  return gvemlsty(device_of(ctx), e, elen(e), style);
}
int gd_style_linewidth(kes_ctx* ctx, const char* e, int* width) {
  return gvemlwid(device_of(ctx), e, elen(e), width);
}
int gd_style_font(kes_ctx* ctx, const char* e, char* font, double* size) {
  return gvemfont(device_of(ctx), e, elen(e), font, size);
}
