// The descriptive tables from end to end: programs run through the built module,
// table contents checked in the JSON output against hand-computed values and values
// of independent software (R 4.2.2, noted at each use).
#include <gtest/gtest.h>

#include "tables_run_support.h"

namespace {

using tables_test::json;
using tables_test::run_fixture;

class TablesRun : public run_fixture {};

// x: 1 2 3 4 10 and one missing value.
const char* kSmall = "x,g\n1,a\n2,a\n3,b\n4,b\n10,b\n.,a\n";

// Two runs in one process writing the same JSON path: the second file held the first
// run's outputs because the writer stayed open across runs.
TEST_F(TablesRun, ASecondRunToTheSameJsonFileWritesItsOwnOutputs) {
  data("d", kSmall);
  json_name_ = "same.json";
  ASSERT_EQ(run("proc kestravine data=d; var x; run;\n"), 0) << log_;
  ASSERT_EQ(run("proc kestravine data=d noprint; var x; run;\n"), 0) << log_;
  ASSERT_TRUE(json_ok_);
  ASSERT_EQ(doc_["steps"].arr.size(), 1u);
  EXPECT_TRUE(outputs(0).arr.empty());
}

TEST_F(TablesRun, DefaultOptionsWriteTheFiveTablesAndMoments) {
  data("d", kSmall);
  ASSERT_EQ(run("proc kestravine data=d; var x; run;\n"), 0) << log_;
  ASSERT_TRUE(json_ok_);
  EXPECT_EQ(names(), (std::vector<std::string>{"Moments", "BasicMeasures", "TestsForLocation", "Quantiles",
                                               "ExtremeObs", "MissingValues"}));
  const json& m = output("Moments");
  // Hand values: mean 4, CSS 50, variance 12.5, USS 130.
  EXPECT_EQ(pair(m, "N"), 5);
  EXPECT_EQ(pair(m, "Mean"), 4);
  EXPECT_NEAR(pair(m, "Std Deviation"), 3.5355339059327378, 1e-12);
  EXPECT_NEAR(pair(m, "Variance"), 12.5, 1e-12);
  EXPECT_EQ(pair(m, "Sum Observations"), 20);
  EXPECT_NEAR(pair(m, "Uncorrected SS"), 130, 1e-9);
  EXPECT_NEAR(pair(m, "Corrected SS"), 50, 1e-9);
  EXPECT_NEAR(pair(m, "Std Error Mean"), 1.5811388300841898, 1e-12);
  // R: n/((n-1)(n-2)) sum(z^3) and the matching kurtosis formula.
  EXPECT_NEAR(pair(m, "Skewness"), 1.697056274847714, 1e-12);
  EXPECT_NEAR(pair(m, "Kurtosis"), 3.152, 1e-12);

  const json& loc = output("TestsForLocation");
  ASSERT_EQ(loc["rows"].arr.size(), 3u);
  // R: t.test(x)$statistic, $p.value; binom.test(5, 5); wilcox.test(x, exact = TRUE).
  EXPECT_NEAR(loc["rows"][0]["Stat"].cell(), 2.5298221281347035, 1e-12);
  EXPECT_NEAR(loc["rows"][0]["pValue"].cell(), 0.064676893956353038, 1e-9);
  EXPECT_EQ(loc["rows"][1]["Test"].str, "Sign");
  EXPECT_EQ(loc["rows"][1]["Stat"].cell(), 2.5);
  EXPECT_NEAR(loc["rows"][1]["pValue"].cell(), 0.0625, 1e-12);
  EXPECT_EQ(loc["rows"][2]["Stat"].cell(), 7.5);
  EXPECT_NEAR(loc["rows"][2]["pValue"].cell(), 0.0625, 1e-12);
  EXPECT_EQ(loc["dynamics"]["LocHdr"].str, "Tests for Location: Mu0=0");

  const json& q = output("Quantiles");
  ASSERT_EQ(q["rows"].arr.size(), 11u);
  EXPECT_EQ(q["rows"][0]["Quantile"].str, "100% Max");
  EXPECT_EQ(q["rows"][0]["Estimate"].cell(), 10);
  EXPECT_EQ(q["rows"][4]["Estimate"].cell(), 4);   // 75% Q3 (R: quantile type 2)
  EXPECT_EQ(q["rows"][5]["Estimate"].cell(), 3);   // median
  EXPECT_EQ(q["rows"][6]["Estimate"].cell(), 2);   // 25% Q1
  EXPECT_EQ(q["rows"][10]["Quantile"].str, "0% Min");
  EXPECT_EQ(q["rows"][10]["Estimate"].cell(), 1);
  EXPECT_EQ(q["dynamics"]["QntlHdr"].str, "Quantiles (Definition 5)");

  const json& bm = output("BasicMeasures");
  ASSERT_EQ(bm["rows"].arr.size(), 4u);
  EXPECT_EQ(bm["rows"][3]["VarMeasure"].str, "Interquartile Range");
  EXPECT_EQ(bm["rows"][3]["VarValue"].cell(), 2);
  EXPECT_EQ(bm["rows"][2]["VarValue"].cell(), 9);  // range
  EXPECT_EQ(bm["rows"][3]["LocValue"].missing(), "_");  // the fourth location cell prints empty

  const json& mv = output("MissingValues");
  ASSERT_EQ(mv["rows"].arr.size(), 1u);  // one kind: no total row
  EXPECT_EQ(mv["rows"][0]["MissValue"].missing(), ".");
  EXPECT_EQ(mv["rows"][0]["Count"].cell(), 1);
  EXPECT_NEAR(mv["rows"][0]["CountNobs"].cell(), 100.0 / 6, 1e-12);
  EXPECT_EQ(mv["rows"][0]["CountNMiss"].cell(), 100);
}

TEST_F(TablesRun, LabelColumnsAreAsWideAsTheirWidestLabel) {
  data("d", kSmall);
  ASSERT_EQ(run("proc kestravine data=d robustscale; var x; run;\n"), 0) << log_;
  auto width = [&](const std::string& table, const std::string& column) {
    for (const auto& c : output(table)["columns"].arr)
      if (c["name"].str == column) return static_cast<int>(c["length"].num);
    return -1;
  };
  EXPECT_EQ(width("Quantiles", "Quantile"), 10);                 // "50% Median"
  EXPECT_EQ(width("BasicMeasures", "LocMeasure"), 6);            // "Median"
  EXPECT_EQ(width("BasicMeasures", "VarMeasure"), 19);           // "Interquartile Range"
  EXPECT_EQ(width("RobustScale", "Measure"), 22);                // "Gini's Mean Difference"
  EXPECT_EQ(width("TestsForLocation", "pType"), 9);              // "Pr >= |M|"
}

TEST_F(TablesRun, ConfidenceLimitsAndTheirSpanningHeaders) {
  data("d", kSmall);
  ASSERT_EQ(run("proc kestravine data=d cibasic cipctldf cipctlnormal; var x; run;\n"), 0) << log_;
  const json& ci = output("BasicIntervals");
  ASSERT_EQ(ci["rows"].arr.size(), 3u);
  // R: mean -/+ qt(.975, 4) * sd / sqrt(5); sd * sqrt(4 / qchisq(c(.975, .025), 4)).
  EXPECT_NEAR(ci["rows"][0]["LowerCL"].cell(), -0.3899451654254138, 1e-9);
  EXPECT_NEAR(ci["rows"][0]["UpperCL"].cell(), 8.3899451654254129, 1e-9);
  EXPECT_NEAR(ci["rows"][1]["LowerCL"].cell(), 2.1182555275766712, 1e-9);
  EXPECT_NEAR(ci["rows"][1]["UpperCL"].cell(), 10.159553374867592, 1e-8);
  EXPECT_NEAR(ci["rows"][2]["UpperCL"].cell(), 10.159553374867592 * 10.159553374867592, 1e-6);
  EXPECT_EQ(ci["dynamics"]["SpanInterval"].str, "95% Confidence Limits");

  const json& q = output("Quantiles");
  EXPECT_EQ(columns(q), (std::vector<std::string>{"Quantile", "Estimate", "LCLNormal", "UCLNormal", "LCLDistFree",
                                                  "UCLDistFree", "LCLRank", "UCLRank", "CovProb"}));
  // The two-sided distribution-free header is a text of its own, not the minimum's
  // row label that shares its old message number.
  EXPECT_EQ(q["dynamics"]["SpanDF"].str, "95% CL Distribution Free");
  EXPECT_EQ(q["dynamics"]["spanorder"].str, "Order Statistics");
  EXPECT_EQ(q["rows"][10]["Quantile"].str, "0% Min");
  // The maximum and minimum rows have no limits: blank, not missing.
  for (const char* c : {"LCLNormal", "UCLNormal", "LCLDistFree", "UCLDistFree", "LCLRank", "UCLRank", "CovProb"}) {
    EXPECT_EQ(q["rows"][0][c].missing(), "_") << c;
    EXPECT_EQ(q["rows"][10][c].missing(), "_") << c;
  }
  EXPECT_NE(listing_.find("95% CL Distribution Free"), std::string::npos) << listing_;
}

TEST_F(TablesRun, NoprintWritesNoTable) {
  data("d", kSmall);
  ASSERT_EQ(run("proc kestravine data=d noprint normal freq modes; var x; run;\n"), 0) << log_;
  EXPECT_TRUE(outputs().arr.empty()) << listing_;
  EXPECT_EQ(listing_.find("Moments"), std::string::npos) << listing_;
  EXPECT_EQ(listing_.find("Quantiles"), std::string::npos) << listing_;
}

TEST_F(TablesRun, TiedModesAreListedAndFootnoted) {
  data("d", "x\n1\n2\n2\n3\n3\n5\n");
  ASSERT_EQ(run("proc kestravine data=d modes; var x; run;\n"), 0) << log_;
  const json& md = output("Modes");
  ASSERT_EQ(md["rows"].arr.size(), 2u);
  EXPECT_EQ(md["rows"][0]["Mode"].cell(), 2);
  EXPECT_EQ(md["rows"][0]["Count"].cell(), 2);
  EXPECT_EQ(md["rows"][1]["Mode"].cell(), 3);
  const json& bm = output("BasicMeasures");
  EXPECT_EQ(bm["rows"][2]["LocValue"].cell(), 2);  // the smallest mode
  ASSERT_EQ(bm["footnotes"].arr.size(), 1u);
  EXPECT_EQ(bm["footnotes"][0].str, "Note: The mode displayed is the smallest of 2 modes with a count of 2.");
}

TEST_F(TablesRun, NoModeGivesOneMissingRow) {
  data("d", "x\n1\n2\n3\n");
  ASSERT_EQ(run("proc kestravine data=d modes; var x; run;\n"), 0) << log_;
  const json& md = output("Modes");
  ASSERT_EQ(md["rows"].arr.size(), 1u);
  EXPECT_EQ(md["rows"][0]["Mode"].missing(), ".");
  EXPECT_EQ(md["rows"][0]["Count"].missing(), ".");
  EXPECT_FALSE(output("BasicMeasures").has("footnotes") && !output("BasicMeasures")["footnotes"].arr.empty());
}

TEST_F(TablesRun, MissingKindsGetATotalRow) {
  data("d", "x\n1\n2\n3\n4\n5\n6\n7\n.\n.\n.A\n");
  ASSERT_EQ(run("proc kestravine data=d; var x; run;\n"), 0) << log_;
  const json& mv = output("MissingValues");
  ASSERT_EQ(mv["rows"].arr.size(), 3u);
  EXPECT_EQ(mv["rows"][0]["MissValue"].missing(), ".");
  EXPECT_EQ(mv["rows"][0]["Count"].cell(), 2);
  EXPECT_NEAR(mv["rows"][0]["CountNobs"].cell(), 20, 1e-12);
  EXPECT_NEAR(mv["rows"][0]["CountNMiss"].cell(), 200.0 / 3, 1e-12);
  EXPECT_EQ(mv["rows"][1]["MissValue"].missing(), "A");
  EXPECT_NEAR(mv["rows"][1]["CountNobs"].cell(), 10, 1e-12);
  EXPECT_NEAR(mv["rows"][1]["CountNMiss"].cell(), 100.0 / 3, 1e-12);
  EXPECT_EQ(mv["rows"][2]["MissValue"].cell(), 0);
  EXPECT_EQ(mv["rows"][2]["Count"].cell(), 3);
  EXPECT_NEAR(mv["rows"][2]["CountNobs"].cell(), 30, 1e-12);
  EXPECT_EQ(mv["rows"][2]["CountNMiss"].cell(), 100);
  EXPECT_NE(listing_.find("Total"), std::string::npos) << listing_;
}

TEST_F(TablesRun, AllMissingWritesOnlyTheMissingValuesTable) {
  data("d", "x,y\n.,1\n.,2\n");
  ASSERT_EQ(run("proc kestravine data=d; var x; run;\n"), 0) << log_;
  EXPECT_EQ(names(), std::vector<std::string>{"MissingValues"});
}

TEST_F(TablesRun, ExtremeValuesStopAtTheDistinctValues) {
  data("d", "x\n1\n1\n2\n3\n");
  ASSERT_EQ(run("proc kestravine data=d nextrval=5 nextrobs=5; var x; run;\n"), 0) << log_;
  const json& ev = output("ExtremeValues");
  ASSERT_EQ(ev["rows"].arr.size(), 3u);
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(ev["rows"][j]["LowOrder"].cell(), j + 1);
    EXPECT_EQ(ev["rows"][j]["HighOrder"].cell(), j + 1);
    EXPECT_EQ(ev["rows"][j]["Low"].cell(), ev["rows"][j]["High"].cell());
  }
  EXPECT_EQ(ev["rows"][0]["LowFreq"].cell(), 2);  // ties: counts shown
  EXPECT_EQ(ev["dynamics"]["tie"].num, 1);
  EXPECT_EQ(ev["dynamics"]["lowend"].str, "LowFreq");
  // Four observations: four of the five ExtremeObs rows.
  const json& eo = output("ExtremeObs");
  ASSERT_EQ(eo["rows"].arr.size(), 4u);
  EXPECT_EQ(eo["rows"][0]["Low"].cell(), 1);
  EXPECT_EQ(eo["rows"][3]["High"].cell(), 3);
  EXPECT_EQ(eo["rows"][3]["HighObs"].cell(), 4);
}

