// The host anchor record and the records of the host that every subsystem reaches
// through it. The host fills the anchor before it calls mcn_main; the module only
// reads it, apart from clearing a vector's flag byte on each service call.
#pragma once
#include <cstdint>

extern "C" {

// A memory pool. The first two words are the allocate and free operations, called
// by vmalcp_handler and vmfree_handler with the pool itself as first argument.
struct host_pool {
  void* (*alloc)(host_pool* pool, long size, int flags);
  void (*free)(host_pool* pool, void* ptr, long size, int flags);
};

// Host constants: the standard missing value and its friends.
struct host_consts {
  double std_missing;  // the standard missing value (a NaN)
  double largest;      // the largest double
  double smallest;     // the smallest positive normal double
};

// Vector numbers run from 0 to HOST_NVECTORS - 1; each vector is a table of
// service routines indexed by slot.
constexpr int HOST_NVECTORS = 300;
constexpr int HOST_NSLOTS = 128;
using host_routine = void (*)();

struct host_gcb {
  host_routine* vectors[HOST_NVECTORS];   // vector tables, null where unused
  unsigned char vecflag[HOST_NVECTORS];   // per-vector flag byte, cleared on each call
  host_consts* consts;                    // constants record
  host_pool* pool;                        // the anchor's own pool object
  host_pool* taskpool;                    // the task pool
  void* taskblock;                        // current task block (holds the task record)
  void* qv_handle;                        // the word the module copies to Exported_QVHandle
};

}  // extern "C"
