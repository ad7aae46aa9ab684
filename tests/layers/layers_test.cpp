// The folders of src/ and of platform/ form layers: a file may include headers of its
// own folder and of the folders below it, never of a folder above. The tables below are
// the one place the layering is written down; the README's "Source layout" shows the
// same order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Bottom first. Each folder lists the folders it may include besides itself: the
// subsystems call only those with smaller numbers (the renderers and insets sit under
// the plot requests, the driver alone on top). The two renderers are alternatives over
// the same plot data: neither includes the other.
const std::map<std::string, std::set<std::string>> kAllowed = {
    {"host", {}},
    {"util", {"host"}},
    {"records", {"host", "util"}},
    {"numeric", {"host", "util", "records"}},
    {"stats", {"host", "util", "records", "numeric"}},
    {"fit", {"host", "util", "records", "numeric", "stats"}},
    {"fitreport", {"host", "util", "records", "numeric", "stats", "fit"}},
    {"inset", {"host", "util", "records", "numeric", "stats", "fit", "fitreport"}},
    {"plotdata", {"host", "util", "records", "numeric", "stats", "fit", "fitreport", "inset"}},
    {"devgraph", {"host", "util", "records", "numeric", "stats", "fit", "fitreport", "inset", "plotdata"}},
    {"tmplgraph", {"host", "util", "records", "numeric", "stats", "fit", "fitreport", "inset", "plotdata"}},
    {"plotreq",
     {"host", "util", "records", "numeric", "stats", "fit", "fitreport", "inset", "plotdata", "devgraph",
      "tmplgraph"}},
    {"driver",
     {"host", "util", "records", "numeric", "stats", "fit", "fitreport", "inset", "plotdata", "devgraph",
      "tmplgraph", "plotreq"}},
};

// platform/ in the same way: the shared services (core) at the bottom, the runner on
// top. The template graphs are drawn into the output system's objects, so graph sits
// above output.
const std::map<std::string, std::set<std::string>> kPlatformAllowed = {
    {"catalogue", {}},
    {"core", {}},
    {"locale", {"core"}},
    {"data", {"core", "locale"}},
    {"parse", {"core", "locale", "data"}},
    {"output", {"core", "locale", "data", "parse"}},
    {"graph", {"core", "locale", "data", "parse", "output"}},
    {"runner", {"core", "locale", "data", "parse", "output", "graph"}},
};

// Files allowed one include against the order, each with its reason: breaking the
// cycle would move a file other work is changing.
struct layer_exception {
  const char* file;    // below the root
  const char* folder;  // the folder above it that it includes
  const char* reason;
};
const std::vector<layer_exception> kPlatformExceptions = {
    {"output/graph_methods.cpp", "graph",
     "the output method of a template graph panel writes what graph/ drew; it moves to graph/ when that settles"},
};

using layer_table = std::map<std::string, std::set<std::string>>;

struct include_line {
  std::string file;
  int line;
  std::string target;  // the folder of the included header, "" for a plain name
};