TEST_F(TablesRun, ExtremeObservationsCarryIdAndFreqColumns) {
  data("d", "name,x,f\nAnn,5,1\nBo,9,2\nCy,1,3\nDi,7,1\n");
  ASSERT_EQ(run("proc kestravine data=d nextrobs=2; var x; id name; freq f; run;\n"), 0) << log_;
  const json& eo = output("ExtremeObs");
  EXPECT_EQ(columns(eo), (std::vector<std::string>{"Low", "name_Low", "LowFreq", "LowObs", "High", "name_High",
                                                   "HighFreq", "HighObs"}));
  ASSERT_EQ(eo["rows"].arr.size(), 2u);
  EXPECT_EQ(eo["rows"][0]["Low"].cell(), 1);
  EXPECT_EQ(eo["rows"][0]["name_Low"].str, "Cy");
  EXPECT_EQ(eo["rows"][0]["LowFreq"].cell(), 3);
  EXPECT_EQ(eo["rows"][1]["High"].cell(), 9);
  EXPECT_EQ(eo["rows"][1]["name_High"].str, "Bo");
  EXPECT_EQ(eo["rows"][1]["HighFreq"].cell(), 2);
  EXPECT_EQ(eo["rows"][1]["HighObs"].cell(), 2);
}

TEST_F(TablesRun, FrequenciesCountAndCumulate) {
  data("d", "x\n2\n1\n2\n4\n");
  ASSERT_EQ(run("proc kestravine data=d freq; var x; run;\n"), 0) << log_;
  const json& fr = output("Frequencies");
  ASSERT_EQ(fr["rows"].arr.size(), 3u);
  EXPECT_EQ(fr["rows"][1]["Value"].cell(), 2);
  EXPECT_EQ(fr["rows"][1]["Count"].cell(), 2);
  EXPECT_EQ(fr["rows"][1]["Cell"].cell(), 50);
  EXPECT_EQ(fr["rows"][1]["Cum"].cell(), 75);
  EXPECT_EQ(fr["rows"][2]["Cum"].cell(), 100);
  EXPECT_EQ(fr["dynamics"]["FrqHdr"].str, "Frequency Counts");
}

