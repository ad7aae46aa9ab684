// BY groups and observation reads: rewinds that re-read the same observations, and
// the variable services. Groups in order with their observations, DESCENDING,
// NOTSORTED, missing values and unsorted data in whole steps are the example program
// by_groups.kes.
#include "data_test_support.h"

#include "data/dataset_internal.h"

namespace {

using data_test::data_fixture;
using data_test::read_group;

class ByGroups : public data_fixture {
 protected:
  kes_dsh open_by(const std::string& name, std::vector<plat::by_var> by, bool notsorted = false) {
    plat::dataset* ds = open(name);
    if (ds == nullptr) return nullptr;
    std::string err;
    EXPECT_TRUE(plat::set_by(ds, by, notsorted, &err)) << err;
    return plat::handle(ds);
  }
};

TEST_F(ByGroups, RewindReReadsTheSameObservations) {
  write_file("t.csv", "g,x\na,1\na,2\nb,3\nb,4\nb,5\n");
  kes_dsh h = open_by("t", {{0, false}});
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(plat_xbynext(h), 1);
  ASSERT_EQ(plat_xbynext(h), 1);
  std::vector<long> o1, o2, o3;
  std::vector<double> first = read_group(h, 1, &o1);
  EXPECT_EQ(plat_xbyrwnd(h, 66), 0);
  std::vector<double> second = read_group(h, 1, &o2);
  // A rewind in the middle of the group starts again at its first observation.
  host_ioreq req{};
  req.ds = h;
  req.code = HOST_IOC_READ;
  plat_xbyrwnd(h, 66);
  ASSERT_EQ(plat_xybyget(&req), 0);
  EXPECT_EQ(plat_xbyrwnd(h, 66), 0);
  std::vector<double> third = read_group(h, 1, &o3);
  EXPECT_EQ(first, (std::vector<double>{3, 4, 5}));
  EXPECT_EQ(second, first);
  EXPECT_EQ(third, first);
  EXPECT_EQ(o1, (std::vector<long>{3, 4, 5}));
  EXPECT_EQ(o2, o1);
  EXPECT_EQ(o3, o1);
  EXPECT_EQ(plat_xbynext(h), 0);  // the rewind did not disturb the group sequence
}

TEST_F(ByGroups, WithoutByVariablesTheDataSetIsOneGroup) {
  write_file("t.csv", "x\n5\n6\n");
  plat::dataset* ds = open("t");
  kes_dsh h = plat::handle(ds);
  ASSERT_EQ(plat_xbynext(h), 1);
  EXPECT_EQ(read_group(h, 0), (std::vector<double>{5, 6}));
  EXPECT_EQ(plat_xbynext(h), 0);
  write_file("e.csv", "x\n");
  kes_dsh e = plat::handle(open("e"));
  EXPECT_EQ(plat_xbynext(e), 1);  // an empty group, so the reader can report it
  EXPECT_TRUE(read_group(e, 0).empty());
  EXPECT_EQ(plat_xbynext(e), 0);
}

TEST_F(ByGroups, BadByVariableNumberIsRefused) {
  write_file("t.csv", "g\n1\n");
  plat::dataset* ds = open("t");
  std::string err;
  EXPECT_FALSE(plat::set_by(ds, {{4, false}}, false, &err));
  EXPECT_NE(err.find("WORK.t"), std::string::npos);
}

// ---- variable services ----

TEST_F(ByGroups, GetSetGivesRawFormattedAndKeyValues) {
  write_file("t.csv", "c,n,w\nabc,1.5,2\nx,.B,3\n");
  plat::dataset* ds = open("t");
  kes_dsh h = plat::handle(ds);
  kes_geth g = nullptr;
  char ctext[6], nfmt[12];
  double nraw = 0, nkey = 0, w = 0;
  ASSERT_EQ(plat_xvgeti(h, 5, &g), 0);
  EXPECT_EQ(plat_xvgetd(g, 0, HOST_GET_RAW, ctext, 6), 0);
  EXPECT_EQ(plat_xvgetd(g, 1, HOST_GET_ANALYSIS, &nraw, 8), 0);
  EXPECT_EQ(plat_xvgetd(g, 1, HOST_GET_FMT, nfmt, 12), 0);
  EXPECT_EQ(plat_xvgetd(g, 1, HOST_GET_KEY, &nkey, 8), 0);
  EXPECT_EQ(plat_xvgetd(g, 2, HOST_GET_RAW, &w, 0), 0);
  EXPECT_NE(plat_xvgetd(g, 0, HOST_GET_ANALYSIS, &w, 8), 0);  // a text is no analysis value
  EXPECT_NE(plat_xvgetd(g, 9, HOST_GET_RAW, &w, 8), 0);
  ASSERT_EQ(plat_xvgete(g), 0);
  EXPECT_NE(plat_xyvget(g, 0), 0);  // nothing read yet
  ASSERT_EQ(plat_xbynext(h), 1);
  host_ioreq req{};
  req.ds = h;
  req.flags = HOST_IOF_OBSNO;
  req.code = HOST_IOC_READ;
  ASSERT_EQ(plat_xybyget(&req), 0);
  ASSERT_EQ(plat_xyvget(g, 0), 0);
  EXPECT_EQ(std::string(ctext, 6), "abc   ");
  EXPECT_EQ(nraw, 1.5);
  EXPECT_EQ(nkey, 1.5);
  EXPECT_EQ(w, 2.0);
  EXPECT_EQ(std::string(nfmt, 12), "         1.5");
  ASSERT_EQ(plat_xybyget(&req), 0);
  ASSERT_EQ(plat_xyvget(g, 0), 0);
  EXPECT_EQ(std::string(nfmt, 12), "          .B");
  EXPECT_EQ(req.obsno, 2);
  EXPECT_EQ(plat_xybyget(&req), HOST_IO_EOG);
  EXPECT_EQ(plat_xofprc(&req, HOST_IO_EOG, 1), 0);  // the end of a group is no failure
  EXPECT_EQ(plat_xvgett(g), 0);
}

TEST_F(ByGroups, SingleVariableGetsOfTheObservationReadLast) {
  write_file("t.csv", "c,n\nhello,7\n");
  kes_dsh h = plat::handle(open("t"));
  double v = 0;
  char buf[8];
  EXPECT_NE(plat_xvget1f(h, 1, &v), 0);  // nothing read yet
  plat_xbynext(h);
  host_ioreq req{};
  req.ds = h;
  ASSERT_EQ(plat_xybyget(&req), 0);
  EXPECT_EQ(plat_xvget1f(h, 1, &v), 0);
  EXPECT_EQ(v, 7.0);
  EXPECT_NE(plat_xvget1f(h, 0, &v), 0);  // a text
  EXPECT_EQ(plat_xvget1c(h, 0, 8, buf), 0);
  EXPECT_EQ(std::string(buf, 8), "hello   ");
  EXPECT_EQ(plat_xvget1c(h, 0, 3, buf), 0);
  EXPECT_EQ(std::string(buf, 3), "hel");
  EXPECT_EQ(plat_xvget1v(h, 1, 8, buf), 0);
  double back;
  std::memcpy(&back, buf, 8);
  EXPECT_EQ(back, 7.0);
  EXPECT_EQ(plat_xvget1v(h, 0, 8, buf), 0);
  EXPECT_EQ(std::string(buf, 8), "hello   ");
}

TEST_F(ByGroups, VariableDescriptionsAndInformationItems) {
  write_file("t.csv", "Name,Height\nann,1.6\n");
  plat::dataset* ds = open("t");
  kes_dsh h = plat::handle(ds);
  host_varinfo info;
  ASSERT_EQ(plat_xvname(h, 0, &info), 0);
  EXPECT_EQ(std::string(info.name, info.name_len), "Name");
  EXPECT_EQ(info.name[info.name_len], ' ');
  EXPECT_EQ(info.type, HOST_VT_CHAR);
  EXPECT_EQ(info.length, 3);
  EXPECT_EQ(info.label_len, 0);
  EXPECT_EQ(info.fmt_name_len, 0);
  EXPECT_EQ(info.fmt_width, 0);
  ASSERT_EQ(plat_xvname(h, 1, &info), 0);
  EXPECT_EQ(info.type, HOST_VT_NUM);
  EXPECT_EQ(info.length, 8);
  EXPECT_EQ(info.varnum, 1);
  EXPECT_NE(plat_xvname(h, 2, &info), 0);
  EXPECT_NE(log().find("Variable number 2 is not a variable of data set WORK.t"), std::string::npos);

  int k = -1;
  EXPECT_EQ(plat_xvfind(h, "HEIGHT  ", 8, &k), 0);
  EXPECT_EQ(k, 1);
  EXPECT_NE(plat_xvfind(h, "weight", -1, &k), 0);

  int answer = 0;
  EXPECT_EQ(plat_xoinfo(h, HOST_DSI_OPEN, &answer), 1);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(plat_xoinfo(h, HOST_DSI_OBSNO, nullptr), 1);
  EXPECT_EQ(plat_xoinfo(h, HOST_DSI_NVARS, nullptr), 2);
  EXPECT_EQ(plat_xoinfo(h, HOST_DSI_NOBS, nullptr), 1);
  EXPECT_EQ(plat_xoinfo(nullptr, HOST_DSI_OPEN, nullptr), 0);
  char name[42];
  EXPECT_EQ(plat_xoinfo(h, HOST_DSI_NAME, name), 0);
  EXPECT_STREQ(name, "WORK.t");

  const int list[] = {0, 1};
  EXPECT_EQ(plat_xffile(h, 'F', list, 2), 0);
  const int bad[] = {0, 5};
  EXPECT_GT(plat_xffile(h, 'F', bad, 2), 0);
  EXPECT_NE(plat_xvdflst(h, bad, 2), 0);
}

TEST_F(ByGroups, SecondDataSetFollowsTheInputsGroup) {
  write_file("in.csv", "g,x\n1,1\n2,2\n2,3\n");
  write_file("other.csv", "_LABEL_,g\na,1\nb,2\nc,2\nd,3\n");
  kes_dsh in = open_by("in", {{0, false}});
  kes_dsh other = plat::handle(open("other"));
  EXPECT_EQ(plat_xbylist(in, other), 0);
  ASSERT_EQ(plat_xbynext(in), 1);
  ASSERT_EQ(plat_xbynext(in), 1);
  EXPECT_EQ(plat_xopnt(other), 0);
  ASSERT_EQ(plat_xbysync(in, other), 0);
  EXPECT_EQ(read_group(other, 1), (std::vector<double>{2, 2}));
  write_file("nog.csv", "_LABEL_\na\n");
  kes_dsh nog = plat::handle(open("nog"));
  EXPECT_EQ(plat_xbylist(in, nog), 1);
  EXPECT_EQ(plat_xbysync(in, nog), 2);
  EXPECT_EQ(plat_xopnt2(other), 0);
  EXPECT_EQ(read_group(other, 1).size(), 4u);
}

TEST_F(ByGroups, ValuesDifferingOnlyInTrailingBlanksAreOneGroup) {
  // Character values compare blank-padded: "a", "a " and "a   " are one value, in any
  // order, and a second data set's "b  " follows the input's "b".
  write_file("in.csv", "g,x\n\"a   \",1\na,2\n\"a \",3\nb,4\n\"b \",5\n");
  write_file("other.csv", "g,y\n\"a \",10\n\"b  \",20\nb,30\n");
  kes_dsh in = open_by("in", {{0, false}});
  kes_dsh other = plat::handle(open("other"));
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(plat_xbylist(in, other), 0);
  ASSERT_EQ(plat_xbynext(in), 1);
  EXPECT_EQ(read_group(in, 1), (std::vector<double>{1, 2, 3}));
  ASSERT_EQ(plat_xbynext(in), 1);
  EXPECT_EQ(read_group(in, 1), (std::vector<double>{4, 5}));
  ASSERT_EQ(plat_xbysync(in, other), 0);
  EXPECT_EQ(read_group(other, 1), (std::vector<double>{20, 30}));
  EXPECT_EQ(plat_xbynext(in), 0);
}

}  // namespace
