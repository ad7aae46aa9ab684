// Every text of a graph reads: no two texts of a cell cover each other (a box's rows
// among them) and no reference line runs through a label or a bar's value text, in
// both renderers.
// Close reference lines with labels (a label's width apart, at offsets 0, 1e6 and Unix
// seconds), histograms of 20 to 40 bins with their counts over the bars, and boxes at
// every corner over reference labels.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "../support/runner_graphs.h"
#include "../support/scratch_files.h"
#include "../support/svg_parts.h"
#include "../support/svg_reader.h"

namespace {

// 272 eruptions (1.6 to 5.1 minutes) and waits (43 to 96 minutes) of two kinds, as
// R's faithful has them, drawn from a fixed sequence; a group g in runs.
std::string faithful_csv(double offset) {
  std::ostringstream o;
  o.precision(17);
  o << "eruptions,waiting,g\n";
  unsigned s = 12345;
  for (int i = 0; i < 272; ++i) {
    s = s * 1103515245u + 12345u;
    const double u = ((s >> 8) % 1000) / 1000.0;
    const bool longer = i % 3 != 0;
    const double wait = longer ? 70 + std::round(26 * u) : 43 + std::round(25 * u);
    const double erupt = longer ? 3.5 + std::round(160 * u) / 100 : 1.6 + std::round(140 * u) / 100;
    o << erupt << "," << offset + wait << "," << (i % 4) << "\n";
  }
  return o.str();
}

// 5,307 heights from 94 to 195 in a hill's shape (R's volcano has as many).
std::string volcano_csv() {
  std::ostringstream o;
  o << "height\n";
  for (int r = 0; r < 87; ++r)
    for (int c = 0; c < 61; ++c) {
      const double dx = (r - 43) / 43.0, dy = (c - 30) / 30.0;
      o << 94 + std::lround(101 * std::exp(-1.6 * (dx * dx + dy * dy)) * (0.8 + 0.2 * std::sin(r * c))) << "\n";
    }
  return o.str();
}

struct text_case {
  std::string what;
  std::string data;     // the CSV's name in the folder
  std::string program;  // the statements of one step
};

// The texts that stand in a cell (labels, counts, notes, box rows) and the reference
// lines, piece by piece.
struct drawn {
  std::vector<kes_test::text_item> texts;
  std::vector<kes_test::segment> refs;
  std::vector<kes_test::box> boxes;  // the inset boxes
};

drawn read(const std::string& svg) {
  drawn d;
  const kes_test::graph_parts g = kes_test::read_parts(svg);
  for (const kes_test::text_item& t : g.texts)
    if (kes_test::inside_cell(g, t) && !t.text.empty()) d.texts.push_back(t);
  for (const kes_test::text_box& b : g.boxes)
    if (b.kind == kes_test::box_kind::inset) d.boxes.push_back(b.b);
  for (const kes_test::svg_element& e : kes_test::svg_elements(svg))
    if (e.name == "line" && !e.get("stroke-dasharray").empty())
      d.refs.push_back({e.num("x1"), e.num("y1"), e.num("x2"), e.num("y2")});
  return d;
}

// The faults of one graph: texts that overlap by more than the writer's rounding, and
// reference lines through a text's inside.
std::vector<std::string> faults(const drawn& d) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < d.texts.size(); ++i)
    for (std::size_t j = i + 1; j < d.texts.size(); ++j)
      if (d.texts[i].ink.overlaps(d.texts[j].ink, kes_test::kSlack))
        out.push_back("'" + d.texts[i].text + "' " + kes_test::place(d.texts[i].ink) + " over '" + d.texts[j].text +
                      "' " + kes_test::place(d.texts[j].ink));
  // A note of the cell under a box drawn over it would be hidden, in part or whole.
  for (const kes_test::text_item& t : d.texts)
    for (const kes_test::box& b : d.boxes)
      if (t.in_box < 0 && b.overlaps(t.ink, kes_test::kSlack))
        out.push_back("'" + t.text + "' " + kes_test::place(t.ink) + " under the box " + kes_test::place(b));
  for (const kes_test::text_item& t : d.texts)
    for (const kes_test::segment& s : d.refs)
      if (kes_test::crosses(s, t.ink.shrunk(kes_test::kSlack)))
        out.push_back("a reference line through '" + t.text + "' " + kes_test::place(t.ink));
  return out;
}