TEST_F(TablesRun, WeightChangesLabelsRowsAndPercents) {
  data("d", "x,w\n1,1\n2,3\n2,1\n4,5\n");
  ASSERT_EQ(run("proc kestravine data=d freq; var x; weight w; run;\n"), 0) << log_;
  EXPECT_EQ(output("Moments")["label"].str, "Weighted Moments");
  EXPECT_EQ(output("Quantiles")["label"].str, "Weighted Quantiles");
  EXPECT_EQ(output("Quantiles")["dynamics"]["QntlHdr"].str, "Weighted Quantiles");
  const json& loc = output("TestsForLocation");
  ASSERT_EQ(loc["rows"].arr.size(), 1u);  // Student's t only
  EXPECT_EQ(loc["rows"][0]["Test"].str, "Student's t");
  const json& fr = output("Frequencies");
  EXPECT_EQ(columns(fr), (std::vector<std::string>{"Value", "Count", "WgtCount", "Cell", "Cum"}));
  EXPECT_EQ(fr["label"].str, "Weighted Frequencies");
  ASSERT_EQ(fr["rows"].arr.size(), 3u);
  EXPECT_EQ(fr["rows"][1]["Count"].cell(), 2);
  EXPECT_EQ(fr["rows"][1]["WgtCount"].cell(), 4);
  EXPECT_EQ(fr["rows"][1]["Cell"].cell(), 40);  // 4 of the weight total 10
  EXPECT_EQ(fr["rows"][2]["Cum"].cell(), 100);
  EXPECT_NE(listing_.find("Weight:  w"), std::string::npos) << listing_;
  // Weighted mean: (1*1 + 2*3 + 2*1 + 4*5) / 10.
  EXPECT_NEAR(pair(output("Moments"), "Mean"), 2.9, 1e-12);
  EXPECT_EQ(pair(output("Moments"), "Sum Weights"), 10);
}

