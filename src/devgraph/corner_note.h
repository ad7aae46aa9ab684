// A short note of a device cell: it stands in a corner of the plot area that holds none
// of its points, its line nor its inset boxes (the lower right first, as the
// template's note does; then the middle of a side), on one line, or, where no place has
// room for the one line, on two lines of half its length; else in the place that holds
// fewest, on one line shrunk to the area's width. A place that meets a box is never
// taken: where every place does, the note is not drawn (the log names the cell).
#pragma once
#include <string>
#include <vector>

#include "host/kes_text_room.h"

struct kes_ctx;

class kes_corner_note {
 public:
  // The corners are measured for `widest`, the longest text the note may take.
  kes_corner_note(kes_ctx* ctx, const std::string& widest);
  // Points drawn in the cell, in device units.
  void see(const double* xy, int n);
  // A line drawn in the cell, x1 y1 x2 y2 in device units.
  void see_line(const double* ends);
  // Boxes drawn over the area: a place whose text one meets is barred.
  void see_rooms(const std::vector<kes_room>& rooms);
  // Whether the note reads at the height the area leaves it; one that does not is not
  // drawn.
  bool readable() const;
  // Whether some corner, on one line or two, holds none of what was seen.
  bool has_clear_corner() const;
  void draw(const std::string& text) const;

 private:
  // lower right, upper left, upper right, lower left, then the middles of the right
  // and the left side
  static constexpr int kCorners = 6;
  static constexpr int kForms = 2;    // the note on one line, on two
  kes_ctx* ctx_;
  double height_ = 0;  // the text's height, shrunk to the area's width
  double x0_[kForms][kCorners] = {}, x1_[kForms][kCorners] = {}, y0_[kForms][kCorners] = {},
         y1_[kForms][kCorners] = {};
  long held_[kForms][kCorners] = {};
  bool barred_[kForms][kCorners] = {};
};
