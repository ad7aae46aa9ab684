// The procedure context: one record per step, zero-filled on the entry's stack and
// passed first to nearly every function of the module. The fields keep the order in
// which the step's records were laid out; groups are numbered as that layout.
#pragma once
#include <cstdint>

#include "host/host_anchor.h"
#include "host/host_data.h"
#include "host/host_graph.h"
#include "host/kes_stmt.h"
#include "host/wob.h"
#include "records/kes_classvars.h"
#include "records/kes_preq.h"
#include "records/kes_procopts.h"
#include "records/kes_readstate.h"
#include "records/kes_text_desc.h"
#include "records/kes_varsum.h"

struct kes_insetbox;
struct kes_stats;
struct kes_tables;
struct kes_stages;
struct kes_fitrows;

// Number of families whose 16-byte labels the context keeps (KES_FAMILY_STAT_LABELS).
constexpr int KES_NSTATLABELS = 10;
// Size of the value-node chunks of the per-variable pools.
constexpr int KES_NODE_CHUNK = 8192;
// Bytes of the per-plot-kind note flags, cleared before each of the QQPLOT, CDFPLOT,
// PROBPLOT and PPPLOT loops.
constexpr int KES_PLOT_NOTE_BYTES = 50;
// Bytes of the once-only note flags of the insets, cleared with the plot note flags.
constexpr int KES_INSET_NOTE_BYTES = 64;
// Number of result-array pointers of the statistics record copied at start-up.
constexpr int KES_NRESULT_PTRS = 11;

// The fields an OUTHISTOGRAM= or OUTKERNEL= observation is taken from.
struct kes_outhist_row {
  char curve[16];      // curve name, or kernel type
  double bin;          // bin value
  double obspct;       // observed percent
  double count;        // count
  double exppct;       // expected percent
  double point;        // point on the data axis
  double height;       // height on the vertical scale
  double density;      // density
  double kernel_c;     // the kernel's C value
};

