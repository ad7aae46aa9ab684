// Output data sets: definitions, observations, the CSV and metadata files, round
// trips through the reader, and failures that must leave older files intact. A
// step writing one per BY group, and an output over the step's own input, are the
// example program output_sets.kes.
#include "data_test_support.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>

#include "data/dataset_internal.h"

namespace {

using data_test::bits;
using data_test::data_fixture;
using data_test::slurp;

class OutputSets : public data_fixture {
 protected:
  kes_dsh open_out(const std::string& name, const std::string& lib = "") {
    std::string err;
    plat::dataset* ds = plat::open_output(lib, name, &err);
    EXPECT_NE(ds, nullptr) << err;
    return ds == nullptr ? nullptr : plat::handle(ds);
  }
  // Defines numeric X (label, format 8.3) and character C of 10, bound to x and c.
  host_access* define_xc(kes_dsh h) {
    host_access* acc = nullptr;
    EXPECT_EQ(plat_xvputi(h, 2, 32, &acc), 0);
    host_varinfo info;
    EXPECT_EQ(plat_xvnamei(&info, "X", 1, HOST_VT_NUM, 8, "The value, with a label", -1), 0);
    std::memcpy(info.fmt_name, "    ", 4);
    info.fmt_width = 8;
    info.fmt_decimals = 3;
    EXPECT_EQ(plat_xvputd(acc, &info, 0, &x, 0, 0, 0), 0);
    EXPECT_EQ(plat_xvnamei(&info, "C         ", 10, HOST_VT_CHAR, 10, "", 0), 0);
    EXPECT_EQ(plat_xvputd(acc, &info, 0, c, 10, 0, 0), 0);
    return acc;
  }
  int put(host_access* acc, double value, const char* text) {
    x = value;
    std::memset(c, ' ', sizeof c);
    std::memcpy(c, text, std::min(std::strlen(text), sizeof c));
    EXPECT_EQ(plat_xyvput(acc, 0), 0);
    host_ioreq status{};
    status.code = HOST_IOC_WRITE;
    int rc = acc->ds->write(acc->ds, &status);
    if (rc != 0 || (acc->ds->flags & HOST_DSF_REPORT)) plat_xofprc(&status, rc, 4);
    return rc;
  }
  double x = 0;
  char c[10];
};

TEST_F(OutputSets, NumbersRoundTripBitExactWithMissingKinds) {
  kes_dsh h = open_out("out");
  host_access* acc = define_xc(h);
  ASSERT_EQ(plat_xvpute(acc), 0);
  const double values[] = {0.1,
                           -0.0,
                           1e300,
                           5e-324,
                           1.0 / 3,
                           -123456789.123456789,
                           host_missing_of_kind(HOST_MISS_UNDERSCORE),
                           host_missing_of_kind(HOST_MISS_STD),
                           host_missing_of_kind(HOST_MISS_A),
                           host_missing_of_kind(HOST_MISS_Z)};
  for (double v : values) ASSERT_EQ(put(acc, v, "12"), 0);
  ASSERT_EQ(plat_xvputt(acc), 0);
  EXPECT_NE(log().find("NOTE: The data set WORK.out has 10 observations and 2 variables"), std::string::npos)
      << log();

  plat::dataset* in = open("out");
  ASSERT_NE(in, nullptr);
  ASSERT_EQ(plat::observation_count(in), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(bits(plat::num_value(in, 0, i)), bits(values[i])) << i;
  // The metadata keeps C a character variable of 10 although its values read as numbers.
  const auto& v = plat::variables(in);
  EXPECT_FALSE(v[1].numeric);
  EXPECT_EQ(v[1].length, 10);
  EXPECT_EQ(plat::char_value(in, 1, 0), "12");
  EXPECT_EQ(v[0].label, "The value, with a label");
  EXPECT_EQ(v[0].format, "8.3");
  host_varinfo info;
  ASSERT_EQ(plat_xvname(plat::handle(in), 0, &info), 0);
  EXPECT_EQ(std::string(info.label, info.label_len), "The value, with a label");
  EXPECT_EQ(info.fmt_width, 8);
  EXPECT_EQ(info.fmt_decimals, 3);
}

TEST_F(OutputSets, CharacterValuesAreQuotedWhenNeeded) {
  kes_dsh h = open_out("q");
  host_access* acc = define_xc(h);
  ASSERT_EQ(plat_xvpute(acc), 0);
  put(acc, 1, "a,b");
  put(acc, 2, "say \"hi\"");
  put(acc, 3, "two\nlines");
  put(acc, 4, " lead");
  put(acc, 5, "");
  ASSERT_EQ(plat_xvputt(acc), 0);
  EXPECT_EQ(slurp(work() / "q.csv"), "X,C\n1,\"a,b\"\n2,\"say \"\"hi\"\"\"\n3,\"two\nlines\"\n4, lead\n5,\n");
  plat::dataset* in = open("q");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(plat::char_value(in, 1, 1), "say \"hi\"");
  EXPECT_EQ(plat::char_value(in, 1, 2), "two\nlines");
  EXPECT_EQ(plat::char_value(in, 1, 3), " lead");
}

TEST_F(OutputSets, DataSetLabelAndTypeGoToTheMetadata) {
  kes_dsh h = open_out("lab");
  host_access* acc = define_xc(h);
  char type[8];
  std::memcpy(type, "HISTO   ", 8);
  EXPECT_EQ(plat_xoinfo(h, HOST_DSI_TYPE, type), 0);
  char label[2 + 32];
  std::uint16_t len = 11;
  std::memcpy(label, &len, 2);
  std::memcpy(label + 2, "Bins of X  ", 11);
  EXPECT_EQ(plat_xoinfo(h, HOST_DSI_LABEL, label), 0);
  char name[42];
  EXPECT_EQ(plat_xoinfo(h, HOST_DSI_NAME, name), 0);
  EXPECT_STREQ(name, "WORK.lab");
  ASSERT_EQ(plat_xvpute(acc), 0);
  ASSERT_EQ(plat_xvputt(acc), 0);
  std::string meta = slurp(work() / "lab.csv.meta");
  EXPECT_NE(meta.find("dataset\tlabel\tBins of X\n"), std::string::npos) << meta;
  EXPECT_NE(meta.find("var\tX\tnum\t8\t8.3\tThe value, with a label\n"), std::string::npos) << meta;
  kes_dsh in = plat::handle(open("lab"));
  char back[2 + 32];
  ASSERT_EQ(plat_xoinfo(in, HOST_DSI_LABEL, back), 0);
  std::memcpy(&len, back, 2);
  EXPECT_EQ(std::string(back + 2, len), "Bins of X");
}

TEST_F(OutputSets, DuplicateAndInvalidNamesAreRefused) {
  kes_dsh h = open_out("dup");
  host_access* acc = define_xc(h);
  host_varinfo info;
  EXPECT_EQ(plat_xvnamei(&info, "x", 1, HOST_VT_NUM, 8, nullptr, 0), 0);
  EXPECT_NE(plat_xvputd(acc, &info, 0, &x, 0, 0, 0), 0);
  EXPECT_NE(log().find("ERROR: Output data set WORK.dup: variable x is defined twice."), std::string::npos) << log();
  EXPECT_NE(plat_xvnamei(&info, "1bad", -1, HOST_VT_NUM, 8, nullptr, 0), 0);
  EXPECT_NE(plat_xvputd(acc, &info, 0, &x, 0, 0, 0), 0);
  EXPECT_NE(log().find("\"1bad\" is not a valid variable name"), std::string::npos);
}

TEST_F(OutputSets, AFailedWriteKeepsTheOlderFile) {
  write_file("big.csv", "X,C\n1,old\n");
  write_file("big.csv.meta", "kestravine data set metadata 1\n");
  kes_dsh h = open_out("big");
  host_access* acc = define_xc(h);
  ASSERT_EQ(plat_xvpute(acc), 0);
  // A file size limit makes the write fail part way, as a full disk would.
  struct rlimit old_limit;
  getrlimit(RLIMIT_FSIZE, &old_limit);
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit lim = old_limit;
  lim.rlim_cur = 200000;
  setrlimit(RLIMIT_FSIZE, &lim);
  int failures = 0;
  for (int i = 0; i < 200000; ++i) failures += put(acc, i, "some text") != 0;
  int closed = plat_xvputt(acc);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_GT(failures, 0);
  EXPECT_NE(closed, 0);
  EXPECT_EQ(slurp(work() / "big.csv"), "X,C\n1,old\n");
  EXPECT_EQ(slurp(work() / "big.csv.meta"), "kestravine data set metadata 1\n");
  std::string l = log();
  EXPECT_NE(l.find("ERROR: Write to file " + work().string() + "/.big.csv.tmp"), std::string::npos) << l;
  EXPECT_NE(l.find("The data set WORK.big was not written; an older file of that name is unchanged."),
            std::string::npos)
      << l;
  EXPECT_EQ(plat::host_step_code(), 1020);  // the step cannot end as a success
  // Reported once, not once per observation.
  EXPECT_EQ(l.find("Write to file"), l.rfind("Write to file"));
  size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(work())) files += e.is_regular_file();
  EXPECT_EQ(files, 2u);  // no temporary file left
}

TEST_F(OutputSets, AStepThatDoesNotCloseLeavesTheOlderFile) {
  write_file("keep.csv", "X\n1\n");
  kes_dsh h = open_out("keep");
  host_access* acc = define_xc(h);
  ASSERT_EQ(plat_xvpute(acc), 0);
  put(acc, 5, "x");
  plat::finish_step();
  EXPECT_EQ(slurp(work() / "keep.csv"), "X\n1\n");
  EXPECT_NE(log().find("ERROR: The data set WORK.keep was not written because the step stopped at an error"),
            std::string::npos)
      << log();
  size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(work())) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
}

