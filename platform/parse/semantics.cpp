// The semantic routine: the actions of the grammar build the statement nodes and
// fill their option slots.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/runtime.h"
#include "parse/format_ids.h"
#include "parse/parse_internal.h"

namespace plat::parse {
namespace {

constexpr int kMaxRangeValues = 100000;  // values one "a TO b BY c" item may make
constexpr int kFlagNotsorted = 11;       // PROC flag of the BY statement's NOTSORTED
constexpr int kSlotBy = 0;
constexpr int kSlotByDescending = 8;

enum kind : int {
  K_PROC = 1, K_LISTSTMT, K_NODE, K_END, K_FLAG, K_PUT, K_APPEND, K_LIST, K_VAR, K_VARNAME,
  K_CONTINUE, K_FORMAT, K_GIVEN2, K_NUM, K_DSNAME, K_DSOPEN = 17, K_DSDEFAULT, K_ITEM,
  K_CHECK, K_MARK = 22, K_CONST = 24, K_NAME = 26, K_TEXT, K_BYOPT = 29, K_DSOUT,
  K_PAIRED, K_SET = 33, K_GIVENBYTE, K_GOUT
};

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

kes_optslot* slot_of(semantics& s, int n, slot_store** store = nullptr) {
  if (s.cur == nullptr || n < 0 || n >= static_cast<int>(s.cur->slots.size())) return nullptr;
  if (store) *store = &s.cur->stores[static_cast<size_t>(n)];
  return &s.cur->slots[static_cast<size_t>(n)];
}

list_type type_of_code(int code) {
  switch (code) {
    case 1: return list_type::numvars;
    case 3: return list_type::anyvars;
    case 4: return list_type::numbers;
    case 7: return list_type::colors;
    case 8: return list_type::texts;
    case 9: return list_type::names;
    case 10: return list_type::markers;
    case 11: return list_type::formats;
    default: return list_type::numbers;
  }
}

void begin_list(semantics& s, int n, list_type t) {
  slot_store* st = nullptr;
  kes_optslot* sl = slot_of(s, n, &st);
  if (!sl) return;
  *st = slot_store();
  st->type = t;
  sl->given = 1;
  sl->v.count = 0;
  sl->list = nullptr;
}

slot_store* list_in(semantics& s, int n, list_type t) {
  slot_store* st = nullptr;
  kes_optslot* sl = slot_of(s, n, &st);
  if (!sl) return nullptr;
  if (st->type == list_type::none) begin_list(s, n, t);
  return st;
}

// The text of the token just read, as a value: a quoted text as typed, a word
// upper-cased.
std::string token_text(const parser* p) {
  if (p->last.cls == T_QS) return p->last.text;
  if (p->last.cls == T_INT || p->last.cls == T_NBR) return p->last.raw;
  return p->last.text;
}

void note_cut(parser* p, const std::string& text, int max) {
  parse_error(p, p->last.line, p->last.col, 26, text.c_str(), max);
}

void put(parser* p, const std::vector<int>& a) {
  semantics& s = p->sem;
  slot_store* st = nullptr;
  kes_optslot* sl = slot_of(s, a.size() > 0 ? a[0] : -1, &st);
  if (!sl || a.size() < 2) return;
  int max = a.size() > 2 ? a[2] : 8;
  sl->given = 1;
  if (a[1] == 1) {
    *st = slot_store();
    st->single = 'n';
    sl->v.num = s.reg;
    return;
  }
  std::string text = token_text(p);
  if (a[1] == 2) {
    // A name slot holds its first 8 characters (VSCALE=PROPORTION is read as
    // "PROPORTI"); the readers compare prefixes.
    text = upper(text);
    int room = std::min(max, 8);
    if (static_cast<int>(text.size()) > room) text.resize(static_cast<size_t>(room));
    *st = slot_store();
    st->single = 'm';
    std::memset(sl->v.name, ' ', sizeof sl->v.name);
    std::memcpy(sl->v.name, text.data(), text.size());
    return;
  }
  if (static_cast<int>(text.size()) > max) {
    note_cut(p, text, max);
    text.resize(static_cast<size_t>(max));
  }
  *st = slot_store();
  st->single = 't';
  st->text = text;
  sl->v.count = static_cast<std::int32_t>(text.size());
}

void append_text(parser* p, slot_store* st) {
  if (!st) return;
  std::string text = token_text(p);
  switch (st->type) {
    case list_type::colors:
      st->strings.push_back(upper(text).substr(0, 8));
      break;
    case list_type::names:
      st->strings.push_back(upper(text).substr(0, kMaxNameLength));
      break;
    case list_type::texts:
      st->strings.push_back(text);
      break;
    default:
      break;
  }
}

// Expands "from TO to BY by" after its first value has been added.
void expand_range(parser* p) {
  semantics& s = p->sem;
  slot_store* st = nullptr;
  if (!slot_of(s, s.cur_list, &st) || st->type != list_type::numbers) return;
  double from = s.range_from, to = s.range_to, by = s.range_by;
  char text[160];
  std::snprintf(text, sizeof text, "%.15g TO %.15g BY %.15g", from, to, by);
  if (std::isnan(from) || std::isnan(to) || std::isnan(by) || by == 0 || (to - from) / by < 0) {
    parse_error(p, p->last.line, p->last.col, 27, text);
    return;
  }
  double steps = (to - from) / by;
  if (steps > kMaxRangeValues) {
    parse_error(p, p->last.line, p->last.col, 28, text, kMaxRangeValues);
    return;
  }
  long n = static_cast<long>(std::floor(steps + 1e-9));
  for (long i = 1; i <= n; ++i) st->numbers.push_back(from + static_cast<double>(i) * by);
}

void end_statement(parser* p) {
  semantics& s = p->sem;
  if (s.cur && s.cur == s.proc && s.cur_stmt == "BY" && s.input) {
    const slot_store& by = s.proc->stores[kSlotBy];
    const slot_store& desc = s.proc->stores[kSlotByDescending];
    std::vector<by_var> vars;
    for (size_t i = 0; i < by.ints.size(); ++i)
      vars.push_back(by_var{by.ints[i], i < desc.ints.size() && desc.ints[i] != 0});
    std::string err;
    if (!set_by(s.input, vars, s.by_notsorted, &err))
      parse_error(p, s.cur_stmt_line, 1, 23, err.c_str());
  }
  s.range_pending = false;
  s.pair_values = s.pair_markers = s.pair_positions = -1;
  s.by_descending_next = false;
}

node_store* new_node(parser* p, int nslots) {
  semantics& s = p->sem;
  s.nodes.emplace_back();
  node_store& n = s.nodes.back();
  n.slots.assign(static_cast<size_t>(nslots), kes_optslot{});
  n.stores.assign(static_cast<size_t>(nslots), slot_store{});
  std::string name = p->last.synthetic ? std::string() : p->last.text;
  n.stmt_name = name;
  n.line = p->last.line;
  std::memset(n.node.name, ' ', sizeof n.node.name);
  std::memcpy(n.node.name, name.data(), std::min<size_t>(name.size(), 8));
  n.node.nslots = nslots;
  n.node.slots = n.slots.data();
  if (s.nodes.size() > 1) s.nodes[s.nodes.size() - 2].node.next = &n.node;
  return &n;
}

void trace_sem(const parser* p, int action, int k, const std::vector<int>& a) {
  if (!(p->trace & HOST_TRACE_SEM)) return;
  std::string t = "SEM: action " + std::to_string(action) + " kind " + std::to_string(k) + " (";
  for (size_t i = 0; i < a.size(); ++i) t += (i ? ", " : "") + std::to_string(a[i]);
  t += ") after " + describe(p, p->last);
  log_write(msg_kind::plain, t);
}

}  // namespace

void perform(parser* p, int action) {
  const kes_gramdesc* d = p->desc;
  int k = d->actmap[action - 1];
  std::vector<int> a;
  if (d->argndx[action - 1] != 0xFFFF) {
    int at = d->argndx[action - 1];
    for (int i = 1; i <= d->argtbl[at]; ++i) a.push_back(d->argtbl[at + i]);
  }
  auto arg = [&a](size_t i) { return i < a.size() ? a[i] : 0; };
  trace_sem(p, action, k, a);
  semantics& s = p->sem;
  slot_store* st = nullptr;
  kes_optslot* sl = nullptr;
  switch (k) {
    case K_PROC:
      s.nodes.clear();
      s.proc = s.cur = nullptr;
      s.input = nullptr;
      break;
    case K_LISTSTMT:
      s.cur = s.proc;
      s.cur_stmt = p->last.text;
      s.cur_stmt_line = p->last.line;
      break;
    case K_NODE:
      s.cur = new_node(p, arg(0) + 1);
      if (s.proc == nullptr) s.proc = s.cur;
      s.cur_stmt = s.cur->stmt_name;
      s.cur_stmt_line = s.cur->line;
      break;
    case K_END:
      end_statement(p);
      s.cur_stmt.clear();
      break;
    case K_FLAG:
      if (s.cur && arg(0) >= 0 && arg(0) < KES_STMT_FLAG_BYTES * 8)
        s.cur->node.flags[arg(0) / 8] |= static_cast<std::uint8_t>(0x80u >> (arg(0) % 8));
      break;
    case K_PUT:
      put(p, a);
      break;
    case K_APPEND:
      if ((sl = slot_of(s, arg(0), &st)) != nullptr) {
        if (arg(1) == 1) list_in(s, arg(0), list_type::numbers)->numbers.push_back(s.reg);
        else append_text(p, list_in(s, arg(0), arg(1) == 2 ? list_type::colors : list_type::texts));
      }
      break;
    case K_LIST:
      begin_list(s, arg(0), type_of_code(arg(1)));
      s.cur_list = arg(0);
      break;
    case K_CONTINUE:
      if ((sl = slot_of(s, arg(0), &st)) != nullptr && st->type == type_of_code(arg(1))) {
        sl->given = 1;
      } else {
        begin_list(s, arg(0), type_of_code(arg(1)));
      }
      s.cur_list = arg(0);
      break;
    case K_VAR:
      if (!p->last.synthetic) add_variables(p, arg(0));
      break;
    case K_VARNAME:
      (arg(0) == 2 ? s.name2 : s.name1) = p->last.text;
      break;
    case K_FORMAT: {
      if ((sl = slot_of(s, arg(0), &st)) == nullptr) break;
      kes_fmtentry e{static_cast<std::uint16_t>(std::clamp(p->last.fmt_width, 0, 65535)),
                     static_cast<std::uint16_t>(std::clamp(p->last.fmt_decimals, 0, 65535)),
                     p->last.synthetic ? 0u : format_id(p->last.fmt_name)};
      if (arg(1) == 1) {
        // A single format stands in the value field and as a one-element array.
        *st = slot_store();
        st->single = 'f';
        sl->given = 1;
        std::memcpy(&sl->v, &e, sizeof e);
        st->formats.push_back(e);
      } else {
        list_in(s, arg(0), list_type::formats)->formats.push_back(e);
      }
      break;
    }
    case K_GIVEN2:
      if ((sl = slot_of(s, arg(0))) != nullptr) sl->given2 = 1;
      break;
    case K_NUM:
      if (arg(0) == 1) s.reg = p->last.synthetic ? 0.0 : p->last.value;
      else s.reg = -s.reg;
      break;
    case K_DSNAME: {
      std::string t = p->last.text;
      size_t dot = t.find('.');
      if (arg(0) == 2 && dot != std::string::npos) {
        s.ds_lib = t.substr(0, dot);
        s.ds_member = t.substr(dot + 1);
      } else {
        s.ds_lib.clear();
        s.ds_member = t;
      }
      break;
    }
    case K_DSOPEN:
    case K_DSOUT: {
      if (p->last.synthetic || (sl = slot_of(s, arg(0), &st)) == nullptr) break;
      std::string err;
      dataset* ds = k == K_DSOPEN ? open_input(s.ds_lib, s.ds_member, &err)
                                  : open_output(s.ds_lib, s.ds_member, &err);
      if (ds == nullptr) {
        parse_error(p, p->last.line, p->last.col, 23, err.c_str());
        break;
      }
      *st = slot_store();
      st->single = 'd';
      sl->given = 1;
      sl->v.handle = handle(ds);
      if (k == K_DSOPEN && s.cur == s.proc && arg(0) == 6) s.input = ds;
      break;
    }
    case K_DSDEFAULT:
      break;  // no default input data set: a missing DATA= is reported by its reader
    case K_ITEM:
      if (arg(0) == 1) {
        if (slot_of(s, s.cur_list, &st) && st->type == list_type::numbers) st->numbers.push_back(s.reg);
        s.range_from = s.reg;
        s.range_by = 1;
        s.range_pending = false;
      } else if (arg(0) == 2) {
        s.range_to = s.reg;
        s.range_pending = true;
      } else if (arg(0) == 3) {
        s.range_by = s.reg;
      } else if (arg(0) == 4 && s.range_pending) {
        s.range_pending = false;
        expand_range(p);
      }
      break;
    case K_CHECK:
      if (!std::isnan(s.reg) && (s.reg < arg(0) || (a.size() > 1 && s.reg > arg(1)))) {
        char range[64];
        if (a.size() > 1) std::snprintf(range, sizeof range, "from %d to %d", arg(0), arg(1));
        else std::snprintf(range, sizeof range, "at least %d", arg(0));
        // The value as read, its sign included (the sign is a token of its own).
        char value[32];
        std::snprintf(value, sizeof value, "%.15g", s.reg);
        parse_error(p, p->last.line, p->last.col, 25, value, range);
      }
      break;
    case K_MARK:
      if (arg(0) >= 1 && arg(0) <= 5) {
        if (slot_of(s, s.cur_list, &st) && (st->type == list_type::anyvars || st->type == list_type::numvars))
          st->ints.push_back(-arg(0));
      } else if (s.pair_values >= 0) {
        slot_store* values = list_in(s, s.pair_values, list_type::numbers);
        slot_store* marks = list_in(s, s.pair_markers, list_type::markers);
        if (!values || !marks) break;
        bool est = arg(0) == 11;
        if (est) {
          slot_store* pos = list_in(s, s.pair_positions, list_type::markers);
          if (pos) pos->ints.push_back(static_cast<std::int32_t>(values->numbers.size()));
        }
        values->numbers.push_back(est ? 0.0 : s.reg);
        marks->ints.push_back(est ? 1 : 0);
      }
      break;
    case K_CONST:
      if ((st = list_in(s, arg(0), list_type::numbers)) != nullptr) st->numbers.push_back(arg(1));
      break;
    case K_NAME:
      if (slot_of(s, s.cur_list, &st)) append_text(p, st);
      break;
    case K_TEXT:
      append_text(p, list_in(s, arg(0), list_type::texts));
      break;
    case K_BYOPT:
      if (arg(0) == 1) {
        s.by_descending_next = true;
      } else if (s.proc) {
        s.by_notsorted = true;
        s.proc->node.flags[kFlagNotsorted / 8] |= static_cast<std::uint8_t>(0x80u >> (kFlagNotsorted % 8));
      }
      break;
    case K_PAIRED:
      begin_list(s, arg(0), list_type::numbers);
      begin_list(s, arg(1), list_type::markers);
      begin_list(s, arg(2), list_type::markers);
      if ((sl = slot_of(s, arg(0))) != nullptr) sl->given2 = 1;
      s.pair_values = arg(0);
      s.pair_markers = arg(1);
      s.pair_positions = arg(2);
      break;
    case K_SET:
      if ((sl = slot_of(s, arg(0), &st)) != nullptr) {
        *st = slot_store();
        st->single = 'n';
        sl->given = 1;
        sl->v.num = arg(1);
        sl->list = nullptr;
      }
      break;
    case K_GIVENBYTE:
      if ((sl = slot_of(s, arg(0))) != nullptr) sl->given = static_cast<std::uint8_t>(arg(1));
      break;
    case K_GOUT:
      if ((sl = slot_of(s, arg(0), &st)) != nullptr) {
        *st = slot_store();
        st->single = 't';
        st->text = s.ds_lib.empty() ? s.ds_member : s.ds_lib + "." + s.ds_member;
        sl->given = 1;
        sl->v.count = static_cast<std::int32_t>(st->text.size());
      }
      break;
    default:
      break;
  }
}

// Points every slot at the elements of its store.
void finish_nodes(parser* p) {
  for (node_store& n : p->sem.nodes) {
    for (size_t i = 0; i < n.slots.size(); ++i) {
      kes_optslot& sl = n.slots[i];
      slot_store& st = n.stores[i];
      if (!sl.given) continue;
      switch (st.type) {
        case list_type::none:
          if (!st.formats.empty()) sl.list = st.formats.data();
          else if (!st.text.empty()) sl.list = st.text.data();
          break;
        case list_type::numbers:
          sl.v.count = static_cast<std::int32_t>(st.numbers.size());
          sl.list = st.numbers.empty() ? nullptr : st.numbers.data();
          break;
        case list_type::numvars:
        case list_type::anyvars:
        case list_type::markers:
          sl.v.count = static_cast<std::int32_t>(st.ints.size());
          sl.list = st.ints.empty() ? nullptr : st.ints.data();
          break;
        case list_type::colors:
        case list_type::names: {
          size_t w = st.type == list_type::colors ? 8 : sizeof(kes_listname);
          st.bytes.assign(st.strings.size() * w, ' ');
          for (size_t k = 0; k < st.strings.size(); ++k)
            std::memcpy(st.bytes.data() + k * w, st.strings[k].data(), std::min(w, st.strings[k].size()));
          sl.v.count = static_cast<std::int32_t>(st.strings.size());
          sl.list = st.bytes.empty() ? nullptr : st.bytes.data();
          break;
        }
        case list_type::texts:
          st.entries.clear();
          for (const std::string& t : st.strings)
            st.entries.push_back(kes_textentry{static_cast<std::int32_t>(t.size()), t.c_str()});
          sl.v.count = static_cast<std::int32_t>(st.entries.size());
          sl.list = st.entries.empty() ? nullptr : st.entries.data();
          break;
        case list_type::formats:
          sl.v.count = static_cast<std::int32_t>(st.formats.size());
          sl.list = st.formats.empty() ? nullptr : st.formats.data();
          break;
      }
    }
  }
}

}  // namespace plat::parse
