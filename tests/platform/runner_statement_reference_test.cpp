// The statement reference against the readers it describes: no parser is made from
// the description of the runner's own statements, so every system option and AXIS
// option it lists must be one the runner takes, with the limits it states; and every
// plot option it marks as of device graphs only leaves template graphs as they are.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "runner/axis_statement.h"
#include "runner_process.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;

struct row {
  std::string option, value, description;
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
    rows.push_back({name, cells.at(2), cells.at(3)});
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

// Every option the reference marks "Device graphs only." is one the template path does
// not read: a template graph drawn with it is byte for byte the one drawn without it
// (with reference lines, CLASS cells and an inset for the options to act on), and the
// step notes it; the device draws another graph with most of them. A test a statement,
// so that the statements' runs are spread over the test workers.
class DeviceOnlyOptions : public ::testing::TestWithParam<const char*> {};

TEST_P(DeviceOnlyOptions, LeaveTemplateGraphsAlone) {
  namespace fs = std::filesystem;
  const std::string stmt = GetParam();
  kes_test::scratch_dir dir("devonly");
  std::ostringstream data;
  data << "x,g\n";
  for (int i = 0; i < 40; ++i) data << 1 + (i * 17) % 23 + 0.25 * (i % 4) << "," << (i % 2 ? "a" : "b") << "\n";
  dir.write("d.csv", data.str());
  const std::map<std::string, std::string> sample = {
      {"colour", "red"}, {"number", "3"}, {"text", "'Graph'"}, {"font", "'Courier'"}, {"name", "X"}, {"flag", ""}};
  int next = 0;
  // The graph files of one run, by name: its folder's SVG files.
  auto draw = [&](const std::string& option, const std::string& graphics, std::string* log) {
    const std::string out = "g" + std::to_string(next++);
    fs::create_directories(dir / out);
    dir.write("p.kes", "proc kestravine data=d noprint; var x; class g;\n" + stmt + " x / href=5 vref=0.5 " + option +
                           ";\ninset n mean;\nrun;\n");
    kes_test::runner_process proc;
    proc.start(dir.path().string(), {"--work", ".", "--graphs", out, "--graphics", graphics, "--log", "log",
                                     "--listing", "/dev/null", "p.kes"},
               [] { ::alarm(120); });
    EXPECT_EQ(proc.wait(), 0) << stmt << " " << option;
    *log = kes_test::slurp(dir / "log");
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir / out))
      files[e.path().filename().string()] = kes_test::slurp(e.path());
    return files;
  };
  size_t marked = 0, differ_on_device = 0;
  std::string log;
  const auto plain = draw("", "template", &log);
  ASSERT_FALSE(plain.empty()) << stmt << "\n" << log;
  const auto plain_device = draw("", "device", &log);
  for (const row& r : section_rows(stmt)) {
    if (r.description.find("Device graphs only.") == std::string::npos) continue;
    ++marked;
    std::string kind = r.value.substr(r.value.find_first_not_of(' '));
    kind = kind.substr(0, kind.find_last_not_of(' ') + 1);
    auto it = sample.find(kind);
    ASSERT_NE(it, sample.end()) << "no sample of a " << kind << " for " << r.option;
    const std::string option = r.option + it->second;
    EXPECT_EQ(draw(option, "template", &log), plain) << stmt << " " << option;
    std::string shown = r.option;
    EXPECT_NE(log.find("not used by template graphs: " + shown), std::string::npos) << stmt << " " << option << log;
    if (draw(option, "device", &log) != plain_device) ++differ_on_device;
  }
  // Every statement has some; the device reads most of them (a few, such as LVREF=
  // with VREF= off the vertical axis, may draw the same graph here): of 135 in all,
  // 18 of the 26 of QQPLOT and 18 of the 25 of PPPLOT at the fewest.
  EXPECT_GE(marked, 20u);
  EXPECT_GE(differ_on_device * 3, marked * 2) << differ_on_device << " of " << marked;
}

INSTANTIATE_TEST_SUITE_P(StatementReference, DeviceOnlyOptions,
                         ::testing::Values("HISTOGRAM", "QQPLOT", "PROBPLOT", "CDFPLOT", "PPPLOT"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
