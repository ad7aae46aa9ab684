// Output objects: the records of the host's object system and the one routine,
// wobmth, through which the module calls a method of a host object.
//
// An attribute record carries one attribute of a method call. On a 32-bit host it is
// 16 bytes; here pointers are native, so its size is whatever sizeof says. The field
// order of the 16-byte record is kept: id, value type, first value word, second
// value word, last value word.
#pragma once
#include <cstddef>
#include <cstdint>

#include "host/wob_attributes.h"

extern "C" {

// Value types of an attribute record and where each keeps its value.
enum wob_vtype : std::uint16_t {
  WOB_INT = 3,      // 32-bit int in the first value word (i)
  WOB_DOUBLE = 5,   // a double (w.d)
  WOB_RECORD = 7,   // a pointer to a record (w.p)
  WOB_OUT = 12,     // a handle word (w.p): filled by the method, or passed in
  WOB_LAST = 13,    // 32-bit int in the last value word (last.i)
  WOB_ADDR = 17,    // an address (w.p), e.g. the cell a column reads
  WOB_COUNTED = 27, // a count (i) and a pointer (w.p): a list of handles
  WOB_STRING = 20,  // text: 16-bit length in the second half of the second word
                    // (w.s.len), pointer in the last word (last.str)
  WOB_LIST = 28,    // a list pointer (w.p); a list of attribute records has its count in i
  WOB_TEXT = 66,    // a text handle from vemtxt, vemmsg or vemmsgs (w.p)
  WOB_OUTPTR = 67,  // an address (w.p) through which the method writes a handle
};

struct wob_attr {
  std::uint16_t id;
  std::uint16_t type;
  std::int32_t i;  // first value word
  union {          // second value word (widened to hold a pointer)
    double d;
    void* p;
    struct {
      std::uint16_t spare;
      std::uint16_t len;
    } s;
  } w;
  union {          // last value word (widened to hold a pointer)
    std::int32_t i;
    const char* str;
  } last;
};
// Both sides lay the record out alike: id, type and the first word where the host
// reads them, the later words wide enough for a native pointer.
static_assert(offsetof(wob_attr, id) == 0 && offsetof(wob_attr, type) == 2 && offsetof(wob_attr, i) == 4);
static_assert(offsetof(wob_attr, i) < offsetof(wob_attr, w) && offsetof(wob_attr, w) < offsetof(wob_attr, last));
static_assert(sizeof(wob_attr) >= 16 && sizeof(wob_attr::w) >= sizeof(void*) &&
              sizeof(wob_attr::last) >= sizeof(void*));

// A method routine: (object, entry's data word, descriptor's data word, count,
// attributes) -> status.
typedef int (*wob_routine)(void* object, void* entry_data, void* descr_data, int count,
                           wob_attr* attrs);
// A class's generic operation: (object, class data word, operation, argument, pointer).
// Operation 4 closes the object.
typedef int (*wob_generic)(void* object, void* class_data, int op, int arg, void* ptr);

struct wob_descr {
  wob_routine routine;
  void* data;
};

struct wob_mentry {
  wob_mentry* next;
  void* data;
  const wob_descr* descr;
  int id;
};

struct wob_class {
  wob_generic generic;       // generic operation routine
  void* generic_data;        // its data word
  const wob_class* parent;   // parent class, null at the root of the chain
  wob_mentry** table;        // method hash table: bucket heads
  unsigned mask;             // hash mask; bucket = mask & id
};

// Every object begins with its class.
struct wob_object {
  const wob_class* cls;
};

// The context's object-anchor block: xobinit stores the root output object in its
// first word; the driver keeps the output manager beside it.
struct wob_anchor {
  void* root;
  void* manager;
};

// Returned when no class in the chain has the method id.
constexpr int WOB_NO_METHOD = static_cast<int>(0x80008001u);
// Operations of a class's generic operation routine: read attributes back from the
// object (arg = count, ptr = the attribute records to fill, e.g. one record 296 for a
// table's label), and close the object (arg 0, ptr null).
constexpr int WOB_OP_GET_ATTR = 2;
constexpr int WOB_OP_CLOSE = 4;

enum wob_method : int {
  WOB_M_FACTOID_ROW = 164,   // add a label/value pair to a factoid object
  WOB_M_CREATE = 147,        // create an object (new handle in attribute 144)
  WOB_M_END_DEFINE = 298,    // end a table definition
  WOB_M_END_ROWS = 299,      // end the rows of a table
  WOB_M_GROUP = 300,         // open an output group
  WOB_M_DYNAMIC = 316,       // dynamic name/value pairs of a definition
  WOB_M_ADD_ROW = 329,       // add a row from the bound cells
  WOB_M_DEFINE_COLUMN = 338, // define a column
  WOB_M_COLUMN_ATTRS = 346,  // presentation attributes of a column
  WOB_M_BIND = 422,          // bind a table to a template; the first record (type 12)
                             // receives the bound output
  WOB_M_EMIT = 428,          // emit a bound output (first record, type 12)
  WOB_M_NOPRINT = 431,       // attribute 433 = 1 when nothing is printed
  WOB_M_GROUPING = 435,      // a new grouping of the listing (the heading shows again)
  WOB_M_HEADING = 439,       // a heading line
  WOB_M_TEXT_OPEN = 446,     // open a text output (line-printer plots): 138 name, 296 label
  WOB_M_TEXT_CLOSE = 447,    // close the open text output
  WOB_M_GRAPH_PANEL = 2826,  // emit a graph panel (template graphs)
  // Graph destinations: the manager's list of open destinations (2385), handing the
  // graphs of every destination over (4966) and releasing the list (4968); the
  // collections the module keeps the graphs in (created by 147 with family
  // "collection", class "associativearray" or "list"): insert (164), fetch (175) and
  // the item count (158).
  WOB_M_COUNT = 158,
  WOB_M_INSERT = 164,
  WOB_M_FETCH = 175,
  WOB_M_DEST_LIST = 2385,
  WOB_M_PUBLISH = 4966,
  WOB_M_DEST_RELEASE = 4968,
};

// Calls method `id` of `object` through `cls`, or the object's own class when cls
// is null. Returns the method's result, or WOB_NO_METHOD.
int wobmth(void* object, const wob_class* cls, int id, int count, wob_attr* attrs);

// Closes an object through its class's generic operation.
int wobclose(void* object);

// Reads attributes back from an object through its class's generic operation: each
// record names the attribute id; the object fills its type and value.
int wobgetattr(void* object, int count, wob_attr* attrs);

}  // extern "C"