TEST_F(TablesRun, WeightWithVardefNHasNoLocationTable) {
  data("d", "x,w\n1,1\n2,3\n2,1\n4,5\n");
  ASSERT_EQ(run("proc kestravine data=d vardef=n; var x; weight w; run;\n"), 0) << log_;
  EXPECT_TRUE(output("TestsForLocation").obj.empty());
  ASSERT_FALSE(output("Quantiles").obj.empty());
  // Without WEIGHT, VARDEF=N keeps the sign and signed rank rows only.
  ASSERT_EQ(run("proc kestravine data=d vardef=n; var x; run;\n"), 0) << log_;
  ASSERT_TRUE(json_ok_);
  const json& loc = output("TestsForLocation");
  ASSERT_EQ(loc["rows"].arr.size(), 2u);
  EXPECT_EQ(loc["rows"][0]["Test"].str, "Sign");
  EXPECT_EQ(loc["rows"][1]["Test"].str, "Signed Rank");
}

TEST_F(TablesRun, TinyShapiroWilkPValueShowsAsBelowTheFloor) {
  // Fibonacci numbers: far from normal.
  data("d", "y\n1\n2\n2\n3\n3\n5\n8\n13\n21\n34\n55\n89\n144\n233\n377\n610\n987\n1597\n2584\n4181\n6765\n"
            "10946\n17711\n28657\n46368\n75025\n121393\n196418\n317811\n514229\n");
  ASSERT_EQ(run("proc kestravine data=d normal; var y; run;\n"), 0) << log_;
  const json& nt = output("TestsForNormality");
  ASSERT_EQ(nt["rows"].arr.size(), 4u);
  EXPECT_EQ(nt["rows"][0]["Test"].str, "Shapiro-Wilk");
  // R: shapiro.test(y) gives W = 0.46975807130447, p = 2.6e-09.
  EXPECT_NEAR(nt["rows"][0]["Stat"].cell(), 0.46975807130447, 1e-7);
  EXPECT_EQ(nt["rows"][0]["pValue"].cell(), 0.0001);
  EXPECT_EQ(nt["rows"][0]["pSign"].str, "<");
  EXPECT_EQ(nt["rows"][1]["Test"].str, "Kolmogorov-Smirnov");
  EXPECT_EQ(nt["dynamics"]["DistTitle"].str, "Tests for Normality");
}

