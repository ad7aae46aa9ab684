// Balanced-tree services: nodes left alone until the list is made, and misuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/host_vectors.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "data_tree_nodes.h"

namespace {

using tree_test::kOff;
using tree_test::vnode;

class Trees : public ::testing::Test {
 protected:
  void TearDown() override { plat::finish_step(); }
};

// Repeats finding the first node, ascending lists of doubles, signed int keys and
// unsigned byte keys are data_trees_large_test, and the value lists and CLASS levels
// (missing kinds first, in their order) of the example programs datapass_sums,
// class_levels and class_missing_kinds.
TEST_F(Trees, NodesAreNotTouchedBeforeTheList) {
  // The module walks an old list while it inserts its nodes into a new tree.
  vnode a{}, b{};
  vnode* sentinel = reinterpret_cast<vnode*>(&b);
  a.link = sentinel;
  a.key = 5;
  void* root = nullptr;
  plat_ztrebld(&root, &a, -7, kOff);
  EXPECT_EQ(a.link, sentinel);
  plat_ztrelst(&root);
  EXPECT_EQ(root, &a);
  EXPECT_EQ(a.link, nullptr);
}

// A tree of a few keys keeps them without a table (one key without a log); crossing
// into the table must keep every key findable. Each size: keys arrive out of order,
// each comes again (the first node found), the list ascends, and nodes stay untouched.
TEST_F(Trees, SmallTreesAtEverySizeAcrossTheTable) {
  for (int n : {1, 2, 3, 7, 8, 9, 16, 17, 40}) {
    SCOPED_TRACE("keys " + std::to_string(n));
    std::vector<vnode> first(n), again(n);
    vnode mark{};
    void* root = nullptr;
    for (int i = 0; i < n; ++i) {
      first[i].key = ((i * 11 + 3) % n) - 0.5 * n;  // a permutation of the keys
      first[i].link = &mark;
      ASSERT_EQ(plat_ztrebld(&root, &first[i], -7, kOff), &first[i]);
      again[i].key = first[i].key;
      // The key just added and the first key are both found again at once.
      EXPECT_EQ(plat_ztrebld(&root, &again[i], -7, kOff), &first[i]);
      vnode old{};
      old.key = first[0].key;
      EXPECT_EQ(plat_ztrebld(&root, &old, -7, kOff), &first[0]);
    }
    for (const vnode& v : first) EXPECT_EQ(v.link, &mark);
    plat_ztrelst(&root);
    auto l = tree_test::as_list<vnode>(root);
    ASSERT_EQ(l.size(), static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) EXPECT_EQ(l[i]->key, i - 0.5 * n);
  }
}

TEST_F(Trees, EmptyTreeAndMisuse) {
  void* root = nullptr;
  plat_ztrelst(&root);
  EXPECT_EQ(root, nullptr);
  vnode a{}, b{};
  a.key = 1;
  b.key = 2;
  EXPECT_EQ(plat_ztrebld(&root, nullptr, -7, kOff), nullptr);
  plat_ztrebld(&root, &a, -7, kOff);
  plat_ztrelst(&root);
  ASSERT_EQ(root, &a);
  // Inserting into a root that now holds a list is refused, not a crash.
  EXPECT_EQ(plat_ztrebld(&root, &b, -7, kOff), nullptr);
  EXPECT_NE(plat::data_last_message().find("ztrebld"), std::string::npos);
  plat_ztrelst(&root);  // a list stays as it is
  EXPECT_EQ(root, &a);
}

}  // namespace
