// Slot and flag numbers as the reading routines use them: each expectation below
// is taken from the routine that reads the option, not from the grammar.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "host/kes_stmt.h"
#include "host/host_missing.h"
#include "parse_test_util.h"

namespace {

const kes_stmt* node(int k) {
  const kes_stmt* s = parse_test::first_node();
  for (int i = 0; i < k && s; ++i) s = s->next;
  return s;
}

std::vector<double> numbers(const kes_optslot& s) {
  const double* d = static_cast<const double*>(s.list);
  return std::vector<double>(d, d + s.v.count);
}

std::vector<int> words(const kes_optslot& s) {
  const std::int32_t* d = static_cast<const std::int32_t*>(s.list);
  return std::vector<int>(d, d + s.v.count);
}

std::string name8(const kes_optslot& s) { return std::string(s.v.name, 8); }

parse_test::result ok(const std::string& text) {
  parse_test::result r = parse_test::parse(text);
  EXPECT_EQ(r.errors, 0) << (r.messages.empty() ? "" : r.messages[0]);
  return r;
}

TEST(ParseSlots, ProcOptionsAndListStatements) {
  ok("proc kestravine data=class noprint normal cipctldf(type=symmetric) pctldef=4 vardef=wgt "
     "trimmed=.1 (type=lower alpha=.1) outtable=ot idout byplottitles;\n"
     "var age height; by sex; class grp (order=data) sex / keylevel=('B' 'F'); freq age; "
     "weight weight; id name;");
  const kes_stmt* p = node(0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p->name, 8), "PROC    ");
  EXPECT_EQ(p->nslots, 50);
  EXPECT_TRUE(kes_flag(p, 1));   // NOPRINT
  EXPECT_TRUE(kes_flag(p, 4));   // NORMAL
  EXPECT_TRUE(kes_flag(p, 9));   // CIPCTLDF
  EXPECT_TRUE(kes_flag(p, 65));  // BYPLOTTITLES
  EXPECT_TRUE(kes_flag(p, 66));  // IDOUT
  EXPECT_FALSE(kes_flag(p, 2));
  EXPECT_NE(p->slots[6].v.handle, nullptr);  // DATA= opened
  EXPECT_NE(p->slots[35].v.handle, nullptr);  // OUTTABLE= opened for output
  EXPECT_EQ(p->slots[22].v.num, 3.0);      // SYMMETRIC as parsed
  EXPECT_EQ(p->slots[11].v.num, 4.0);
  EXPECT_EQ(name8(p->slots[13]), "WGT     ");
  EXPECT_EQ(numbers(p->slots[17]), std::vector<double>{0.1});
  EXPECT_EQ(p->slots[29].v.num, 1.0);  // TYPE=LOWER of TRIMMED=
  EXPECT_EQ(p->slots[30].v.num, 0.1);
  // VAR 1, BY 0, CLASS 5 (with its level code), FREQ 3, WEIGHT 2, ID 4.
  EXPECT_EQ(words(p->slots[1]), (std::vector<int>{2, 3}));
  EXPECT_EQ(words(p->slots[0]), std::vector<int>{1});
  EXPECT_EQ(words(p->slots[5]), (std::vector<int>{10, -2, 1}));
  EXPECT_EQ(words(p->slots[3]), std::vector<int>{2});
  EXPECT_EQ(words(p->slots[2]), std::vector<int>{4});
  EXPECT_EQ(words(p->slots[4]), std::vector<int>{0});
  EXPECT_EQ(std::string(static_cast<const char*>(p->slots[27].list)), "B");
  EXPECT_EQ(std::string(static_cast<const char*>(p->slots[28].list)), "F");
  EXPECT_EQ(p->next, nullptr);  // list statements make no node of their own
}