struct kes_ctx {
  // 1. Procedure identity: 0 = this procedure.
  int procid;
  // 2. The step's return code; only ever raised with kes::max.
  int rc;
  // 3. Family labels, 16 bytes each.
  char statlabel[KES_NSTATLABELS][16];
  // 4. The PROC statement node, root of the parse result.
  kes_stmt* proc;
  // 5. Analysis variables: count, numbers in the input data set, names.
  int nvars;
  int* varnums;
  kes_name32* varnames;
  // 6. The current variable: name, label length and label (blank-filled).
  kes_name32 curname;
  std::uint16_t curlabel_len;
  char curlabel[256];
  // 7. ID, BY, FREQ and WEIGHT variables.
  int nids;                // ID variables
  int* idsizes;            // their sizes
  int nbyvars;             // BY variables
  std::uint8_t first_by;   // 1 until the first BY group completes
  double* byvalues;        // current BY values, one per BY variable
  int freq_given;          // a FREQ variable is given
  double freq_value;       // its value for the current observation
  int weight_given;        // a WEIGHT variable is given
  double weight_value;     // its value for the current observation
  // 8. Element counts of the five result areas of the statistics record.
  int result_counts[5];
  // 9. CLASS-variables records; per-variable records without CLASS; VARDEF.
  int nclassrecs;
  kes_classvars* classvars;
  kes_varsum* varsums;
  char vardef[8];
  // 10. Option flags and values.
  int noprint;             // NOPRINT
  int devgraph;            // device graphics on
  int debug;               // DEBUG trace (PROC flag 19)
  int devstarted;          // the graphics device was started
  int printed;             // printed output is produced
  int tmplgraph;           // template graphics on
  int toc_wanted;          // table-of-contents entries wanted (not NOTABCONTENTS)
  int vargroups;           // per-variable output groups wanted (not NOVARCONTENTS)
  int plot;                // PLOT
  int sideplots;           // side-by-side box plots of all BY groups
  int exclnpwgt;           // EXCLNPWGT
  int freq;                // FREQ
  int normal;              // NORMAL
  int robustscale;         // ROBUSTSCALE
  int pctldef;             // PCTLDEF=
  int plotsize;            // PLOTSIZE=
  int nextrobs;            // NEXTROBS=
  int nextrval;            // NEXTRVAL=
  int loccount;            // LOCCOUNT
  int ntrimmed;            // number of TRIMMED= values
  int nwinsorized;         // number of WINSORIZED= values
  // 11. Graphics.
  kes_dsh annotate;        // ANNOTATE= data set
  void* gcb;               // graph control block
  gdevice* device;         // device handle (the device state)
  void* devcatalog;        // the device's catalog handle
  void* seglabel;          // text handle: the label of the segment last opened
  double page_area[4];     // left, bottom, right, top, in percent of the graphics area
  const char* byline;      // the BY line of the current BY group, and its length
  int bylen;
  // 12. Plot statements and requests.
  int nhist;               // HISTOGRAM statements
  int nqq;                 // QQPLOT statements
  int nprob;               // PROBPLOT statements
  int ncdf;                // CDFPLOT statements
  int npp;                 // PPPLOT statements
  int nplots;              // all plot statements
  int nrun;                // requests of the current kind run for the current variable
  int nplotslots;          // plot slots per cell
  kes_preq* preqs;         // the plot-request array
  kes_preq* curreq;        // the current request
  int fitted_curves;       // some HISTOGRAM request fits a parametric curve
  kes_outhist_row outrow;  // the OUTHISTOGRAM= and OUTKERNEL= variables are bound here
  // 13. Listing, and the page of line-printer plots (made at its first use).
  int linesize;
  int pagesize;
  struct kes_lppage* lppage;
  // 14. Data sets and OUTPUT.
  kes_dsh data;            // DATA= input data set
  kes_geth varget;         // variable-get set of the input
  int output_present;      // an OUTPUT statement exists
  int bynum;               // BY groups processed
  int noutvals;            // number of OUTPUT values
  double* outvals;         // the OUTPUT values of the BY group
  kes_dsh outtable_opt;    // OUTTABLE= as given
  host_access* outtable;   // the open OUTTABLE data set
  // 15. Batch of variables.
  int batch_first;         // first variable of the batch
  int batch_n;             // number of variables in the batch
  int curvar;              // current variable
  // 16. Pools.
  host_pool* runpool;      // lives for the step
  host_pool** varpools;    // one per analysis variable
  host_pool* bypool;       // the current BY group's
  // 17. Value-node chunks, per analysis variable.
  void** node_chunk;       // current node chunk
  void** weight_chunk;     // current weight chunk
  int* nodes_used;         // nodes used in the current chunk
  int chunk_size;          // KES_NODE_CHUNK
  int nodes_per_chunk;     // KES_NODE_CHUNK / node size - 2
  // 18. A block of words that start-up clears.
  int startup_words[26];
  // 19. Utility file of the side-by-side box plots and its index word.
  int utilfile;
  std::uint32_t utilword;
  // 20. Note flags of the QQPLOT, CDFPLOT, PROBPLOT and PPPLOT requests.
  std::uint8_t plot_notes[KES_PLOT_NOTE_BYTES];
  // 21. Insets and the statistics record (kept beside the context for the step).
  kes_insetbox* insets;
  std::uint8_t inset_notes[KES_INSET_NOTE_BYTES];
  kes_stats* stats;
  // 22. The root output object and the output manager.
  wob_anchor objs;
  // 23. Result arrays of the statistics record, as start-up found them.
  double* result_ptrs[KES_NRESULT_PTRS];
  // 24. The data pass: its state, the ROUND=, BY and ID buffers, the spare nodes.
  kes_datapass dp;
  // 25. Procedure options read by the statistics, and the variables' labels.
  kes_procopts po;
  // 26. The descriptive tables: row buffer, handles, label widths (kept beside the
  // context for the step).
  kes_tables* tables;
  // 27. The routines the step driver runs as its stages.
  const kes_stages* stages;
  // 28. The fitted-distribution tables: their objects and the cells their columns read
  // (made from the run pool when the first fit is reported).
  kes_fitrows* fitrows;
  // 29. Threads the step's parallel loops may use (system option THREADS=; 0 there
  // means every core): at least 1. Results never depend on it.
  int threads;
  // 30. The renderer every plot driver hands its graph to, chosen once per step when
  // graphics start (kes_choose_renderer); null: no graph is drawn.
  int (*renderer)(kes_ctx* ctx);
  // 31. The step's note that the fonts it names are not used, said once (bits kept by
  // the step's notes, driver/unbuilt_notes.cpp).
  std::uint8_t fonts_noted;
};

inline kes_datapass* kes_dp(kes_ctx* ctx) { return &ctx->dp; }
inline kes_procopts* kes_po(kes_ctx* ctx) { return &ctx->po; }
