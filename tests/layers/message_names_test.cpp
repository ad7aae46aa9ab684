// A message name is a number within its set, so every call must pass the set the
// catalogue gives the name: "KES_SET_PLOT, KES_MSG_X" with X a message of set 308.
// The generated header says each name's set; this scan of the sources checks the pairs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {
std::string read(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

TEST(MessageNames, EveryCallPassesTheSetOfItsMessage) {
  const std::string header = read(fs::path(KES_BINARY_DIR) / "generated" / "kes_msg_names.h");
  ASSERT_FALSE(header.empty());
  std::map<std::string, std::string> set_of;
  static const std::regex kName(R"(constexpr int KES_MSG_(\w+) = \d+;  // set KES_SET_(\w+))");
  for (std::sregex_iterator it(header.begin(), header.end(), kName), end; it != end; ++it)
    set_of[(*it)[1]] = (*it)[2];
  ASSERT_FALSE(set_of.empty());
  static const std::regex kPair(R"(KES_SET_(\w+),\s*KES_MSG_(\w+))");
  int pairs = 0;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(KES_SOURCE_DIR) / "src")) {
    const std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    const std::string text = read(e.path());
    for (std::sregex_iterator it(text.begin(), text.end(), kPair), end; it != end; ++it, ++pairs) {
      const auto found = set_of.find((*it)[2]);
      ASSERT_NE(found, set_of.end()) << e.path() << ": " << (*it)[0];
      EXPECT_EQ(found->second, (*it)[1].str()) << e.path() << ": " << (*it)[0];
    }
  }
  EXPECT_GT(pairs, 100);
}
