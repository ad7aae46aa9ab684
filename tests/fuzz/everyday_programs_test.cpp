// Everyday programs (fuzz/everyday_programs.h), each run as the fuzzer runs its
// programs, in both renderers, its graphs held to every rule with what the program and
// the graph dump say: the values each cell holds, the percents it lists, a graph file
// for each plot statement. KES_EVERYDAY_SEED and KES_EVERYDAY_COUNT choose other
// cases and any number of them, KES_EVERYDAY_FIRST the first of them. Cases known to fail are listed in
// tests/support/svg_known_faults.txt as "everyday/seedSEED_INDEX/RENDERER/FILE.svg RULE"
// until their mends land.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "fuzz/everyday_programs.h"
#include "fuzz/fuzz_run.h"
#include "support/scratch_files.h"
#include "support/test_settings.h"

namespace {

namespace fs = std::filesystem;

// A plain run tries this many; under the sanitizers every fifth of them.
constexpr long kCount = 60;
constexpr std::size_t kSanitizedStride = 5;
constexpr long kSeed = 20261208;

TEST(EverydayPrograms, EveryGraphKeepsEveryRule) {
  const long seed = kes_test::env_setting("KES_EVERYDAY_SEED", kSeed);
  const long count = kes_test::env_setting("KES_EVERYDAY_COUNT", kCount);
  const long first = kes_test::env_setting("KES_EVERYDAY_FIRST", 0);
  std::mt19937_64 rng(static_cast<std::uint64_t>(seed));
  kes_test::scratch_dir root("everyday");
  for (long i = 0; i < first + count; ++i) {
    const kes_fuzz::everyday_case c = kes_fuzz::everyday_program(rng);
    if (i < first || !kes_test::sanitized_share(static_cast<std::size_t>(i), kSanitizedStride)) continue;
    kes_fuzz::graph_check check;
    check.every_rule = true;
    check.cell_counts = c.cell_counts;
    check.listed_percents = c.percents;
    check.drawing_statements = c.drawing_statements;
    const std::string stem = "seed" + std::to_string(seed) + "_" + std::to_string(i);
    const std::vector<std::string> wrong = kes_fuzz::run_and_check(root.path(), c.program, c.data, "everyday/" + stem, check);
    if (wrong.empty()) continue;
    const fs::path kept = fs::path(kes_test::binary_dir()) / "everyday_failures";
    fs::create_directories(kept);
    std::ofstream(kept / (stem + ".kes"), std::ios::binary) << c.program;
    std::ofstream(kept / (stem + ".csv"), std::ios::binary) << c.data;
    std::string what;
    for (const std::string& w : wrong) what += "  " + w + "\n";
    ADD_FAILURE() << "case " << i << " of seed " << seed << " (" << c.what << "; kept as " << (kept / stem).string()
                  << ".kes, its data as d.csv):\n"
                  << what << c.program;
  }
}

// The cases reach what users bring and type: each kind of data, one value per CLASS
// cell, groups of other shapes, statements over several lines with comments, two
// labelled reference lines within 3.5 % of the data's range, BARLABEL= over 30 bins
// and more, a box at every corner and margin, a PCTLORDER= list.
TEST(EverydayPrograms, CasesReachEverydayForms) {
  std::mt19937_64 rng(kSeed);
  std::set<std::string> kinds, corners;
  bool one_each = false, comments = false, many_bins = false, close_refs = false, order = false, zeros = false;
  for (long i = 0; i < kCount; ++i) {
    const kes_fuzz::everyday_case c = kes_fuzz::everyday_program(rng);
    kinds.insert(c.what);
    one_each = one_each || (c.cell_counts.size() == 4 && std::all_of(c.cell_counts.begin(), c.cell_counts.end(),
                                                                    [](long n) { return n == 1; }));
    comments = comments || (c.program.find("/* ") != std::string::npos &&
                            std::count(c.program.begin(), c.program.end(), '\n') > 5);
    many_bins = many_bins || c.program.find("nmidpoints=3") != std::string::npos ||
                c.program.find("nmidpoints=40") != std::string::npos;
    close_refs = close_refs || c.program.find("hreflabels=") != std::string::npos;
    order = order || !c.percents.empty();
    zeros = zeros || c.data.find("\n0\n") != std::string::npos || c.data.find("\n0,") != std::string::npos;
    for (std::size_t at = c.program.find("pos="); at != std::string::npos; at = c.program.find("pos=", at + 1))
      corners.insert(c.program.substr(at + 4, c.program.find(';', at) - at - 4));
  }
  EXPECT_EQ(kinds.size(), 8u);
  EXPECT_EQ(corners.size(), 12u);
  EXPECT_TRUE(one_each && comments && many_bins && close_refs && order && zeros)
      << one_each << comments << many_bins << close_refs << order << zeros;
}

}  // namespace
