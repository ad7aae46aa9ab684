// The condition of a WHERE= data set option: parsed from its tokens, its names bound
// to the variables of a data set, and evaluated on one observation at a time.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/option_tokens.h"

namespace plat {

struct dataset;
struct where_node;

class where_clause {
 public:
  where_clause();
  ~where_clause();
  where_clause(where_clause&&) noexcept;
  where_clause& operator=(where_clause&&) noexcept;

  // Parses tokens [*at, ...) up to the parenthesis that closes the condition (not
  // consumed). False with a message in *error.
  bool parse(const std::vector<opt_token>& tokens, size_t* at, std::string* error);
  // Binds each name to the variable of ds that find (a case-blind lookup, -1 when
  // absent) gives; checks that comparisons join values of one type. False with a
  // message naming the first name that is no variable, or the first mismatch.
  bool bind(const dataset* ds, const std::function<int(const std::string&)>& find, std::string* error);
  // Whether observation row of the bound data set passes.
  bool passes(long row) const;
  // The condition as written, for messages.
  const std::string& text() const { return text_; }

 private:
  std::unique_ptr<where_node> root_;
  const dataset* ds_ = nullptr;
  std::string text_;
};

}  // namespace plat
