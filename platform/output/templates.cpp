// The template definitions of the listing, in one table. Columns appear in their
// definition order; a template only says what differs from the plain look.
#include "output/templates.h"

#include <cstring>

namespace plat::out {
namespace {

const template_look kDefault{"", nullptr, {}, {}, {}, 1, {}};

// Tests with a statistic and a p-value: the normality tests and the goodness-of-fit
// tests of fitted curves look alike.
const std::vector<column_look> kTestColumns = {
    {"Test", nullptr, align::left},
    {"TestLab", "", align::left},
    {"Stat", "", align::automatic, num_style::column, 8, -1},
    {"pType", "", align::left},
    {"pSign", "", align::left},
    {"pValue", "", align::automatic, num_style::pvalue, -1, -1, nullptr, true}};
const std::vector<span_look> kTestSpans = {{nullptr, nullptr, nullptr, "TestLab", "Stat", "Statistic"},
                                           {nullptr, nullptr, nullptr, "pType", "pValue", "p Value"}};

const std::vector<template_look>& definitions() {
  static const std::vector<template_look> defs = {
      // The mean (third pair) reads apart from itself moved by its standard error
      // (the last pair): so from any Mu0 its t test tells apart.
      {"orbo.kestravine.Moments", nullptr, {}, {}, {}, 2, {}, {}, {{2, 11}}},
      {"orbo.kestravine.Measures",
       "MeasHdr",
       {{"LocMeasure", nullptr, align::left},
        {"LocValue"},
        {"VarMeasure", nullptr, align::left},
        {"VarValue", nullptr, align::automatic, num_style::column, 8, -1}},
       {},
       {},
       1, {}},
      {"orbo.kestravine.Quantiles",
       "QntlHdr",
       {{"Quantile", nullptr, align::left},
        {"LCLNormal", "Lower"},
        {"UCLNormal", "Upper"},
        {"LCLDistFree", "Lower"},
        {"UCLDistFree", "Upper"},
        {"LCLRank", "Lower"},
        {"UCLRank", "Upper"},
        {"CovProb", "Coverage"}},
       {},
       {{"StartNormal", "EndNormal", "SpanNormal"},
        {"StartDF", "EndDF", "SpanDF"},
        {"StartOrder", "EndOrder", "spanorder"}},
       1, {},
       {{"Estimate", "LCLNormal", "UCLNormal", "LCLDistFree", "UCLDistFree"}}},
      {"orbo.kestravine.Location",
       "LocHdr",
       {{"Test", nullptr, align::left},
        {"Testlab", nullptr, align::left},
        {"Stat", nullptr, align::automatic, num_style::column, 8, -1},
        {"pType", nullptr, align::left},
        {"pValue", nullptr, align::automatic, num_style::pvalue}},
       {"Mu0"},
       {},
       1, {}},
      {"orbo.kestravine.ConfLimits",
       "CiHdr",
       {{"Parameter", nullptr, align::left}, {"LowerCL", "Lower"}, {"UpperCL", "Upper"}},
       {},
       {{"StartLimit", "EndLimit", "SpanInterval"}},
       1, {},
       {{"Estimate", "LowerCL", "UpperCL"}}},
      {"orbo.kestravine.LocCount", nullptr, {{"Count", nullptr, align::left}}, {}, {}, 1, {}},
      {"orbo.kestravine.Normal",
       "DistTitle",
       kTestColumns,
       {},
       kTestSpans,
       1, {}},
      {"orbo.kestravine.FitParms",
       "DistTitle",
       {{"Parameter", nullptr, align::left},
        {"Symbol", nullptr, align::left},
        {"Estimate", nullptr, align::automatic, num_style::column, -1, -1, nullptr, false, true}},
       {},
       {},
       1, {}},
      {"orbo.kestravine.FitGood",
       "DistTitle",
       kTestColumns,
       {"DF"},
       kTestSpans,
       1, {}},
      {"orbo.kestravine.BinPercents",
       "DistTitle",
       {{"ObsPercent", "Observed", align::automatic, num_style::column, 8, 3},
        {"EstPercent", "Estimated", align::automatic, num_style::column, 8, 3}},
       {},
       {{nullptr, nullptr, nullptr, "ObsPercent", "EstPercent", "Percent"}},
       1, {}},
      {"orbo.kestravine.FitQuant",
       "DistTitle",
       {{"Percent", nullptr, align::automatic, num_style::column, 7, 1},
        {"ObsQuantile", "Observed"},
        {"EstQuantile", "Estimated"}},
       {},
       {{nullptr, nullptr, nullptr, "ObsQuantile", "EstQuantile", "Quantile"}},
       1, {},
       {{"ObsQuantile", "EstQuantile"}}},
      {"orbo.kestravine.Trim",
       "TwmDef",
       {{"LCLMean", "Lower"}, {"UCLMean", "Upper"}, {"Probt", nullptr, align::automatic, num_style::pvalue}},
       {},
       {{"StartLimit", "EndLimit", "SpanInterval"}},
       1, {},
       {{"Mean", "LCLMean", "UCLMean"}}},
      {"orbo.kestravine.Wins",
       "TwmDef",
       {{"LCLMean", "Lower"}, {"UCLMean", "Upper"}, {"Probt", nullptr, align::automatic, num_style::pvalue}},
       {},
       {{"StartLimit", "EndLimit", "SpanInterval"}},
       1, {},
       {{"Mean", "LCLMean", "UCLMean"}}},
      {"orbo.kestravine.Robustscale", nullptr, {{"Measure", nullptr, align::left}}, {}, {}, 1, {}},
      {"orbo.kestravine.ExtObs",
       nullptr,
       {{"Low", "Value"}, {"High", "Value"}},
       {},
       {{nullptr, nullptr, nullptr, "Low", "LowObs", "Lowest"},
        {nullptr, nullptr, nullptr, "High", "HighObs", "Highest"}},
       1, {},
       {{"Low", "High"}}},
      {"orbo.kestravine.ExtVal",
       nullptr,
       {{"Low", "Value"}, {"High", "Value"}},
       {},
       {{nullptr, "lowend", nullptr, "LowOrder", nullptr, "Lowest"},
        {nullptr, "highend", nullptr, "HighOrder", nullptr, "Highest"}},
       1,
       {{"LowFreq", "tie"}, {"HighFreq", "tie"}},
       {{"Low", "High"}}},
      {"orbo.kestravine.Modes", nullptr, {}, {}, {}, 1, {}},
      {"orbo.kestravine.Missings",
       "MisVals",
       {{"MissValue", nullptr, align::automatic, num_style::column, -1, -1, "Total"},
        {"CountNobs", "All Obs", align::automatic, num_style::column, 8, 2},
        {"CountNMiss", "Missing Obs", align::automatic, num_style::column, 8, 2}},
       {},
       {{nullptr, nullptr, nullptr, "CountNobs", "CountNMiss", "Percent Of"}},
       1, {}},
      {"orbo.kestravine.Frequency",
       "FrqHdr",
       {{"Cell", "Cell", align::automatic, num_style::column, 8, 2},
        {"Cum", "Cum", align::automatic, num_style::column, 8, 2}},
       {},
       {{nullptr, nullptr, nullptr, "Cell", "Cum", "Percents"}},
       1, {}},
      {"orbo.kestravine.Bins",
       "BinTitle",
       {{"ObsPercent", nullptr, align::automatic, num_style::column, 8, 3}},
       {},
       {},
       1, {}},
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

const graph_template_def* find_graph_template(std::string_view name) {
  // The graphs of the procedure, beside its tables.
  static const graph_template_def defs[] = {
      {"orbo.kestravine.Graphics.Histogram", "HistogramData", "histogram"},
      {"orbo.kestravine.Graphics.CompHistogram", "HistogramData", "histogram"},
      {"orbo.kestravine.Graphics.QQPlot", "QQPlotData", "qq"},
      {"orbo.kestravine.Graphics.QQPlotRotated", "QQPlotData", "qq"},
      {"orbo.kestravine.Graphics.CompQQPlot", "QQPlotData", "qq"},
      {"orbo.kestravine.Graphics.CompQQPlotRotated", "QQPlotData", "qq"},
      {"orbo.kestravine.Graphics.ProbPlot", "ProbPlotData", "prob"},
      {"orbo.kestravine.Graphics.ProbPlotRotated", "ProbPlotData", "prob"},
      {"orbo.kestravine.Graphics.CompProbPlot", "ProbPlotData", "prob"},
      {"orbo.kestravine.Graphics.CompProbPlotRotated", "ProbPlotData", "prob"},
      {"orbo.kestravine.Graphics.PPPlot", "PPPlotData", "pp"},
      {"orbo.kestravine.Graphics.CompPPPlot", "PPPlotData", "pp"},
      {"orbo.kestravine.Graphics.CDFPlot", "CDFData", "cdf"},
      {"orbo.kestravine.Graphics.CompCDFPlot", "CDFData", "cdf"},
  };
  for (const auto& d : defs)
    if (name == d.name) return &d;
  return nullptr;
}

}  // namespace plat::out
