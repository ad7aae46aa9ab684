// Data set options on input data sets: which observations WHERE=, FIRSTOBS= and OBS=
// select (checked against hand-filtered data) and which variables KEEP=, DROP= and
// RENAME= leave.
#include "data/dataset_options.h"
#include "data/option_tokens.h"
#include "data_test_support.h"

namespace data_test {
namespace {

// id 1..8; g character (one blank); x with an ordinary and a special missing value.
constexpr const char* kData =
    "id,g,x\n"
    "1,a,3\n"
    "2,b,.\n"
    "3,a,-1\n"
    "4,,7.5\n"
    "5,c,.A\n"
    "6,b,10\n"
    "7,a,0\n"
    "8,c,7.5\n";

class DataOptions : public data_fixture {
 protected:
  void SetUp() override {
    data_fixture::SetUp();
    write_file("t.csv", kData);
  }
  // Opens WORK.t with the options; the message of a refusal in *error.
  plat::dataset* open_with(const std::string& options, std::string* error) {
    plat::ds_options o;
    plat::dataset* ds = open("t");
    if (ds == nullptr) return nullptr;
    if (!plat::parse_ds_options(options, &o, error) || !plat::check_ds_options(o, false, error) ||
        !plat::apply_input_options(ds, o, error)) {
      plat::close_dataset(ds);
      return nullptr;
    }
    return ds;
  }
  // The ids the options leave, in order.
  std::vector<double> ids(const std::string& options) {
    std::string error;
    plat::dataset* ds = open_with(options, &error);
    EXPECT_NE(ds, nullptr) << options << ": " << error;
    if (ds == nullptr) return {};
    const int id = plat::find_variable(ds, "id");
    EXPECT_EQ(plat_xopnt2(plat::handle(ds)), 0);
    std::vector<double> out = read_group(plat::handle(ds), id);
    plat::close_dataset(ds);
    return out;
  }
};

TEST_F(DataOptions, WhereSelectsTheObservationsAHandFilterSelects) {
  struct row {
    const char* options;
    std::vector<double> want;
  };
  const row rows[] = {
      {"where=(x > 2)", {1, 4, 6, 8}},
      // Missing values order below every number: . and .A are less than -1.
      {"where=(x < 0)", {2, 3, 5}},
      {"where=(x lt 0 and x ne .)", {3, 5}},
      {"where=(x = .)", {2}},
      {"where=(x = .A)", {5}},
      {"where=(x = .a)", {5}},  // a special missing value in either case
      {"where=(x = .b)", {}},
      {"where=(x is missing)", {2, 5}},
      {"where=(x is not missing and x ^= 7.5)", {1, 3, 6, 7}},
      {"where=(g = 'a')", {1, 3, 7}},
      {"where=(g = \"a  \")", {1, 3, 7}},  // trailing blanks do not count
      {"where=(g is missing)", {4}},
      {"where=(g in ('b', 'c'))", {2, 5, 6, 8}},
      {"where=(g not in ('a' 'b'))", {4, 5, 8}},
      {"where=(id in (1, 8, 99))", {1, 8}},
      {"where=(x between 0 and 7.5)", {1, 4, 7, 8}},
      {"where=(x not between -1 and 3)", {2, 4, 5, 6, 8}},
      {"where=(not (g = 'a' or x >= 7.5))", {2, 5}},
      {"where=(g > 'a' and x ge 10 or id = 1)", {1, 6}},  // AND binds first
      {"where=(-x = 1)", {3}},
      {"where=(x)", {1, 3, 4, 6, 8}},  // a bare numeric value: nonzero and not missing
      {"where=(x > 2) firstobs=2 obs=3", {4, 6}},  // counts the passing observations
      {"firstobs=7", {7, 8}},
      {"obs=0", {}},
      {"obs=max firstobs=8", {8}},
      {"keep=id x where=(g = 'c')", {5, 8}},  // WHERE= sees a variable KEEP= leaves out
      {"rename=(g=grp x=y) where=(grp = 'b' and y > 0)", {6}},  // and the new names
  };
  for (const row& r : rows) EXPECT_EQ(ids(r.options), r.want) << r.options;
}

TEST_F(DataOptions, KeepDropAndRenameLeaveVariablesInDataSetOrder) {
  struct row {
    const char* options;
    std::vector<std::string> names;
  };
  const row rows[] = {
      {"keep=x id", {"id", "x"}},
      {"drop=G", {"id", "x"}},
      {"keep=id g drop=g", {"id"}},
      {"rename=(x=Score id=n) drop=g", {"n", "Score"}},
  };
  for (const row& r : rows) {
    std::string error;
    plat::dataset* ds = open_with(r.options, &error);
    ASSERT_NE(ds, nullptr) << r.options << ": " << error;
    std::vector<std::string> names;
    for (const plat::ds_var& v : plat::variables(ds)) names.push_back(v.name);
    EXPECT_EQ(names, r.names) << r.options;
    EXPECT_EQ(plat::observation_count(ds), 8);
    plat::close_dataset(ds);
  }
}

// Each malformed option and its message is the example program dataset_option_errors;
// a quote left open cannot reach the options from a program, whose statements end only
// outside quotes.
TEST_F(DataOptions, AnOpenQuoteIsRefused) {
  std::string error;
  EXPECT_EQ(open_with("where=(g = 'a)", &error), nullptr);
  EXPECT_EQ(error, "the quoted text 'a) is not closed");
}

// Numbers are read from only their own characters (the rest of the text is not copied
// for each): signs after an exponent belong to the number, and a number run into a
// letter is refused.
TEST(OptionTokens, NumbersTakeOnlyTheirOwnCharacters) {
  struct row {
    const char* text;
    std::vector<double> numbers;  // the number tokens, in order
    const char* error;            // empty: accepted
  };
  const row rows[] = {
      {"1e+2 2.5E-1 .5 7", {100, 0.25, 0.5, 7}, ""},
      {"3-1", {3, 1}, ""},  // a minus after a digit is a mark
      {"(1 2)", {1, 2}, ""},
      {"1e5x", {}, "'1e5x' is not a valid number"},
      {"3.a", {}, "'3.a' is not a valid number"},
  };
  for (const row& r : rows) {
    std::vector<plat::opt_token> tokens;
    std::string error;
    const bool ok = plat::option_tokens(r.text, &tokens, &error);
    EXPECT_EQ(ok, *r.error == '\0') << r.text << ": " << error;
    EXPECT_EQ(error, r.error) << r.text;
    if (!ok) continue;
    std::vector<double> numbers;
    for (const plat::opt_token& t : tokens)
      if (t.kind == plat::opt_token::number) numbers.push_back(t.value);
    EXPECT_EQ(numbers, r.numbers) << r.text;
  }
}

}  // namespace
}  // namespace data_test