TEST_F(TablesRun, TrimmedMeansWithoutVardefDfKeepThreeColumns) {
  data("d", kSmall);
  ASSERT_EQ(run("proc kestravine data=d trimmed=1 .3 vardef=n; var x; run;\n"), 0) << log_;
  const json& tm = output("TrimmedMeans");
  EXPECT_EQ(columns(tm), (std::vector<std::string>{"HalfP", "HalfN", "Mean"}));
  ASSERT_EQ(tm["rows"].arr.size(), 2u);
  EXPECT_EQ(tm["rows"][0]["HalfN"].cell(), 1);
  EXPECT_NEAR(tm["rows"][0]["Mean"].cell(), 3.0, 1e-12);  // mean of 2 3 4
  EXPECT_NE(log_.find("trimmed means are shown without"), std::string::npos) << log_;
}

TEST_F(TablesRun, ClassAndByCellsEachGetTheirTables) {
  data("d", "b,c1,c2,x\n1,a,u,1\n1,a,v,2\n1,b,u,3\n1,b,v,4\n2,a,u,5\n2,a,u,6\n2,b,v,7\n2,b,v,9\n");
  ASSERT_EQ(run("proc kestravine data=d; var x; by b; class c1 c2; run;\n"), 0) << log_;
  // BY 1 has four cells, BY 2 two (a*u and b*v).
  int moments = 0;
  for (const auto& o : outputs().arr)
    if (o["name"].str == "Moments") ++moments;
  EXPECT_EQ(moments, 6);
  const json& last = output("Moments", 5);
  ASSERT_EQ(last["class"].arr.size(), 2u);
  EXPECT_EQ(last["class"][0]["level"].str, "b");
  EXPECT_EQ(last["class"][1]["level"].str, "v");
  EXPECT_EQ(pair(last, "Mean"), 8);
  ASSERT_EQ(last["by"].arr.size(), 1u);
  EXPECT_EQ(last["by"][0]["value"].str, "2");
}

