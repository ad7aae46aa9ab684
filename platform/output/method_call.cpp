// Attribute records of an output-method call.
#include "output/method_call.h"

#include "output/output_messages.h"
#include "output/text_store.h"

namespace plat::out {

method_call::method_call(output_system& sys, int method, const char* object_kind, std::string object_name,
                         int count, wob_attr* attrs)
    : sys_(sys), method_(method), kind_(object_kind),
      name_(object_name.empty() ? "(unnamed)" : std::move(object_name)),
      count_(attrs == nullptr || count < 0 ? 0 : count), attrs_(attrs) {}

wob_attr* method_call::find(int id, int from) {
  for (int i = from < 0 ? 0 : from; i < count_; ++i)
    if (attrs_[i].id == id) return &attrs_[i];
  return nullptr;
}

wob_attr* method_call::need(int id) {
  wob_attr* a = find(id);
  if (a == nullptr) err_ = kErrAttribute;
  if (a == nullptr && sys_.host().log)
    sys_.host().log(msg::kMissing, method_, kind_, name_.c_str(), id);
  return a;
}

int method_call::fail_attr(int code, int number, const wob_attr& a) {
  err_ = code;
  if (sys_.host().log) sys_.host().log(number, method_, kind_, name_.c_str(), static_cast<int>(a.id),
                                       static_cast<int>(a.type));
  return code;
}

bool method_call::text(const wob_attr& a, std::string& out) {
  if (a.type == WOB_STRING) {
    out.assign(trimmed_view(a.last.str, a.last.str ? a.w.s.len : 0));
    return true;
  }
  if (a.type == WOB_TEXT) {
    if (a.w.p == nullptr) {
      out.clear();
      return true;
    }
    const std::string* t = text_of(a.w.p);
    if (t == nullptr) {
      fail_attr(kErrHandle, msg::kUnknownText, a);
      return false;
    }
    out = *t;
    return true;
  }
  fail_attr(kErrAttribute, msg::kType, a);
  return false;
}

bool method_call::integer(const wob_attr& a, int& out) {
  if (a.type == WOB_INT) {
    out = a.i;
    return true;
  }
  if (a.type == WOB_LAST) {
    out = a.last.i;
    return true;
  }
  fail_attr(kErrAttribute, msg::kType, a);
  return false;
}

bool method_call::number(const wob_attr& a, dyn_value& out) {
  out.text.clear();
  out.num = 0;
  out.is_text = false;
  out.is_int = false;
  out.is_bool = false;
  switch (a.type) {
    case WOB_INT:
      out.num = a.i;
      out.is_int = true;
      return true;
    case WOB_LAST:
      out.num = a.last.i;
      out.is_int = true;
      out.is_bool = true;
      return true;
    case WOB_DOUBLE:
      out.num = a.w.d;
      return true;
    case WOB_TEXT:
    case WOB_STRING:
      out.is_text = true;
      return text(a, out.text);
    default:
      fail_attr(kErrAttribute, msg::kType, a);
      return false;
  }
}

bool method_call::handle(const wob_attr& a, void*& out) {
  if (a.type == WOB_OUT || a.type == WOB_ADDR || a.type == WOB_RECORD || a.type == WOB_LIST || a.type == WOB_OUTPTR ||
      a.type == WOB_COUNTED) {
    out = a.w.p;
    return true;
  }
  fail_attr(kErrAttribute, msg::kType, a);
  return false;
}

bool method_call::pairs(std::vector<dyn_value>& out, std::size_t* used) {
  std::size_t n = used != nullptr ? *used : out.size();
  // Appended pairs end where the last good one did; written-over ones are the caller's.
  const auto done = [&](bool ok) {
    if (used != nullptr) *used = n;
    else out.resize(n);
    return ok;
  };
  for (int i = 0; i < count_; ++i) {
    if (attrs_[i].id == WOB_A_VALUE) {  // a value without its name
      fail_attr(kErrAttribute, msg::kPairs, attrs_[i]);
      return done(false);
    }
    if (attrs_[i].id != WOB_A_DYNAMIC_NAME) continue;
    if (n == out.size()) out.emplace_back();
    dyn_value& d = out[n];
    if (!text(attrs_[i], d.name)) return done(false);
    if (i + 1 >= count_ || attrs_[i + 1].id != WOB_A_VALUE) {
      fail_attr(kErrAttribute, msg::kPairs, attrs_[i]);
      return done(false);
    }
    if (!number(attrs_[i + 1], d)) return done(false);
    ++n;
    ++i;
  }
  return done(true);
}

int method_call::fail(int code, int number) {
  err_ = code;
  if (sys_.host().log) sys_.host().log(number, method_, kind_, name_.c_str());
  return code;
}
int method_call::fail(int code, int number, const char* s1) {
  err_ = code;
  if (sys_.host().log) sys_.host().log(number, method_, kind_, name_.c_str(), s1);
  return code;
}
int method_call::fail_plain(int code, int number, const char* s1) {
  err_ = code;
  if (sys_.host().log) sys_.host().log(number, kind_, name_.c_str(), s1);
  return code;
}
int method_call::fail(int code, int number, const char* s1, int d1) {
  err_ = code;
  if (sys_.host().log) sys_.host().log(number, method_, kind_, name_.c_str(), s1, d1);
  return code;
}

}  // namespace plat::out
