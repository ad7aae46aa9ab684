// The device-graphics layout of one plot request. Its head holds the output
// destinations of the chart: the caller fills the manager and root objects, zqidest
// and kesgini fill the rest; the page and panel fields follow.
#pragma once
#include <cmath>
#include <cstdint>

#include "host/host_anchor.h"
#include "host/host_graph.h"
#include "records/kes_axis.h"
#include "records/kes_chart.h"

struct kes_layout {
  // ---- destinations ----
  gdevopts* gopts;          // options record of the current destination
  void* manager;            // the output manager object
  void* root;               // the root output object
  host_pool* destpool;      // pool of the destination list, its records and tables
  host_destlist* destlist;  // the open destinations (host-owned until released)
  void* destname;           // text handle: the current destination's name
  void* segname;            // text handle: the current segment's 8-character name
  void* seglabel;           // text handle: the current segment's label
  int catalog_given;        // 1 when the PROC statement gave GOUT=
  int direct;               // 1 when the device draws directly: one pass, no lists
  int publish_setup;        // GOPT_PUBLISH as found at set-up
  int publish_started;      // GOPT_PUBLISH after the device was started
  int destindex;            // index of the current destination, from 0
  void* collection;         // associative array of the per-destination lists
  char library[8];          // GOUT= library, blanks when not given
  host_gsegid segid;        // copied from the segment handle after each opening
  std::int16_t entry_len;   // catalog entry name: GOUT=, else "GSEG" or the destination
  char entry[32];
  // ---- page ----
  double* page_area;        // the step's page area: left, bottom, right, top
  host_gsegid segment;      // filled by the host when a segment is opened
  void* catalog;            // the device catalog handle of the step
  int page_count;           // pages of the request
  int page_number;          // page being drawn, from 1
  kes_axis haxis;           // horizontal axis
  kes_axis vaxis;           // vertical axis
  // Data values to panel coordinates: x' = 2^xexp x * xscale + xoffset, likewise y
  // (kes_page_x, kes_page_y). The power of two is 0 but for an axis so narrow that
  // its page units per data unit pass the largest double (subnormal data): its values
  // are taken up into the normal doubles first, so that the scale stays finite.
  double xscale, xoffset, yscale, yoffset;
  int xexp, yexp;
  kes_chart c;              // page and panel layout of the chart being drawn
};

inline double kes_page_x(const kes_layout* l, double x) { return std::ldexp(x, l->xexp) * l->xscale + l->xoffset; }
inline double kes_page_y(const kes_layout* l, double y) { return std::ldexp(y, l->yexp) * l->yscale + l->yoffset; }
// Panel coordinates back to data values.
inline double kes_data_x(const kes_layout* l, double x) { return std::ldexp((x - l->xoffset) / l->xscale, -l->xexp); }
inline double kes_data_y(const kes_layout* l, double y) { return std::ldexp((y - l->yoffset) / l->yscale, -l->yexp); }