TEST(ParseSlots, FamilyParameterSlotsOfHistogram) {
  ok("proc kestravine data=class;\n"
     "histogram age / normal(mu=10 est sigma=2) lognormal(theta=est sigma=1 zeta=0)\n"
     "  exponential(theta=0 sigma=est) weibull(theta=0 sigma=1 c=est 2)\n"
     "  gamma(theta=0 sigma=1 alpha=2) beta(theta=0 sigma=1 alpha=2 beta=3)\n"
     "  sb(theta=0 sigma=1 delta=2 gamma=est fittol=.1 fitinterval=.5)\n"
     "  su(theta=0 sigma=1 delta=2 gamma=3 fittol=.2 fitinterval=.6) kernel(k=quadratic c=sjpi 5);");
  const kes_stmt* h = node(1);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(std::string(h->name, 8), "HISTOGRA");
  EXPECT_EQ(h->nslots, 261);
  for (int f : {3, 4, 5, 6, 23, 40, 80, 81, 45}) EXPECT_TRUE(kes_flag(h, f)) << f;
  // Value slot, marker slot, values, markers.
  struct row { int value, marker; std::vector<double> v; std::vector<int> m; };
  const row rows[] = {
      {187, 120, {10, 0}, {0, 1}}, {142, 121, {2}, {0}},                               // normal
      {188, 122, {0}, {1}}, {186, 123, {1}, {0}}, {189, 124, {0}, {0}},                // lognormal
      {199, 136, {0}, {0}}, {200, 137, {0}, {1}},                                      // exponential
      {190, 126, {0}, {0}}, {191, 127, {1}, {0}}, {192, 128, {0, 2}, {1, 0}},          // Weibull
      {205, 129, {0}, {0}}, {206, 130, {1}, {0}}, {207, 131, {2}, {0}},                // gamma
      {67, 132, {0}, {0}}, {68, 133, {1}, {0}}, {69, 134, {2}, {0}}, {70, 135, {3}, {0}},  // beta
      {113, 147, {0}, {0}}, {154, 155, {1}, {0}}, {158, 119, {2}, {0}}, {156, 110, {0}, {1}},  // SB
      {164, 165, {0}, {0}}, {172, 198, {1}, {0}}, {176, 177, {2}, {0}}, {174, 175, {3}, {0}},  // SU
  };
  for (const row& r : rows) {
    const kes_optslot& v = h->slots[r.value];
    EXPECT_TRUE(v.given) << r.value;
    EXPECT_TRUE(v.given2) << r.value;  // the parameter lists count as given by the second byte
    EXPECT_EQ(numbers(v), r.v) << r.value;
    EXPECT_EQ(words(h->slots[r.marker]), r.m) << r.marker;
  }
  EXPECT_EQ(h->slots[160].v.num, 0.1);
  EXPECT_TRUE(h->slots[160].given2);
  EXPECT_EQ(h->slots[118].v.num, 0.5);
  EXPECT_EQ(h->slots[178].v.num, 0.2);
  EXPECT_EQ(h->slots[117].v.num, 0.6);
  EXPECT_EQ(numbers(h->slots[71]), std::vector<double>{3});
  EXPECT_EQ(numbers(h->slots[72]), (std::vector<double>{-2, 5}));
}

