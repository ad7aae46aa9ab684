// Handles of output objects and texts: never given twice, safe to call after their
// object is gone (a refusal with a message, not a read of freed memory), and objects
// freed as they are emitted or closed, so that a step's live objects do not grow with
// its BY groups.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>
#include <unistd.h>

#include "output/handle_space.h"
#include "output/output_messages.h"
#include "output_test_support.h"

namespace {

using namespace out_test;
namespace msg = plat::out::msg;
using plat::out::kErrHandle;

TEST(HandleSpace, HandlesAreNewAndReadAsTheClassAcrossWindows) {
  static const wob_class cls{};
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  plat::out::handle_space space(&cls, page);
  const std::size_t per_window = page / sizeof(void*);
  std::set<void*> seen;
  std::vector<void*> firsts;
  for (std::size_t i = 0; i < 3 * per_window; ++i) {
    void* h = space.next();
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(seen.insert(h).second) << "handle " << i << " given twice";
    if (i % per_window == 0) firsts.push_back(h);
  }
  EXPECT_EQ(space.issued(), 3 * per_window);
  EXPECT_EQ(space.windows(), 3u);
  // Earlier windows' pages left the resident set; they still read as the class.
  for (void* h : firsts) EXPECT_EQ(static_cast<wob_object*>(h)->cls, &cls);
  EXPECT_EQ(static_cast<wob_object*>(*seen.rbegin())->cls, &cls);
}

class HandleTest : public system_fixture {
 protected:
  void SetUp() override {
    system_fixture::SetUp();
    mgr = make_manager();
    small.define(mgr);
  }
  void* open_group(const char* name) {
    wob_attr g[3] = {wob_out(WOB_A_HANDLE), wob_text(WOB_A_NAME, txt(name)), wob_text(WOB_A_LABEL, txt(name))};
    EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_GROUP, 3, g), 0);
    return g[0].w.p;
  }
  void* factoid() {
    wob_attr c[5] = {wob_str(WOB_A_FAMILY, "vem", 3), wob_str(WOB_A_CLASS, "factoid", 7), wob_out(WOB_A_HANDLE),
                     wob_text(WOB_A_TEMPLATE, txt("orbo.kestravine.Moments")), wob_text(WOB_A_NAME, txt("Moments"))};
    EXPECT_EQ(wobmth(root, nullptr, WOB_M_CREATE, 5, c), 0);
    return c[2].w.p;
  }
  // What one BY group makes: its texts, a group, a factoid, a table of the step and
  // a table of its own, closed once emitted.
  void one_by_group(int g) {
    plat::out::release_group_texts();
    void* grp = open_group(("Group " + std::to_string(g)).c_str());
    void* f = factoid();
    wob_attr pair[2] = {wob_text(WOB_A_LABEL, txt("N")), wob_dbl(WOB_A_VALUE, g)};
    EXPECT_EQ(wobmth(f, nullptr, WOB_M_FACTOID_ROW, 2, pair), 0);
    EXPECT_EQ(wobclose(f), 0);
    small.emit(g);
    small_table own;
    own.define(mgr);
    own.emit(g);
    EXPECT_EQ(wobclose(own.table), 0);
    EXPECT_EQ(wobclose(grp), 0);
  }
  // A call refused for a gone handle, with the message logged since the last check.
  static bool stale(int rc) {
    const bool logged = !log_entries().empty() && log_entries().back().number == msg::kStale;
    log_entries().clear();
    return rc == kErrHandle && logged;
  }

  void* mgr = nullptr;
  small_table small;
};

// Every way a handle outlives its object, called the ways the module calls: a method,
// a close and a read-back; each is refused and logged, and the call changes nothing.
TEST_F(HandleTest, AGoneObjectsHandleIsRefusedEveryWay) {
  void* bound = small.emit(1);
  void* grp = open_group("Height");
  ASSERT_EQ(wobclose(grp), 0);
  void* f = factoid();
  ASSERT_EQ(wobclose(f), 0);
  void* text = txt("a text, not an object");
  const int before = sys->emitted();
  log_entries().clear();
  for (void* h : {bound, grp, f, text}) {
    wob_attr a[1] = {wob_head(WOB_A_LABEL, 0)};
    EXPECT_TRUE(stale(wobmth(h, nullptr, WOB_M_EMIT, 0, nullptr)));
    EXPECT_TRUE(stale(wobclose(h)));
    EXPECT_TRUE(stale(wobgetattr(h, 1, a)));
  }
  EXPECT_EQ(sys->emitted(), before);
  // A gone bound table passed to the manager names what it should have been.
  wob_attr e[1] = {wob_out(0, bound)};
  EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_EMIT, 1, e), kErrHandle);
  EXPECT_EQ(log_entries().back().number, msg::kNotObject);
}

