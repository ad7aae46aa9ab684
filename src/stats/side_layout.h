// The page of the side-by-side box plots of all BY groups: a grid of rows (the plot
// body from row 0 at the bottom up to row H, then one row per BY variable) by P
// slots of 8-character cells, each row with a label of its value in lw characters
// (8 unless more are needed to read true), a blank and the axis mark.
#pragma once

struct kes_ctx;

// Widest body the page allows (line sizes up to 256).
constexpr int KES_SIDE_MAXWIDTH = 272;
// Characters of a row's value: eight, up to the most the shortest exact text of a
// double takes; a label field holds them, a blank and the axis mark.
constexpr int KES_SIDE_LABEL = 8;
constexpr int KES_SIDE_MAXLABEL = 24;
constexpr int KES_SIDE_MAXFIELD = KES_SIDE_MAXLABEL + 2;

struct kes_sidepage {
  int H;           // top row of the plot body
  int R;           // rows in all: H + 1 + BY variables
  int P;           // slots (boxes) per page
  int W;           // width of the body: 12 P + 12
  int c;           // print column of the label field
  int lw;          // characters of the values in the label field
  int top;         // highest body row printed
  char* labels;    // R labels of lw + 2 characters, KES_SIDE_MAXFIELD apart
  char* grid;      // R x P cells of 8 characters, row by row
  char* cell(int row, int slot) const { return grid + (static_cast<long>(row) * P + slot) * 8; }
  char* label(int row) const { return labels + static_cast<long>(row) * KES_SIDE_MAXFIELD; }
  int field() const { return lw + 2; }
};

// Prints one page of n boxes (page counts from 0 within the variable) and blanks
// the grid; the result of the closing output call.
int ssplot(kes_ctx* ctx, int page, kes_sidepage* sp, int n);
// Sets heading lines 2 to 4 for variable v and clears the lines after them.
void kesshdr(kes_ctx* ctx, int v);