TEST(ParseSlots, BinsAxesAndOutputDataSetsOfHistogram) {
  ok("proc kestravine data=class;\n"
     "histogram age / midpoints=0 to 20 by 5 maxnbin=7 outhist=oh outkernel=ok vscale=percent "
     "haxis=axis3 vaxis=axis4 waxis=2 ctext=red cframe=blue nobars notabcontents rtinclude hanging "
     "midpercents noframe noplot grid cframeside=red cframetop=blue contents='C' hminor=1 vminor=2 "
     "hreflabpos=3 vreflabpos=4 hoffset=5 voffset=6 turnvlabels;\n"
     "histogram age / endpoints nmidpoints=4 nendpoints=5 maxsigmas=2.5 vaxis=0 5 10;\n"
     "histogram age / endpoints=key midpoints=uniform;");
  const kes_stmt* h = node(1);
  EXPECT_EQ(h->slots[18].given, 3);  // a MIDPOINTS= list
  EXPECT_EQ(numbers(h->slots[18]), (std::vector<double>{0, 5, 10, 15, 20}));
  EXPECT_EQ(h->slots[173].v.num, 7);
  EXPECT_NE(h->slots[17].v.handle, nullptr);
  EXPECT_NE(h->slots[246].v.handle, nullptr);
  EXPECT_EQ(name8(h->slots[21]), "PERCENT ");
  EXPECT_EQ(name8(h->slots[19]), "AXIS3   ");
  EXPECT_EQ(name8(h->slots[62]), "AXIS4   ");
  EXPECT_EQ(h->slots[44].v.num, 2);
  EXPECT_EQ(name8(h->slots[30]), "RED     ");
  EXPECT_EQ(name8(h->slots[33]), "BLUE    ");
  EXPECT_EQ(name8(h->slots[36]), "RED     ");
  EXPECT_EQ(name8(h->slots[35]), "BLUE    ");
  EXPECT_EQ(h->slots[93].v.count, 1);
  EXPECT_EQ(h->slots[45].v.num, 1);
  EXPECT_EQ(h->slots[61].v.num, 2);
  EXPECT_EQ(h->slots[53].v.num, 3);
  EXPECT_EQ(h->slots[52].v.num, 4);
  EXPECT_EQ(h->slots[46].v.num, 5);
  EXPECT_EQ(h->slots[47].v.num, 6);
  for (int f : {12, 21, 22, 38, 18, 2, 20, 52, 30}) EXPECT_TRUE(kes_flag(h, f)) << f;
  const kes_stmt* e = node(2);
  EXPECT_EQ(e->slots[210].given, 1);
  EXPECT_EQ(e->slots[210].v.num, 1);  // ENDPOINTS alone
  EXPECT_EQ(e->slots[182].v.num, 4);
  EXPECT_EQ(e->slots[183].v.num, 5);
  EXPECT_EQ(e->slots[20].v.num, 2.5);
  EXPECT_EQ(numbers(e->slots[22]), (std::vector<double>{0, 5, 10}));
  const kes_stmt* k = node(3);
  EXPECT_EQ(k->slots[210].v.num, 1);  // KEY
  EXPECT_EQ(k->slots[18].v.num, 2);   // UNIFORM
  EXPECT_EQ(k->slots[18].given, 1);
}

TEST(ParseSlots, ProbabilityPlotOptions) {
  ok("proc kestravine data=class;\n"
     "qqplot age / weibull2(theta=1 2 sigma=est c=3 slope=est) pctlaxis(grid cgrid=red lgrid=2 "
     "wgrid=3 label='P') pctlscale rotate pctlminor nadj=.5 rankadj=-.5;\n"
     "probplot age / lognormal(sigma=1 slope=est) pctlorder=1 50 99;\n"
     "cdfplot age / gamma(alpha=2 alphainitial=1 alphadelta=.1) noecdf vscale=prop;\n"
     "ppplot age / weibull(c=2 cinitial=1 cdelta=.01) noline;");
  const kes_stmt* q = node(1);
  EXPECT_TRUE(kes_flag(q, 31));
  EXPECT_EQ(numbers(q->slots[86]), (std::vector<double>{1, 2}));
  EXPECT_FALSE(q->slots[88].given);
  EXPECT_EQ(q->slots[139].v.num, 1);  // SIGMA=EST
  EXPECT_EQ(q->slots[89].v.num, 3);
  EXPECT_TRUE(q->slots[89].given2);
  EXPECT_EQ(q->slots[141].v.num, 1);  // SLOPE=EST
  for (int f : {51, 77, 17, 60, 61}) EXPECT_TRUE(kes_flag(q, f)) << f;
  EXPECT_EQ(name8(q->slots[248]), "RED     ");
  EXPECT_EQ(q->slots[249].v.num, 2);
  EXPECT_EQ(q->slots[250].v.num, 3);
  EXPECT_EQ(q->slots[65].v.count, 1);
  EXPECT_EQ(q->slots[59].v.num, 0.5);
  EXPECT_EQ(q->slots[58].v.num, -0.5);
  const kes_stmt* p = node(2);
  EXPECT_EQ(numbers(p->slots[60]), std::vector<double>{0});
  EXPECT_EQ(words(p->slots[125]), std::vector<int>{1});
  EXPECT_EQ(numbers(p->slots[66]), (std::vector<double>{1, 50, 99}));
  const kes_stmt* c = node(3);
  EXPECT_EQ(c->slots[54].v.num, 1);
  EXPECT_EQ(c->slots[55].v.num, 0.1);
  EXPECT_TRUE(kes_flag(c, 29));
  EXPECT_EQ(name8(c->slots[21]), "PROP    ");
  const kes_stmt* pp = node(4);
  EXPECT_EQ(pp->slots[195].v.num, 1);
  EXPECT_EQ(pp->slots[196].v.num, 0.01);
  EXPECT_TRUE(kes_flag(pp, 7));
}

