// The JSON file: a complete document of the steps that have ended, at any moment;
// and the vector-40 services end to end through the host anchor (xobinit,
// texts, the step-end release, the listing and the JSON path of the run).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "runner/host_table.h"
#include "core/runtime.h"
#include "host/host_services.h"
#include "output/output_api.h"
#include "output/output_messages.h"
#include "output_test_support.h"
#include "support/scratch_files.h"

namespace {

using out_test::jvalue;
using out_test::parse_json;

jvalue read_json(const std::filesystem::path& p, bool* ok) {
  jvalue v;
  *ok = parse_json(kes_test::slurp(p), v);
  return v;
}

TEST(JsonFile, AnEmptyDocumentAtOpenAndNoFileLeftBeside) {
  kes_test::scratch_dir dir("json");
  auto p = dir / "out.json";
  plat::out::json_file f;
  ASSERT_TRUE(f.open(p.string(), nullptr));
  bool ok = false;
  jvalue v = read_json(p, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(v["steps"].arr.size(), 0u);
  // Steps appear as they end: the services test below, and every example's JSON.
  f.begin_step();
  f.add_output("{\"n\": 1}");
  f.end_step();
  f.close();
  v = read_json(p, &ok);
  EXPECT_TRUE(ok);
  // Nothing but the document is left in the folder.
  std::size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.path() != p;
  EXPECT_EQ(files, 0u);
  // Opening again starts a new file.
  ASSERT_TRUE(f.open(p.string(), nullptr));
  v = read_json(p, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(v["steps"].arr.size(), 0u);
  f.close();
  std::string why;
  EXPECT_FALSE(f.open((dir / "no-such-folder" / "x.json").string(), &why));
  EXPECT_FALSE(why.empty());
}

// The services as the module reaches them: through the anchor's vector 40.
class OutputServices : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::finish_step();
    plat::output_close_json();
    saved_anchor_ = v_global_gcb_anchor;
    v_global_gcb_anchor = plat::anchor();
    plat::config().json_path = (dir_ / "run.json").string();
    missing_before_ = plat::catalogue_missing_count();
  }
  void TearDown() override {
    plat::finish_step();
    plat::output_close_json();
    plat::config().json_path.clear();
    v_global_gcb_anchor = saved_anchor_;
    EXPECT_EQ(plat::catalogue_missing_count(), missing_before_);
  }
  // One small table emitted under the manager, as a step would.
  void one_table(void* root, const char* name, double v) {
    wob_attr m[3] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "manager", 7), wob_out(WOB_A_HANDLE)};
    ASSERT_EQ(wobmth(root, nullptr, WOB_M_CREATE, 3, m), 0);
    void* mgr = m[2].w.p;
    wob_attr c[5] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "data", 4), wob_out(WOB_A_HANDLE),
                     wob_text(WOB_A_NAME, vemtxt(name, -1)), wob_text(WOB_A_LABEL, vemtxt("A Label   ", 10))};
    ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_CREATE, 5, c), 0);
    void* t = c[2].w.p;
    cell_ = v;
    wob_attr col[3] = {wob_int(WOB_A_COLUMN_TYPE, 5), wob_text(WOB_A_NAME, vemtxt("X", 1)),
                       wob_addr(WOB_A_CELL, &cell_)};
    ASSERT_EQ(wobmth(t, nullptr, WOB_M_DEFINE_COLUMN, 3, col), 0);
    ASSERT_EQ(wobmth(t, nullptr, WOB_M_END_DEFINE, 0, nullptr), 0);
    wob_attr b[3] = {wob_out(0), wob_out(0, t), wob_text(WOB_A_TEMPLATE, vemtxt("orbo.kestravine.Test", -1))};
    ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 3, b), 0);
    ASSERT_EQ(wobmth(t, nullptr, WOB_M_ADD_ROW, 0, nullptr), 0);
    wob_attr e[1] = {wob_out(0, b[0].w.p)};
    ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_EMIT, 1, e), 0);
  }

  kes_test::captured_outputs out_;
  kes_test::scratch_dir dir_{"outsvc"};
  host_gcb* saved_anchor_ = nullptr;
  int missing_before_ = 0;
  double cell_ = 0;
};

