// The page of a graph template drawn into an SVG file through the SVG writer.
#include <array>
#include <cstring>
#include <memory>
#include <utility>

#include "core/runtime.h"
#include "graph/graph_files.h"
#include "graph/graph_messages.h"
#include "graph/svg_writer.h"
#include "graph/template_canvas.h"
#include "graph/template_graph.h"

#include "host/step_codes.h"

namespace plat::graph {
namespace {

svg_paint to_svg(const paint& p) {
  svg_paint s;
  s.fill = p.fill;
  s.stroke = p.stroke;
  s.stroke_width = p.width;
  s.dash = p.dash;
  s.fill_opacity = p.fill_opacity;
  return s;
}

class svg_canvas : public canvas {
 public:
  void begin(double width, double height, const std::string& title, const std::string& desc) override {
    w_ = std::make_unique<svg_writer>(width, height);
    w_->set_title(title);
    w_->set_desc(desc);
  }
  void rect(double x, double y, double w, double h, const paint& p) override { w_->rect(x, y, w, h, to_svg(p)); }
  void line(double x1, double y1, double x2, double y2, const paint& p) override {
    w_->line(x1, y1, x2, y2, to_svg(p));
  }
  void polyline(const std::vector<point>& pts, const paint& p) override {
    svg_paint s = to_svg(p);
    s.round_joins = true;
    w_->polyline(as_svg(pts), s);
  }
  void polygon(const std::vector<point>& pts, const paint& p) override { w_->polygon(as_svg(pts), to_svg(p)); }
  void point_marker(double x, double y, const paint& p) override { w_->marker(shape(p.marker), to_svg(p), x, y); }
  void point_markers(const point* at, std::size_t n, const paint& p) override {
    w_->markers(shape(p.marker), to_svg(p), as_svg(at, n), n);
  }
  void polyline_begin(const paint& p) override {
    svg_paint s = to_svg(p);
    s.round_joins = true;
    w_->polyline_begin(s);
  }
  void polyline_point(double x, double y) override { w_->polyline_point(x, y); }
  void polyline_points(const point* at, std::size_t n) override { w_->polyline_points(as_svg(at, n), n); }
  void polyline_end() override { w_->polyline_end(); }
  void text(double x, double y, const std::string& s, const text_style& t) override {
    svg_text_style st;
    st.size = t.size;
    st.w = t.bold ? weight::bold : weight::regular;
    st.anchor = t.align == anchor::middle ? svg_anchor::middle : t.align == anchor::end ? svg_anchor::end : svg_anchor::start;
    st.fill = t.colour;
    st.angle = t.rotate;
    w_->text(x, y, s, st);
  }
  void clip_begin(double x, double y, double w, double h) override {
    svg_group g;
    g.clip = w_->clip_rect(x, y, w, h);
    w_->begin_group(g);
  }
  void clip_end() override { w_->end_group(); }
  void end() override { doc_ = w_->finish(); }
  // The page's document, handed over whole.
  std::string take_document() { return std::move(doc_); }

 private:
  std::unique_ptr<svg_writer> w_;
  std::string doc_;
  std::vector<svg_point> piece_;  // points handed to the writer, the room kept

  // The path of each marker shape: made once for the run, all at once, and never
  // changed after, so that no page sees another's half-made table.
  static const std::string& shape(int k) {
    static const std::array<std::string, kMarkerShapes> shapes = marker_paths();
    return shapes[static_cast<std::size_t>(((k % kMarkerShapes) + kMarkerShapes) % kMarkerShapes)];
  }
  static std::array<std::string, kMarkerShapes> marker_paths() {
    std::array<std::string, kMarkerShapes> paths;
    for (int k = 0; k < kMarkerShapes; ++k) {
      std::string& d = paths[static_cast<std::size_t>(k)];
      const std::vector<point> outline = marker_outline(k);
      if (marker_is_strokes(k)) {
        append_path_move(d, outline[0].x, outline[0].y);
        append_path_line(d, outline[1].x, outline[1].y);
        append_path_move(d, outline[2].x, outline[2].y);
        append_path_line(d, outline[3].x, outline[3].y);
      } else {
        for (std::size_t i = 0; i < outline.size(); ++i)
          (i == 0 ? append_path_move : append_path_line)(d, outline[i].x, outline[i].y);
        d += path_close();
      }
    }
    return paths;
  }
  // The points as the writer takes them, in a list kept from one line to the next.
  const std::vector<svg_point>& as_svg(const std::vector<point>& pts) {
    as_svg(pts.data(), pts.size());
    return piece_;
  }
  const svg_point* as_svg(const point* at, std::size_t n) {
    piece_.resize(n);
    for (std::size_t i = 0; i < n; ++i) piece_[i] = {at[i].x, at[i].y};
    return piece_.data();
  }
};

}  // namespace

bool render_template_svg(const out::graph_panel& p, std::string* svg, std::string* why) {
  svg_canvas c;
  if (!draw_template_graph(p, c, why)) return false;
  *svg = c.take_document();
  return true;
}

bool write_template_svg(const out::graph_panel& p, const std::string& path, std::string* why, bool* unwritable) {
  if (unwritable != nullptr) *unwritable = false;
  std::string doc;
  if (!render_template_svg(p, &doc, why)) return false;
  if (!write_graph_document(path, doc, why)) {
    if (unwritable != nullptr) *unwritable = true;
    return false;
  }
  return true;
}

bool draw_panel_file(const out::graph_panel& p, const std::string& path, std::string* why) {
  bool unwritable = false;
  if (write_template_svg(p, path, why, &unwritable)) return true;
  if (unwritable) {
    // A graph the step made but no file holds: the step has failed, and the log says why.
    log_message(kGraphSet, kGraphFileError, path.c_str(), why->c_str());
    raise_step_code(KES_RC_STEP_FAILED);
    *why = "the file " + path + " cannot be written: " + *why;
  } else {
    const std::string label = p.label + " (" + p.description + ")";
    log_message(kGraphSet, kGraphNotDrawn, label.c_str(), why->c_str());
  }
  return false;
}

}  // namespace plat::graph
