// The rule of the least text size: no text of any page drawn smaller than a reader can
// read, unless the page cannot hold one line of text that large.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scratch_files.h"
#include "support/svg_rules.h"

namespace {

using namespace kes_test;

// A page w x h holding one text of a size, as the writer draws it.
std::string page(double w, double h, double size, const std::string& text) {
  const std::string ws = std::to_string(w), hs = std::to_string(h);
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + ws + "\" height=\"" + hs + "\" viewBox=\"0 0 " + ws +
         " " + hs + "\">\n<desc>A histogram of x.</desc>\n<text x=\"1\" y=\"" + std::to_string(h * 0.8) +
         "\" font-size=\"" + std::to_string(size) + "\" textLength=\"" + std::to_string(size * 0.6) + "\">" + text +
         "</text>\n</svg>\n";
}

std::string faults_of(const std::string& document) {
  std::string found;
  for (const svg_fault& f : svg_rule_faults(document)) found += f.rule + ": " + f.detail + "\n";
  return found;
}

// Sizes at and about the least, on the default page and on pages as small as a fuzzed
// program's HEIGHT=0.5 (48 px) and smaller; a blank text draws nothing and a page that
// cannot hold a 6 px line holds no text to read.
TEST(GraphTextSizeRule, NoTextIsDrawnBelowTheLeastSize) {
  const struct {
    double w, h, size;
    const char* text;
    bool caught;
  } cases[] = {
      {640, 480, 11, "5", false},   {640, 480, 6, "5", false},    {640, 480, 5.99, "5", true},
      {640, 480, 2.8, "50", true},  {640, 48, 2.8, "50", true},   {48, 640, 4.63, "g=1", true},
      {640, 48, 6, "50", false},    {640, 480, 2, "  ", false},   {640, 4, 1, "5", false},
      {3, 480, 1, "5", false},
  };
  for (const auto& c : cases) {
    const std::string found = faults_of(page(c.w, c.h, c.size, c.text));
    const bool caught = found.find(std::string(kRuleTextTooSmall) + ":") != std::string::npos;
    EXPECT_EQ(caught, c.caught) << c.w << "x" << c.h << " at " << c.size << " px\n" << found;
  }
  // Pages of any size are held to it: fuzzed programs' among them.
  EXPECT_TRUE(svg_rule_holds_at_any_size(kRuleTextTooSmall));
}

// The quick start's histogram with one text shrunk as a writer's fault would: a box's
// value, a tick's value, the title. Each is caught; as committed it passes.
TEST(GraphTextSizeRule, AShrunkTextOfACommittedGraphIsCaught) {
  const std::string doc = slurp(std::filesystem::path(KES_SOURCE_DIR) / "docs/quickstart/Histogram1.svg");
  const auto edited = [&](const std::string& from, const std::string& to) {
    std::string out = doc;
    const std::size_t at = out.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? out : out.replace(at, from.size(), to);
  };
  EXPECT_EQ(faults_of(doc), "");
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"x=\"616\" y=\"51.51\" font-size=\"11\"",
                                                                      "x=\"616\" y=\"51.51\" font-size=\"5.5\""},
                                  {"x=\"261.7\" y=\"407.41\" font-size=\"11\"", "x=\"261.7\" y=\"407.41\" font-size=\"4\""},
                                  {"font-size=\"14\" font-weight=\"bold\"", "font-size=\"5.9\" font-weight=\"bold\""}}) {
    const std::string found = faults_of(edited(from, to));
    EXPECT_NE(found.find(std::string(kRuleTextTooSmall) + ":"), std::string::npos) << to << "\n" << found;
  }
}

}  // namespace
