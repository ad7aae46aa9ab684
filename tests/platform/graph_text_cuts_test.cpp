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

// stem + k for k from `first`, k written in `digits` digits.
std::vector<std::string> numbered(const std::string& stem, int n, int digits = 2, int first = 0) {
  std::vector<std::string> out;
  for (int k = first; k < first + n; ++k) {
    const std::string number = std::to_string(k);
    out.push_back(stem + std::string(digits - std::min<int>(digits, number.size()), '0') + number);
  }
  return out;
}

TEST(TextCuts, DifferentTextsStayDifferentAndFitTheirRoom) {
  struct row {
    const char* what;
    std::vector<std::string> texts;
    double width;
    std::string first_cut = {};  // what the first text reads, when given
  };
  text_style t;
  t.size = 8.8;
  const std::string xs(85, 'x');
  const row rows[] = {
      // Parting from a neighbour at the last digit while ending like others two apart:
      // "...004", "...014" and "...024" keep both digits.
      {"ending alike apart from the neighbours", numbered("north_region_monitoring_station_", 24, 3, 1),
       text_advance("north_region_monito" + kEllipsis + "01", t), "north_region_monito" + kEllipsis + "01"},
      {"long alike starts, five digits", numbered(std::string(195, 'Z'), 30, 5), 100},
      {"many levels ending alike, narrow", numbered("Monitoring site number ", 150, 4, 990), 45},
      {"words ending alike", {"north plot upper", "south plot upper", "north plot lower", "south plot lower"}, 40},
      // The end cut keeps exactly the common start: not enough to tell them apart.
      {"end cut up to the parting point", {xs + "A and then more", xs + "B and then more"},
       text_advance(xs + kEllipsis, t)},
      {"the word before the parting word kept", numbered("Measured in any cell at level ", 3),
       text_advance("Measured in any c" + kEllipsis + "level 00", t), "Measured in any c" + kEllipsis + "level 00"},
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
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    const std::vector<std::string> cut = cut_apart(r.texts, t, r.width);
    ASSERT_EQ(cut.size(), r.texts.size());
    if (!r.first_cut.empty()) {
      EXPECT_EQ(cut[0], r.first_cut);
    }
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

// A text shrinks to 80 % of its size before it is cut: whole at the largest size that
// fits, cut (apart from the others) at 80 % only when even that does not fit.
TEST(TextCuts, TextsShrinkBeforeTheyAreCut) {
  text_style t;
  t.size = 11;
  text_style least = t;
  least.size = 8.8;
  const std::vector<std::string> strips = {"0, col00", "0, col01", "1, col00", "1, col01"};
  const double full = text_advance(strips[0], t), small = text_advance(strips[0], least);
  struct row {
    const char* what;
    double width;
    bool whole;
  };
  const row rows[] = {
      {"room for the full size", full, true},
      {"room between the sizes", (full + small) / 2, true},
      {"room for 80 % just", small, true},
      {"less room than at 80 %", small - 0.5, false},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    const std::vector<plat::graph::sized_text> shown = plat::graph::shrink_or_cut_apart(strips, t, r.width);
    ASSERT_EQ(shown.size(), strips.size());
    std::set<std::string> seen;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      EXPECT_EQ(shown[i].text == strips[i], r.whole) << shown[i].text;
      EXPECT_GE(shown[i].size, least.size);
      EXPECT_LE(shown[i].size, t.size);
      text_style drawn = t;
      drawn.size = shown[i].size;
      EXPECT_LE(text_advance(shown[i].text, drawn), r.width + 1e-9) << shown[i].text;
      seen.insert(shown[i].text);
    }
    EXPECT_EQ(seen.size(), strips.size());
  }
}

}  // namespace
