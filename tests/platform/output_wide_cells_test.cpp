// Character values wider than the listing line: cut in the listing with a note, so
// that no line is wider than the line size; tables whose values fit are left as they
// are, however wide the table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/listing_render.h"
#include "output/templates.h"

namespace {

using namespace plat::out;

cell text_cell(std::string s) {
  cell c;
  c.is_text = true;
  c.text = std::move(s);
  return c;
}
cell num_cell(double v) {
  cell c;
  c.num = v;
  return c;
}

// A table of an observation number and the given character columns, one row of the
// given texts.
report id_table(const std::vector<std::string>& names, const std::vector<std::string>& values) {
  report r;
  r.name = "Ids";
  r.label = "Ids";
  column_info obs;
  obs.name = "Obs";
  r.columns.push_back(obs);
  std::vector<cell> row{num_cell(1)};
  for (std::size_t i = 0; i < names.size(); ++i) {
    column_info c;
    c.name = names[i];
    c.numeric = false;
    c.char_width = static_cast<int>(values[i].size());
    r.columns.push_back(c);
    row.push_back(text_cell(values[i]));
  }
  r.rows.push_back(row);
  return r;
}

std::vector<std::string> render(const report& r, int linesize) {
  std::vector<std::string> lines;
  render_listing(r, default_template(), linesize, [&](std::string_view l) { lines.emplace_back(l); });
  return lines;
}

std::size_t widest(const std::vector<std::string>& lines) {
  std::size_t w = 0;
  for (const auto& l : lines) w = std::max(w, l.size());
  return w;
}

bool has_line_with(const std::vector<std::string>& lines, const std::string& text) {
  for (const auto& l : lines)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

TEST(WideCells, AValueWiderThanTheLineIsCutWithANote) {
  struct wide_case {
    int linesize;
    std::vector<std::string> names;
    std::vector<std::size_t> lengths;
    std::size_t cut;  // the width every wide column is cut to
    bool fits;        // the cut table fits the line (not when headers keep it wider)
  };
  // Obs is 3 wide; each gap 2. One column at 32767 characters gets the rest of the
  // line; two share it; a narrow column beside keeps its width; a long header keeps
  // its longest word.
  const wide_case cases[] = {
      {132, {"name"}, {32767}, 132 - 3 - 2, true},
      {80, {"name", "code"}, {32767, 500}, (80 - 3 - 2 - 2) / 2, true},
      {64, {"name", "tag"}, {1000, 10}, 64 - 3 - 2 - 10 - 2, true},
      {40, {"Identifier_of_the_patient_record", "b"}, {5000, 5000}, 32, false},
  };
  for (const wide_case& c : cases) {
    SCOPED_TRACE("line size " + std::to_string(c.linesize));
    std::vector<std::string> values;
    for (std::size_t i = 0; i < c.lengths.size(); ++i) values.push_back(std::string(c.lengths[i], 'a' + i));
    const report r = id_table(c.names, values);
    const auto lines = render(r, c.linesize);
    EXPECT_EQ(widest(lines) <= static_cast<std::size_t>(c.linesize), c.fits);
    EXPECT_TRUE(has_line_with(lines, std::string(c.cut, 'a')));
    EXPECT_FALSE(has_line_with(lines, std::string(c.cut + 1, 'a')));
    // The note, wrapped to the line.
    std::string all;
    for (const auto& l : lines) all += l + " ";
    EXPECT_NE(all.find("Values of " + c.names[0] + " longer than " + std::to_string(c.cut) + " characters are cut"),
              std::string::npos);
    // The report itself, which the JSON file is made from, keeps the whole value.
    EXPECT_EQ(r.rows[0][1].text.size(), c.lengths[0]);
  }
}

TEST(WideCells, ValuesThatFitTheLineAreNotCut) {
  // Wider than the line in all, but no one value is: the table keeps its width.
  const report r = id_table({"a", "b", "c"}, {std::string(60, 'x'), std::string(60, 'y'), std::string(60, 'z')});
  const auto lines = render(r, 132);
  EXPECT_TRUE(has_line_with(lines, std::string(60, 'z')));
  EXPECT_FALSE(has_line_with(lines, "are cut"));
  EXPECT_GT(widest(lines), 132u);
}

}  // namespace
