// Balanced-tree services: nodes left alone until the list is made, and misuse.
#include <gtest/gtest.h>

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
