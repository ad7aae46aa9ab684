// Inset data set rows on device insets: matching by _VAR_ (ignoring case) and by the
// cell's CLASS level (a numeric CLASS variable by its formatted level), value formats,
// and the BY-group notes.
#include <cstring>

#include "data/dataset.h"
#include "kes_gram_names.h"
#include "support/inset_fixture.h"
#include "support/scratch_files.h"

namespace inset_test {
namespace {

using strings = std::vector<std::string>;

class InsetData : public inset_fixture {
 protected:
  kes_test::scratch_work work{"idata"};
  plat::dataset* open_ds(const std::string& name, const std::string& csv) {
    work.write_file(name + ".csv", csv);
    std::string err;
    plat::dataset* ds = plat::open_input("", name, &err);
    EXPECT_NE(ds, nullptr) << err;
    return ds;
  }
  kes_dsh open(const std::string& name, const std::string& csv) { return plat::handle(open_ds(name, csv)); }
};

TEST_F(InsetData, VarMatchesIgnoringCaseAndValuesKeepTheirTexts) {
  ctx.data = open("in", "x\n1\n");
  std::memcpy(ctx.curname.text, "Height", 6);
  ctx.curname.len = 6;
  kes_dsh ids = open("rows", "_VAR_,_LABEL_,_VALUE_\nHEIGHT,Lot,12.25\nweight,Lot,99\nheight,Batch,0.333333333\n");
  inset({400, 0}).node.handle(KES_INSET_SLOT_DATA, ids);
  ASSERT_EQ(build(single({1, 2})), 0);
  // A numeric _VALUE_ without a format: its best form of 8 characters.
  EXPECT_EQ(rows(0), (strings{"Lot=12.25", "Batch=0.333333", "N=2"}));
  EXPECT_EQ(notes(), "");
}

TEST_F(InsetData, FormatOptionFormatsANumericValue) {
  ctx.data = open("in", "x\n1\n");
  kes_dsh ids = open("rows", "_LABEL_,_VALUE_\nLot,12.26\n");
  inset({400}).format_all(8, 1).node.handle(KES_INSET_SLOT_DATA, ids);
  ASSERT_EQ(build(single({1, 2})), 0);
  EXPECT_EQ(rows(0), (strings{"Lot=12.3"}));
}

TEST_F(InsetData, ANumericClassVariableMatchesByItsFormattedLevel) {
  cv.count = 1;
  std::memcpy(cv.var[0].name.text, "k", 1), cv.var[0].name.len = 1;
  ctx.data = open("in", "x,k\n1,1\n");
  kes_dsh ids = open("rows", "k,_LABEL_,_VALUE_\n1,Lot,a\n2,Lot,b\n1.0,Shift,c\n");
  inset({400}).node.handle(KES_INSET_SLOT_DATA, ids);
  kes_cell* c = single({1, 2});
  c->fmt = kes_textdesc{1, 1, made.text("1")};
  ASSERT_EQ(build(c), 0);
  EXPECT_EQ(rows(0), (strings{"Lot=a", "Shift=c"}));
}

TEST_F(InsetData, MissingLabelOrNumericLabelLeavesNoRows) {
  ctx.data = open("in", "x\n1\n");
  inset({400, 0}).node.handle(KES_INSET_SLOT_DATA, open("nolabel", "_VALUE_\n1\n"));
  inset({400, 0}).node.handle(KES_INSET_SLOT_DATA, open("numlabel", "_LABEL_,_VALUE_\n1,2\n"));
  ASSERT_EQ(build(single({1, 2})), 0);
  EXPECT_EQ(rows(0), (strings{"N=2"}));
  EXPECT_EQ(rows(1), (strings{"N=2"}));
  EXPECT_EQ(notes(), "435/338 435/337");
}

TEST_F(InsetData, ADataSetWithoutTheByVariablesIsNotedAndGivesNoRows) {
  plat::dataset* in = open_ds("in", "b,x\n1,1\n2,2\n");
  std::string err;
  ASSERT_TRUE(plat::set_by(in, {{0, false}}, false, &err)) << err;
  ctx.data = plat::handle(in);
  ctx.nbyvars = 1;
  ASSERT_EQ(xbynext(ctx.data), 1);
  kes_dsh ids = open("rows", "_LABEL_,_VALUE_\nLot,1\n");
  inset({400}).node.handle(KES_INSET_SLOT_DATA, ids);
  kes_cell* c = single({1, 2});
  ASSERT_EQ(build(c), 0);
  EXPECT_FALSE(box(0)->enabled);
  EXPECT_EQ(notes(), "435/339 435/532 435/40 431/739 435/342 431/604");
  kes_test::note_recorder::clear();
  ASSERT_EQ(build(c), 0);
  // The BY notes of the positioning are given once in the step.
  EXPECT_EQ(notes(), "435/339 435/532");
}

}  // namespace
}  // namespace inset_test
