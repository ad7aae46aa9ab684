// The template definitions of the listing, in one table. Columns appear in their
// definition order; a template only says what differs from the plain look.
#include "output/templates.h"

#include <cstring>

namespace plat::out {
namespace {

const template_look kDefault{"", nullptr, {}, {}, {}, 1};

const std::vector<template_look>& definitions() {
  static const std::vector<template_look> defs = {
      {"orbo.kestravine.Moments", nullptr, {}, {}, {}, 2},
      {"orbo.kestravine.Measures",
       "MeasHdr",
       {{"LocMeasure", nullptr, align::left},
        {"LocValue"},
        {"VarMeasure", nullptr, align::left},
        {"VarValue", nullptr, align::automatic, num_style::column, 8, -1}},
       {},
       {},
       1},
      {"orbo.kestravine.Quantiles",
       "QntlHdr",
       {{"Quantile", nullptr, align::left}},
       {},
       {{"StartNormal", "EndNormal", "SpanNormal"},
        {"StartDF", "EndDF", "SpanDF"},
        {"StartOrder", "EndOrder", "spanorder"}},
       1},
      {"orbo.kestravine.Location",
       "LocHdr",
       {{"Test", nullptr, align::left},
        {"Testlab", nullptr, align::left},
        {"Stat", nullptr, align::automatic, num_style::column, 8, -1},
        {"pType", nullptr, align::left},
        {"pValue", nullptr, align::automatic, num_style::pvalue}},
       {"Mu0"},
       {},
       1},
  };
  return defs;
}

}  // namespace

const template_look& default_template() { return kDefault; }

const template_look& find_template(std::string_view name) {
  for (const auto& t : definitions())
    if (name == t.name) return t;
  return kDefault;
}

const column_look* find_column_look(const template_look& t, std::string_view column) {
  for (const auto& c : t.columns)
    if (column == c.column) return &c;
  return nullptr;
}

}  // namespace plat::out