// Attribute record builders, for filling attribute arrays in place.
// A record with its id and type set and its value still zero.
inline wob_attr wob_head(int id, int type) {
  wob_attr a{};
  a.id = static_cast<std::uint16_t>(id);
  a.type = static_cast<std::uint16_t>(type);
  return a;
}
// A record whose value is a pointer in the second word.
inline wob_attr wob_ptr(int id, int type, void* p) {
  wob_attr a = wob_head(id, type);
  a.w.p = p;
  return a;
}
inline wob_attr wob_int(int id, int v) {
  wob_attr a = wob_head(id, WOB_INT);
  a.i = v;
  return a;
}
inline wob_attr wob_dbl(int id, double v) {
  wob_attr a = wob_head(id, WOB_DOUBLE);
  a.w.d = v;
  return a;
}
inline wob_attr wob_out(int id, void* handle = nullptr) { return wob_ptr(id, WOB_OUT, handle); }
inline wob_attr wob_last(int id, int v) {
  wob_attr a = wob_head(id, WOB_LAST);
  a.last.i = v;
  return a;
}
inline wob_attr wob_addr(int id, void* p) { return wob_ptr(id, WOB_ADDR, p); }
inline wob_attr wob_str(int id, const char* text, int len) {
  wob_attr a = wob_head(id, WOB_STRING);
  a.w.s.len = static_cast<std::uint16_t>(len);
  a.last.str = text;
  return a;
}
inline wob_attr wob_text(int id, void* handle) { return wob_ptr(id, WOB_TEXT, handle); }
