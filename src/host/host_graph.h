// Records of the host's device graphics, shared by the module and the stand-in: the
// graphics options record of a destination, the device state, text records with their
// transform and extent box, line, polygon and marker records, the symbol and fill
// tables the host fills, the output destinations and the segment records of graphs.
//
// Positions and lengths are in percent of the graphics area, origin bottom-left.
// Pointers are native; the module reads every field by name, never by offset.
#pragma once
#include <cstddef>
#include <cstdint>

extern "C" {

// ---- options and device state ----

// Bits of gdevopts::flags.
constexpr std::uint8_t GOPT_PUBLISH = 0x08;  // graphs are published by the device itself
constexpr std::uint8_t GOPT_OPTION_C = 0x20; // cleared by a destination's option C
// Bits of gdevopts::sizeflags.
constexpr std::uint8_t GOPT_WIDTH_GIVEN = 0x20;
constexpr std::uint8_t GOPT_HEIGHT_GIVEN = 0x40;

// The graphics options record of the current output destination (made by ggznew).
struct gdevopts {
  char device[8];            // device name, blank-padded; blank: the default device
  double size[2];            // page width and height in pixels, when given
  std::uint8_t sizeflags;    // GOPT_WIDTH_GIVEN, GOPT_HEIGHT_GIVEN
  std::uint8_t flags;        // GOPT_PUBLISH, GOPT_OPTION_C
  std::int16_t initialised;  // 1 once the module has set the record up
  std::int16_t descr_len;    // description of the destination
  char descr[256];
  int word_a, word_b, word_d;  // destination option words
  char font[8];              // text font, blank-padded; blank: none given
  double text_height;        // current text height, in the unit text_unit names
  int text_unit;             // measure code of text_height (codes of " PCILDTA")
  char text_color[8];        // text colour, blank: none given
  int style;                 // nonzero: a graph style is in force
};

// Bits of gdevice::flags.
constexpr std::uint8_t GDEV_HARD_CELLS = 0x04;  // hardware character cells

// The device state that the device handle (ggxget) points to.
struct gdevice {
  gdevopts* opts;            // the options record it was started with
  double cell_w, cell_h;     // one character cell, in percent of width and height
  double aspect;             // height / width of the graphics area
  std::uint8_t flags;        // GDEV_HARD_CELLS
  char hardware_text;        // 'Y' when texts are drawn in hardware cells
  std::int16_t line_width;   // current line width in pixels (0: a hairline)
  std::uint8_t fill_layer;   // fill layer byte (1 behind the data, 4 normal)
  int fill_word;
  double default_height;     // default text height, percent of the height
  double default_charw;      // default character width, percent of the width
  void* data;                // the input data set of the step
  std::uint8_t image_flags;  // background image: 0x40 tiled, 0x20 noted
  const char* image;         // background image name, or null
  double width_px, height_px;  // page size in pixels
};

// A device entry of the device registry (ggdvget).
struct gdeventry {
  char name[8];              // upper-case, blank-padded
  int type;                  // device type word; 7200 to 7204 draw directly
  const char* description;
  int use_count;
};
constexpr int GDEV_DIRECT_FIRST = 7200;
constexpr int GDEV_DIRECT_LAST = 7204;

// ---- text records ----

// A text transform (ggstxfm): the baseline angle and the rotation of each character,
// in degrees counter-clockwise; ggstxfm fills cosine and sine of the angle.
struct host_gxfm {
  double angle;
  double rotation;
  double cos_a, sin_a;
};

// The extent box of a measured text (ggstrl): corners 0 start of the baseline, 1 end
// of the baseline, 2 the top above the end, 3 the top above the start, each turned by
// the transform's angle about the anchor.
struct host_gpoint {
  double x, y;
};
struct host_gbox {
  host_gpoint c[4];
};

// A graphics text record: one piece of text with its attributes, chained in a line.
// ggstri presets it; the caller sets what it needs before ggstrl or ggstr.
struct host_gtext {
  int word;                 // 1
  char font[8];             // device font field, blanks until given
  float height;             // percent of the graphics area's height
  int just;                 // alignment: 1 left, 2 right, 4 centre (of the anchor)
  std::uint16_t length;
  const char* text;
  char color[8];            // colour name, blank: none
  std::uint8_t font_given;
  std::uint8_t height_given;
  host_gtext* next;
  host_gtext* prev;
  int colnum;               // device colour number (ggcnum); 0: the text colour
  float x, y;               // anchor: the baseline point the alignment refers to
  float measured;           // the length ggstrl found, percent of the width
  host_gxfm* xfm;           // transform, or null for horizontal text
  host_gbox* box;           // extent box ggstrl fills when given
};

// ---- lines, areas and markers ----

// A clip rectangle: left, bottom, right, top.
struct host_gclip {
  float x1, y1, x2, y2;
};

// A polyline (ggpline): n points (x, y) in pairs of doubles.
struct host_gpline {
  int count;
  const double* points;     // 2 * count doubles
  int line_type;            // 1 solid, 2 dashed ... 46
};

// A polygon (ggpoly): closed by the device; filled with the pattern and colour,
// outlined with the outline colour when it is 0 or more.
struct host_gpoly {
  int count;
  const double* points;     // 2 * count doubles
  char pattern[8];          // "SOLID", "S", "EMPTY", "E" or a hatch name, blank-padded
  int color;                // fill colour number
  int outline;              // outline colour number, -1 none
  int line_type;
  float opacity;            // 0 or 1: opaque; between: the fill's opacity
};

// A batch of markers (ggpmark), at most GMARK_BATCH a call.
constexpr int GMARK_BATCH = 100;
struct host_gmarks {
  int count;
  const double* points;     // 2 * count doubles
  std::int16_t code;        // marker code of the marker table; negative: none
  float size;               // marker height, percent of the height
  std::uint8_t flags;       // 0x01 filled
};

// ---- symbols and fills (filled by the host) ----

// One entry of the line and symbol attribute table (ggetsym).
struct kes_symattr {
  std::int16_t line_type;   // 1 solid ... 46
  std::int16_t line_width;
  char color[8];            // line colour name, blank-padded
  int defined;              // nonzero: the entry's own colour and width win
  std::int16_t marker;      // marker code, negative: no marker
  float marker_size;        // percent of the height
  std::uint8_t marker_flags;
  char marker_font[16];
  char symbol_color[8];     // marker colour name
};

// One bar fill slot (ggetpat).
struct kes_fillslot {
  char pattern[8];          // "S" solid, "E" empty, or a hatch name
  char color[8];            // blank: the host's choice
  int hatch;                // hatch code of the pattern, 0 none
};

// ---- output destinations and segments ----

// One open destination of the output-delivery system.
struct host_dest {
  std::int16_t device_len;
  const char* device;        // device name
  std::int16_t name_len;
  char* name;                // destination name (the module may edit it in place)
  std::int16_t descr_len;
  const char* descr;
  int option_a, option_b, option_c, word_d;
  double size[2];            // width and height in pixels; taken when > 0
};
// One entry of a destination list, or of the published destination table.
struct host_destentry {
  std::int16_t spare;
  std::int16_t count;        // published table: the number of graphs
  host_dest* dest;           // destination list: the destination
  void* items;               // published table: wob_attr items {0, 7, segment record}
};
// A destination list or published table: count and entries.
struct host_destlist {
  std::int16_t spare;
  std::int16_t count;
  host_destentry* entries;
};

// The identifier of an open segment (ggoseg).
struct host_gsegid {
  void* words[2];
};

// A long segment name (NAME= of 9 characters or more).
struct host_glongname {
  std::int16_t length;
  const char* text;
};

// The record of one graph on a destination's list.
struct host_segrec {
  char library[8];
  std::int16_t entry_len;
  char entry[32];
  std::int16_t eight;        // 8
  host_gsegid segment;
  void* graph_name;          // text handle
  void* label;               // text handle
};

// The graph control record (vemggcb): the pending name of the next graph.
struct host_ggcb {
  std::int16_t pending_len;
  char pending[64];
};

// ---- annotate ----

// One axis of an annotate request.
struct host_annoaxis {
  double start;              // origin - offset before
  double start_other;
  double before, after;
  double length;             // offsets + plot-area extent
  double dmin, dmax;
  double angle;              // 0 horizontal, 90 vertical
  double scale, offset;
  int one, two;              // 1, 2
  const double* range;       // the pair min, max
  char kind;                 // 'F'
};
struct host_annoreq {
  int sixty;
  int zero;
  host_gsegid segment;
  void* data;                // data set of the plot, or null
  void* annotate;            // annotate data set
  void* catalog;             // device catalog handle
  double* page_area;         // left, bottom, right, top
  host_annoaxis* haxis;
  host_annoaxis* vaxis;
  // Probability plots: the data-unit coordinates (system '2') on the percent axis
  // (pct_axis 'H' or 'V'), converted by the module to the axis' quantile scale, one
  // per observation in the order the service reads them; NaN marks an observation the
  // module has noted and that is not drawn. Null: the coordinates are used as given.
  const double* pct_coord;
  long pct_count;
  char pct_axis;
};

}  // extern "C"

// What the module reads by name must be laid out as both sides compile it: the
// records the host fills in arrays are walked by sizeof.
static_assert(offsetof(gdevopts, device) == 0 && sizeof(gdevopts::device) == 8);
static_assert(offsetof(host_gtext, word) == 0 && sizeof(host_gtext::font) == 8 && sizeof(host_gtext::color) == 8);
static_assert(offsetof(host_gtext, font) < offsetof(host_gtext, height) &&
              offsetof(host_gtext, height) < offsetof(host_gtext, just) &&
              offsetof(host_gtext, next) < offsetof(host_gtext, colnum));
static_assert(offsetof(host_gbox, c) == 0 && sizeof(host_gbox) == 8 * sizeof(double));
static_assert(sizeof(kes_fillslot::pattern) == 8 && sizeof(kes_fillslot::color) == 8);
static_assert(sizeof(kes_symattr::color) == 8 && sizeof(kes_symattr::symbol_color) == 8);
static_assert(offsetof(host_destlist, count) == 2 && offsetof(host_destentry, count) == 2);
static_assert(offsetof(host_segrec, library) == 0 && sizeof(host_segrec::entry) == 32);
static_assert(offsetof(host_segrec, entry_len) == 8 && offsetof(host_segrec, entry) == 10);
