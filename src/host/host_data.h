// Records and handles of the host's data-set services (vectors 10, 20, 21, 22; the
// service lines are in host/svc_data.def). The host owns what the handles point at;
// the module reads only the public heads declared here.
#pragma once
#include <cstdint>

extern "C" {

struct host_ioreq;
struct host_access;
struct host_dataset;

// Public head of a data set. The rest of the object is the host's.
struct host_dataset {
  // Writes the pending observation of an output data set (filled by xyvput or the
  // access record's own put routine) and records ds and the result in *status.
  // Returns 0, or a nonzero status for xofprc.
  int (*write)(host_dataset* ds, host_ioreq* status);
  unsigned flags;        // HOST_DSF_* bits
  host_access* access;   // the data set's observation access record
};
typedef host_dataset* kes_dsh;

constexpr unsigned HOST_DSF_REPORT = 2;   // a write problem waits to be reported (xofprc)

// Observation access record of a data set. Null routines mean: use the services
// (xybyget to read, xyvget to get values, xyvput to put values).
struct host_access {
  int (*read)(host_ioreq* req);            // own read routine
  int (*get)(host_access* acc);            // own get routine, used when source is set
  void* source;
  int (*put)(host_access* acc);            // own direct put routine
  kes_dsh ds;                              // the data set
};

// Read request and write status record (zero it, then set ds, flags and code).
struct host_ioreq {
  kes_dsh ds;          // the data set
  int flags;           // HOST_IOF_* bits
  int status;          // the last status, set by the host
  long obsno;          // observation number of the observation read (HOST_IOF_OBSNO)
  int reserved[3];
  int code;            // HOST_IOC_* request code
  int reserved2[6];
};

constexpr int HOST_IOF_SEQ = 0x08;      // sequential read within the BY group
constexpr int HOST_IOF_OBSNO = 0x40;    // supply the observation number
constexpr int HOST_IOC_WRITE = 8;       // write the pending observation
constexpr int HOST_IOC_READ = 11;       // read the next observation of the BY group
constexpr int HOST_IO_EOG = -1;         // xybyget: no further observation in the group

// Variable types.
constexpr int HOST_VT_NUM = 1;
constexpr int HOST_VT_CHAR = 2;

// Variable description, filled by xvname and xvnamei. Texts are blank-padded; the
// lengths count the characters without the padding.
struct host_varinfo {
  std::uint16_t name_len;
  char name[32];
  std::uint16_t label_len;      // 0: no label
  char label[256];
  int type;                     // HOST_VT_NUM or HOST_VT_CHAR
  int length;                   // bytes: 8 for numbers, the text length for characters
  int varnum;                   // number in its data set (from 0); -1 for a new variable
  std::uint16_t fmt_name_len;   // length of the format name; 0 with fmt_width 0: no format
  char fmt_name[32];            // format name without width, e.g. "BEST", "$", ""
  int fmt_width;                // 0: not given
  int fmt_decimals;
};

// Variable-get set handle (opaque).
struct host_getset;
typedef host_getset* kes_geth;

// xvgetd codes. Raw numeric values go into a double; raw character values and
// formatted values into a text buffer of the given length, blank-padded.
constexpr int HOST_GET_RAW = 0;         // the value as stored
constexpr int HOST_GET_FMT = 4;         // the value formatted with the variable's format
constexpr int HOST_GET_KEY = 8;         // the value as stored, for a CLASS key
constexpr int HOST_GET_ANALYSIS = 102;  // a numeric analysis value (a double)

// xoinfo items.
constexpr int HOST_DSI_NAME = 1;        // answer: char[42], "LIB.MEMBER" NUL-terminated
constexpr int HOST_DSI_NOBS = 11;       // number of observations (-1 for output data sets)
constexpr int HOST_DSI_NVARS = 12;      // number of variables
constexpr int HOST_DSI_OBSNO = 17;      // 1: every read supplies the observation number
constexpr int HOST_DSI_TYPE = 21;       // answer: 8 characters, blank-padded (set on output)
constexpr int HOST_DSI_LABEL = 22;      // answer: u16 length then up to 32 characters (set on output)
constexpr int HOST_DSI_OPEN = 23;       // 1: the data set is open and can be used
constexpr int HOST_DSI_NBY = 97;        // number of BY variables in effect

}  // extern "C"
