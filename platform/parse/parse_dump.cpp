// A readable text of the parse result: one block per statement node, its flags and
// every given slot with its value as the slot holds it.
#include <cstdio>
#include <cstring>

#include "core/number_text.h"
#include "data/dataset.h"
#include "host/host_missing.h"
#include "core/format_ids.h"
#include "parse/parse_internal.h"
#include "parse/parser.h"

namespace plat {
namespace {

std::string number_text(double v) {
  if (host_is_missing(v)) return missing_text(v);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

std::string trimmed(const char* text, size_t n) {
  while (n > 0 && text[n - 1] == ' ') --n;
  return std::string(text, n);
}

std::string format_text(const kes_fmtentry& f) {
  return format_name(f.id) + std::to_string(f.width) + "." + std::to_string(f.decimals);
}

const parse::node_store* store_of(const kes_stmt* s) {
  parse::parser* p = parse::current_parser();
  if (p == nullptr) return nullptr;
  for (const parse::node_store& n : p->sem.nodes)
    if (&n.node == s) return &n;
  return nullptr;
}

std::string slot_text(const kes_optslot& sl, const parse::slot_store* st) {
  using parse::list_type;
  std::string t;
  list_type type = st ? st->type : list_type::none;
  int n = sl.v.count;
  switch (type) {
    case list_type::numbers:
      t = "numbers";
      for (int i = 0; i < n; ++i) t += " " + number_text(static_cast<const double*>(sl.list)[i]);
      return t;
    case list_type::numvars:
    case list_type::anyvars:
      t = type == list_type::numvars ? "numeric variables" : "variables";
      for (int i = 0; i < n; ++i) t += " " + std::to_string(static_cast<const std::int32_t*>(sl.list)[i]);
      return t;
    case list_type::markers:
      t = "words";
      for (int i = 0; i < n; ++i) t += " " + std::to_string(static_cast<const std::int32_t*>(sl.list)[i]);
      return t;
    case list_type::colors:
      t = "colours";
      for (int i = 0; i < n; ++i) t += " '" + trimmed(static_cast<const char*>(sl.list) + 8 * i, 8) + "'";
      return t;
    case list_type::names:
      t = "names";
      for (int i = 0; i < n; ++i)
        t += " '" + trimmed(static_cast<const kes_listname*>(sl.list)[i].text, sizeof(kes_listname)) + "'";
      return t;
    case list_type::texts:
      t = "texts";
      for (int i = 0; i < n; ++i) t += " '" + std::string(static_cast<const kes_textentry*>(sl.list)[i].text) + "'";
      return t;
    case list_type::formats:
      t = "formats";
      for (int i = 0; i < n; ++i) t += " " + format_text(static_cast<const kes_fmtentry*>(sl.list)[i]);
      return t;
    case list_type::none:
      break;
  }
  switch (st ? st->single : 'n') {
    case 'm':
      return "name '" + trimmed(sl.v.name, 8) + "'";
    case 't':
      return "text '" + std::string(sl.list ? static_cast<const char*>(sl.list) : "", static_cast<size_t>(n)) + "'";
    case 'd':
      return "data set " + dataset_name(from_handle(static_cast<kes_dsh>(sl.v.handle)));
    case 'f': {
      kes_fmtentry f;
      std::memcpy(&f, &sl.v, sizeof f);
      return "format " + format_text(f);
    }
    default:
      return "number " + number_text(sl.v.num);
  }
}

}  // namespace

std::string parse_dump(const kes_stmt* first) {
  std::string out;
  for (const kes_stmt* s = first; s != nullptr; s = s->next) {
    const parse::node_store* ns = store_of(s);
    out += "statement " + trimmed(s->name, 8) + " (slots 0.." + std::to_string(s->nslots - 1) + ")";
    std::string flags;
    for (int f = 0; f < KES_STMT_FLAG_BYTES * 8; ++f)
      if (kes_flag(s, f)) flags += " " + std::to_string(f);
    out += flags.empty() ? "\n" : "\n  flags" + flags + "\n";
    for (int i = 0; i < s->nslots; ++i) {
      const kes_optslot& sl = s->slots[i];
      if (!sl.given) continue;
      out += "  slot " + std::to_string(i);
      if (sl.given != 1) out += " given=" + std::to_string(sl.given);
      if (sl.given2) out += " given2";
      out += ": " + slot_text(sl, ns ? &ns->stores[static_cast<size_t>(i)] : nullptr) + "\n";
    }
  }
  return out;
}

}  // namespace plat
