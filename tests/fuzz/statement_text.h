// A statement as the test writers type it into a program: its keyword, then words
// (variables, options, values) each after a blank, a slash before the options after
// it, and the ';' that ends it. Where the lines break and how each is typed are the
// writer's: the grammar writer types a statement on one line as it stands; the
// everyday writer types as users type, each line indented, some with a comment after,
// a plot statement's options on lines of their own.
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kes_fuzz {

// How a writer types a line. Both may draw from the writer's generator: they are
// drawn when the line ends, after the words the line holds.
struct typing {
  // The blanks a line begins with; none without it.
  std::function<std::string()> indent;
  // What follows a line that says what of `about` (a comment, or nothing); nothing
  // without it.
  std::function<std::string(const char* about)> comment;
};

class statement_text {
 public:
  explicit statement_text(std::string keyword, typing how = {}) : line_(std::move(keyword)), how_(std::move(how)) {}

  // A word after a blank; an empty one adds nothing. The first word of a line the
  // statement breaks to stands two blanks in.
  statement_text& word(const std::string& w) {
    if (!w.empty()) line_ += (line_.empty() ? "  " : " ") + w;
    return *this;
  }
  statement_text& words(const std::vector<std::string>& ws) {
    for (const std::string& w : ws) word(w);
    return *this;
  }
  // The slash before the options after it: written once however often asked, so
  // that each option after it may ask for it.
  statement_text& slash() {
    if (!slashed_) line_ += " /";
    slashed_ = true;
    return *this;
  }
  // Ends the line here, with a comment on `about` where the typing writes one: the
  // next word stands on a line of its own.
  statement_text& line(const char* about = nullptr) {
    done_ += typed(line_, about);
    line_.clear();
    return *this;
  }
  // The statement with its ';', on a line of its own after a break, and the line's end.
  std::string end(const char* about = nullptr) { return done_ + typed(line_ + ";", about); }

 private:
  std::string typed(const std::string& text, const char* about) const {
    std::string out = how_.indent ? how_.indent() : std::string();
    out += text;
    if (about != nullptr && how_.comment) out += how_.comment(about);
    return out + "\n";
  }

  std::string done_;  // the lines ended so far
  std::string line_;  // the line being typed
  typing how_;
  bool slashed_ = false;
};

// Options as a parenthesised list, each after a blank: "( a b )", "( )" without any.
inline std::string in_parentheses(const std::vector<std::string>& options) {
  std::string s = "(";
  for (const std::string& o : options) s += " " + o;
  return s + " )";
}

}  // namespace kes_fuzz
