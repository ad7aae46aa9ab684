// Times reading a CSV data set through the host's data-set services: open (read
// and type the file), one pass over every observation through a variable-get set,
// and a value-tree pass (find-or-insert per value, then the ascending list), as the
// module's reading of a BY group does. Prints wall times and the peak resident size.
//   data_read_bench [FILE.csv]   (default bench/data/normal_1e7.csv; make it with
//                                 bench/make_normal_csv.cpp)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/host_routines.h"
#include "runner/host_table.h"
#include "core/runtime.h"
#include "data/dataset.h"
#include "records/kes_valnode.h"

using kes_bench::seconds_since;

int main(int argc, char** argv) {
  std::filesystem::path file;
  if (!kes_bench::csv_argument(argc, argv, &file)) return 1;
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
  std::vector<std::unique_ptr<kes_valnode[]>> chunks;
  const long per_chunk = 290;
  long used = per_chunk;
  kes_valnode* spare = nullptr;
  void* root = nullptr;
  while (plat_xybyget(&req) == 0) {
    plat_xyvget(g, 0);
    if (spare == nullptr) {
      if (used == per_chunk) {
        chunks.emplace_back(new kes_valnode[per_chunk]);
        used = 0;
      }
      spare = &chunks.back()[used++];
    }
    *spare = kes_valnode{};
    spare->key.value = value;
    auto* r = static_cast<kes_valnode*>(plat_ztrebld(&root, spare, KES_KEY_DOUBLE, KES_VALNODE_KEYPOS));
    r->count += 1;
    if (r == spare) spare = nullptr;
  }
  double t_tree = seconds_since(t2);
  auto t3 = std::chrono::steady_clock::now();
  plat_ztrelst(&root);
  double t_list = seconds_since(t3);
  auto t4 = std::chrono::steady_clock::now();
  long distinct = 0;
  for (auto* p = static_cast<kes_valnode*>(root); p != nullptr; p = p->next) ++distinct;
  double t_walk = seconds_since(t4);

  std::printf("observations %ld, mean %.6f, distinct %ld\n", n, n > 0 ? sum / n : 0.0, distinct);
  std::printf("open and type: %.3f s\nread pass:     %.3f s\nvalue tree:    %.3f s (second pass, insert)\n"
              "list:          %.3f s\nlist walk:     %.3f s\ntotal:         %.3f s\n",
              t_open, t_read, t_tree, t_list, t_walk, t_open + t_read + t_tree + t_list + t_walk);
  kes_bench::print_peak_rss();
  plat_xvgett(g);
  plat::close_dataset(ds);
  plat::finish_step();
  return 0;
}
