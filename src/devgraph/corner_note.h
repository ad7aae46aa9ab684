// A short note of a device cell that draws some of its points: it stands in a corner
// of the plot area that holds none of them nor its line (the lower right first, as the template's
// note does), else in the corner that holds fewest, on one line shrunk to the area's
// width.
#pragma once
#include <string>

struct kes_ctx;

class kes_corner_note {
 public:
  // The corners are measured for `widest`, the longest text the note may take.
  kes_corner_note(kes_ctx* ctx, const std::string& widest);
  // Points drawn in the cell, in device units.
  void see(const double* xy, int n);
  // A line drawn in the cell, x1 y1 x2 y2 in device units.
  void see_line(const double* ends);
  void draw(const std::string& text) const;

 private:
  static constexpr int kCorners = 4;  // lower right, upper left, upper right, lower left
  kes_ctx* ctx_;
  double height_ = 0;  // the text's height, shrunk to the area's width
  double x0_[kCorners] = {}, x1_[kCorners] = {}, y0_[kCorners] = {}, y1_[kCorners] = {};
  long held_[kCorners] = {};
};
