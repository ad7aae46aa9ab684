// The page and panel layout of one device chart: text sizes, margins, gaps, the plot
// area and the colours of the page, as the margin, geometry and colour resolvers
// leave them for the drawers. One record sits in each request's device layout and is
// recomputed for every destination. Lengths are in percent of the graphics area:
// horizontal ones of its width, vertical ones of its height.
#pragma once
#include <cstdint>

#include "host/host_graph.h"
#include "host/kes_tick_text.h"

// The resolved colours and line attributes of a page. Colours are device colour
// numbers; -1 means not drawn or not filled.
struct kes_colorset {
  int text;           // tick values; default of the other texts
  int label;          // axis labels
  int data;           // texts inside the data area
  int side, top;      // panel labels
  int vref, href;     // reference lines
  int vreflab, hreflab;
  int grid, grid_width, grid_style;
  int frame_fill;     // the walls; -1 none
  int prop;           // the CPROP bar; -1 none
  int top_header, side_header;
  int outline, outline_width, outline_style;  // bar outlines
  int fill2;          // swatch beside a count label
  int ref_width;      // HREF and VREF lines
  int href_style, vref_style;
  int frame, frame_width, frame_style;
  char fill2_char;    // 'S' solid, 'E' empty, 'N' none
  int on_wall;        // texts over the walls: cell notes, bar labels
  std::uint8_t hreflab_own, vreflab_own;  // the program chose the reference labels' colours
};

// What the drawers of one axis need besides its definition record (kes_axis).
struct kes_axisdraw {
  double start[2];        // x and y where the axis line starts
  double value_extent;    // largest extent of a tick value across the axis
  double label_extent;    // total extent of the label lines across their direction
  double widest_value;    // widest definition or explicit tick-value text
  double widest_label;    // longest label line
  int line_colour, major_colour, minor_colour;
  int line_type;
  std::uint8_t format;    // tick values in the analysis variable's format
  std::uint8_t stacked;   // label drawn as stacked characters
};

// Edge flags of the current panel.
enum kes_edge : int {
  KES_EDGE_LEFT_LABEL,
  KES_EDGE_RIGHT_LABEL,
  KES_EDGE_LEFT_TICKS,
  KES_EDGE_BOTTOM,
  KES_EDGE_TOP,
  KES_EDGE_RIGHT_TICKS,
  KES_NEDGES
};

// Notes given at most once per chart.
enum kes_chartnote : int {
  KES_NOTE_LABEL_REPLACED,
  KES_NOTE_COUNT_LABEL,
  KES_NOTE_HSHRINK,
  KES_NOTE_VSHRINK,
  KES_NOTE_HVALUES_STOP,
  KES_NCHARTNOTES
};

struct kes_chart {
  // Data range of the overall plot record.
  double xmin, xmax, binwidth;
  // Text heights.
  double label_h, text_h, inset_h;
  // Margins (the second copies are kept as the layout keeps them).
  double lmargin, rmargin, lmargin2, bmargin, tmargin, bmargin2;
  double vtick_unit, htick_unit;   // one vertical and one horizontal tick unit
  double value_h;                  // kept under the horizontal axis for its values
  double vgap_tv;                  // horizontal axis: ticks to values, vertically
  double hgap_tv;                  // vertical axis: ticks to values, horizontally
  double barwidth, bargap;
  double hcellgap, vcellgap;       // between panels
  double linegap;                  // between text lines
  double leg1, leg2, leg3;         // legend spacings
  double hwidest;                  // widest horizontal tick value (legend label width)
  double hwidest_ticks;            // the request's widest horizontal tick value (thinning)
  double hend_w[2];                // widths of the first and the last horizontal tick value
  double legswatch;
  double bspace, tspace;           // below and above the plot area
  double height, width;            // one cell's plot area
  double ox, oy;                   // its lower-left corner
  double lroom, troom;             // panel-label rooms left of and above it
  double vlabroom;                 // width kept for the vertical label
  double legtitle_w;
  double propband;
  double cw, ch, aspect;           // character cell and aspect factor of the device
  double anchors[4];               // axis line starts of the first panel position
  double pagearea[4];              // left, bottom, right, top
  int pages, page;
  int legrows, legcols;
  int prow, pcol;                  // current panel row (from 0 at the bottom) and column
  int hstep;                       // every (hstep + 1)-th horizontal tick has a value
  kes_tick_style hstyle, vstyle;   // form of the tick values: each its own until set
  char legtitle[16];
  char labfont[8], valfont[8], datafont[8], insetfont[8];
  std::uint8_t stacked;            // vertical texts drawn as stacked characters
  std::uint8_t celldev;            // the device measures in character cells
  std::uint8_t edge[KES_NEDGES];
  std::uint8_t noted[KES_NCHARTNOTES];
  std::uint8_t style;              // an output style is in force
  std::uint8_t stands;             // the cell drawn stands its bars on 0 while others hang
  kes_colorset colors;
  kes_axisdraw hx, vx;             // horizontal and vertical axis
  // Resolved from the plot statement for the chart.
  char font[8];                    // FONT=, resolved; blanks when not given
  char caxis[8], ctext[8], cframe[8];
  kes_symattr* symattr;            // general entries, templates, then curve entries
  kes_symattr* curve_attr;         // first curve entry
  int nsymattr;
  kes_fillslot fill[3];
  std::uint8_t lhref_noted, lvref_noted, vreflabpos_noted;
};
