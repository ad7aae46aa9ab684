// kes_famdisp(code) -> the family function set of a distribution code.
//
// No family is built yet: every code selects nothing, so no curve is estimated.
#include "fit/kes_famfn.h"

const kes_famfn* kes_famdisp(int) {
  return nullptr;
}