TEST_F(OutputSets, UnsortedInputKeepsTheOlderOutputFile) {
  write_file("in.csv", "g\n2\n1\n");
  write_file("res.csv", "X,C\n1,old\n");
  plat::dataset* in = open("in");
  std::string err;
  ASSERT_TRUE(plat::set_by(in, {{0, false}}, false, &err));
  kes_dsh h = open_out("res");
  host_access* acc = define_xc(h);
  ASSERT_EQ(plat_xvpute(acc), 0);
  EXPECT_LT(plat_xbynext(plat::handle(in)), 0);
  EXPECT_NE(plat_xvputt(acc), 0);
  EXPECT_EQ(slurp(work() / "res.csv"), "X,C\n1,old\n");
  EXPECT_NE(log().find("WARNING: The data set WORK.res was not replaced because the step stopped on a data error"),
            std::string::npos)
      << log();
  plat::finish_step();  // the next step writes again
  kes_dsh h2 = open_out("res");
  host_access* acc2 = define_xc(h2);
  ASSERT_EQ(plat_xvpute(acc2), 0);
  EXPECT_EQ(plat_xvputt(acc2), 0);
  EXPECT_EQ(slurp(work() / "res.csv"), "X,C\n");
}

TEST_F(OutputSets, UnwritableLibraryGivesAClearMessage) {
  // Permission bits do not stop root; /proc refuses new files to everyone.
  std::string folder = "/proc";
  if (::geteuid() != 0) {
    folder = (root() / "ro").string();
    std::filesystem::create_directories(folder);
    ::chmod(folder.c_str(), 0555);
  }
  plat::config().libraries["RO"] = folder;
  kes_dsh h = open_out("res", "ro");
  ASSERT_NE(h, nullptr);
  host_access* acc = define_xc(h);
  EXPECT_NE(plat_xvpute(acc), 0);
  EXPECT_NE(put(acc, 1, "a"), 0);
  EXPECT_NE(plat_xvputt(acc), 0);
  std::string l = log();
  EXPECT_NE(l.find("ERROR: Write to file " + folder + "/.res.csv.tmp"), std::string::npos) << l;
  EXPECT_NE(l.find("The data set RO.res was not written"), std::string::npos) << l;
  EXPECT_EQ(plat::host_step_code(), 1020);
  EXPECT_FALSE(std::filesystem::exists(folder + "/res.csv"));
}

TEST_F(OutputSets, OutputOpenFailures) {
  std::string err;
  EXPECT_EQ(plat::open_output("nolib", "x", &err), nullptr);
  EXPECT_NE(err.find("library NOLIB is not assigned"), std::string::npos) << err;
  EXPECT_EQ(plat::open_output("", "bad name", &err), nullptr);
  EXPECT_NE(err.find("not a valid data set name"), std::string::npos) << err;
  plat::config().libraries["GONE"] = (root() / "gone").string();
  EXPECT_EQ(plat::open_output("gone", "x", &err), nullptr);
  EXPECT_NE(err.find("does not exist"), std::string::npos) << err;
  // Observations before the definitions end are refused.
  kes_dsh h = open_out("early");
  host_access* acc = define_xc(h);
  EXPECT_NE(plat_xyvput(acc, 0), 0);
}

}  // namespace
