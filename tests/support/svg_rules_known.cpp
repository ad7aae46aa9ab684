// The fault list that excuses known breaches of the graph rules, and the checks a
// test's runs and the examples call (see svg_rules.h).
#include "support/svg_rules.h"

#include <fnmatch.h>

#include <fstream>
#include <set>
#include <tuple>
#include <sstream>

#include "support/scratch_files.h"

namespace kes_test {
namespace {

struct known_fault {
  std::string key, rule;
};

// The list, read once: "KEY RULE  # reason" a line; '#' starts a comment.
const std::vector<known_fault>& known_faults() {
  static const std::vector<known_fault> list = [] {
    std::vector<known_fault> out;
    std::ifstream in(std::filesystem::path(KES_SOURCE_DIR) / "tests/support/svg_known_faults.txt");
    std::string line;
    while (std::getline(in, line)) {
      line = line.substr(0, line.find('#'));
      std::istringstream words(line);
      known_fault f;
      if (words >> f.key >> f.rule) out.push_back(f);
    }
    return out;
  }();
  return list;
}

// "Suite.Test/" for the running test; "" outside one.
std::string test_prefix() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return info == nullptr ? std::string() : std::string(info->test_suite_name()) + "." + info->name() + "/";
}

}  // namespace

bool svg_fault_known(const std::string& key, const std::string& rule) {
  for (const known_fault& f : known_faults())
    if (f.rule == rule && ::fnmatch(f.key.c_str(), key.c_str(), 0) == 0) return true;
  return false;
}

std::string svg_unexcused_faults(std::string_view document, const std::string& key, const svg_facts& facts) {
  std::string out;
  for (const svg_fault& f : svg_rule_faults(document, facts))
    if (!svg_fault_known(key, f.rule)) out += key + ": " + f.rule + ": " + f.detail + "\n";
  return out;
}

void expect_graph_rules(std::string_view document, const std::string& name, const svg_facts& facts) {
  const std::string faults = svg_unexcused_faults(document, test_prefix() + name, facts);
  EXPECT_TRUE(faults.empty()) << "the graph breaks the rules every graph keeps:\n" << faults;
}

void expect_graph_rules(const std::filesystem::path& dir) {
  if (::testing::UnitTest::GetInstance()->current_test_info() == nullptr) return;
  // A file is checked once as written: folders are checked at every run and at the end.
  static std::set<std::tuple<std::string, std::uintmax_t, std::filesystem::file_time_type>> checked;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(dir, ec); !ec && it != std::filesystem::end(it);
       it.increment(ec))
    if (it->is_regular_file() && it->path().extension() == ".svg" &&
        checked.insert({it->path().string(), it->file_size(), it->last_write_time()}).second) {
      const std::string doc = slurp(it->path());
      // A file cut short (a run stopped by a signal or a size limit) is no graph.
      if (doc.find("</svg>") != std::string::npos)
        expect_graph_rules(doc, std::filesystem::relative(it->path(), dir).string());
    }
}

}  // namespace kes_test
