// Times reading a CSV data set through the host's data-set services: open (read
// and type the file), one pass over every observation through a variable-get set,
// and a value-tree pass (find-or-insert per value, then the ascending list), as the
// module's reading of a BY group does. Prints wall times and the peak resident size.
//   data_read_bench [FILE.csv]   (default bench/data/normal_1e7.csv; make it with
//                                 bench/make_normal_csv.cpp)
#include <sys/resource.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/host_vectors.h"
#include "core/runtime.h"
#include "data/dataset.h"

namespace {

struct value_node {  // the layout of a value node: list link first, key after the counts
  value_node* link;
  value_node* right;
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
  std::filesystem::path file = argc > 1 ? argv[1] : "bench/data/normal_1e7.csv";
  if (!std::filesystem::exists(file)) {
    std::fprintf(stderr, "no file %s: make it with bench/make_normal_csv.cpp\n", file.c_str());
    return 1;
  }
  plat::config().libraries["BENCH"] = std::filesystem::absolute(file).parent_path().string();
  std::string member = file.stem().string();

  auto t0 = std::chrono::steady_clock::now();
  std::string err;
  plat::dataset* ds = plat::open_input("BENCH", member, &err);
  if (ds == nullptr) {
    std::fprintf(stderr, "%s\n", err.c_str());
    return 1;
  }
  double t_open = seconds_since(t0);
  kes_dsh h = plat::handle(ds);

  auto t1 = std::chrono::steady_clock::now();
  double value = 0, sum = 0;
  long n = 0;
  kes_geth g = nullptr;
  plat_xvgeti(h, 1, &g);
  plat_xvgetd(g, 0, HOST_GET_ANALYSIS, &value, 8);
  plat_xvgete(g);
  host_ioreq req{};
  req.ds = h;
  req.flags = HOST_IOF_SEQ | HOST_IOF_OBSNO;
  req.code = HOST_IOC_READ;
  plat_xbynext(h);
  while (plat_xybyget(&req) == 0) {
    plat_xyvget(g, 0);
    sum += value;
    ++n;
  }
  double t_read = seconds_since(t1);

  auto t2 = std::chrono::steady_clock::now();
  plat_xbyrwnd(h, 66);
  std::vector<std::unique_ptr<value_node[]>> chunks;
  const long per_chunk = 290;
  long used = per_chunk;
  value_node* spare = nullptr;
  void* root = nullptr;
  while (plat_xybyget(&req) == 0) {
    plat_xyvget(g, 0);
    if (spare == nullptr) {
      if (used == per_chunk) {
        chunks.emplace_back(new value_node[per_chunk]);
        used = 0;
      }
      spare = &chunks.back()[used++];
    }
    *spare = value_node{};
    spare->key = value;
    auto* r = static_cast<value_node*>(plat_ztrebld(&root, spare, -7, offsetof(value_node, key)));
    r->count += 1;
    if (r == spare) spare = nullptr;
  }
  double t_tree = seconds_since(t2);
  auto t3 = std::chrono::steady_clock::now();
  plat_ztrelst(&root);
  double t_list = seconds_since(t3);
  auto t4 = std::chrono::steady_clock::now();
  long distinct = 0;
  for (auto* p = static_cast<value_node*>(root); p != nullptr; p = p->link) ++distinct;
  double t_walk = seconds_since(t4);

  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  std::printf("observations %ld, mean %.6f, distinct %ld\n", n, n > 0 ? sum / n : 0.0, distinct);
  std::printf("open and type: %.3f s\nread pass:     %.3f s\nvalue tree:    %.3f s (second pass, insert)\n"
              "list:          %.3f s\nlist walk:     %.3f s\ntotal:         %.3f s\n",
              t_open, t_read, t_tree, t_list, t_walk, t_open + t_read + t_tree + t_list + t_walk);
  std::printf("peak RSS:      %.0f MB\n", ru.ru_maxrss / 1024.0);
  plat_xvgett(g);
  plat::close_dataset(ds);
  plat::finish_step();
  return 0;
}
