// Texts of a set cut to a common width: each fits, different texts stay different, a
// cut keeps whole characters and shows its ellipsis, texts that fit are kept, and a
// lone text is cut at its end.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "graph/template_parts.h"
#include "graph/text_cuts.h"

namespace {

using plat::graph::cut_apart;
using plat::graph::text_advance;
using plat::graph::text_style;

const std::string kEllipsis = "\xE2\x80\xA6";

// Whether s is well-formed UTF-8 (no character split by a cut).
bool whole_characters(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

std::vector<std::string> numbered(const std::string& stem, int n) {
  std::vector<std::string> out;
  for (int k = 0; k < n; ++k) out.push_back(stem + (k < 10 ? "0" : "") + std::to_string(k));
  return out;
}

TEST(TextCuts, DifferentTextsStayDifferentAndFitTheirRoom) {
  struct row {
    const char* what;
    std::vector<std::string> texts;
    double width;
  };
  const row rows[] = {
      {"parting at the end", numbered("Treatment group with a long descriptive name level ", 12), 150},
      {"parting at the end, narrow", numbered("Treatment group with a long descriptive name level ", 12), 60},
      {"parting in the middle", {"Site north of the river, upper plot", "Site south of the river, upper plot",
                                 "Site east of the river, upper plot"}, 110},
      {"strip levels", {"0, condition 0", "0, condition 1", "1, condition 0", "1, condition 1"}, 42},
      {"multi-byte characters", {"Gr\xC3\xB6\xC3\x9F" "e der Pflanze \xC3\xA4", "Gr\xC3\xB6\xC3\x9F" "e der Pflanze \xC3\xB6"},
       70},
      {"one a prefix of another", {"Dose level", "Dose level 2", "Dose level 20"}, 45},
      {"texts that fit, kept however alike", {"a1", "a2"}, 200},
  };
  text_style t;
  t.size = 8.8;
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    const std::vector<std::string> cut = cut_apart(r.texts, t, r.width);
    ASSERT_EQ(cut.size(), r.texts.size());
    EXPECT_EQ(std::set<std::string>(cut.begin(), cut.end()).size(), r.texts.size());
    for (std::size_t i = 0; i < cut.size(); ++i) {
      EXPECT_LE(text_advance(cut[i], t), r.width + 1e-9) << cut[i];
      EXPECT_TRUE(whole_characters(cut[i])) << cut[i];
      const bool fits = text_advance(r.texts[i], t) <= r.width;
      EXPECT_EQ(cut[i] == r.texts[i], fits) << cut[i];
      if (!fits) {
        EXPECT_NE(cut[i].find(kEllipsis), std::string::npos) << cut[i];
      }
    }
  }
  const std::string lone = "A single label far too long for the room it has";
  EXPECT_EQ(cut_apart({lone}, t, 90)[0], plat::graph::fit_text(lone, t, 90));
}

}  // namespace
