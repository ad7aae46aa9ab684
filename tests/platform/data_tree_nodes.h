// Node records for the balanced-tree tests: the value node's layout (link word first,
// the key after the counts) and reading a finished list back.
#pragma once
#include <cstddef>
#include <vector>

namespace tree_test {

struct vnode {
  vnode* link;
  vnode* right;
  unsigned short balance;
  int count;
  void* weights;
  double key;
};
constexpr int kOff = offsetof(vnode, key);

template <class N>
std::vector<N*> as_list(void* root) {
  std::vector<N*> v;
  for (N* p = static_cast<N*>(root); p != nullptr; p = p->link) v.push_back(p);
  return v;
}

}  // namespace tree_test
