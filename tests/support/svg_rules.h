// The rules every graph file keeps, whichever renderer drew it, checked on the SVG
// document alone: no text leaves the page; no inset box lies over a bar, marker, curve
// or reference line, nor over another box; no two texts of one axis, legend or strip
// row touch or read alike; every cell draws marks or a note saying why it has none.
//
// The parts of a graph are recognised from what the writer emits: texts carry their
// drawn width (textLength), template cells are a white wall with a border of the same
// rectangle, device cells a frame of four lines, boxes are rectangles holding texts, and
// what lies inside a clip path is data. Device graphs place their insets over the data
// by design, so only the rules their design leaves open are checked on them.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace kes_test {

// The rules, by the names the known-fault list and the reports use.
inline constexpr const char* kRuleTextOffPage = "text-off-page";
inline constexpr const char* kRuleInsetOverData = "inset-over-data";
inline constexpr const char* kRuleBoxOverBox = "box-over-box";
inline constexpr const char* kRuleTextsTouch = "texts-touch";
inline constexpr const char* kRuleTextsAlike = "texts-alike";
inline constexpr const char* kRuleCellBlank = "cell-blank";

struct svg_fault {
  std::string rule;    // one of the names above
  std::string detail;  // what breaks it, with the texts or places involved
};

// Every breach of the rules in one document (an unreadable one is a breach of all).
std::vector<svg_fault> svg_rule_faults(std::string_view document);

// Whether the fault list (tests/support/svg_known_faults.txt) excuses the rule for the
// file named by key: "examples/NAME.out/FILE.svg" for examples and committed files,
// "Suite.Test/FILE.svg" for the files a test's runs write. Entries may hold '*'.
bool svg_fault_known(const std::string& key, const std::string& rule);

// The breaches the fault list does not excuse, one per line ("" when none).
std::string svg_unexcused_faults(std::string_view document, const std::string& key);

// Checks every SVG file in a folder and its subfolders as a file the running test
// wrote (key "Suite.Test/NAME.svg"); a breach not excused fails the test.
void expect_graph_rules(const std::filesystem::path& dir);
// The same for one document the running test holds.
void expect_graph_rules(std::string_view document, const std::string& name);

}  // namespace kes_test
