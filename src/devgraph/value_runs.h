// Tick values written along an axis of a device chart, kept from reading as one number
// with a neighbour: one of the same axis, or the first value of the next column (or,
// up a vertical axis, the next row) of cells.
#pragma once

// Values of one axis: a value is written when it starts beyond where the last written
// one ended, and more than `gap` beyond it (a blank's width) when one was written.
struct kes_value_run {
  double right_end = 0;
  bool written = false;
  bool admit(double left, double length, double gap = 0) {
    if (!(left > right_end + (written ? gap : 0))) return false;
    right_end = left + length;
    written = true;
    return true;
  }
};

// Values of one cell's axis on a page of several columns or rows: the next cell repeats
// the axis `pitch` further on, so its first value begins a pitch after this axis' first.
// The first value asked about is this axis' first.
class kes_next_cell {
 public:
  explicit kes_next_cell(double pitch) : pitch_(pitch) {}
  // Whether a value from left, length long, ends more than gap (a blank's width
  // across, a descender's room up) before the next cell's first value.
  bool clear(double left, double length, double gap) {
    if (!seen_) next_left_ = left + pitch_, seen_ = true;
    return left + length + gap < next_left_;
  }

 private:
  double pitch_;
  double next_left_ = 0;
  bool seen_ = false;
};