std::vector<include_line> includes_of(const fs::path& file) {
  static const std::regex kInclude(R"re(^\s*#\s*include\s*"([^"]*)")re");
  std::vector<include_line> out;
  std::ifstream in(file);
  std::string text;
  int n = 0;
  while (std::getline(in, text)) {
    ++n;
    std::smatch m;
    if (!std::regex_search(text, m, kInclude)) continue;
    const std::string path = m[1];
    const auto slash = path.find('/');
    out.push_back({file.string(), n, slash == std::string::npos ? "" : path.substr(0, slash)});
  }
  return out;
}

// Every violation in the tree below root: "file:line includes a header of folder X".
std::vector<std::string> violations(const fs::path& root, const layer_table& allowed = kAllowed,
                                    const std::vector<layer_exception>& exceptions = {}) {
  std::vector<std::string> bad;
  for (const auto& top : fs::directory_iterator(root)) {
    if (!top.is_directory()) continue;
    const std::string folder = top.path().filename().string();
    const auto rule = allowed.find(folder);
    for (const auto& entry : fs::recursive_directory_iterator(top.path())) {
      if (!entry.is_regular_file()) continue;
      const std::string ext = entry.path().extension().string();
      if (ext != ".h" && ext != ".cpp" && ext != ".def") continue;
      if (rule == allowed.end()) {
        bad.push_back(entry.path().string() + ": folder '" + folder + "' has no place in the layer table");
        break;
      }
      for (const include_line& inc : includes_of(entry.path())) {
        if (inc.target.empty() || inc.target == folder || rule->second.count(inc.target) != 0) continue;
        // A folder of the build tree's generated headers, or a tool's own, is no layer.
        if (allowed.count(inc.target) == 0) continue;
        const std::string below = fs::relative(entry.path(), root).generic_string();
        if (std::any_of(exceptions.begin(), exceptions.end(), [&](const layer_exception& x) {
              return below == x.file && inc.target == x.folder;
            }))
          continue;
        bad.push_back(inc.file + ":" + std::to_string(inc.line) + " (" + folder + ") includes a header of " +
                      inc.target);
      }
    }
  }
  return bad;
}

}  // namespace

TEST(Layers, TableIsAStrictOrder) {
  // Each folder's allowed set holds exactly the folders below it, and nothing allows
  // itself or a folder that allows it back: no two folders can include each other.
  for (const layer_table* table : {&kAllowed, &kPlatformAllowed}) {
    for (const auto& [folder, below] : *table) {
      EXPECT_EQ(below.count(folder), 0u) << folder;
      for (const std::string& lower : below) {
        ASSERT_EQ(table->count(lower), 1u) << folder << " allows unknown " << lower;
        EXPECT_EQ(table->at(lower).count(folder), 0u) << folder << " and " << lower << " allow each other";
        for (const std::string& lower2 : table->at(lower))
          EXPECT_EQ(below.count(lower2), 1u) << folder << " allows " << lower << " but not what it includes, " << lower2;
      }
    }
  }
}

TEST(Layers, NoFileIncludesAHeaderFromAFolderAbove) {
  const fs::path src = fs::path(KES_SOURCE_DIR) / "src";
  ASSERT_TRUE(fs::is_directory(src)) << src;
  const std::vector<std::string> bad = violations(src);
  std::string list;
  for (const std::string& b : bad) list += b + "\n";
  EXPECT_TRUE(bad.empty()) << list;
}

TEST(Layers, NoPlatformFileIncludesAHeaderFromAFolderAbove) {
  const fs::path platform = fs::path(KES_SOURCE_DIR) / "platform";
  ASSERT_TRUE(fs::is_directory(platform)) << platform;
  const std::vector<std::string> bad = violations(platform, kPlatformAllowed, kPlatformExceptions);
  std::string list;
  for (const std::string& b : bad) list += b + "\n";
  EXPECT_TRUE(bad.empty()) << list;
  // Each exception still names an include that is there: one no longer needed goes.
  for (const layer_exception& x : kPlatformExceptions) {
    bool found = false;
    for (const include_line& inc : includes_of(platform / x.file)) found = found || inc.target == x.folder;
    EXPECT_TRUE(found) << x.file << " no longer includes " << x.folder << ": drop its exception";
  }
}

// The check itself catches an upward include: a scratch tree whose bottom folder
// includes the top one's header.
TEST(Layers, AnUpwardIncludeIsFound) {
  const fs::path root = fs::temp_directory_path() / ("kes_layers_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(root);
  fs::create_directories(root / "records");
  fs::create_directories(root / "driver");
  std::ofstream(root / "driver" / "step.h") << "#pragma once\n";
  std::ofstream(root / "driver" / "step.cpp") << "#include \"driver/step.h\"\n#include \"records/ctx.h\"\n";
  std::ofstream(root / "records" / "ctx.h") << "#pragma once\n#include <cstdint>\n";
  EXPECT_TRUE(violations(root).empty());
  std::ofstream(root / "records" / "ctx.cpp") << "#include \"records/ctx.h\"\n#include \"driver/step.h\"\n";
  const std::vector<std::string> bad = violations(root);
  ASSERT_EQ(bad.size(), 1u);
  EXPECT_NE(bad[0].find("ctx.cpp:2 (records) includes a header of driver"), std::string::npos) << bad[0];
  // A folder the table does not know is refused, so that a new one gets its place.
  fs::create_directories(root / "newthing");
  std::ofstream(root / "newthing" / "a.h") << "#pragma once\n";
  EXPECT_EQ(violations(root).size(), 2u);
  // A listed exception lets exactly its own file's include through.
  const std::vector<layer_exception> pass = {{"records/ctx.cpp", "driver", "scratch"}};
  const std::vector<std::string> left = violations(root, kAllowed, pass);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_NE(left[0].find("newthing"), std::string::npos) << left[0];
  fs::remove_all(root);
}
