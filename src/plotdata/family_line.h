// The line of a QQ, probability, P-P or CDF plot's family as its statement restyles it:
// the family's single COLOR=, W= and L= values, read alike by the device chart and the
// template graphs.
#pragma once

struct kes_stmt;

struct kes_family_line {
  bool color_given = false;
  char color[8] = {};  // blank-padded colour name
  bool width_given = false;
  int width = 1;       // W= truncated, at least 1
  bool type_given = false;
  int type = 1;        // L= truncated, 1 for a negative value
};

// COLOR=, W= and L= option slots by element kind (0..7 families, 8 two-parameter
// Weibull, 9 kernel). ORDER kes_distcode
extern const int kes_family_color_slots[10];
extern const int kes_family_width_slots[10];
extern const int kes_family_line_slots[10];

// The options of family dist (0..8) on the plot statement; nothing given for another code.
kes_family_line kes_family_line_of(const kes_stmt* st, int dist);