void expect_readable(const std::vector<text_case>& cases) {
  kes_test::scratch_dir dir("text-over-text");
  for (double offset : {0.0, 1e6, 1.7e9}) {
    std::ofstream(dir / ("faithful" + std::to_string(static_cast<long long>(offset)) + ".csv")) << faithful_csv(offset);
  }
  std::ofstream(dir / "volcano.csv") << volcano_csv();
  {
    // 200 Unix read times over one day, every 432 seconds.
    std::ofstream times(dir / "times.csv");
    times << "t\n";
    for (int i = 0; i < 200; ++i) times << 1733650000 + 432 * i + (i * 37) % 400 << "\n";
    // R's mtcars hp by carb and am (datasets package): the cells (3, 0) hold three equal
    // values, (6, 1) and (8, 1) one car each.
    std::ofstream mtcars(dir / "mtcars.csv");
    mtcars << "hp,carb,am\n110,4,1\n110,4,1\n93,1,1\n110,1,0\n175,2,0\n105,1,0\n245,4,0\n62,2,0\n95,2,0\n"
              "123,4,0\n123,4,0\n180,3,0\n180,3,0\n180,3,0\n205,4,0\n215,4,0\n230,4,0\n66,1,1\n52,2,1\n"
              "65,1,1\n97,1,0\n150,2,0\n150,2,0\n245,4,0\n175,2,0\n66,1,1\n91,2,1\n113,2,1\n264,4,1\n"
              "175,6,1\n335,8,1\n109,2,1\n";
    std::ofstream pp(dir / "pp.csv");
    pp << "x\n";
    for (int i = 0; i < 20; ++i) pp << (i % 2 == 0 ? 3 : 4) << "\n";
  }
  for (const text_case& k : cases)
    for (const std::string renderer : {"template", "device"}) {
      SCOPED_TRACE(renderer + ": " + k.what + "\n" + k.program);
      const std::string program = "/* " + k.what + " */\nproc kestravine data=" + k.data +
                                  " noprint;\n  " + k.program + "\nrun;\n";
      int status = 0;
      std::string log;
      const auto files = kes_test::run_graphs(dir.path(), program, renderer, &status, &log);
      ASSERT_EQ(status, 0) << log;
      ASSERT_FALSE(files.empty()) << log;
      for (const auto& [name, svg] : files) {
        const drawn d = read(svg);
        for (const std::string& f : faults(d)) ADD_FAILURE() << name << ": " << f;
      }
    }
}

TEST(TextOverText, CloseReferenceLabelsAllRead) {
  std::vector<text_case> cases = {
      {"two labels a label's width apart", "faithful0",
       "var waiting;\n  histogram waiting / normal href=54 55 hreflabels='short wait' 'cutoff';"},
      {"three close lines, labels stacked from the top", "faithful0",
       "var waiting;\n  histogram / href=60 61 62 hreflabels='first line' 'second line' 'third' hreflabpos=2;"},
      {"labels at the foot", "faithful0",
       "var waiting;\n  histogram / href=70 71.5 hreflabels='seventy' 'and a half' hreflabpos=3;"},
      {"two VREF labels on a Q-Q plot", "faithful0",
       "var eruptions;\n  qqplot eruptions / normal(mu=est sigma=est)\n    vref=3 3.1 vreflabels='three minutes' "
       "'three and a tenth';"},
      {"HREF labels over bar counts", "faithful0",
       "var waiting;\n  histogram / barlabel=count href=75 77 hreflabels='Mean F' 'Mean G'\n    vref=10 "
       "vreflabels='A long label for the target count of the waits';"},
  };
  // Two Unix times an hour apart over a day of them, typed over several lines.
  cases.push_back({"two Unix times an hour apart", "times",
                   "var t;\n  histogram t / href=1733686000\n    1733689600 /* an hour later */\n"
                   "    hreflabels='start of shift' 'first break';"});
  // The same lines at offsets where the values are large.
  for (double offset : {1e6, 1.7e9}) {
    const std::string at = std::to_string(static_cast<long long>(offset));
    std::ostringstream p;
    p.precision(17);
    p << "var waiting;\n  histogram waiting / href=" << offset + 54 << " " << offset + 55
      << " /* a minute apart */\n    hreflabels='short wait' 'cutoff' barlabel=count;";
    cases.push_back({"close labels at offset " + at, "faithful" + at, p.str()});
  }
  expect_readable(cases);
}

