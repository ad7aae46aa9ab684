// Numeric texts that tell values apart. A listing column of width 8 writes
// 1000000000.0077 and 1000000000.0243 both as "1E9": each value is widened (or its
// column given decimals) until it reads apart from the values it stands beside or is
// compared with, while values that already read apart keep their texts.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace plat::out {

// A value's form: the best form in width characters, or fixed decimals (>= 0) in
// at least width characters.
struct num_form {
  int width;
  int decimals = -1;
};

std::string form_text(double v, const num_form& f);

// Values with the forms they are written in (several values may share one form: the
// decimals of a column), the pairs that must read apart, and the values that must
// read apart from themselves moved by a step (a mean from its standard error).
struct apart_values {
  std::vector<double> value;
  std::vector<std::size_t> form_of;  // index into forms
  std::vector<num_form> forms;
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  std::vector<std::pair<std::size_t, double>> steps;
  // Forms that, once one of them widens, all show as many digits as the widest.
  std::vector<std::vector<std::size_t>> shared;
  std::vector<num_form> initial;  // the forms before widening

  std::size_t add(double v, std::size_t form) {
    value.push_back(v);
    form_of.push_back(form);
    return value.size() - 1;
  }
  std::size_t add_form(const num_form& f) {
    forms.push_back(f);
    return forms.size() - 1;
  }
  // Every two neighbours of the values at these indices, in value order.
  void add_neighbours(std::vector<std::size_t> at);
};

// Whether two values differ by more than rounding (16 units in the last place).
bool differ(double a, double b);

// Widens the forms until every pair and step reads apart, or the values show all
// their digits.
void tell_apart(apart_values& a);

}  // namespace plat::out
