// A QQPLOT, PROBPLOT, PPPLOT or CDFPLOT request over hand-made cells, run through its
// driver with a renderer that keeps what each graph would be drawn from: the key
// cell's slot and curve, every cell's slot, the request's line flag and percent ticks.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "records/kes_layout.h"
#include "records/kes_stages.h"
#include "support/fit_fixture.h"
#include "support/note_recorder.h"

namespace kes_test {

struct drawn_graph {
  kes_plotslot key{};
  kes_curve key_curve{};
  kes_cell* keycell = nullptr;
  std::vector<kes_plotslot> cells;  // in cell order
  std::vector<kes_curve> curves;
  bool line_wanted = false;
  std::vector<double> pctl;
};

class prob_fixture : public fit_fixture {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The request's kind (plot type and statement name); call before the cells.
  void kind(int type, const char* name);
  // A cell with the values (see fit_fixture::cell), kept in `cells`.
  kes_cell* data(const std::vector<double>& values, const std::string& level = "", kes_cell* parent = nullptr) {
    kes_cell* c = cell(values, level, parent);
    cells.push_back(c);
    return c;
  }
  // Device graphics on, with the ORDER= values of the horizontal and vertical axis
  // definitions (none when empty).
  void device(std::vector<double> horizontal, std::vector<double> vertical);
  // The renderer is the module's template renderer from here on.
  void real_templates();
  // Runs the driver as request 1 of its kind with template graphics on.
  int run(int (*driver)(kes_ctx*, int));
  // The keys of the notes written, space-separated.
  std::string notes() { return note_recorder::keys(); }

  std::vector<drawn_graph> graphs;
  std::vector<kes_cell*> cells;  // the cells made, in order
  static inline prob_fixture* current = nullptr;

 private:
  static int capture(kes_ctx* ctx);
  kes_stages stages_{};
  kes_layout layout_{};
  std::vector<double> horder_, vorder_;
  std::optional<note_recorder> recorder_;
};

// The reference values of the tests: ten scores, in R's and SciPy's words.
inline const std::vector<double> kScores = {4.1, 5.3, 2.2, 6.8, 3.9, 5.0, 4.4, 7.1, 3.3, 5.9};

}  // namespace kes_test
