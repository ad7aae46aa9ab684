// The stand-in's annotate language: coordinate systems (percent of the data area, data
// values, percent of the graphics area and the relative forms), each function, and
// the notes that name the observation and the variable it cannot use.
#include <gtest/gtest.h>

#include <sstream>

#include "graph/annotate.h"

namespace {

using namespace plat::graph;

struct recording : anno_sink {
  std::vector<std::string> out;
  static std::string n(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
  }
  void line(double x1, double y1, double x2, double y2, int style, double width, const std::string& c) override {
    out.push_back("line " + n(x1) + "," + n(y1) + " " + n(x2) + "," + n(y2) + " l" + std::to_string(style) + " w" + n(width) + " " + c);
  }
  void text(double x, double y, const std::string& s, double h, double a, int ha, int va, const std::string& c) override {
    out.push_back("text " + n(x) + "," + n(y) + " '" + s + "' h" + n(h) + " a" + n(a) + " " + std::to_string(ha) + "/" +
                  std::to_string(va) + " " + c);
  }
  void marker(double x, double y, const std::string& name, double size, const std::string& c) override {
    out.push_back("marker " + n(x) + "," + n(y) + " " + name + " " + n(size) + " " + c);
  }
  void polygon(const std::vector<double>& xy, const std::string& c, bool filled) override {
    std::string t = "polygon";
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) t += " " + n(xy[i]) + "," + n(xy[i + 1]);
    out.push_back(t + " " + c + (filled ? " filled" : " empty"));
  }
  void bar(double x1, double y1, double x2, double y2, const std::string& c, bool filled) override {
    out.push_back("bar " + n(x1) + "," + n(y1) + " " + n(x2) + "," + n(y2) + " " + c + (filled ? " filled" : " empty"));
  }
  void note(long number, const std::string& var, const std::string& what) override {
    out.push_back("note " + std::to_string(number) + " " + var + " " + what);
  }
};

// The data area starts at (10, 20), 80 wide and 60 high; data x maps as 2x + 10, data
// y as 3y + 20.
anno_frame frame() {
  anno_frame f;
  f.h.start = 10, f.h.length = 80, f.h.scale = 2, f.h.offset = 10;
  f.v.start_other = 20, f.v.length = 60, f.v.scale = 3, f.v.offset = 20;
  return f;
}

anno_obs at(const char* fn, double x, double y, char xs = '2', char ys = '2') {
  anno_obs o;
  o.function = fn;
  o.x = x, o.y = y, o.has_x = o.has_y = true;
  o.xsys = xs, o.ysys = ys;
  static long n = 0;
  o.number = ++n;
  return o;
}

TEST(Annotate, CoordinateSystemsAndRelativeMoves) {
  std::vector<anno_obs> obs = {at("MOVE", 50, 50, '1', '1'),  // (50, 50) -> (50, 50)
                               at("DRAW", 5, 10, '2', '2'),   // data: (20, 50)
                               at("DRAW", 10, 5, '3', '3'),   // graphics area: (10, 5)
                               at("DRAW", 50, 50, '7', '7'),  // + 40, + 30
                               at("DRAW", 1, 1, '8', '8'),    // + 2, + 3
                               at("DRAW", 1, -1, '9', '9')};  // + 1, - 1
  recording r;
  EXPECT_EQ(annotate_run(obs, frame(), r), 6);
  EXPECT_EQ(r.out, (std::vector<std::string>{"line 50,50 20,50 l1 w1 ", "line 20,50 10,5 l1 w1 ",
                                             "line 10,5 50,35 l1 w1 ", "line 50,35 52,38 l1 w1 ",
                                             "line 52,38 53,37 l1 w1 "}));
}

TEST(Annotate, LabelsSymbolsPolygonsAndBars) {
  anno_obs label = at("LABEL", 0, 0, '3', '3');
  label.text = "Peak";
  label.position = "3";
  label.size = 4;
  label.angle = 30;
  label.color = "red";
  anno_obs sym = at("SYMBOL", 1, 1, '3', '3');
  sym.text = "DOT";
  anno_obs p1 = at("POLY", 0, 0, '3', '3');
  p1.color = "blue";
  anno_obs p2 = at("POLYCONT", 10, 0, '3', '3');
  anno_obs p3 = at("POLYCONT", 10, 10, '3', '3');
  anno_obs bar = at("BAR", 20, 20, '3', '3');
  bar.text = "empty";
  recording r;
  annotate_run({label, sym, p1, p2, p3, bar}, frame(), r);
  EXPECT_EQ(r.out, (std::vector<std::string>{"text 0,0 'Peak' h4 a30 1/1 red", "marker 1,1 DOT 2 ",
                                             "polygon 0,0 10,0 10,10 blue filled", "bar 10,10 20,20  empty"}));
}

