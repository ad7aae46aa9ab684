// The state of one data pass over a BY group, and the data pass's own fields of the
// procedure context.
#pragma once
#include <cstdint>

struct kes_ctx;
struct kes_varsum;
struct kes_valnode;
struct kes_cell;
struct kes_gathered;

// Zeroed at the start of every pass. Math exceptions are found by testing results
// (traps stay masked), so the pass needs no resume buffer.
struct kes_readstate {
  int matherr;            // a guarded computation failed; cleared by whoever handles it
  kes_varsum* cur;        // record being updated
  kes_valnode** spare;    // the context's spare-node array
  int nread;              // observations read in the first pass; also the position in the group
  int freq;               // frequency of the observation
  long obsno;             // observation number supplied by the read
  double total_freq;      // sum of the truncated frequencies that passed the FREQ check
  double counted_freq;    // sum of the frequencies that passed FREQ and WEIGHT (first pass)
  double* curval;         // the current value
  double* round_inc;      // the context's rounding increments
  double cweight;         // clamped weight, before the multiplication by the frequency
  double wx;              // w*x
  double oldw;            // old sum of weights, then the update factor
  double neww;            // new sum of weights
  double dev;             // deviation from the new weighted mean
  int have_obsno;         // every read supplies the observation number
  int curvar;             // current variable
  int* round_fail;        // the context's rounding-failure flags
  int* round_flag;        // the context's rounding flags
};

// Fields of the procedure context that belong to the data pass.
struct kes_datapass {
  kes_readstate rs;       // the pass state
  double* values;         // value buffer: one double per analysis variable
  int valuelists;         // value-list flag (1 from start-up)
  kes_valnode** spare;    // spare node per analysis variable
  kes_gathered* gathered;  // per analysis variable: values gathered for its list
  int listed_off;         // this pass keeps no node records (memory ran short)
  kes_varsum* listed_chain;  // the records of this pass that hold node records
  int node_size;          // node plus weight record when WEIGHT is given
  // ROUND=
  int round_any;          // some variable has an increment
  int* round_flag;        // per variable: 1 = has an increment
  double* round_inc;      // per variable: the increment
  int* round_fail;        // per variable: rounding failed in this BY group
  // Options read by the pass.
  int robust_k;           // leading variables whose robust statistics OUTPUT or INSET asks for
  int idout;              // PROC flag 66: ID values into the OUTPUT observations
  int freq_varnum;        // FREQ variable number, -1 when none
  int weight_varnum;      // WEIGHT variable number, -1 when none
  // BY variables.
  int* byvarnums;
  int* bytypes;           // 1 numeric, else character
  int* byoffsets;         // character offsets (nbyvars + 1 entries)
  char* bystored;         // 8 characters of formatted value per BY variable (with PLOT)
  double* bynum;          // numeric BY values (with OUTPUT)
  char* bychar;           // character BY values (with OUTPUT)
  // ID variables.
  int* idvarnums;
  int* idtypes;           // 1 numeric, else character
  int* idoffsets;         // character offsets (nids + 1 entries)
  int idtextlen;          // total character length T
  double* id_first_num;   // the first observation's ID values, for OUTPUT
  char* id_first_char;
  // Later passes: the cells that hold records, sorted by their level texts.
  kes_cell** leaf;
  int nleaf;
  // Observations left out for a missing CLASS value, over the step's BY groups.
  long class_missing;
  // Widest key text of each CLASS variable of the PROC statement.
  int widest_key[2];
  // Statement scan of the set-up.
  int inset_stats;        // INSET codes 24, 32, 44 or 45 were asked
  int inset_qn;           // an INSET asks QN or STD_QN (its robust statistics raise robust_k)
  int noutput;            // OUTPUT statements
  int npctlpts;           // PCTLPTS= points over all OUTPUT statements
  int nnormal_vars;       // variables that need the normality test for OUTPUT
  int nloc_vars;          // variables that need the location tests for OUTPUT
};
