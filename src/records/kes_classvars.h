// The CLASS-variables record: the CLASS variables (at most two) of the PROC
// statement or of a plot request, their current level texts and the cells of the
// current BY group.
#pragma once
#include <cstdint>

#include "records/kes_text_desc.h"

struct kes_cell;

constexpr int KES_MAX_CLASS = 2;

// Width below which the level text of a group label is never made.
constexpr int KES_LEVEL_TEXT_MIN = 16;

struct kes_classvar {
  int varnum;              // number in the input data set
  int type;                // 1 numeric, 2 character
  int length;              // the variable's length
  kes_textdesc key;        // current key text (character variables)
  kes_textdesc fmt;        // current formatted text; width = the format's width
  double value;            // current value
  int order;               // ORDER= code: 0 FREQ, 1 DATA, 2 INTERNAL, 3 FORMATTED
  int keep_missing;        // MISSING: missing values form a level
  kes_textdesc keylevel;   // KEYLEVEL= text, length 0 when not given
  kes_name32 name;         // blank-padded name
  std::uint16_t label_len; // 0: no label
  char label[256];         // blank-filled
  std::uint8_t label_shown;// set when the label is not empty
};

struct kes_classvars {
  int count;                       // number of CLASS variables, 0..2
  kes_classvar var[KES_MAX_CLASS];
  kes_cell* cur_level;             // the current observation's level cell
  kes_cell* cur_child;             // and child cell
  kes_cell* spare;                 // spare cell for the next new level
  int nlevels;                     // number of level cells
  int nlevels2;                    // number of distinct second-variable levels
  kes_cell* levels;                // level tree root, then the level list head
  kes_cell* keycell;               // key cell
  int keep_order;                  // NOKEYMOVE: the key cell is not moved first
  int cellsize;                    // bytes of one cell with its text buffers
  int keypos;                      // byte position of the key in a cell
  void* grid;                      // cell grid (levels by second-variable levels)
  void* labels1;                   // first-variable label array
  void* labels2;                   // second-variable label array
  int level_text_width;            // width of the level text of group labels
  char* level_text;                // that text's buffer (BY-group pool)
};
