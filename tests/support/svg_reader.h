// A small SVG reader for structural golden comparison: a document is reduced to one
// line per element (depth, name, attributes sorted by name, then its text), every
// number in an attribute or text rounded to the SVG writer's two decimals. Two files
// that draw the same thing compare equal however their attributes are ordered.
#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>
#include <string_view>

#include <gtest/gtest.h>

namespace kes_test {

// One element of an SVG document as written: its name, attributes and text (entities
// decoded), numbers unrounded.
struct svg_element {
  std::string name;
  std::map<std::string, std::string> attrs;
  std::string text;
  long parent = -1;  // index of the element that holds it; -1 at the top
  double num(const std::string& attr) const;  // NaN when absent
  std::string get(const std::string& attr) const;
};
// The elements of a document in the order they are drawn.
std::vector<svg_element> svg_elements(std::string_view document);

// The numbers of an attribute's text, in order ("M2 0L4,5" -> 2 0 4 5).
std::vector<double> svg_numbers(const std::string& text);

// The largest magnitude of any coordinate or size (x, y, x1 ... cx, cy, width, height,
// the points of a polyline or polygon) of the elements.
double svg_farthest(const std::vector<svg_element>& els);

// The reduced form, or a text beginning "unreadable SVG: " with the reason.
std::string svg_reduce(std::string_view document);

// Compares a document with the golden SVG file. On a mismatch the document is left
// beside the golden as NAME.svg.fail and the first differing line is reported; with
// KES_UPDATE_GOLDEN set in the environment the golden is written instead.
::testing::AssertionResult svg_matches_golden(const std::string& document, const std::filesystem::path& golden);

}  // namespace kes_test