TEST(Annotate, ObservationsItCannotUseAreNotedByNumberAndVariable) {
  anno_obs bad_fn = at("CIRCLE", 1, 1);
  anno_obs no_x = at("DRAW", 1, 1);
  no_x.has_x = false;
  anno_obs bad_sys = at("MOVE", 1, 1, '5', '2');
  anno_obs blank = at("LABEL", 1, 1);
  anno_obs cont = at("POLYCONT", 1, 1);
  anno_obs pos = at("LABEL", 1, 1, '3', '3');
  pos.text = "t";
  pos.position = "X";
  recording r;
  EXPECT_EQ(annotate_run({bad_fn, no_x, bad_sys, blank, cont, pos}, frame(), r), 1);
  ASSERT_EQ(r.out.size(), 7u);
  EXPECT_EQ(r.out[0].substr(0, r.out[0].find(' ', 5)), "note " + std::to_string(bad_fn.number));
  EXPECT_NE(r.out[0].find(" FUNCTION 'CIRCLE'"), std::string::npos);
  EXPECT_NE(r.out[1].find(" X is missing"), std::string::npos);
  EXPECT_NE(r.out[2].find(" XSYS '5'"), std::string::npos);
  EXPECT_NE(r.out[3].find(" TEXT is blank"), std::string::npos);
  EXPECT_NE(r.out[4].find(" FUNCTION POLYCONT"), std::string::npos);
  EXPECT_NE(r.out[5].find(" POSITION 'X'"), std::string::npos);
  // The label is still drawn, centred on its point.
  EXPECT_EQ(r.out[6], "text 1,1 't' h2.5 a0 0/0 ");
}

}  // namespace

#include "core/host_routines.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "support/scratch_files.h"

namespace {

// The service reads the data set itself: its notes name the data set and observation.
TEST(AnnotateService, ReadsTheDataSetAndNotesWhatItCannotUse) {
  kes_test::scratch_work work("annosvc");
  work.write_file("anno.csv", "function,x,y,xsys,ysys,text\nlabel,50,50,1,1,Peak\ncircle,1,1,2,2,\nmove,,2,3,3,\n");
  std::string err;
  plat::dataset* ds = plat::open_input("", "anno", &err);
  ASSERT_NE(ds, nullptr) << err;
  host_annoaxis h{}, v{};
  h.length = v.length = 100, h.scale = v.scale = 1;
  host_annoreq req{};
  req.annotate = plat::handle(ds);
  req.haxis = &h, req.vaxis = &v;
  EXPECT_EQ(plat_ganotat(&req), 0);
  const std::string log = work.log();
  EXPECT_NE(log.find("observation 2: FUNCTION 'CIRCLE' is not an annotate function"), std::string::npos) << log;
  EXPECT_NE(log.find("observation 3: X is missing"), std::string::npos) << log;
  req.annotate = nullptr;
  EXPECT_EQ(plat_ganotat(&req), 1);
  plat::finish_step();
}

// A probability plot's converted coordinates replace the data values read on the
// percent axis (and only those: percent of the data area stays as given); an
// observation the caller marked (NaN) is left out without a note of its own. Across,
// then up the page.
TEST(Annotate, ConvertedPercentAxisCoordinatesReplaceTheDataValues) {
  const double q[4] = {-1.25, 999, NAN, 1.5};
  for (const char axis : {'H', 'V'}) {
    const bool v = axis == 'V';
    auto pt = [&](const char* fn, double pct, double other, char sys) {
      return v ? at(fn, other, pct, '2', sys) : at(fn, pct, other, sys, '2');
    };
    std::vector<anno_obs> obs = {pt("SYMBOL", 10, 1, '2'), pt("SYMBOL", 50, 1, '1'), pt("SYMBOL", 0, 1, '2'),
                                 pt("SYMBOL", 90, 1, '2')};
    host_annoreq req{};
    req.pct_coord = q, req.pct_count = 4, req.pct_axis = axis;
    use_percent_coords(&req, &obs);
    recording r;
    annotate_run(obs, frame(), r);
    const std::vector<std::string> want =
        v ? std::vector<std::string>{"marker 12,16.25 CIRCLE 2 ", "marker 12,50 CIRCLE 2 ", "marker 12,24.5 CIRCLE 2 "}
          : std::vector<std::string>{"marker 7.5,23 CIRCLE 2 ", "marker 50,23 CIRCLE 2 ", "marker 13,23 CIRCLE 2 "};
    EXPECT_EQ(r.out, want) << axis;
  }
}

}  // namespace
