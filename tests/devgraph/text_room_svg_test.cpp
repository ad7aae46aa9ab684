// No device text below 6 px where a text meets too little room: a BY line longer than
// the page is cut with an ellipsis at 6 px (a start of the whole line), and an inset
// box that would shrink its texts below 6 px to fit its frame is left out, the log
// saying so; an inset HEIGHT= below 6 px draws at 6 px.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/runner_graphs.h"
#include "../support/scratch_files.h"
#include "../support/svg_parts.h"
#include "../support/svg_rules.h"

namespace {

const std::string kCut = "\xE2\x80\xA6";

// n values of x from a fixed sequence, moved to offset, in groups g (by_len long
// each, three of them) and h (two).
std::string data_csv(double offset, int n, std::size_t by_len) {
  std::ostringstream o;
  o.precision(17);
  o << "x,g,h\n";
  unsigned s = 9008;
  for (int i = 0; i < n; ++i) {
    s = s * 1103515245u + 12345u;
    const double u = static_cast<double>((s >> 8) % 10000) / 10000.0;
    const int g = i * 3 / n;
    o << offset + 40 * (u * u + 0.1 * (i % 7)) << "," << std::string(by_len - 1, static_cast<char>('A' + g)) << g
      << "," << i % 2 << "\n";
  }
  return o.str();
}

void expect_no_small_text(const std::string& name, const std::string& svg) {
  for (const kes_test::svg_fault& f : kes_test::svg_rule_faults(svg)) {
    EXPECT_TRUE(f.rule != kes_test::kRuleTextTooSmall && f.rule != kes_test::kRuleTextOffPage &&
                f.rule != kes_test::kRuleTextAcrossBox)
        << name << ": " << f.rule << ": " << f.detail;
  }
  for (const kes_test::text_item& t : kes_test::read_parts(svg).texts) {
    if (t.text.empty()) continue;
    EXPECT_GE(t.size, 6) << name << ": '" << t.text << "'";
  }
}

TEST(RoomForText, LongByLineIsCutNotShrunk) {
  kes_test::scratch_dir dir("least-by");
  for (const std::size_t len : {10u, 37u, 64u, 90u, 128u, 200u, 300u})
    for (const char* plot : {"histogram x;", "probplot x / height=0.5;", "class h;\n  cdfplot x;"})
      for (const char* title : {"", "title 'A title';\n"}) {
        std::ofstream(dir.path() / "d.csv") << data_csv(1.7e9, 60, len);
        const std::string program = std::string(title) + "proc kestravine data=d noprint;\n  by g;\n  " + plot +
                                    "\nrun;\n";
        SCOPED_TRACE(program + "BY values " + std::to_string(len) + " long");
        int status = 0;
        std::string log;
        const auto files = kes_test::run_graphs(dir.path(), program, "device", &status, &log);
        ASSERT_EQ(status, 0) << log;
        ASSERT_EQ(files.size(), 3u) << log;
        for (const auto& [name, svg] : files) {
          expect_no_small_text(name, svg);
          // The BY line: whole, or a start of it ending in the ellipsis.
          bool seen = false;
          for (const kes_test::text_item& t : kes_test::read_parts(svg).texts) {
            if (t.text.rfind("g=", 0) != 0) continue;
            seen = true;
            const bool cut = t.text.size() > kCut.size() && t.text.compare(t.text.size() - 3, 3, kCut) == 0;
            const std::string start = cut ? t.text.substr(0, t.text.size() - 3) : t.text;
            EXPECT_EQ(start.size() == len + 2, !cut) << name << ": '" << t.text << "'";
            const char c = start.size() > 2 ? start[2] : 'A';
            const std::string whole = "g=" + std::string(len - 1, c) + static_cast<char>('0' + (c - 'A'));
            EXPECT_EQ(start, whole.substr(0, start.size())) << name;
          }
          EXPECT_TRUE(seen) << name;
        }
      }
}

// Boxes of 1 to 20 rows at every place over small cells: drawn with texts of 6 px or
// more, or left out with a note naming the place.
TEST(RoomForText, InsetTooSmallForItsFrameIsLeftOut) {
  const char* stats[] = {"n",  "mean", "std", "min", "max", "median", "q1",    "q3",  "p1",  "p5",
                         "p10", "p90", "p95", "p99", "range", "qrange", "mode", "var", "css", "uss"};
  kes_test::scratch_dir dir("least-inset");
  int left_out = 0;
  for (const double offset : {0.0, 1.7e9}) {
    std::ofstream(dir.path() / "d.csv") << data_csv(offset, 60, 3);
    for (const int rows : {1, 3, 8, 14, 20})
      for (const char* pos : {"ne", "nw", "se", "sw", "n", "s", "e", "w", "lm", "rm"})
        for (const char* plot : {"class g h;\n  cdfplot x", "class g h;\n  probplot x / height=0.5"})
          for (const char* height : {"", " height=0.4"}) {
            std::string statement;
            for (int i = 0; i < rows; ++i) statement += std::string(" ") + stats[i];
            const std::string program = std::string("proc kestravine data=d noprint;\n  ") + plot + ";\n  inset" +
                                        statement + " /" + height + " pos=" + pos + ";\nrun;\n";
            SCOPED_TRACE(program);
            int status = 0;
            std::string log;
            const auto files = kes_test::run_graphs(dir.path(), program, "device", &status, &log);
            ASSERT_EQ(status, 0) << log;
            ASSERT_FALSE(files.empty()) << log;
            for (const auto& [name, svg] : files) expect_no_small_text(name, svg);
            if (const auto at = log.find("its texts below 6 px"); at != std::string::npos) {
              ++left_out;
              EXPECT_NE(log.find(std::string("The inset ") + (pos[1] == 'm' ? "in the " : "at ")), std::string::npos)
                  << log;
              EXPECT_NE(log.find("it is not drawn (in the INSET statement)"), std::string::npos) << log;
              // Said once, not once a cell.
              EXPECT_EQ(log.find("its texts below 6 px", at + 1), std::string::npos) << log;
            }
          }
  }
  // The frames are small enough that some boxes are left out.
  EXPECT_GT(left_out, 0);
}

}  // namespace
