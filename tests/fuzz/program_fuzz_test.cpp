// Programs written at random from the statement reference, valid and broken, each run
// in both renderers: none may end by a signal, hang, run out of its memory cap, write
// an Internal error, exit with a status its log disagrees with, write a log that is not
// UTF-8, change a file outside its folder, or draw a graph that breaks a rule holding
// at any page size (the known-fault list excuses a program by "fuzz/seedSEED_INDEX"). KES_FUZZ_SEED and KES_FUZZ_COUNT choose other programs and any
// number of them (the target fuzz_programs runs them), KES_FUZZ_FIRST the first of them
// (so that one seed's programs can be run in parts side by side) and
// KES_FUZZ_MAX_FAILURES how many failing programs end the run (10); a failing program is
// kept in fuzz_failures/ under the build folder.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "fuzz/fuzz_run.h"
#include "fuzz/program_writer.h"
#include "support/csv_rows.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

// The programs a plain test run tries; under the sanitizers, where a run takes several
// times as long, fewer.
constexpr long kPlainCount = 300;
constexpr long kSanitizedCount = 100;

long setting(const char* name, long fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? std::strtol(v, nullptr, 10) : fallback;
}

const kes_fuzz::program_grammar& grammar() {
  static const kes_fuzz::program_grammar g =
      kes_fuzz::read_reference(kes_test::slurp(fs::path(KES_SOURCE_DIR) / "docs" / "statements.md"));
  return g;
}

// The program as a C string literal, for the failure message.
std::string shown(const std::string& program) {
  std::string s;
  char b[8];
  for (unsigned char c : program) {
    if (c == '\n')
      s += "\\n\n";
    else if (c == '\\' || c == '"')
      s += std::string("\\") + static_cast<char>(c);
    else if (c < 0x20 || c >= 0x7F)
      std::snprintf(b, sizeof b, "\\x%02X", c), s += b;
    else
      s += static_cast<char>(c);
  }
  return s;
}

TEST(ProgramFuzz, NoRunFailsAUser) {
  const auto seed = static_cast<std::uint64_t>(setting("KES_FUZZ_SEED", 20261208));
  const long count = setting("KES_FUZZ_COUNT", kes_test::under_sanitizers() ? kSanitizedCount : kPlainCount);
  const long first = setting("KES_FUZZ_FIRST", 0), most = setting("KES_FUZZ_MAX_FAILURES", 10);
  kes_test::scratch_dir root("fuzz");
  fs::create_directories(root / "outside");
  root.write("outside/keep.txt", "kept\n");
  kes_fuzz::program_writer writer(grammar(), seed, (root / "escaped").string());
  std::mt19937_64 data_rng(seed);
  long failures = 0;
  for (long i = 0; i < first + count && failures < most; ++i) {
    const std::string program = writer.next();
    const std::string data = kes_fuzz::fuzz_data(data_rng);
    if (i < first) continue;
    const std::string stem = "seed" + std::to_string(seed) + "_" + std::to_string(i);
    const std::vector<std::string> wrong = kes_fuzz::run_and_check(root.path(), program, data, "fuzz/" + stem);
    if (wrong.empty()) continue;
    ++failures;
    const fs::path kept = fs::path(kes_test::binary_dir()) / "fuzz_failures";
    fs::create_directories(kept);
    std::ofstream(kept / (stem + ".kes"), std::ios::binary) << program;
    std::ofstream(kept / (stem + ".csv"), std::ios::binary) << data;
    std::string what;
    for (const std::string& w : wrong) what += "  " + w + "\n";
    ADD_FAILURE() << "program " << i << " of seed " << seed << " (kept as " << (kept / stem).string()
                  << ".kes, its data as d.csv):\n"
                  << what << shown(program);
  }
}

// The programs cover the reference: every option of every statement and of every
// "( options )" table is written within the programs a plain test run tries.
TEST(ProgramFuzz, ProgramsWriteEveryStatementAndOption) {
  const kes_fuzz::program_grammar& g = grammar();
  kes_fuzz::program_writer writer(g, 20261208, "escaped");
  std::set<std::string> keywords;
  for (long i = 0; i < kPlainCount; ++i) {
    std::istringstream in(writer.next());
    for (std::string line; std::getline(in, line);) keywords.insert(line.substr(0, line.find_first_of(" ;")));
  }
  for (const kes_fuzz::statement_spec& s : g.statements) {
    std::string word = s.title.substr(0, s.title.find_first_of(" ,"));
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
    bool seen = false;
    for (const std::string& k : keywords) seen = seen || k.rfind(word, 0) == 0;
    EXPECT_TRUE(seen) << s.title;
    for (const auto& [heading, opts] : s.groups)
      for (const kes_fuzz::option_spec& o : opts)
        EXPECT_TRUE(writer.written().count(s.title + ": " + heading + ": " + o.spellings.front()))
            << s.title << ", " << heading << ": " << o.spellings.front();
  }
  for (const auto& [anchor, opts] : g.subs)
    for (const kes_fuzz::option_spec& o : opts)
      EXPECT_TRUE(writer.written().count(anchor + ": " + o.spellings.front())) << anchor << ": " << o.spellings.front();
}