TEST_F(TablesRun, TheFullOptionSetWritesEveryTableInOrder) {
  data("d", "g,c,name,a\n1,p,n1,48\n1,p,n2,52\n1,p,n3,55\n1,p,n4,47\n1,p,n5,60\n1,p,n6,41\n"
            "1,p,n7,50\n1,p,n8,53\n1,p,n9,49\n1,p,n10,58\n");
  ASSERT_EQ(run("proc kestravine data=d normal robustscale cibasic cipctldf cipctlnormal trimmed=.1 "
                "winsorized=.1 modes freq loccount nextrobs=5 nextrval=5 mu0=50 alpha=.05 pctldef=4 "
                "vardef=df; var a; by g; class c; id name; run;\n"),
            0)
      << log_;
  EXPECT_EQ(names(), (std::vector<std::string>{"Moments", "BasicMeasures", "Modes", "BasicIntervals",
                                               "TestsForLocation", "LocationCounts", "TestsForNormality",
                                               "TrimmedMeans", "WinsorizedMeans", "RobustScale", "Quantiles",
                                               "ExtremeObs", "ExtremeValues", "Frequencies"}));
  EXPECT_EQ(output("Quantiles")["dynamics"]["QntlHdr"].str, "Quantiles (Definition 4)");
  const json& lc = output("LocationCounts");
  EXPECT_EQ(lc["dynamics"]["LocDef"].num, 50);
  EXPECT_EQ(lc["rows"][0]["Value"].cell(), 5);  // above 50: 52 55 60 53 58
  EXPECT_EQ(lc["rows"][1]["Value"].cell(), 9);  // differing from 50
  EXPECT_EQ(lc["rows"][2]["Value"].cell(), 4);  // below 50
  const json& tm = output("TrimmedMeans");
  EXPECT_EQ(columns(tm), (std::vector<std::string>{"HalfP", "HalfN", "Mean", "StdMean", "LCLMean", "UCLMean", "DF",
                                                   "tValue", "Probt"}));
  // 10% of 10 values: one trimmed from each tail; mean of the middle eight.
  EXPECT_EQ(tm["rows"][0]["HalfN"].cell(), 1);
  EXPECT_NEAR(tm["rows"][0]["Mean"].cell(), (48 + 52 + 55 + 47 + 50 + 53 + 49 + 58) / 8.0, 1e-12);
  EXPECT_EQ(output("RobustScale")["rows"].arr.size(), 5u);
  // The heading names the variable and the CLASS level; the BY line the group.
  EXPECT_NE(listing_.find("Variable:  a"), std::string::npos) << listing_;
  EXPECT_NE(listing_.find("c = p"), std::string::npos) << listing_;
  EXPECT_NE(listing_.find(" g=1 "), std::string::npos) << listing_;
}

}  // namespace
