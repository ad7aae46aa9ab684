// The statement reference against the readers it describes: no parser is made from
// the description of the runner's own statements, so every system option and AXIS
// option it lists must be one the runner takes, with the limits it states.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "runner/axis_statement.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;

struct row {
  std::string option, value;
};

// The option rows of one section ("## TITLE" up to the next "## ") of docs/statements.md.
std::vector<row> section_rows(const std::string& title) {
  std::istringstream in(kes_test::slurp(fs::path(KES_SOURCE_DIR) / "docs" / "statements.md"));
  std::vector<row> rows;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("## ", 0) == 0) inside = line == "## " + title;
    if (!inside || line.rfind("| `", 0) != 0) continue;
    // | `NAME=` | also | value | description |
    std::vector<std::string> cells;
    std::string cell;
    for (size_t i = 1; i < line.size(); ++i) {
      if (line[i] == '|' && line[i - 1] != '\\') {
        cells.push_back(cell);
        cell.clear();
      } else {
        cell += line[i];
      }
    }
    std::string name = cells.at(0);
    name = name.substr(name.find('`') + 1);
    name = name.substr(0, name.find('`'));
    rows.push_back({name, cells.at(2)});
  }
  return rows;
}

TEST(StatementReference, SystemOptionsAreTheRunnersWithTheirLimits) {
  const std::vector<row> rows = section_rows("OPTIONS");
  ASSERT_GE(rows.size(), 6u);
  const plat::run_config saved = plat::config();
  for (const row& r : rows) {
    std::string name = r.option, error;
    const bool value = !name.empty() && name.back() == '=';
    if (value) name.pop_back();
    if (!value) {
      EXPECT_TRUE(plat::set_system_option(name, "", &error)) << name << ": " << error;
      continue;
    }
    // "number, LO to HI": both ends taken, one beyond either end refused.
    long lo = 0, hi = 0;
    if (std::sscanf(r.value.c_str(), " number, %ld to %ld", &lo, &hi) == 2) {
      for (long v : {lo, hi}) EXPECT_TRUE(plat::set_system_option(name, std::to_string(v), &error)) << name << v;
      for (long v : {lo - 1, hi + 1}) EXPECT_FALSE(plat::set_system_option(name, std::to_string(v), &error)) << name << v;
    } else {
      EXPECT_TRUE(plat::set_system_option(name, "SYN", &error)) << name << ": " << error;
    }
  }
  plat::config() = saved;
}

TEST(StatementReference, AxisOptionsAreTheRunnersAndTakeTheirItems) {
  // A value of each kind the reference names; every option and item it lists must be
  // taken by the AXIS reader.
  const std::map<std::string, std::string> sample = {
      {"ORDER=", "0 TO 100 BY 20"}, {"LABEL=", "'Score'"},    {"VALUE=", "('a' 'b')"},   {"MAJOR=", "(N=3)"},
      {"MINOR=", "(N=1)"},          {"LENGTH=", "50 PCT"},    {"WIDTH=", "2"},           {"COLOR=", "RED"},
      {"OFFSET=", "(1, 2)"},        {"ORIGIN=", "(10 PCT, 15 PCT)"}};
  const std::vector<row> rows = section_rows("AXIS1 to AXIS99");
  ASSERT_GE(rows.size(), 10u);
  std::vector<std::string> records;
  size_t options = 0;
  for (const row& r : rows) {
    auto it = sample.find(r.option);
    if (it == sample.end()) continue;  // an item of LABEL=, VALUE=, MAJOR= or MINOR=
    ++options;
    EXPECT_EQ(plat::encode_axis(r.option + " " + it->second, &records), "") << r.option;
  }
  EXPECT_EQ(options, sample.size());
  // The items of the text and tick option lists.
  const std::map<std::string, std::string> items = {{"J=", "VALUE=(J=L 'a')"}, {"H=", "LABEL=(H=2 PCT 'a')"},
                                                    {"F=", "LABEL=(F=SWISS 'a')"}, {"C=", "MAJOR=(C=BLUE)"},
                                                    {"A=", "LABEL=(A=90 'a')"},   {"R=", "LABEL=(R=0 'a')"},
                                                    {"T=", "VALUE=(T=2 'b')"},    {"N=", "MINOR=(N=32767)"},
                                                    {"W=", "MAJOR=(W=2)"}};
  for (const row& r : rows) {
    if (sample.count(r.option)) continue;
    auto it = items.find(r.option);
    ASSERT_NE(it, items.end()) << "no sample for " << r.option;
    EXPECT_EQ(plat::encode_axis(it->second, &records), "") << r.option;
  }
  // N= is stated as 0 to 32767.
  EXPECT_NE(plat::encode_axis("MINOR=(N=-1)", &records), "");
  EXPECT_NE(plat::encode_axis("MINOR=(N=32768)", &records), "");
}

}  // namespace
