// Calling methods of host output objects: the one routine through which the module calls
// a method, and the two generic operations every object has.
#include "host/wob.h"

extern "C" {

int wobmth(void* object, const wob_class* cls, int id, int count, wob_attr* attrs) {
  if (object == nullptr) return WOB_NO_METHOD;
  if (cls == nullptr) cls = static_cast<wob_object*>(object)->cls;
  const unsigned uid = static_cast<unsigned>(id);
  for (; cls != nullptr; cls = cls->parent) {
    if (cls->table == nullptr) continue;
    for (const wob_mentry* e = cls->table[cls->mask & uid]; e != nullptr; e = e->next) {
      if (e->id == id) return e->descr->routine(object, e->data, e->descr->data, count, attrs);
    }
  }
  return WOB_NO_METHOD;
}

int wobclose(void* object) {
  if (object == nullptr) return WOB_NO_METHOD;
  const wob_class* cls = static_cast<wob_object*>(object)->cls;
  return cls->generic(object, cls->generic_data, WOB_OP_CLOSE, 0, nullptr);
}

int wobgetattr(void* object, int count, wob_attr* attrs) {
  if (object == nullptr) return WOB_NO_METHOD;
  const wob_class* cls = static_cast<wob_object*>(object)->cls;
  return cls->generic(object, cls->generic_data, WOB_OP_GET_ATTR, count, attrs);
}

}  // extern "C"
