#include <cstring>

#include "host/host_services.h"
#include "host/kes_gramdesc.h"
#include "host/step_codes.h"
#include "records/pool_alloc.h"

namespace {

constexpr std::uint16_t kFormat = 1;
constexpr std::uint16_t kNeverCost = 127;
constexpr std::uint16_t kMaxErrors = 63;

}  // namespace

extern "C" kes_gramdesc* kesg() {
  const kes_gramtables& t = kes_gram_tables;
  host_gcb* a = v_global_gcb_anchor;
  auto* d = static_cast<kes_gramdesc*>(vmalcp_handler(a->pool, sizeof(kes_gramdesc), KES_ALLOC_4));
  if (d == nullptr) {
    xmemmsg(static_cast<long>(sizeof(kes_gramdesc)));
    xexit(KES_RC_OUT_OF_MEMORY, 0);
    return nullptr;
  }
  static const kes_gramdesc templ = {
      kFormat, 0, 0, 0,
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      kNeverCost, kMaxErrors, 0, nullptr, nullptr, nullptr, 0};
  std::memcpy(d, &templ, sizeof templ);
  d->first_nonterminal = t.first_nonterminal;
  d->nterminals = t.nterminals;
  d->prslst_len = t.prslst_len;
  d->ninstbl = t.ninstbl;
  d->nclasses = t.nclasses;
  d->prdlst = t.prdlst;
  d->prdndx = t.prdndx;
  d->lhstbl = t.lhstbl;
  d->prslst = t.prslst;
  d->prsndx = t.prsndx;
  d->actmap = t.actmap;
  d->argndx = t.argndx;
  d->argtbl = t.argtbl;
  d->symtbl = t.symtbl;
  d->symndx = t.symndx;
  d->symmap = t.symmap;
  d->delcost = t.delcost;
  d->inscost = t.inscost;
  d->insndx = t.insndx;
  d->instbl = t.instbl;
  if (wztxdotr() != 0) xsfixsym(t.nclasses, t.nterminals, t.symtbl_len, &d);
  return d;
}
