// The template dynamics are named once (host/template_dynamics.def) for the module that
// emits them and the templates that read them: each name has its own text, and no code
// on either side spells a listed dynamic as a string, where a misspelling would build
// and read nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/template_dynamics.h"

namespace fs = std::filesystem;

namespace {

struct dynamic {
  const char* name;
  const char* text;
};
const dynamic kDynamics[] = {
#define KES_DYNAMIC(name, text) {#name, KES_DYN_##name},
#include "host/template_dynamics.def"
#undef KES_DYNAMIC
};

std::string read(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The code of a file without its comments.
std::string code_of(const std::string& text) {
  static const std::regex kComment(R"(//[^\n]*|/\*[\s\S]*?\*/)");
  return std::regex_replace(text, kComment, "");
}

}  // namespace

TEST(TemplateDynamics, EachNameHasItsOwnText) {
  std::set<std::string> texts;
  static const std::regex kForm("_[A-Z][A-Z0-9]*");
  for (const dynamic& d : kDynamics) {
    EXPECT_TRUE(texts.insert(d.text).second) << d.name << " repeats " << d.text;
    EXPECT_TRUE(std::regex_match(d.text, kForm)) << d.name << " = " << d.text;
  }
  EXPECT_GT(texts.size(), 50u);
}

TEST(TemplateDynamics, NoCodeSpellsAListedDynamic) {
  std::set<std::string> listed;
  for (const dynamic& d : kDynamics) listed.insert(std::string("\"") + d.text + "\"");
  int files = 0;
  for (const char* folder :
       {"src/tmplgraph", "src/inset", "src/plotreq", "src/driver", "platform/graph", "platform/output"}) {
    for (const auto& e : fs::recursive_directory_iterator(fs::path(KES_SOURCE_DIR) / folder)) {
      const std::string ext = e.path().extension().string();
      if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
      ++files;
      const std::string code = code_of(read(e.path()));
      static const std::regex kString(R"("_[A-Z][A-Z0-9_]*")");
      for (std::sregex_iterator it(code.begin(), code.end(), kString), end; it != end; ++it)
        EXPECT_EQ(listed.count(it->str()), 0u) << e.path() << " spells " << it->str() << "; use its KES_DYN_ name";
    }
  }
  EXPECT_GT(files, 50);
}
