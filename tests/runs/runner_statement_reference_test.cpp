// The statement reference against the readers it describes: no parser is made from
// the description of the runner's own statements, so every system option and AXIS
// option it lists must be one the runner takes, with the limits it states; and every
// plot option it marks as of device graphs only leaves template graphs as they are.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "runner/axis_statement.h"
#include "support/runner_process.h"
#include "support/scratch_files.h"

namespace {

namespace fs = std::filesystem;

struct row {
  std::string option, value, description;
  std::string family;  // the family whose own option it is ("NORMAL"), or ""
};

// The option rows of one section ("## TITLE" up to the next "## ") of docs/statements.md,
// with those of its families' own options ("#### TITLE: NORMAL( options )").
std::vector<row> section_rows(const std::string& title) {
  std::istringstream in(kes_test::slurp(fs::path(KES_SOURCE_DIR) / "docs" / "statements.md"));
  std::vector<row> rows;
  bool inside = false;
  std::string family;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("## ", 0) == 0) inside = line == "## " + title;
    if (line.rfind("## ", 0) == 0 || line.rfind("### ", 0) == 0) family.clear();
    if (inside && line.rfind("#### " + title + ": ", 0) == 0) {
      family = line.substr(title.size() + 7);
      family = family.substr(0, family.find('('));
    }
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
    rows.push_back({name, cells.at(2), cells.at(3), family});
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

// The words of a grammar file: its %keywords list ("A$" read as A).
std::set<std::string> grammar_keywords(const fs::path& file) {
  std::istringstream in(kes_test::slurp(file));
  std::set<std::string> words;
  bool inside = false;
  for (std::string w; in >> w;) {
    if (w == "%keywords") inside = true;
    else if (w == "%end") inside = false;
    else if (inside) words.insert(w.back() == '$' ? w.substr(0, w.size() - 1) : w);
  }
  return words;
}

// The first words of the alternatives of one rule of a grammar file ("axis_option : ORDER
// '=' ... | LABEL '=' ... ;"): the options its statement takes.
std::set<std::string> rule_first_words(const fs::path& file, const std::string& rule) {
  std::istringstream in(kes_test::slurp(file));
  std::string text, line;
  bool inside = false;
  while (std::getline(in, line)) {
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    std::string first;
    words >> first;
    if (!inside && first == rule) inside = true;
    if (inside) text += " " + line;
    if (inside && line.find(';') != std::string::npos) break;
  }
  std::set<std::string> out;
  std::istringstream alts(text.substr(text.find(':') + 1));
  bool at_start = true;
  for (std::string w; alts >> w;) {
    if (w == "|") at_start = true;
    else if (at_start) out.insert(w), at_start = false;
  }
  return out;
}

// The runner reads OPTIONS and AXIS statements with readers of its own, not with a
// parser made from statements.grammar: each must take the words that grammar gives and
// no other. Every keyword of both grammars (the procedure's too, the words a user is
// likely to try) is tried as a system option, an AXIS option and an item of each AXIS
// item list, and is taken exactly where the grammar has it.
TEST(StatementReference, RunnerReadersTakeOnlyTheGrammarsWords) {
  const fs::path runner_grammar = fs::path(KES_SOURCE_DIR) / "platform" / "runner" / "statements.grammar";
  std::set<std::string> words = grammar_keywords(runner_grammar);
  for (const std::string& w : grammar_keywords(fs::path(KES_SOURCE_DIR) / "src" / "driver" / "grammar" / "kestravine.grammar"))
    words.insert(w);
  ASSERT_GT(words.size(), 300u);
  // A yes/no option is also taken as NOname, which the grammar lists as its own word.
  for (const std::string& w : std::vector<std::string>(words.begin(), words.end())) words.insert("NO" + w);

  const std::set<std::string> system = rule_first_words(runner_grammar, "system_option");
  const std::set<std::string> axis = rule_first_words(runner_grammar, "axis_option");
  const std::set<std::string> text_items = rule_first_words(runner_grammar, "text_item");
  const std::set<std::string> tick_items = rule_first_words(runner_grammar, "tick_item");
  ASSERT_EQ(system.size(), 8u);
  ASSERT_EQ(axis.size(), 10u);
  ASSERT_GE(text_items.size(), 7u);
  ASSERT_EQ(tick_items.size(), 4u);

  const plat::run_config saved = plat::config();
  std::vector<std::string> records;
  for (const std::string& w : words) {
    std::string error;
    plat::set_system_option(w, "", &error);
    const bool system_taken = error.rfind("unknown system option", 0) != 0;
    EXPECT_EQ(system_taken, system.count(w) > 0) << "OPTIONS " << w << ": " << error;

    error = plat::encode_axis(w + "=1", &records);
    EXPECT_EQ(error.find("there is no option") == std::string::npos, axis.count(w) > 0) << "AXIS1 " << w << "=1: " << error;

    // The value-less <QS> alternative of an item list has no word.
    for (const auto& [list, items] : {std::pair<std::string, const std::set<std::string>*>{"VALUE=", &text_items},
                                      {"MAJOR=", &tick_items}}) {
      error = plat::encode_axis(list + "(" + w + "=1)", &records);
      EXPECT_EQ(error.find("has no item") == std::string::npos, items->count(w) > 0)
          << "AXIS1 " << list << "(" << w << "=1): " << error;
    }
  }
  plat::config() = saved;
}

// What the reference says a step does beyond an option's own work, each claim beside
// a run that shows it: ALL's tables without WEIGHT, the probability plot the default
// percent ticks cannot hold, and the options template and device graphs treat apart.
TEST(StatementReference, SaysWhatTheStepDoes) {
  const struct {
    const char* section;
    const char* option;
    const char* says;
  } claims[] = {
      {"PROC KESTRAVINE", "ALL", "LOCCOUNT (the Location Counts table)"},
      {"PROC KESTRAVINE", "ALL", "TRIMMED=.25 and WINSORIZED=.25 (the 25 % trimmed and winsorized means)"},
      {"HISTOGRAM", "HREFLABPOS=", "2 and 4 are device graphs only, and a note names them"},
      {"CDFPLOT", "CPROP", "Device graphs only."},
      {"INSET", "NORMAL", "named alone without sub-keywords in parentheses"},
      {"INSET", "NCOLS=", "device graphs fill as many columns as fit in the margin and do not read NCOLS="},
  };
  for (const auto& c : claims) {
    bool found = false;
    for (const row& r : section_rows(c.section))
      found = found || (r.option == c.option && r.description.find(c.says) != std::string::npos);
    EXPECT_TRUE(found) << c.section << " " << c.option << ": " << c.says;
  }
  const std::string doc = kes_test::slurp(fs::path(KES_SOURCE_DIR) / "docs" / "statements.md");
  const size_t probplot = doc.find("## PROBPLOT");
  ASSERT_NE(probplot, std::string::npos);
  const std::string intro = doc.substr(probplot, doc.find("### ", probplot) - probplot);
  EXPECT_NE(intro.find("about 625,000 values or more"), std::string::npos) << intro;
  EXPECT_NE(intro.find("PCTLORDER= ticks that cover its plotting positions draw it"), std::string::npos) << intro;

  kes_test::scratch_dir dir("refsays");
  dir.write("d.csv", "x,w\n1,1\n2,2\n4,1\n7,3\n");
  auto run = [&](const std::string& program, std::string* listing = nullptr) {
    fs::remove_all(dir / "g");
    fs::create_directories(dir / "g");
    dir.write("p.kes", program);
    kes_test::runner_process proc;
    proc.start(dir.path().string(), {"--work", ".", "--graphs", "g", "--graphics", "template", "--log", "log",
                                     "--listing", "lst", "p.kes"},
               [] { ::alarm(120); });
    EXPECT_EQ(proc.wait(), 0) << program;
    if (listing) *listing = kes_test::slurp(dir / "lst");
    return std::distance(fs::directory_iterator(dir / "g"), fs::directory_iterator{});
  };
  std::string lst;
  for (const auto& [weight, shown] : {std::pair<const char*, bool>{"", true}, {" weight w;", false}}) {
    run(std::string("proc kestravine data=d all; var x;") + weight + " run;\n", &lst);
    for (const char* table : {"Location Counts", "Trimmed Means", "Winsorized Means"})
      EXPECT_EQ(lst.find(table) != std::string::npos, shown) << table << weight;
  }
  // The first plotting position, 100 (1 - 0.375) / (n + 0.25), reaches 0.0001 at
  // n = 624,999.75: 624,999 values are drawn with the default ticks, 625,000 are not.
  for (const auto& [n, drawn] : {std::pair<long, long>{624999, 1}, {625000, 0}}) {
    dir.write("n.csv", "x,f\n1," + std::to_string(n / 2) + "\n2," + std::to_string(n - n / 2) + "\n");
    EXPECT_EQ(run("proc kestravine data=n noprint; var x; freq f; probplot x; run;\n"), drawn) << n;
  }
  EXPECT_EQ(run("proc kestravine data=n noprint; var x; freq f; probplot x / pctlorder=0.00001 50 99.99999; run;\n"),
            1);
}

// Every option the reference marks "Device graphs only." is one the template path does
// not read: a template graph drawn with it is byte for byte the one drawn without it
// (with reference lines, CLASS cells, an inset and a family's curve for the options to
// act on), and the step notes it; the device draws another graph with most of them.
// One marked "Its value: device graphs only." draws the same template graph whatever
// its value, and is noted too. A test a section (each plot statement's options, and
// the INSET options on a histogram), so that their runs are spread over the test workers.
class DeviceOnlyOptions : public ::testing::TestWithParam<const char*> {};

TEST_P(DeviceOnlyOptions, LeaveTemplateGraphsAlone) {
  namespace fs = std::filesystem;
  const std::string section = GetParam();
  kes_test::scratch_dir dir("devonly");
  std::ostringstream data;
  data << "x,g\n";
  for (int i = 0; i < 40; ++i) data << 1 + (i * 17) % 23 + 0.25 * (i % 4) << "," << (i % 2 ? "a" : "b") << "\n";
  dir.write("d.csv", data.str());
  const std::map<std::string, std::string> sample = {
      {"colour", "red"}, {"number", "3"}, {"text", "'Graph'"}, {"font", "'Courier'"}, {"name", "X"}, {"flag", ""},
      {"colours", "red"}, {"numbers", "3"}, {"optional `=colour`", "red"}};
  // Families drawn alone need these to fit the data.
  const std::map<std::string, std::string> params = {{"BETA", "SIGMA=30 "}};
  // A second value of each kind, for the options whose value only device graphs read.
  const std::map<std::string, std::string> other = {
      {"colour", "blue"}, {"number", "2"}, {"optional `=colour`", "blue"}};
  int next = 0;
  // The graph files of one run, by name: its folder's SVG files.
  auto draw = [&](const std::string& stmt, const std::string& option, const std::string& graphics, std::string* log,
                  const std::string& inset_option = "") {
    const std::string out = "g" + std::to_string(next++);
    fs::create_directories(dir / out);
    dir.write("p.kes", "proc kestravine data=d noprint; var x; class g;\n" + stmt + " x / href=5 vref=0.5 " + option +
                           ";\ninset n mean / header='Cells' " + inset_option + ";\nrun;\n");
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
  auto trimmed = [](const std::string& v) {
    const std::string t = v.substr(v.find_first_not_of(' '));
    return t.substr(0, t.find_last_not_of(' ') + 1);
  };
  size_t marked = 0, on_device = 0, differ_on_device = 0, valued = 0;
  // The INSET section's rows are given in the INSET statement and noted after "INSET ".
  const bool inset = section == "INSET";
  const std::string stmt = inset ? "HISTOGRAM" : section;
  std::string log;
  std::map<std::string, std::map<std::string, std::string>> plain, plain_device;  // by family
  for (const row& r : section_rows(section)) {
    const bool whole = r.description.find("Device graphs only.") != std::string::npos;
    const bool value = r.description.find("Its value: device graphs only.") != std::string::npos;
    if (!whole && !value) continue;
    auto it = sample.find(trimmed(r.value));
    ASSERT_NE(it, sample.end()) << "no sample of a " << trimmed(r.value) << " for " << r.option;
    // A family's own option goes in its parentheses, beside the family drawn alone.
    const std::string own = params.count(r.family) ? params.at(r.family) : "";
    auto given = [&](const std::string& v) {
      const std::string o = r.option + (v.empty() || r.option.back() == '=' ? v : "=" + v);
      return r.family.empty() ? o : r.family + "(" + own + o + ")";
    };
    const std::string shown =
        (inset ? "INSET " : "") + (r.family.empty() ? r.option : r.family + "(" + r.option + ")");
    auto with = [&](const std::string& option, const std::string& graphics) {
      const std::string base =
          r.family.empty() || !option.empty() ? "" : r.family + (own.empty() ? "" : "(" + own + ")");
      return inset ? draw(stmt, base, graphics, &log, option) : draw(stmt, base + " " + option, graphics, &log);
    };
    if (value) {
      // Two values, one template graph.
      ++valued;
      const auto one = with(given(it->second), "template");
      EXPECT_NE(log.find("not used by template graphs: " + shown + " (its value)"), std::string::npos)
          << section << " " << shown << log;
      EXPECT_EQ(with(given(other.at(trimmed(r.value))), "template"), one) << section << " " << shown;
      continue;
    }
    ++marked;
    if (!plain.count(r.family)) {
      plain[r.family] = with("", "template");
      ASSERT_FALSE(plain[r.family].empty()) << section << " " << r.family << "\n" << log;
      if (r.family.empty()) plain_device[r.family] = with("", "device");
    }
    const std::string option = given(it->second);
    EXPECT_EQ(with(option, "template"), plain[r.family]) << section << " " << option;
    EXPECT_NE(log.find("not used by template graphs: " + shown), std::string::npos)
        << section << " " << option << log;
    // The device's own tests draw the families' curve looks; here the test stays short.
    if (!r.family.empty()) continue;
    ++on_device;
    if (with(option, "device") != plain_device[r.family]) ++differ_on_device;
  }
  // Every section has some; the device reads most of them (a few, such as LVREF=
  // with VREF= off the vertical axis, may draw the same graph here): 18 of the 26 of
  // QQPLOT and 18 of the 25 of PPPLOT at the fewest.
  EXPECT_GE(marked, section == "INSET" ? 5u : 20u);
  EXPECT_GE(valued, 1u);
  EXPECT_GE(differ_on_device * 3, on_device * 2) << differ_on_device << " of " << on_device;
}

INSTANTIATE_TEST_SUITE_P(StatementReference, DeviceOnlyOptions,
                         ::testing::Values("HISTOGRAM", "QQPLOT", "PROBPLOT", "CDFPLOT", "PPPLOT", "INSET"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