TEST(TextOverText, BarCountsOfManyBinsRead) {
  std::vector<text_case> cases;
  for (int bins : {20, 25, 30, 35, 40}) {
    cases.push_back({std::to_string(bins) + " bins of heights", "volcano",
                     "var height;\n  histogram / nmidpoints=" + std::to_string(bins) + " barlabel=count;"});
    cases.push_back({std::to_string(bins) + " bins of waits", "faithful0",
                     "var waiting;\n  histogram / nmidpoints=" + std::to_string(bins) +
                         " barlabel=count\n    href=80 hreflabels='long wait';"});
  }
  expect_readable(cases);
}

TEST(TextOverText, BoxesAtEveryCornerKeepOffLabels) {
  std::vector<text_case> cases;
  for (const char* corner : {"ne", "nw", "se", "sw", "n", "s", "e", "w"})
    cases.push_back({std::string("a box at ") + corner, "faithful0",
                     std::string("var waiting;\n  histogram / href=50 80 hreflabels='short wait' 'long wait'\n"
                                 "    vref=5 vreflabels='few';\n  inset n mean std / pos=") +
                         corner + ";"});
  // Over bars with their counts: a box that would cover one moves to a free corner.
  for (const char* corner : {"ne", "nw", "n"})
    cases.push_back({std::string("a box at ") + corner + " over bar counts", "faithful0",
                     std::string("var waiting;\n  histogram / barlabel=count href=80 hreflabels='long wait';\n"
                                 "  inset n mean std / pos=") +
                         corner + ";"});
  cases.push_back({"boxes of groups over bar counts", "faithful0",
                   "var waiting;\n  class g;\n  histogram / barlabel=count nrows=2 href=60 80 hreflabels='sixty' "
                   "'eighty';\n  inset n mean / pos=ne;"});
  // A cell of one value, or of equal values, says so where its boxes leave room.
  for (const char* plot : {"ppplot hp", "cdfplot hp", "qqplot hp", "probplot hp"})
    cases.push_back({std::string("boxes of ") + plot + " by carb and am over cells of one value", "mtcars",
                     std::string("var hp;\n  class carb am;\n  ") + plot + ";\n  inset q1 nmiss cv sum / pos=ne;"});
  cases.push_back({"boxes of a P-P plot at SE, the default, RM and BM", "pp",
                   "var x;\n  ppplot x;\n  inset n / pos=se;\n  inset mean;\n  inset std / pos=rm;\n"
                   "  inset min max / pos=bm;"});
  expect_readable(cases);
}

}  // namespace

namespace {

// The centre of the ink of the text reading `text` in the graph, or NaN.
double centre_of(const std::string& svg, const std::string& text) {
  for (const kes_test::text_item& t : kes_test::read_parts(svg).texts)
    if (t.text == text) return t.cx();
  return NAN;
}

TEST(TextOverText, NoLineComesBetweenALabelAndItsLine) {
  // Lines a percent or a unit apart: each label stands on its own line's side of the
  // other line, so the labels keep the lines' order.
  kes_test::scratch_dir dir("label-order");
  std::ofstream(dir.path() / "faithful.csv") << faithful_csv(0);
  const std::string programs[] = {
      "proc kestravine data=faithful noprint;\n  var waiting;\n  probplot waiting / normal(mu=est sigma=est)\n"
      "    href=50 51 hreflabels='median' 'just past';\nrun;\n",
      "proc kestravine data=faithful noprint;\n  var waiting;\n  histogram waiting / href=54 /* then */ 55\n"
      "    hreflabels='median' 'just past';\nrun;\n",
  };
  for (const std::string& program : programs)
    for (const std::string renderer : {"template", "device"}) {
      SCOPED_TRACE(renderer + "\n" + program);
      int status = 0;
      std::string log;
      const auto files = kes_test::run_graphs(dir.path(), program, renderer, &status, &log);
      ASSERT_EQ(status, 0) << log;
      ASSERT_EQ(files.size(), 1u) << log;
      EXPECT_LT(centre_of(files[0].second, "median"), centre_of(files[0].second, "just past"));
      for (const std::string& f : faults(read(files[0].second))) ADD_FAILURE() << f;
    }
}

}  // namespace
