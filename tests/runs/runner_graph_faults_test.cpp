// Graphs through the built runner as a careless or hostile user makes them: programs
// that crashed in the device percent axes, memory that runs out in a template graph,
// ANNOTATE= on the PROC statement, characters XML cannot hold, values at the ends of
// the doubles. Each case runs the real runner on real files in a scratch folder.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/runner_process.h"
#include "support/scratch_files.h"
#include "support/svg_reader.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;
using kes_test::slurp;

class RunnerGraphFaults : public ::testing::Test {
 protected:
  // Runs the program in the folder with the log and listing there; a run that hangs
  // is ended by SIGALRM. 'in_child' runs in the runner's process before exec.
  int run(const std::string& program, std::vector<std::string> extra = {},
          const std::function<void()>& in_child = {}) {
    dir_.write("prog.kes", program);
    for (const std::string& f : svg_files()) fs::remove(dir_ / f);
    std::vector<std::string> args = {"--log", "log", "--listing", "lst"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("prog.kes");
    kes_test::runner_process p;
    p.start(dir_.path().string(), args, [in_child] {
      ::alarm(300);
      if (in_child) in_child();
    });
    const int status = p.wait();
    log_ = slurp(dir_ / "log");
    listing_ = slurp(dir_ / "lst");
    return status;
  }
  std::vector<std::string> svg_files() const { return kes_test::svg_files(dir_.path()); }
  bool logs(const std::string& text) const { return log_.find(text) != std::string::npos; }

  kes_test::scratch_dir dir_{"graphfaults"};
  std::string log_, listing_;
};

// n values x = -log(1 - u) of an even grid u (an exponential sample), with a CLASS
// variable c of three levels.
std::string exponential_values(int n) {
  std::string text = "c,x\n";
  for (int i = 0; i < n; ++i) {
    const double u = (i + 0.5) / n;
    text += std::to_string(i % 3) + "," + std::to_string(-std::log(1 - u)) + "\n";
  }
  return text;
}

// The percent axes logged their overlap note with a length where the note's text
// reads a text pointer: SIGSEGV, no graph, a cut log. Every such program now ends
// with its graphs drawn and the note naming the percent value it leaves out.
TEST_F(RunnerGraphFaults, EverydayPercentAxesNeverCrash) {
  dir_.write("e.csv", exponential_values(200));
  const char* const programs[] = {
      "proc kestravine data=e noprint; var x; probplot x / exponential; run;\n",
      "proc kestravine data=e noprint; var x; probplot x / lognormal(sigma=1); run;\n",
      "proc kestravine data=e noprint; var x; probplot x / gamma(alpha=2); run;\n",
      "proc kestravine data=e noprint; var x; class c; probplot x / normal rotate nrows=3; run;\n",
      "proc kestravine data=e noprint; var x; probplot x / pctlorder=1 1.1 1.2 1.3 50 99; run;\n",
      "proc kestravine data=e noprint; var x; class c; qqplot x / pctlaxis nrows=3 ncols=3; run;\n",
  };
  int notes = 0;
  for (const char* program : programs) {
    const int status = run(program, {"--graphics", "device"});
    EXPECT_EQ(status, 0) << program << log_;
    EXPECT_FALSE(svg_files().empty()) << program << log_;
    EXPECT_TRUE(logs("ended with return code")) << program << log_;
    // The note names the value it leaves out ("1.1", never a number read as text).
    for (std::size_t at = log_.find("The percent value "); at != std::string::npos;
         at = log_.find("The percent value ", at + 1)) {
      ++notes;
      const std::string value = log_.substr(at + 18, log_.find(' ', at + 18) - at - 18);
      EXPECT_FALSE(value.empty()) << log_;
      EXPECT_EQ(value.find_first_not_of("0123456789."), std::string::npos) << value << "\n" << log_;
    }
  }
  EXPECT_GT(notes, 0);
}

// The out-of-memory handler formatted its message while the step's memory was held:
// a second std::bad_alloc, SIGABRT and an empty log. At every address-space limit the
// run ends as a process that exits, and a run that ran out says so in the log with
// return code 1016.
TEST_F(RunnerGraphFaults, MemoryRunningOutInATemplateGraphEndsWith1016) {
  // The sanitizer reserves more address space than these limits allow, and under the
  // lowest of them it fails before the runner starts.
  if (kes_test::under_sanitizers()) GTEST_SKIP() << "the sanitizer's runner cannot start under an address-space limit";
  std::string text = "x\n";
  for (long i = 0; i < 300000; ++i) text += std::to_string(i * 7919 % 300000 / 1000.0) + "\n";
  dir_.write("m.csv", text);
  const char* const program = "proc kestravine data=m noprint; var x; qqplot x / normal; run;\n";
  int ran_out = 0;
  // The graph's data are held compactly: the lowest limits are the ones that run out.
  for (rlim_t kb : {30000, 40000, 60000, 100000, 200000, 400000, 900000}) {
    const int status = run(program, {}, [kb] {
      struct rlimit lim {kb * 1024, kb * 1024};
      ::setrlimit(RLIMIT_AS, &lim);
    });
    // A sanitizer build reserves more address space than any of these limits allow.
    if (log_.empty() && slurp(dir_ / "err").find("Sanitizer") != std::string::npos)
      GTEST_SKIP() << "the sanitizer's runner cannot start under an address-space limit";
    EXPECT_LT(status, 1000) << kb << " KB: ended by signal " << status - 1000 << "\n" << log_;
    if (logs("out of memory in the host")) {
      ++ran_out;
      EXPECT_EQ(status, 2) << kb << "\n" << log_;
      EXPECT_TRUE(logs("ended with return code 1016")) << kb << "\n" << log_;
    }
  }
  EXPECT_GT(ran_out, 0);
}

// ANNOTATE= on the PROC statement was read but never drawn. It is drawn on every
// device graph of the step, beside a statement's own ANNOTATE=.
TEST_F(RunnerGraphFaults, ProcAnnotateIsDrawnOnEveryDeviceGraph) {
  dir_.write("e.csv", exponential_values(60));
  dir_.write("a.csv", "function,x,y,xsys,ysys,text\nlabel,50,50,1,1,EveryGraph\n");
  dir_.write("b.csv", "function,x,y,xsys,ysys,text\nlabel,50,40,1,1,OnlyHere\n");
  ASSERT_EQ(run("proc kestravine data=e annotate=a noprint; var x;\n"
                "  histogram x; qqplot x / normal; cdfplot x; probplot x / annotate=b; ppplot x;\nrun;\n",
                {"--graphics", "device"}),
            0)
      << log_;
  const std::vector<std::string> files = svg_files();
  ASSERT_EQ(files.size(), 5u) << log_;
  int own = 0;
  for (const std::string& f : files) {
    const std::string svg = slurp(dir_ / f);
    EXPECT_NE(svg.find(">EveryGraph<"), std::string::npos) << f;
    own += svg.find(">OnlyHere<") != std::string::npos;
  }
  EXPECT_EQ(own, 1);
}

// U+FFFE and U+FFFF reached the SVG files, which XML forbids; an INSET HEADER= cut at
// its 40 bytes split a two-byte character. In both renderers, in CLASS levels, axis
// labels and inset headers, they are replaced as control characters are.
TEST_F(RunnerGraphFaults, CharactersXmlCannotHoldNeverReachTheSvg) {
  const std::string fffe = "\xEF\xBF\xBE", ffff = "\xEF\xBF\xBF";
  dir_.write("u.csv", "c,x\nA" + fffe + ",1\nA" + fffe + ",2\nA" + fffe + ",4\nB" + ffff + ",3\nB" + ffff +
                          ",5\nB" + ffff + ",6\n");
  // 39 letters and an e with acute accent (two bytes): the 40th byte is its first.
  const std::string header = std::string(39, 'H') + "\xC3\xA9";
  const std::string program = "proc kestravine data=u noprint; var x; class c;\n  histogram x / vaxislabel='V" +
                              ffff + "';\n  inset n mean / header='" + header + "';\nrun;\n";
  for (const char* graphics : {"device", "template"}) {
    ASSERT_LT(run(program, {"--graphics", graphics}), 2) << graphics << log_;
    ASSERT_FALSE(svg_files().empty()) << graphics << log_;
    bool header_found = false;
    for (const std::string& f : svg_files()) {
      const std::string svg = slurp(dir_ / f);
      EXPECT_EQ(svg.find(fffe), std::string::npos) << graphics << " " << f;
      EXPECT_EQ(svg.find(ffff), std::string::npos) << graphics << " " << f;
      EXPECT_EQ(kes_test::svg_reduce(svg).rfind("unreadable SVG", 0), std::string::npos) << graphics << " " << f;
      // The header is cut before the character, never inside it.
      EXPECT_EQ(svg.find(std::string(39, 'H') + "\xC3<"), std::string::npos) << graphics << " " << f;
      header_found = header_found || svg.find(">" + std::string(39, 'H') + "<") != std::string::npos;
    }
    EXPECT_TRUE(header_found) << graphics;
  }
}

// Values near the smallest doubles squared to nothing, so data not all equal showed a
// standard deviation of 0; near the largest, the sums of squares overflow and the CDF
// plot said no cell has two distinct values. Both get their spread (found on scaled
// values); the sums of squares beyond the doubles are named in a note.
TEST_F(RunnerGraphFaults, SpreadAtTheEndsOfTheDoubles) {
  struct row {
    const char* values;
    double std;  // the sample standard deviation of the values (by hand)
  };
  // {1,2,3} times a scale has standard deviation 1 times the scale; {1,3} sqrt(2).
  const row rows[] = {
      {"1e-300\n2e-300\n3e-300\n", 1e-300},
      {"1e-310\n3e-310\n", 1.4142135623730951e-310},
      {"4e-320\n5e-320\n6e-320\n", 1e-320},
  };
  for (const row& r : rows) {
    dir_.write("t.csv", std::string("x\n") + r.values);
    ASSERT_EQ(run("proc kestravine data=t; var x; output out=o std=s; run;\n"), 0) << log_;
    const std::string out = slurp(dir_ / "o.csv");
    // strtod, as stod refuses subnormal numbers.
    const double s = std::strtod(out.c_str() + out.find('\n') + 1, nullptr);
    EXPECT_NEAR(s / r.std, 1.0, r.std < 1e-308 ? 0.05 : 1e-9) << r.values << out;
  }
  dir_.write("h.csv", "c,x\n1,1e300\n1,3e300\n2,2e300\n2,5e300\n");
  EXPECT_LT(run("proc kestravine data=h noprint; var x; class c; cdfplot x / normal; run;\n",
                {"--graphics", "device"}),
            2)
      << log_;
  // The spread of each cell is found on scaled values; only the sums of squares
  // themselves lie beyond the doubles, and the note names them.
  EXPECT_FALSE(logs("No CLASS cell gives a standard deviation of x")) << log_;
  EXPECT_TRUE(logs("beyond the range of numbers (above the largest, or nonzero below the smallest) are missing: "
                   "VAR, CSS and USS."))
      << log_;
  EXPECT_FALSE(logs("two or more distinct values")) << log_;
}

// Data near -1.7e308 made a nice axis end one step past the doubles: an infinite
// axis end, a tick step of 0 and a tick walk that drew a million ticks in place, until
// the host ran out of memory. Every graph's layout takes bounded steps and memory
// whatever the data: reference lines and axis orders far from data at either end of
// the doubles, in both renderers, under a 2 GB address-space limit.
TEST_F(RunnerGraphFaults, AxesAtTheEndsOfTheDoublesTakeBoundedMemory) {
  if (kes_test::under_sanitizers()) GTEST_SKIP() << "the sanitizer's runner cannot start under an address-space limit";
  // 20 values spread over [0.93, 1.69] x 1e308 by sign, in two CLASS levels.
  for (const char* sign : {"-", ""}) {
    std::string text = "g,x\n";
    for (int i = 0; i < 20; ++i)
      text += std::string(i % 2 ? "a," : "b,") + sign + std::to_string(0.93 + 0.04 * i) + "e308\n";
    dir_.write("d.csv", text);
    const char* const statements[] = {
        "qqplot x;",
        "qqplot x / href=5 to 1 by -1 vref=0 1e307;",
        "qqplot x / vaxis=axis1;",
        "probplot x / vref=-1.7e308 1.7e308;",
        "histogram x / href=1e308 -1e308 vaxis=axis1;",
        "cdfplot x / haxis=axis1 href=0;",
        "ppplot x / vref=0.5;",
    };
    for (const char* graphics : {"device", "template"}) {
      for (const char* statement : statements) {
        const std::string program = std::string("axis1 order=0 to 10 by 1;\nproc kestravine data=d noprint;\n"
                                                "  var x; class g;\n  ") +
                                    statement + "\nrun;\n";
        const int status = run(program, {"--graphics", graphics}, [] {
          struct rlimit lim {2000000ul * 1024, 2000000ul * 1024};
          ::setrlimit(RLIMIT_AS, &lim);
        });
        const std::string what = std::string(graphics) + " " + sign + " " + statement + "\n" + log_;
        EXPECT_LT(status, 2) << what;
        EXPECT_FALSE(logs("out of memory")) << what;
        EXPECT_FALSE(logs("Internal error")) << what;
        EXPECT_TRUE(logs("ended with return code")) << what;
        for (const std::string& f : svg_files()) {
          const std::string svg = slurp(dir_ / f);
          // A graph of 20 points and a few axes: far below a megabyte.
          EXPECT_LT(svg.size(), 1000000u) << f << " " << what;
          EXPECT_EQ(kes_test::svg_reduce(svg).rfind("unreadable SVG", 0), std::string::npos) << f << " " << what;
          EXPECT_EQ(svg.find("inf"), std::string::npos) << f << " " << what;
          EXPECT_EQ(svg.find("nan"), std::string::npos) << f << " " << what;
        }
      }
    }
  }
}

// HREF= ranges were capped one by one: fifty of them in one list took gigabytes. The
// cap is on the values of the whole list.
TEST_F(RunnerGraphFaults, RangesAreCappedInAll) {
  dir_.write("e.csv", exponential_values(10));
  struct row {
    const char* href;
    bool refused;
  };
  const row rows[] = {
      {"0 to 99999 by 1", false},  // the first value is the list's, not the range's
      {"0 to 59999 by 1 60000 to 119999 by 1", true},
      {"0 to 4 by 1 5 to 9 by 1 1 to 100000 by 1", true},
  };
  for (const row& r : rows) {
    const int status =
        run(std::string("proc kestravine data=e noprint; var x; histogram x / noplot href=") + r.href + "; run;\n");
    EXPECT_EQ(logs("makes its list hold more than 100001 values"), r.refused) << r.href << log_;
    EXPECT_EQ(status != 0, r.refused) << r.href << log_;
  }
}

// --graphs naming a regular file said the folder does not exist.
TEST_F(RunnerGraphFaults, GraphsNamingAFileSaysItIsAFile) {
  dir_.write("plain", "text\n");
  dir_.write("e.csv", exponential_values(10));
  kes_test::runner_process p;
  dir_.write("prog.kes", "proc kestravine data=e; var x; histogram x; run;\n");
  p.start(dir_.path().string(), {"--graphs", "plain", "prog.kes"});
  EXPECT_EQ(p.wait(), 4);
  const std::string err = slurp(dir_ / "err");
  EXPECT_NE(err.find("--graphs: the folder 'plain' is a file, not a folder"), std::string::npos) << err;
  EXPECT_EQ(slurp(dir_ / "plain"), "text\n");
}

}  // namespace
