// The chart drawers' calls on the host graphics device, in one place: lines, areas,
// polylines, texts, colours and the device's measures. Each call is one host service
// (or a short fixed sequence of them) with the host's records filled here, so that the
// drawers deal in plain numbers and blank-padded names only.
#pragma once
#include <cstdint>

struct kes_ctx;
struct kes_symattr;
struct kes_fillslot;

// Measures of the current device.
struct kes_gdevice {
  double cw, ch;         // character cell width and height
  double aspect;         // a horizontal length divided by it is the same length vertically
  int hwcells;           // the device has hardware character cells
  char textfont[8];      // the options record's text font, blank-padded
  double text_height;    // its current text height in percent; 0 when none
  int style;             // an output style is in force
  int ncolours;          // colours of the device's list
};
void gd_device(kes_ctx* ctx, kes_gdevice* out);
// The least height a text is drawn at, 6 px, in percent of the page's height (0 when
// the device is not known): a text that would be smaller does not read.
double gd_least_text(kes_ctx* ctx);

// A text to measure or draw.
struct kes_gtext {
  char font[8];
  double height;
  int colour;
  int align;             // 1 left, 2 right, 4 centred
  double angle;          // degrees; with rotation, a transform when either is set
  double rotation;
  double x, y;
  const char* text;
  int len;
};
// The text's length along its baseline; box, when given, receives the four corners
// (start of the baseline, its end, top-end, top-start) as x0 y0 x1 y1 x2 y2 x3 y3.
// The text's font and height are taken back as the host reports them.
double gd_measure(kes_ctx* ctx, kes_gtext* t, double* box);
// The length of a blank in t's font and height.
double gd_blank(kes_ctx* ctx, const kes_gtext& t);
// Every text of a page is drawn here, none below gd_least_text: one that would be
// smaller (shrunk to a room too narrow for it) is drawn at that height, cut (with an
// ellipsis) to the length it had; where not a character fits, not at all. A text is
// cut at its end, or in its middle where its end tells it from its neighbours (the
// levels of a CLASS variable: "north_…_001", "north_…_002").
enum class kes_cut { end, middle };
void gd_text(kes_ctx* ctx, const kes_gtext& t, kes_cut cut = kes_cut::end);

// The current line width of the device.
void gd_width(kes_ctx* ctx, int width);
void gd_line(kes_ctx* ctx, double x1, double y1, double x2, double y2, int style, int colour);
// A rectangle filled with a pattern word ("S", "E" or a host pattern) and outlined.
void gd_fill(kes_ctx* ctx, double x1, double y1, double x2, double y2, const char* pattern,
             int colour, int mode, int outline, int outline_style, int outline_width);
// A polyline of n (x, y) pairs clipped to left, bottom, right, top: 0, or nonzero on failure.
int gd_polyline(kes_ctx* ctx, const double* xy, int n, int style, int colour, const double* clip);
// A polygon of n (x, y) pairs filled in a pattern and a colour name: 0, or positive on failure.
int gd_polygon(kes_ctx* ctx, const double* xy, int n, const char* pattern, const char* colour);

// A colour name (8 characters, blank-padded) as a device colour number.
int gd_colour(kes_ctx* ctx, const char* name);
// The name of device colour i (from 1) into 8 characters.
void gd_colour_name(kes_ctx* ctx, int i, char* name);
// The graphics options' text colour into 8 characters: nonzero when there is one.
int gd_text_colour(kes_ctx* ctx, char* name);
// A FONT= text (len characters) as an 8-character device font name.
void gd_font(kes_ctx* ctx, const char* text, int len, char* font);
// A position or length rounded to the device's character cells (axis 1 horizontal, 2 vertical).
double gd_cell(kes_ctx* ctx, double v, int axis, int mode);

// The host's symbol definitions into n attribute entries.
void gd_symbols(kes_ctx* ctx, int n, kes_symattr* table);
// The host's pattern definitions into the three fill slots: 0 to 3, 3 when it has none.
int gd_patterns(kes_ctx* ctx, kes_fillslot* slots, char mode);

// Style look-ups: nonzero when the style in force defines the element's attribute.
int gd_style_colour(kes_ctx* ctx, const char* element, char* name);
int gd_style_contrast(kes_ctx* ctx, const char* element, char* name);
int gd_style_background(kes_ctx* ctx, const char* element, char* name);
int gd_style_linestyle(kes_ctx* ctx, const char* element, int* style);
int gd_style_linewidth(kes_ctx* ctx, const char* element, int* width);
int gd_style_font(kes_ctx* ctx, const char* element, char* font, double* size);
