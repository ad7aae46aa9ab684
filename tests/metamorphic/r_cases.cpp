#include "metamorphic/r_cases.h"

#include <cctype>
#include <string>

#include "support/r_columns.h"

namespace kes_meta {

std::vector<meta_case> r_cases(std::uint64_t seed) {
  std::vector<meta_case> cases;
  for (const r_column& col : r_columns()) {
    std::string slug = "r_";
    for (const char* p = col.name; *p != '\0'; ++p) slug += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    kes_test::sample s;
    s.plan.rows = static_cast<int>(col.x.size());
    s.x = col.x;
    meta_case mc = make_case(std::string("R data set ") + col.name, s, seed);
    mc.kind = "case=" + slug;
    cases.push_back(std::move(mc));
  }
  return cases;
}

}  // namespace kes_meta
