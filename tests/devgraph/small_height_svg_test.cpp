// Texts asked smaller than the least height that reads (HEIGHT=, INHEIGHT= of a
// fraction of a percent) are drawn at that height in rooms made for it: no device text
// below 6 px, none over another, none across a box's edge, none off the page, at every
// box place, on OVERLAY and CLASS cells, with values in the billions or the millions.
// A cell's note meets no box: where every place it may take does, it is left out (the
// log names the cell).
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/runner_graphs.h"
#include "../support/scratch_files.h"
#include "../support/svg_parts.h"
#include "../support/svg_rules.h"

namespace {

// n values in three groups from a fixed sequence, moved to `offset` and spread by
// `scale`; group "c" holds one value only when `lone` is set.
std::string groups_csv(double offset, double scale, int n, bool lone) {
  std::ostringstream o;
  o.precision(17);
  o << "x,g,h\n";
  unsigned s = 9001;
  for (int i = 0; i < n; ++i) {
    s = s * 1103515245u + 12345u;
    const double u = static_cast<double>((s >> 8) % 10000) / 10000.0;
    const char g = lone ? (i == 0 ? 'c' : static_cast<char>('a' + i % 2)) : static_cast<char>('a' + i % 3);
    o << offset + scale * (u * u + 0.1 * (i % 7)) << "," << g << "," << i % 2 << "\n";
  }
  return o.str();
}

// The faults of the rules about texts on a page, and every text below 6 px.
void expect_texts_read(const std::vector<std::pair<std::string, std::string>>& files) {
  for (const auto& [name, svg] : files) {
    for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg))
      EXPECT_TRUE(f.rule != kes_test::kRuleTextsOver && f.rule != kes_test::kRuleTextAcrossBox &&
                  f.rule != kes_test::kRuleTextOffPage)
          << name << ": " << f.rule << ": " << f.detail;
    for (const kes_test::text_item& t : kes_test::read_parts(svg).texts)
      if (!t.text.empty()) {
        EXPECT_GE(t.size, 6) << name << ": '" << t.text << "' " << kes_test::place(t.ink);
        // A number cut short reads another number.
        EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(t.text[0])) && t.text.find("\xE2\x80\xA6") != std::string::npos)
            << name << ": '" << t.text << "' " << kes_test::place(t.ink);
      }
  }
}

// The program run on the device in dir, its pages held to the rules above.
void drawn_texts_read(const kes_test::scratch_dir& dir, const std::string& program) {
  int status = 0;
  std::string log;
  const auto files = kes_test::run_graphs(dir.path(), program, "device", &status, &log);
  ASSERT_EQ(status, 0) << log;
  ASSERT_FALSE(files.empty()) << log;
  expect_texts_read(files);
}

TEST(SmallHeight, TextsAskedTooSmallReadApart) {
  const char* plots[] = {
      "probplot x / overlay height=@;",
      "class g;\n  probplot x / overlay height=@;",
      "class g;\n  probplot x / height=@ rotate;",
      "class g;\n  qqplot x / normal(mu=est sigma=est) pctlaxis(grid) height=@;",
      "class g;\n  histogram x / normal barlabel=count height=@ inheight=@;",
      "class g;\n  cdfplot x / normal height=@;",
      "class g h;\n  ppplot x / height=@;",
  };
  const char* places[] = {"ne", "nw", "se", "sw", "n", "s", "e", "w"};
  kes_test::scratch_dir dir("small-height");
  int k = 0;
  for (const auto& [offset, scale] : {std::pair{1.7e9, 100.0}, std::pair{0.0, 3.0e6}}) {
    std::ofstream(dir.path() / "d.csv") << groups_csv(offset, scale, 60, false);
    for (const char* plot : plots)
      for (const char* height : {"0.25", "0.5", "1"}) {
        std::string statement = plot;
        for (std::size_t at; (at = statement.find('@')) != std::string::npos;) statement.replace(at, 1, height);
        const std::string program = "proc kestravine data=d noprint;\n  " + statement +
                                    "\n  inset n mean std / pos=" + places[k++ % 8] + ";\nrun;\n";
        SCOPED_TRACE(program + "values about " + std::to_string(offset) + " by " + std::to_string(scale));
        drawn_texts_read(dir, program);
      }
  }
}

// Cells of one value say so in a corner their boxes leave free, or not at all: a box
// of five rows at every place over cells of one value and cells of many.
TEST(SmallHeight, ACellNoteMeetsNoBox) {
  kes_test::scratch_dir dir("note-box");
  for (const auto& [offset, scale] : {std::pair{1.7e9, 100.0}, std::pair{0.0, 3.0e6}}) {
    std::ofstream(dir.path() / "d.csv") << groups_csv(offset, scale, 21, true);
    for (const char* plot : {"ppplot x", "cdfplot x", "qqplot x", "probplot x"})
      for (const char* pos : {"ne", "nw", "se", "sw", "n", "s", "e", "w"}) {
        const std::string program = std::string("proc kestravine data=d noprint;\n  class g h;\n  ") + plot +
                                    ";\n  inset qn sn std_gini std_mad std_qn / pos=" + pos + ";\nrun;\n";
        SCOPED_TRACE(program);
        drawn_texts_read(dir, program);
      }
  }
}

// Texts the page shrinks to their rooms (a level label longer than its strip, bar
// values over narrow bins at a small INHEIGHT=) read at 6 px or more: a label cut
// with an ellipsis, values left out where they would not fit.
TEST(SmallHeight, ShrunkTextsStayReadable) {
  kes_test::scratch_dir dir("shrunk-texts");
  const std::string level(150, 'L');
  for (const auto& [offset, scale] : {std::pair{1.7e9, 100.0}, std::pair{0.0, 3.0e6}}) {
    std::string csv = groups_csv(offset, scale, 90, false);
    for (std::size_t at = 0; (at = csv.find(",a,", at)) != std::string::npos; at += level.size())
      csv.replace(at + 1, 1, level);
    std::ofstream(dir.path() / "d.csv") << csv;
    for (const char* plot : {"class g;\n  histogram x / barlabel=count nmidpoints=40 inheight=0.5;",
                             "class g;\n  histogram x / barlabel=percent nmidpoints=30 inheight=0.5;",
                             "class g;\n  histogram x / barlabel=proportion nmidpoints=70 inheight=0.5;",
                             "class g;\n  histogram x / barlabel=percent nmidpoints=25 height=0.5;",
                             "class g;\n  probplot x / ncols=3 nrows=1;", "class g h;\n  cdfplot x / height=1;"}) {
      const std::string program = std::string("proc kestravine data=d noprint;\n  ") + plot + "\nrun;\n";
      SCOPED_TRACE(program);
      drawn_texts_read(dir, program);
    }
  }
}

}  // namespace
