// kesfamrep: a family option given more than once in a plot statement. The parser
// folds the occurrences into one curve (a parameter given in both keeps the later
// value), so the statement says which option that happened to.
#include "driver/plot_checks.h"
#include "driver/unbuilt_notes.h"
#include "host/host_services.h"
#include "kes_gram_names.h"
#include "kes_msg_names.h"
#include "records/kes_preq.h"

namespace {
struct family_name {
  int flag;
  const char* name;
};
constexpr family_name kFamilies[] = {
    {KES_PLOT_FLAG_NORMAL, "NORMAL"}, {KES_PLOT_FLAG_LOGNORMAL, "LOGNORMAL"}, {KES_PLOT_FLAG_WEIBULL, "WEIBULL"},
    {KES_PLOT_FLAG_EXPONENTIAL, "EXPONENTIAL"}, {KES_PLOT_FLAG_GAMMA, "GAMMA"}, {KES_PLOT_FLAG_BETA, "BETA"},
    {KES_PLOT_FLAG_SB, "SB"}, {KES_PLOT_FLAG_SU, "SU"}, {KES_PLOT_FLAG_KERNEL, "KERNEL"},
    {KES_PLOT_FLAG_WEIBULL2, "WEIBULL2"}};
}  // namespace

void kesfamrep(const kes_preq* request, int nth) {
  const int n = kes_pcount(request->stmt, KES_PLOT_SLOT_FAMILIES);
  const double* seen = kes_pnumbers(request->stmt, KES_PLOT_SLOT_FAMILIES);
  if (seen == nullptr) return;
  for (const family_name& f : kFamilies) {
    int times = 0;
    for (int i = 0; i < n; ++i) times += static_cast<int>(seen[i]) == f.flag;
    if (times > 1)
      xpmlog(KES_SET_LABEL, KES_MSG_STATEMENT_OPTION_TWICE, kes_plot_statement_name(request->type), nth, f.name);
  }
}
