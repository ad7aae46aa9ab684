// Annotate on device graphs, the module's side: the request describes the cell's
// coordinate systems, ANNOKEY annotates the key cell only, and a data set the host
// cannot draw is noted.
#include <cstring>

#include "runner/host_table.h"
#include "devgraph/annotate.h"
#include "kes_gram_names.h"
#include "records/kes_layout.h"
#include "support/inset_fixture.h"

namespace inset_test {
namespace {

struct seen {
  int calls = 0;
  host_annoaxis h{}, v{};
  void* annotate = nullptr;
  void* data = nullptr;
};
seen last;
int answer = 0;

int record_ganotat(host_annoreq* r) {
  ++last.calls;
  last.h = *r->haxis;
  last.v = *r->vaxis;
  last.annotate = r->annotate;
  last.data = r->data;
  return answer;
}

class AnnotateRequest : public inset_fixture {
 protected:
  void SetUp() override {
    inset_fixture::SetUp();
    last = seen{};
    answer = 0;
    const auto& svc = kes_host::services[kes_host::svc_ganotat];
    old_ = plat::replace_service(svc.vector, svc.slot, reinterpret_cast<host_routine>(record_ganotat));
    layout.c.ox = 20, layout.c.oy = 15, layout.c.width = 60, layout.c.height = 50;
    layout.c.xmin = 1, layout.c.xmax = 9;
    layout.haxis.offset[0] = 2, layout.haxis.offset[1] = 3;
    layout.vaxis.offset[0] = 1, layout.vaxis.offset[1] = 1;
    layout.xscale = 7.5, layout.xoffset = 12.5, layout.yscale = 0.5, layout.yoffset = 15;
    req.layout = &layout;
    stmt.handle(KES_PLOT_SLOT_ANNOTATE, &fake_ds);
  }
  void TearDown() override {
    const auto& svc = kes_host::services[kes_host::svc_ganotat];
    plat::replace_service(svc.vector, svc.slot, old_);
    inset_fixture::TearDown();
  }
  kes_layout layout{};
  int fake_ds = 0;
  host_routine old_ = nullptr;
};

TEST_F(AnnotateRequest, TheRequestDescribesTheCellsCoordinates) {
  kes_cell* c = single({1, 2, 3});
  slot(c)->vmin = 0, slot(c)->vmax = 40;
  kesgano(&ctx, &req, c);
  ASSERT_EQ(last.calls, 1);
  EXPECT_EQ(last.annotate, &fake_ds);
  EXPECT_DOUBLE_EQ(last.h.start, 18);
  EXPECT_DOUBLE_EQ(last.h.start_other, 14);
  EXPECT_DOUBLE_EQ(last.h.length, 65);
  EXPECT_DOUBLE_EQ(last.v.length, 52);
  EXPECT_DOUBLE_EQ(last.v.angle, 90);
  EXPECT_DOUBLE_EQ(last.h.scale, 7.5);
  EXPECT_DOUBLE_EQ(last.v.offset, 15);
  EXPECT_DOUBLE_EQ(last.h.dmax, 9);
  EXPECT_DOUBLE_EQ(last.v.dmax, 40);
  EXPECT_EQ(last.h.kind, 'F');
  EXPECT_EQ(notes(), "");
}

TEST_F(AnnotateRequest, WithAnnokeyOnlyTheKeyCellIsAnnotated) {
  stmt.flag(KES_PLOT_FLAG_ANNOKEY);
  cv.count = 1;
  kes_cell* key = single({1, 2});
  kes_cell* other = single({3, 4});
  kesgano(&ctx, &req, other);
  EXPECT_EQ(last.calls, 0);
  kesgano(&ctx, &req, key);
  EXPECT_EQ(last.calls, 1);
}

TEST_F(AnnotateRequest, ADataSetTheHostCannotDrawIsNoted) {
  answer = 1;
  kesgano(&ctx, &req, single({1, 2}));
  EXPECT_EQ(notes(), "431/980");
}

}  // namespace
}  // namespace inset_test
