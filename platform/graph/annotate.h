// The stand-in's annotate language (the host's annotate service, ganotat): each
// observation of an annotate data set is one drawing instruction on the open graph.
// The language is documented in the README ("Annotate data sets").
//
// The interpreter works on observations already read and hands what it draws to a
// sink, so that it is tested without a device; plat_ganotat reads the data set and
// draws through the host's graphics services.
#pragma once
#include <cmath>
#include <string>
#include <vector>

#include "host/host_graph.h"

namespace plat::graph {

// One observation: the variables it has (absent ones are empty or NaN).
struct anno_obs {
  long number = 0;                  // observation number, for notes
  std::string function;             // upper case; empty: LABEL
  double x = NAN, y = NAN;
  bool has_x = false, has_y = false;
  char xsys = '2', ysys = '2';
  std::string text, color, position;
  double size = NAN, line = NAN, angle = NAN;
  bool noted = false;               // the caller has noted it: not drawn
};

// What the observations draw, in percent of the graphics area (origin bottom-left).
class anno_sink {
 public:
  virtual ~anno_sink() = default;
  virtual void line(double x1, double y1, double x2, double y2, int style, double width, const std::string& colour) = 0;
  // Text at (x, y): halign -1 ends at the point, 0 centred, 1 starts there; valign -1
  // below the point, 0 centred, 1 above.
  virtual void text(double x, double y, const std::string& s, double height, double angle, int halign, int valign,
                    const std::string& colour) = 0;
  virtual void marker(double x, double y, const std::string& name, double size, const std::string& colour) = 0;
  virtual void polygon(const std::vector<double>& xy, const std::string& colour, bool filled) = 0;
  virtual void bar(double x1, double y1, double x2, double y2, const std::string& colour, bool filled) = 0;
  // A note on observation `number`: what is wrong with which variable.
  virtual void note(long number, const std::string& variable, const std::string& what) = 0;
};

// The coordinate frame of the cell: the axis blocks of the annotate request.
struct anno_frame {
  host_annoaxis h{}, v{};
};

// A probability plot's percent-axis coordinates in data units, converted by the
// caller (host_annoreq::pct_coord), replace the values read; NaN marks an observation
// the caller has noted, which is not drawn.
void use_percent_coords(const host_annoreq* req, std::vector<anno_obs>* obs);

// Draws the observations in order. Returns the number of observations drawn.
int annotate_run(const std::vector<anno_obs>& obs, const anno_frame& f, anno_sink& sink);

}  // namespace plat::graph