// A closed table is freed and its handle refused; while a bound table of it waits to
// be emitted (it reads the table's columns then) the close is refused and changes
// nothing.
TEST_F(HandleTest, AClosedTableGoesButNotBeforeItsBoundTableIsEmitted) {
  wob_attr b[3] = {wob_out(0), wob_out(0, small.table), wob_text(WOB_A_TEMPLATE, txt("orbo.kestravine.Small"))};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 3, b), 0);
  const std::size_t objects = sys->live_objects();
  log_entries().clear();
  EXPECT_EQ(wobclose(small.table), plat::out::kErrOrder);
  EXPECT_EQ(log_entries().back().number, msg::kCloseBound);
  EXPECT_EQ(sys->live_objects(), objects);
  small.value = 2.5;
  ASSERT_EQ(wobmth(small.table, nullptr, WOB_M_ADD_ROW, 0, nullptr), 0);
  wob_attr e[1] = {wob_out(0, b[0].w.p)};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_EMIT, 1, e), 0);
  EXPECT_EQ(wobclose(small.table), 0);
  EXPECT_EQ(sys->live_objects(), objects - 2);
  log_entries().clear();
  EXPECT_TRUE(stale(wobmth(small.table, nullptr, WOB_M_ADD_ROW, 0, nullptr)));
  wob_attr again[3] = {wob_out(0), wob_out(0, small.table), wob_text(WOB_A_TEMPLATE, txt("orbo.kestravine.Small"))};
  EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_BIND, 3, again), kErrHandle);
  EXPECT_EQ(log_entries().back().number, msg::kNotObject);
  EXPECT_EQ(wobclose(small.table), kErrHandle);
}

// A step's handles are not valid in the next step, and the next step's objects never
// get an earlier step's handle.
TEST_F(HandleTest, AnEarlierStepsHandlesAreRefusedAndNotReused) {
  std::set<void*> old{root, mgr, small.table, open_group("G")};
  sys.reset();
  plat::out::release_texts();
  plat::out::hooks h;
  h.log = record_log;
  sys = std::make_unique<plat::out::output_system>(std::move(h), nullptr);
  root = sys->root();
  EXPECT_FALSE(old.count(root));
  void* first = mgr;
  mgr = make_manager();
  EXPECT_FALSE(old.count(mgr));
  EXPECT_FALSE(old.count(open_group("G")));
  log_entries().clear();
  EXPECT_TRUE(stale(wobmth(first, nullptr, WOB_M_GROUPING, 0, nullptr)));
  EXPECT_EQ(wobmth(small.table, nullptr, WOB_M_ADD_ROW, 0, nullptr), kErrHandle);
}

// Objects and texts of a BY group go when the group is done: after the first group,
// the counts of live objects and texts stay the same however many groups follow.
TEST_F(HandleTest, LiveObjectsAndTextsDoNotGrowWithGroups) {
  one_by_group(0);
  const std::size_t objects = sys->live_objects();
  const std::size_t texts = plat::out::live_text_count();
  for (int g = 1; g < 2000; ++g) one_by_group(g);
  EXPECT_EQ(sys->live_objects(), objects);
  EXPECT_EQ(plat::out::live_text_count(), texts);
  EXPECT_EQ(sys->emitted(), 3 * 2000);
  // The step's own objects are still there.
  EXPECT_EQ(wobmth(mgr, nullptr, WOB_M_GROUPING, 0, nullptr), 0);
}

// The texts a group was opened with go when it closes, other texts stay, and a freed
// text's handle is never given to a new text.
TEST_F(HandleTest, AGroupsOwnTextsGoWithItAndTheirHandlesStayUnused) {
  void* label = txt("c = 1");
  void* other = txt("kept");
  wob_attr g[2] = {wob_out(WOB_A_HANDLE), wob_text(WOB_A_LABEL, label)};
  ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_GROUP, 2, g), 0);
  ASSERT_EQ(wobclose(g[0].w.p), 0);
  EXPECT_EQ(plat::out::text_of(label), nullptr);
  ASSERT_NE(plat::out::text_of(other), nullptr);
  EXPECT_EQ(*plat::out::text_of(other), "kept");
  for (int i = 0; i < 100; ++i) EXPECT_NE(txt("new"), label);
}

// However many texts a group is opened with (a few are kept in the group itself, the
// rest beside), each goes when it closes and no other.
TEST_F(HandleTest, EveryTextAGroupWasOpenedWithGoesWithIt) {
  for (int n : {1, 4, 5, 9}) {
    SCOPED_TRACE(n);
    void* other = txt("kept");
    std::vector<void*> texts;
    std::vector<wob_attr> a = {wob_out(WOB_A_HANDLE)};
    for (int i = 0; i < n; ++i) {
      texts.push_back(txt(("text " + std::to_string(i)).c_str()));
      a.push_back(wob_text(i == 0 ? WOB_A_LABEL : WOB_A_NAME, texts.back()));
    }
    ASSERT_EQ(wobmth(mgr, nullptr, WOB_M_GROUP, static_cast<int>(a.size()), a.data()), 0);
    for (void* t : texts) EXPECT_NE(plat::out::text_of(t), nullptr);
    ASSERT_EQ(wobclose(a[0].w.p), 0);
    for (void* t : texts) EXPECT_EQ(plat::out::text_of(t), nullptr);
    EXPECT_NE(plat::out::text_of(other), nullptr);
  }
}

}  // namespace
