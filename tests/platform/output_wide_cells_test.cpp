// Character values wider than the listing line are cut in the listing with a note;
// tables whose values fit are left as they are, however wide (id_wide shows the cut
// beside the JSON file's whole value).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "output/listing_render.h"
#include "output/templates.h"

namespace {

using namespace plat::out;

// Listing lines of a table of Obs and the given character columns, one row.
std::vector<std::string> render_ids(const std::vector<std::string>& names, const std::vector<std::string>& values,
                                    int linesize) {
  report r;
  r.name = r.label = "Ids";
  r.columns.emplace_back().name = "Obs";
  std::vector<cell> row{cell{false, "", 1}};
  for (std::size_t i = 0; i < names.size(); ++i) {
    column_info& c = r.columns.emplace_back();
    c.name = names[i];
    c.numeric = false;
    row.push_back(cell{true, values[i], 0});
  }
  r.rows.push_back(row);
  std::vector<std::string> lines;
  render_listing(r, default_template(), linesize, [&](std::string_view l) { lines.emplace_back(l); });
  return lines;
}

std::string joined(const std::vector<std::string>& lines, std::size_t* widest) {
  std::string all;
  for (const auto& l : lines) {
    all += l + "\n";
    *widest = std::max(*widest, l.size());
  }
  return all;
}

// Each case: the width of every cut column (Obs is 3 wide, gaps 2), none when all fit.
TEST(WideCells, AValueWiderThanTheLineIsCutWithANote) {
  struct wide_case {
    int linesize;
    std::vector<std::string> names;
    std::vector<std::size_t> lengths;
    std::size_t cut;
    bool fits;  // not when a long header keeps the column wider, or nothing is cut
  };
  const wide_case cases[] = {
      {132, {"name"}, {32767}, 132 - 3 - 2, true},
      {80, {"name", "code"}, {32767, 500}, (80 - 3 - 2 - 2) / 2, true},  // two share the room
      {64, {"name", "tag"}, {1000, 10}, 64 - 3 - 2 - 10 - 2, true},       // a narrow one keeps its width
      {40, {"Identifier_of_the_patient_record", "b"}, {5000, 5000}, 32, false},
      {132, {"a", "b", "c"}, {60, 60, 60}, 0, false},  // wider than the line, yet each value fits
  };
  for (const wide_case& c : cases) {
    SCOPED_TRACE("line size " + std::to_string(c.linesize));
    std::vector<std::string> values;
    for (std::size_t i = 0; i < c.lengths.size(); ++i) values.push_back(std::string(c.lengths[i], 'a' + i));
    std::size_t widest = 0;
    const std::string all = joined(render_ids(c.names, values, c.linesize), &widest);
    EXPECT_EQ(widest <= static_cast<std::size_t>(c.linesize), c.fits);
    if (c.cut == 0) {
      EXPECT_NE(all.find(values.back()), std::string::npos);
      EXPECT_EQ(all.find("are cut"), std::string::npos);
      continue;
    }
    EXPECT_NE(all.find(std::string(c.cut, 'a')), std::string::npos);
    EXPECT_EQ(all.find(std::string(c.cut + 1, 'a')), std::string::npos);
    std::string note = "Values of " + c.names[0] + " longer than " + std::to_string(c.cut) + " characters are cut";
    std::string flat = all;
    std::replace(flat.begin(), flat.end(), '\n', ' ');  // the note wraps at the line
    EXPECT_NE(flat.find(note), std::string::npos);
  }
}

}  // namespace
