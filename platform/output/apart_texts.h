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
  std::vector<int> width_of;      // per value: the width it reads in, where wider than its form's

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

// The width in which the best form of v reads it as the best form of any value reads
// in width: at least min(its shortest text's significant digits, width - 1), and where
// its integer part has width - 1 to 17 digits, that part whole and min(that text's
// decimals, width - 2) decimals, up to 15 digits in all. So a value moved by c reads
// with the decimals it shows unmoved, and a value times k with its significant digits.
int reading_width(double v, int width);

// Whether two values differ by more than rounding (16 units in the last place).
bool differ(double a, double b);

// Widens the forms until every pair and step reads apart, or the values show all
// their digits.
void tell_apart(apart_values& a);

// Value i's text in its form, in its own width where that is wider.
std::string value_text(const apart_values& a, std::size_t i);

}  // namespace plat::out
