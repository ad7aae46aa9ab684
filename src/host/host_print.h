// The host's print line record, returned by xpoutl: what the module reads of the
// listing's page settings (line size for centring, page size for plots).
#pragma once

extern "C" {

struct host_printline {
  int valid;     // 0 until the print services are open
  int linesize;  // characters per listing line
  int pagesize;  // lines per listing page
  int centre;    // 1: output is centred on the line
};

}  // extern "C"
