// The tokens of data set options: the text between the parentheses after a data
// set's name, such as "keep=a b where=(a > 1)".
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace plat {

struct opt_token {
  enum kind_t { word, number, text, missing, mark, end } kind = end;
  std::string s;     // a word as written, a text without its quotes, a mark ("<=", "(")
  double value = 0;  // a number or missing value
};

// Splits text into tokens; false with a message in *error for a character that
// begins no token or a text that is not closed.
bool option_tokens(std::string_view text, std::vector<opt_token>* out, std::string* error);

// The text a token was written as, for messages.
std::string token_shown(const opt_token& t);

}  // namespace plat
