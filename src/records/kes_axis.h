// The axis record of a plot request's device layout, as the axis definition named by
// HAXIS= or VAXIS= fills it, and the text lines of its label and tick values.
#pragma once
#include <cstdint>

#include "host/host_catalog.h"

// One line of axis text: its justification and its chain of text pieces.
struct kes_textline {
  int just;              // 1 left, 2 right, 4 centre
  int pieces;            // text pieces of the line
  host_gtext* first;     // first text record
  kes_textline* next;    // next line
};

// The default text records of an axis definition: label, then tick values.
struct kes_axisdef {
  host_gtext label;
  host_gtext value;
};

// Orientation codes of axis texts.
enum kes_text_orient : int { KES_ORIENT_DEFAULT = 0 };

struct kes_axis {
  double origin[2];          // origin x, y (-1: none)
  double length;             // axis length (-1: none)
  std::int16_t origin_unit[2];
  std::int16_t length_unit;
  double offset[2];          // before and after the data range (-1: none)
  double hdr68;              // copied from the definition's header
  double major_len, minor_len;
  double value_rot, value_angle, label_rot, label_angle;
  int value_pieces;          // Q items of the value texts
  int lines;                 // text lines started
  int nseq;                  // sequential value texts (no T item)
  int value_orient, label_orient;
  int max_tick;              // highest T number
  // ORDER= values. 'order_present' is set whenever the definition has ORDER=, also
  // when the values are not read (bins given on the statement, a percentile axis);
  // only 'norder' values are ever read from 'order'.
  int norder;
  double* order;
  std::uint8_t order_present;
  int value_just, label_just;          // justification of the two heads
  host_gtext* value_default;           // the value half of the axisdef
  host_gtext* label_default;           // the label half of the axisdef
  host_gtext** seq_texts;              // one per Q item without T items
  kes_textline** tick_texts;           // per tick number - 1
  kes_textline* label_lines;
  kes_textline* value_lines;
  std::int16_t width, major_width, minor_width;
  std::int16_t hdr106;
  std::int16_t major_count, minor_count;
  std::int16_t hdr94;
  char color[8], major_color[8], minor_color[8];
  std::uint8_t value_none, label_none, major_none, minor_none;
  char hjust, vjust;
  std::uint8_t label_given, label_text;
  kes_axisdef* def;
};
