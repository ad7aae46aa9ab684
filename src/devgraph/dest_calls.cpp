// The tested output-object call of the destination routines.
#include "devgraph/dest_calls.h"

#include "host/host_services.h"
#include "kes_msg_names.h"

int kes_dest_call(void* object, int method, int count, wob_attr* attrs) {
  const int r = wobmth(object, nullptr, method, count, attrs);
  if (r < 0) xpmlog(KES_SET_DESTINATION, KES_MSG_OUTPUT_SYSTEM_REFUSED_GRAPH, method, r);
  return r;
}

void kes_dest_upcase(char* name, int len) {
  for (int i = 0; i < len; ++i)
    if (name[i] >= 'a' && name[i] <= 'z') name[i] = static_cast<char>(name[i] - 'a' + 'A');
}