TEST_F(OutputServices, StepsGoToOneJsonFileEachWhenItEnds) {
  wob_anchor anchor{};
  ASSERT_EQ(xobinit(&anchor, 0), 0);
  ASSERT_NE(anchor.root, nullptr);
  one_table(anchor.root, "First", 1.5);
  plat::finish_step();
  EXPECT_EQ(plat::out::live_text_count(), 0u);  // texts are gone with the step

  // While a second step runs, the file holds the complete document of the first
  // (what a run killed now leaves).
  wob_anchor anchor2{};
  ASSERT_EQ(xobinit(&anchor2, 0), 0);
  one_table(anchor2.root, "Second", 2.5);
  bool ok = false;
  jvalue v = read_json(dir_ / "run.json", &ok);
  ASSERT_TRUE(ok) << kes_test::slurp(dir_ / "run.json");
  ASSERT_EQ(v["steps"].arr.size(), 1u);
  EXPECT_EQ(v["steps"][0]["outputs"][0]["name"].str, "First");
  EXPECT_EQ(v["steps"][0]["outputs"][0]["label"].str, "A Label");
  plat::finish_step();
  // A second step no longer than the first leaves the document less than doubled:
  // it takes the file's place when the run ends.
  v = read_json(dir_ / "run.json", &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(v["steps"].arr.size(), 1u);
  plat::output_close_json();
  v = read_json(dir_ / "run.json", &ok);
  ASSERT_TRUE(ok);
  ASSERT_EQ(v["steps"].arr.size(), 2u);
  EXPECT_EQ(v["steps"][1]["outputs"][0]["rows"][0]["X"].num, 2.5);
}

// A BY group's texts go when the next group begins, so that a step of many groups
// does not keep them all; the step's own texts and the listing stay.
TEST_F(OutputServices, GroupTextsGoWhenTheNextGroupBegins) {
  wob_anchor anchor{};
  ASSERT_EQ(xobinit(&anchor, 0), 0);
  void* step_text = vemtxt("step", -1);
  const std::size_t kept = plat::out::live_text_count();
  char buf[16];
  for (int g = 1; g <= 3; ++g) {
    const std::string v = std::to_string(g);
    plat::output_set_by({{"g", v}});
    EXPECT_EQ(plat::out::live_text_count(), kept) << "group " << g;
    void* mine = vemtxt("group text", -1);
    one_table(anchor.root, ("T" + v).c_str(), g + 0.5);
    EXPECT_GT(plat::out::live_text_count(), kept + 1);
    EXPECT_EQ(vemtget(mine, buf, 16), 10);
    if (g == 3) break;
    plat::output_set_by({{"g", v + "0"}});
    EXPECT_EQ(vemtget(mine, buf, 16), -1);  // a dead handle is refused, never read
  }
  EXPECT_EQ(vemtget(step_text, buf, 16), 4);
  plat::finish_step();
  EXPECT_EQ(plat::out::live_text_count(), 0u);
  const std::string lst = out_.listing();
  for (const char* s : {"g=1 ", "g=2 ", "g=3 ", "1.5", "2.5", "3.5"}) EXPECT_NE(lst.find(s), std::string::npos) << s;
}

TEST_F(OutputServices, TextsFromTheCatalogue) {
  wob_anchor anchor{};
  ASSERT_EQ(xobinit(&anchor, 0), 0);
  void* t = vemmsgs(plat::out::kMsgSet, plat::out::msg::kNoColumn, 346, "table", "Frequencies", "Value");
  char buf[80];
  int n = vemtget(t, buf, sizeof buf);
  const std::string want = "Output method 346 of the table Frequencies: the table has no column Value.";
  ASSERT_EQ(n, static_cast<int>(want.size()));
  EXPECT_EQ(std::string(buf, n), want);
  EXPECT_EQ(buf[n], ' ');  // the rest is blank-filled
  void* raw = vemmsg(plat::out::kMsgSet, plat::out::msg::kResultOrder);
  const std::string order = "The output-object call came out of order for its object.";
  EXPECT_EQ(vemtget(raw, buf, 10), static_cast<int>(order.size()));
  EXPECT_EQ(std::string(buf, 10), "The output");
  EXPECT_EQ(vemtget(nullptr, buf, 10), -1);
  int set = 0, number = 0;
  EXPECT_TRUE(plat::output_result_message(static_cast<int>(0x80008001u), &set, &number));
  EXPECT_EQ(set, plat::out::kMsgSet);
  EXPECT_EQ(number, plat::out::msg::kResultNoMethod);
  EXPECT_FALSE(plat::output_result_message(-1, &set, &number));
}

TEST_F(OutputServices, BadStartAndUnwritableJsonAreReported) {
  EXPECT_LT(xobinit(nullptr, 0), 0);
  EXPECT_NE(out_.log().find("without an anchor block"), std::string::npos) << out_.log();
  plat::config().json_path = (dir_ / "missing-folder" / "x.json").string();
  for (int step = 0; step < 2; ++step) {
    wob_anchor anchor{};
    ASSERT_EQ(xobinit(&anchor, 0), 0);
    one_table(anchor.root, "T", 1);
    plat::finish_step();
  }
  std::string log = out_.log();
  std::size_t first = log.find("cannot be written");
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_EQ(log.find("cannot be written", first + 1), std::string::npos) << "warned once";
}

}  // namespace
