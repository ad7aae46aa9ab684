// Whole runs of one program over data as read and over the same data moved (x + c) or
// scaled (k x), compared output by output: each number of the form's run is the number
// of the run as read, the same (a count, a height, a shape) or moved or scaled (a
// place), within the rounding of the values at the form; and each number a text shows
// reads the value as read, moved or scaled, with at least the digits it shows as read.
// The forms are taken on the data's decimal texts, so that moved and scaled values are
// exact decimals.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "support/json_reader.h"

namespace kes_meta {

// An exact decimal m 10^e.
struct decimal {
  __int128 m = 0;
  int e = 0;
};
// The decimal a number's text writes ("-12.50", "1.7E9", "3e-5"), with the place of its
// last digit as e (12.50: m 1250, e -2); nullopt where the text is no number.
std::optional<decimal> read_decimal(const std::string& text);
std::string decimal_text(decimal d);
// Its digits from the first that is not 0 (0 has one).
int significant_digits(decimal d);

// A form of the data: moved by c (shift, an integer) or scaled by k = 10^ten_power or by
// 2^two_power.
struct data_form {
  std::string name;  // "values plus 1.7e9", ...
  long long shift = 0;
  int ten_power = 0, two_power = 0;
  bool moves() const { return shift != 0; }
  decimal apply(decimal d) const;
  double apply(double v) const;
  // The factor places are scaled by (1 for a shift).
  double factor() const;
  // Whether grids anchored to round numbers (default bins, ticks, the x grid of a CDF
  // curve) over data of that range are the same grids moved or scaled: scaled by a
  // power of ten, or moved by a multiple of their step.
  bool keeps_grids(double range) const;
};
const std::vector<data_form>& data_forms();

// What the numbers of a run are judged against: the largest magnitude of the values in
// each run and the range of the values as read, so that the rounding of a number is
// bounded by the ulps of the magnitudes involved.
struct run_scale {
  double base_magnitude = 0, form_magnitude = 0, base_range = 0;
};

// The fault (one line) where number v1 of the form's run is neither v0 nor v0 moved or
// scaled within the rounding the data carry at each form; nullopt where it agrees.
std::optional<std::string> number_fault(double v0, double v1, const data_form& f, const run_scale& s);

// The fault where text t1 of the form's run is not text t0 with each number the same or
// moved or scaled, showing at least its digits as read; nullopt where it agrees. Words
// and spacing between the numbers are compared with runs of blanks as one. A number
// written with a double's digits (15 or more: a value passed on, not shown to a
// reader) is judged as number_fault judges it, given s.
std::optional<std::string> text_fault(const std::string& t0, const std::string& t1, const data_form& f,
                                      const run_scale* s = nullptr);

// Data as read (a CSV whose first column is the variable) with each value rounded to at
// most three decimals, and that data in a form.
std::string data_to_three_decimals(const std::string& csv);
std::string data_in_form(const std::string& csv, const data_form& f);
// The program in a form: the values its HREF= (histograms, CDF plots) and VREF= (Q-Q
// plots) give, rounded to three decimals and moved or scaled, and a lognormal threshold
// of 0 (given, or the default, then written) moved with the values.
std::string program_in_form(const std::string& program, const data_form& f);

// The program with gamma and Weibull curves of estimated thresholds on each histogram
// (the everyday programs fit normal and lognormal curves of threshold 0 only).
std::string with_threshold_fits(const std::string& program);

// The program with the bins its histograms drew as read given: each HISTOGRAM
// statement (the k-th with lists[k], "A to B by W") without NMIDPOINTS= and with
// MIDPOINTS=, so that the forms' bins are those bins moved or scaled and not the round
// bins of the form's own range. program_in_form moves A and B and scales W.
std::string with_midpoints(const std::string& program, const std::vector<std::string>& lists);
// The lists of bins of each histogram (their midpoints, increasing); none where one has
// fewer than two.
std::vector<std::string> midpoint_lists(const std::vector<std::vector<double>>& bins);

// The faults of two JSON outputs of the same program, each "PATH: what".
void json_faults(const kes_test::json& a, const kes_test::json& b, const std::string& path, const data_form& f,
                 const run_scale& s, std::vector<std::string>& out);

}  // namespace kes_meta
