// Times the host's find-or-insert tree services alone on n distinct normal keys (in
// the value node's layout, nodes allocated in order as the module does), then every
// key a second time, then the list. Prints the times of each part.
//   trees_bench [N]   (default 10000000)
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "core/host_routines.h"
#include "runner/host_table.h"
#include "core/runtime.h"
#include "data/dataset.h"

namespace {

struct vnode {
  vnode* link;
  vnode* right;
  unsigned short balance;
  int count;
  void* weights;
  double key;
};

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::atol(argv[1]) : 10000000;
  std::vector<double> keys(static_cast<size_t>(n));
  std::mt19937_64 gen(11);
  std::normal_distribution<double> normal;
  for (double& k : keys) k = normal(gen);
  std::vector<vnode> nodes(static_cast<size_t>(n));
  std::vector<vnode> again(static_cast<size_t>(n));
  plat::begin_step();

  const int off = static_cast<int>(offsetof(vnode, key));
  void* root = nullptr;
  auto t0 = std::chrono::steady_clock::now();
  for (long i = 0; i < n; ++i) {
    nodes[i].key = keys[i];
    if (plat_ztrebld(&root, &nodes[i], -7, off) != &nodes[i]) return 1;
  }
  const double t_new = seconds_since(t0);
  t0 = std::chrono::steady_clock::now();
  long found = 0;
  for (long i = 0; i < n; ++i) {
    again[i].key = keys[i];
    found += plat_ztrebld(&root, &again[i], -7, off) == &nodes[i];
  }
  const double t_again = seconds_since(t0);
  t0 = std::chrono::steady_clock::now();
  plat_ztrelst(&root);
  const double t_list = seconds_since(t0);
  long listed = 0;
  for (vnode* p = static_cast<vnode*>(root); p != nullptr; p = p->link) ++listed;
  std::printf("n %ld: new keys %.3f s, repeats %.3f s (%ld found), list %.3f s (%ld listed)\n", n, t_new,
              t_again, found, t_list, listed);
  plat::finish_step();
  return found == n && listed == n ? 0 : 1;
}
