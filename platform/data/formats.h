// Formats of the stand-in host: how values print (BESTw., w.d, $w.) and how numbers
// are written to CSV files. One formatter serves printing, CLASS and BY texts and
// the formatted values of variable-get sets.
#pragma once
#include <string>
#include <string_view>

#include "core/number_text.h"

namespace plat {

struct format_def {
  enum kind_t { best, fixed, text } kind = best;
  int width = 12;      // 1 to 32 for numbers; 1 to 32767 for texts
  int decimals = 0;    // fixed only
};

// Reads a format text: "BESTw." (w 1 to 32, default 12), "w.d" or "Fw.d" (w 1 to 32,
// d below w), "$w." or "$CHARw."; case is ignored and the final point may be left
// out. false for anything else.
bool parse_format(std::string_view text, format_def* f);
// The text of a format, e.g. "BEST12.", "8.2", "$20.".
std::string format_text(const format_def& f);
// The default format of a variable: BEST12. for numbers, $length. for texts.
format_def default_format(bool numeric, int length);

// A number in exactly f.width characters, right-aligned. Missing values print as
// ".", "._" or ".A" to ".Z". A value that does not fit prints as asterisks.
std::string format_number(double v, const format_def& f);
// BESTw.: best_text (the form with the most significant digits that fits in w, no
// more than the shortest exact text has) right-aligned in w characters, w 1 to 32.
std::string format_best(double v, int width);
// A text in exactly width characters, left-aligned, cut or blank-padded.
std::string format_text_value(std::string_view s, int width);

// The shortest text that reads back as the same double (CSV output); missing
// values as ".", "._", ".A" to ".Z".
std::string number_to_csv(double v);

}  // namespace plat
