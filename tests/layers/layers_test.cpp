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

#include "definition_scan.h"
#include "source_scan.h"
#include "support/scratch_files.h"

namespace fs = std::filesystem;

namespace {

// Bottom first. Each folder lists the folders it may include besides itself: the
// subsystems call only those with smaller numbers (the renderers and insets sit under
// the plot requests, the driver alone on top). The two renderers are alternatives over
// the same plot data: neither includes the other. The locale and date routines and the
// data pass stand beside the subsystems, under the driver alone.
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
    {"locale", {"host", "util", "records", "numeric"}},
    {"datapass", {"host", "util", "records", "numeric", "stats"}},
    {"driver",
     {"host", "util", "records", "numeric", "stats", "fit", "fitreport", "inset", "plotdata", "devgraph",
      "tmplgraph", "plotreq", "locale", "datapass"}},
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
const std::vector<layer_exception> kPlatformExceptions = {};

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

// Every function defined in a folder other than the one whose header declares it (a
// class's members count as the class's): "file:line (folder) defines NAME of X". The
// declaring folder may call down, but a lower one that defines an upper header's
// function is called up into all the same.
std::vector<std::string> definitions_elsewhere(const fs::path& root) {
  std::map<std::string, std::set<std::string>> functions, classes;  // name -> folders of headers
  std::vector<std::pair<fs::path, std::string>> sources;           // .cpp file, its folder
  for (const auto& top : fs::directory_iterator(root)) {
    if (!top.is_directory()) continue;
    const std::string folder = top.path().filename().string();
    for (const auto& entry : fs::recursive_directory_iterator(top.path())) {
      if (!entry.is_regular_file()) continue;
      const std::string ext = entry.path().extension().string();
      if (ext == ".cpp") sources.emplace_back(entry.path(), folder);
      if (ext != ".h") continue;
      const kes_test::scope_scan scan = kes_test::scan_scopes(kes_test::read_source(entry.path()));
      for (const kes_test::function_site& f : scan.functions)
        if (f.scope.empty()) functions[f.name].insert(folder);
      for (const std::string& c : scan.classes) classes[c].insert(folder);
    }
  }
  std::vector<std::string> bad;
  for (const auto& [file, folder] : sources) {
    for (const kes_test::function_site& f : kes_test::scan_scopes(kes_test::read_source(file)).functions) {
      if (!f.defined) continue;
      const bool member = !f.scope.empty() && classes.count(f.scope) != 0;
      const auto& owners = member ? classes : functions;
      const auto it = owners.find(member ? f.scope : f.name);
      if (it == owners.end() || it->second.count(folder) != 0) continue;
      bad.push_back(file.string() + ":" + std::to_string(f.line) + " (" + folder + ") defines " +
                    (member ? f.scope + "::" : "") + f.name + " of " + *it->second.begin());
    }
  }
  return bad;
}

// The stand-in's routines of the host services (plat_<name>) a file takes from a folder
// its own may not include: by name, or all at once where it takes the address of every
// routine the service list names ("&plat_##name" over host/host_services.def). The
// routines are reached by C linkage, past the include check, so their use is checked
// here: "file (folder) takes N routines of X, e.g. plat_name".
std::vector<std::string> routines_taken_from_above(const fs::path& platform, const fs::path& services,
                                                   const layer_table& allowed = kPlatformAllowed) {
  std::map<std::string, std::string> home;  // routine -> the folder defining it
  std::vector<std::pair<fs::path, std::string>> files;
  for (const auto& top : fs::directory_iterator(platform)) {
    if (!top.is_directory()) continue;
    const std::string folder = top.path().filename().string();
    for (const auto& entry : fs::recursive_directory_iterator(top.path())) {
      const std::string ext = entry.path().extension().string();
      if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
      files.emplace_back(entry.path(), folder);
      if (ext != ".cpp") continue;
      for (const kes_test::function_site& f : kes_test::scan_scopes(kes_test::read_source(entry.path())).functions)
        if (f.defined && f.scope.empty() && f.name.rfind("plat_", 0) == 0) home[f.name] = folder;
    }
  }
  std::vector<std::string> listed;  // every routine of the service list
  static const std::regex kService(R"(^\s*HOST_SVC(_VA)?\(\s*[^,]+,\s*(\w+))");
  for (const auto& entry : fs::directory_iterator(services)) {
    if (entry.path().extension() != ".def") continue;
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);)
      if (std::smatch m; std::regex_search(line, m, kService)) listed.push_back("plat_" + m[2].str());
  }
  static const std::regex kRoutine(R"(\bplat_\w+)");
  std::vector<std::string> bad;
  for (const auto& [file, folder] : files) {
    const std::string text = kes_test::read_source(file);
    std::set<std::string> taken;
    const std::string code = kes_test::code_only(text);
    for (auto it = std::sregex_iterator(code.begin(), code.end(), kRoutine); it != std::sregex_iterator(); ++it)
      taken.insert(it->str());
    if (text.find("&plat_##name") != std::string::npos && text.find("host/host_services.def") != std::string::npos)
      taken.insert(listed.begin(), listed.end());
    std::map<std::string, std::vector<std::string>> by_folder;  // folder above -> routines
    for (const std::string& r : taken) {
      const auto h = home.find(r);
      if (h == home.end() || h->second == folder) continue;
      const auto rule = allowed.find(folder);
      if (rule == allowed.end() || rule->second.count(h->second) == 0) by_folder[h->second].push_back(r);
    }
    for (const auto& [above, routines] : by_folder)
      bad.push_back(file.string() + " (" + folder + ") takes " + std::to_string(routines.size()) + " routines of " +
                    above + ", e.g. " + routines.front());
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

// The module's entry points: the interface (src/host) declares them for the host, which
// calls them; the step driver on top defines them. Nothing in the module calls them.
const std::set<std::string> kEntryPoints = {"mcn_main", "kesg"};

TEST(Layers, EachFunctionIsDefinedInItsHeadersFolder) {
  for (const char* tree : {"src", "platform"}) {
    std::string list;
    for (const std::string& b : definitions_elsewhere(fs::path(KES_SOURCE_DIR) / tree)) {
      const std::size_t at = b.find(") defines ");
      const std::string name = b.substr(at + 10, b.find(" of ", at) - at - 10);
      if (std::string(tree) == "src" && b.find("/src/driver/") != std::string::npos && kEntryPoints.count(name) != 0)
        continue;
      list += b + "\n";
    }
    EXPECT_TRUE(list.empty()) << list;
  }
}

// The scan finds a header's function and a class's member defined a folder away, and
// nothing in an anonymous namespace, a static function or a body's own statements.
TEST(Layers, AFunctionDefinedAwayFromItsHeaderIsFound) {
  const fs::path root =
      fs::temp_directory_path() / ("kes_defs_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(root);
  fs::create_directories(root / "core");
  fs::create_directories(root / "output");
  std::ofstream(root / "core" / "api.h") << "#pragma once\nnamespace plat {\n// f(int) here\n"
                                            "std::vector<int> result_of(int r,\n    int* set);\n"
                                            "struct sys {\n  void emit();\n};\n}\n";
  std::ofstream(root / "core" / "api.cpp") << "namespace plat {\nint helper() { return 1; }\n}\n";
  std::ofstream(root / "output" / "out.cpp")
      << "#include \"core/api.h\"\nnamespace {\nint result_of(int r, int* set) { return r; }\n}\n"
         "static int emit() { return 0; }\nnamespace plat {\nvoid use() {\n  result_of(1, nullptr);\n}\n}\n";
  EXPECT_TRUE(definitions_elsewhere(root).empty());
  std::ofstream(root / "output" / "more.cpp")
      << "namespace plat {\nstd::vector<int> result_of(int r, int* set) {\n  return {r};\n}\n\n"
         "void sys::emit() {\n  const char* s = \"{\";\n}\n}  // namespace plat\n";
  const std::vector<std::string> bad = definitions_elsewhere(root);
  ASSERT_EQ(bad.size(), 2u);
  std::string all = bad[0] + "\n" + bad[1];
  EXPECT_NE(all.find("more.cpp:2 (output) defines result_of of core"), std::string::npos) << all;
  EXPECT_NE(all.find("more.cpp:6 (output) defines sys::emit of core"), std::string::npos) << all;
  fs::remove_all(root);
}

TEST(Layers, NoPlatformFileTakesAHostRoutineFromAFolderAbove) {
  const fs::path root(KES_SOURCE_DIR);
  const std::vector<std::string> bad = routines_taken_from_above(root / "platform", root / "src" / "host");
  std::string list;
  for (const std::string& b : bad) list += b + "\n";
  EXPECT_TRUE(bad.empty()) << list;
}

// The check itself: a bottom folder that calls a routine of the top one by name, or
// takes the address of every listed routine, is found; the top one calling down is not.
TEST(Layers, AHostRoutineTakenFromAboveIsFound) {
  const kes_test::scratch_dir scratch("routines");
  const fs::path& root = scratch.path();
  fs::create_directories(root / "platform" / "core");
  fs::create_directories(root / "platform" / "graph");
  fs::create_directories(root / "host");
  std::ofstream(root / "host" / "svc.def") << "HOST_SVC(int, gdraw, 116, 0, (int a), (a))\n"
                                              "HOST_SVC(int, xexit, 1, 0, (int a), (a))\n";
  std::ofstream(root / "platform" / "core" / "exit.cpp") << "int plat_xexit(int a) {\n  return a;\n}\n";
  std::ofstream(root / "platform" / "graph" / "draw.cpp")
      << "int plat_gdraw(int a) {\n  return plat_xexit(a);\n}\n";
  EXPECT_TRUE(routines_taken_from_above(root / "platform", root / "host").empty());
  std::ofstream(root / "platform" / "core" / "table.cpp")
      << "#define HOST_SVC(r, name, v, s, p, a) t[v][s] = &plat_##name;\n#include \"host/host_services.def\"\n";
  std::ofstream(root / "platform" / "core" / "use.cpp") << "// plat_gdraw in a comment is no use\n"
                                                           "int f() {\n  return plat_gdraw(1);\n}\n";
  const std::vector<std::string> bad = routines_taken_from_above(root / "platform", root / "host");
  ASSERT_EQ(bad.size(), 2u);
  const std::string all = bad[0] + "\n" + bad[1];
  EXPECT_NE(all.find("table.cpp (core) takes 1 routines of graph, e.g. plat_gdraw"), std::string::npos) << all;
  EXPECT_NE(all.find("use.cpp (core) takes 1 routines of graph, e.g. plat_gdraw"), std::string::npos) << all;
}
