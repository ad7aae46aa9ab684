// The listing form of an emitted table or factoid: plain text lines.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "output/report.h"
#include "output/templates.h"

namespace plat::out {

using line_sink = std::function<void(std::string_view)>;

// Writes the report as text lines of at most about linesize characters (a table wider
// than the line keeps its width), centred on the line or, without centre, at its left
// margin.
void render_listing(const report& r, const template_look& look, int linesize, const line_sink& sink,
                    bool centre = true);

// The display texts of a numeric column's values (missing values included), with the
// column's presentation and its template look applied.
std::vector<std::string> numeric_column_texts(const std::vector<double>& values, const column_info& col,
                                              const column_look* look);

// The listing text of one missing value: "." for the standard kind, blank for '_',
// ".A" for a letter.
std::string missing_text(char kind);

// A line with text centred in width characters (text wider than width is kept whole);
// without centre the text as it stands, at the left margin.
std::string centred(const std::string& text, int width, bool centre = true);
// The same into out, which keeps its room from one line to the next.
void centred_into(std::string& out, std::string_view text, int width, bool centre = true);

}  // namespace plat::out