TEST(ParseSlots, InsetCodeStream) {
  ok("proc kestravine data=class;\nhistogram age;\n"
     "inset n mean='Mean of x' (6.2) normal(mu sigma ksdpval) kernel3(bandwidth) probm "
     "data=insds / position=nw header='H' format=best8. cfill noframe;");
  const kes_stmt* i = node(2);
  EXPECT_EQ(std::string(i->name, 8), "INSET   ");
  EXPECT_EQ(i->nslots, 21);
  EXPECT_EQ(numbers(i->slots[1]),
            (std::vector<double>{0, 2, 100, 200, 49, 3, 2, 9, 49, 61, 2, 61, 45, 400, 300}));
  ASSERT_EQ(i->slots[10].v.count, 1);
  const kes_textentry* t = static_cast<const kes_textentry*>(i->slots[10].list);
  EXPECT_EQ(std::string(t[0].text, t[0].length), "Mean of x");
  ASSERT_EQ(i->slots[11].v.count, 1);
  const kes_fmtentry* f = static_cast<const kes_fmtentry*>(i->slots[11].list);
  EXPECT_EQ(f[0].width, 6);
  EXPECT_EQ(f[0].decimals, 2);
  EXPECT_EQ(name8(i->slots[2]), "NW      ");
  EXPECT_EQ(i->slots[3].v.count, 1);
  kes_fmtentry one;
  std::memcpy(&one, &i->slots[14].v, sizeof one);
  EXPECT_EQ(one.width, 8);
  EXPECT_NE(i->slots[18].v.handle, nullptr);
  EXPECT_TRUE(kes_flag(i, 4));
  EXPECT_TRUE(kes_flag(i, 1));
}

TEST(ParseSlots, OutputKeywordSlots) {
  ok("proc kestravine data=class; var age height;\n"
     "output out=o mean=m1 m2 nobs=n max=x mode=mo t=t probm=pm normal=w probn=pn gini=g std_qn=q "
     "pctlpts=50 pctlpre=p;");
  const kes_stmt* o = node(1);
  EXPECT_EQ(o->nslots, 52);
  EXPECT_NE(o->slots[1].v.handle, nullptr);
  const std::pair<int, int> slots[] = {{6, 2}, {18, 1}, {19, 1}, {32, 1}, {33, 1}, {37, 1},
                                       {39, 1}, {40, 1}, {41, 1}, {49, 1}, {4, 1}};
  for (auto [s, n] : slots) EXPECT_EQ(o->slots[s].v.count, n) << s;
  const kes_listname* names = static_cast<const kes_listname*>(o->slots[6].list);
  EXPECT_EQ(std::string(names[1].text, 3), "m2 ");
  EXPECT_EQ(numbers(o->slots[2]), std::vector<double>{50});
}

}  // namespace