// The data sets reach both ends of the doubles and tiny units, every value finite:
// near 1.7e308 of each sign, near 1e-300, subnormal, in units of 1e-9 and 1e-20.
TEST(ProgramFuzz, DataReachTheEndsOfTheDoubles) {
  std::mt19937_64 rng(20261208);
  bool largest = false, most_negative = false, tiny = false, subnormal = false, nano = false, e_minus20 = false;
  for (int k = 0; k < 400; ++k) {
    for (const std::string& x : kes_test::csv_column(kes_fuzz::fuzz_data(rng), "x")) {
      if (x == ".") continue;
      char* end = nullptr;
      const double v = std::strtod(x.c_str(), &end);
      ASSERT_TRUE(std::isfinite(v) && *end == '\0') << x;
      const double a = std::fabs(v);
      largest = largest || v >= 1e308;
      most_negative = most_negative || v <= -1e308;
      tiny = tiny || (a >= 1e-300 && a < 1e-290);
      subnormal = subnormal || (a > 0 && a < 2.2250738585072014e-308);
      nano = nano || (a >= 1e-9 && a < 1e-6);
      e_minus20 = e_minus20 || (a >= 1e-20 && a < 1e-17);
    }
  }
  EXPECT_TRUE(largest && most_negative && tiny && subnormal && nano && e_minus20)
      << largest << most_negative << tiny << subnormal << nano << e_minus20;
}

// The data sets reach everyday offsets with their spread kept (1e9 + a fraction, 1e15
// plus integers, Unix seconds within a second), and groups of one row and of long names.
TEST(ProgramFuzz, DataReachEverydayOffsetsAndGroups) {
  std::mt19937_64 rng(20261208);
  bool billion = false, integers = false, seconds = false, one_row_group = false, long_name = false;
  for (int k = 0; k < 400; ++k) {
    std::map<std::string, int> rows;
    std::set<double> xs;
    for (const std::vector<std::string>& cells : kes_test::csv_field_rows(kes_fuzz::fuzz_data(rng))) {
      ++rows[cells.at(4)];
      long_name = long_name || cells.at(4).size() > 240;
      if (cells[0] != ".") xs.insert(std::strtod(cells[0].c_str(), nullptr));
    }
    for (const auto& [level, n] : rows) one_row_group = one_row_group || (n == 1 && rows.size() >= 12);
    if (xs.size() < 2) continue;
    const double lo = *xs.begin(), hi = *xs.rbegin();
    billion = billion || (lo > 9.99e8 && hi < 1.001e9 && hi - lo < 2 && hi - lo > 0);
    integers = integers || (lo >= 1e15 && hi <= 1e15 + 100 && hi - lo >= 1);
    seconds = seconds || (lo > 1.7e9 && hi - lo < 1 && hi - lo > 0);
  }
  EXPECT_TRUE(billion && integers && seconds && one_row_group && long_name)
      << billion << integers << seconds << one_row_group << long_name;
}

// The programs reach the forms users write: unquoted #RRGGBB colours, OVERLAY with
// CLASS, and INSET boxes of many rows in a margin.
TEST(ProgramFuzz, ProgramsReachEverydayForms) {
  kes_fuzz::program_writer writer(grammar(), 20261208, "escaped");
  bool hex = false, overlay = false, margin = false;
  for (long i = 0; i < kPlainCount; ++i) {
    const std::string p = writer.next();
    hex = hex || p.find("=#") != std::string::npos;
    overlay = overlay || (p.find("class g") != std::string::npos && p.find(" overlay") != std::string::npos);
    std::istringstream in(p);
    for (std::string line; std::getline(in, line);)
      if (line.rfind("inset", 0) == 0 && line.find("position=") != std::string::npos &&
          std::count(line.begin(), line.end(), ' ') > 20)
        margin = true;
  }
  EXPECT_TRUE(hex && overlay && margin) << hex << overlay << margin;
}

// The checks themselves, on outcomes made by hand.
TEST(ProgramFuzz, OutcomeChecksCatchWhatTheyName) {
  const std::string ok = "NOTE: The KESTRAVINE step (lines 1-1) ended with return code 0.\n";
  const std::string failed = "ERROR: x\nERROR: The KESTRAVINE step (lines 1-1) ended with return code 1008.\n";
  struct row {
    int status;
    std::string log, err;
    std::size_t wrong;
  };
  const row rows[] = {
      {0, ok, "", 0},
      {2, failed, "", 0},
      {3, ok + "ERROR: Statement X (line 2) is not valid outside a PROC KESTRAVINE step; it is ignored.\n", "", 0},
      {1, "NOTE: ... ended with return code 112.\n", "", 0},
      {0, failed, "", 1},                // a failed step, status 0
      {2, ok, "", 1},                    // status 2 for a step that ended well
      {3, ok, "", 1},                    // a program error the log does not say
      {0, ok + "ERROR: lost\n", "", 1},  // an error, status 0
      {1000 + 11, "", "", 1},            // a signal
      {1000 + 14, "", "", 1},            // a hang
      {0, ok + "caf\xc3", "", 1},        // a cut character
      {0, ok + "a\x01", "", 1},          // a control character
      {2, failed + "ERROR: Internal error: x\n", "", 1},
      {0, ok, "Internal error: y", 1},
      {0, ok, "==1==ERROR: AddressSanitizer: heap-use-after-free", 1},
      {0, ok, "x.cpp:3:5: runtime error: signed integer overflow", 1},
      {2, failed + "ERROR: Internal error: out of memory in the host\n", "", 2},  // the cap, and the error
      {0, ok, "==1==AddressSanitizer: hard rss limit exhausted (2048Mb vs 2127Mb)", 2},
  };
  for (const row& r : rows)
    EXPECT_EQ(kes_fuzz::check_outcome(r.status, r.log, r.err).size(), r.wrong) << r.status << "\n" << r.log;
}

}  // namespace
