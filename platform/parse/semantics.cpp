// The semantic routine: the actions of the grammar build the statement nodes and
// fill their option slots.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/colour_names.h"
#include "core/name_case.h"
#include "core/runtime.h"
#include "core/utf8_text.h"
#include "host/kes_decimal_grid.h"
#include "host/kes_tick_text.h"
#include "host/kes_utf8.h"
#include "kes_gram_names.h"
#include "core/format_ids.h"
#include "parse/dataset_opening.h"
#include "parse/parse_internal.h"

namespace plat::parse {
namespace {

// Values a list with "a TO b BY c" items may hold (one range from 0 to 100000 by 1):
// the cap is on the list, so that many ranges in one option of a few lines of program
// cannot demand gigabytes.
constexpr int kMaxRangeValues = 100001;
constexpr int kNoArguments = 0xFFFF;     // argument index of an action without arguments
// Number-list item parts.
constexpr int kItemValue = 1, kItemTo = 2, kItemBy = 3, kItemEnd = 4;
// Marks: CLASS level codes 1 to 5; a given parameter value; EST.
constexpr int kMarkFirstClassCode = 1, kMarkLastClassCode = 5, kMarkEst = 11;
constexpr int kByDescending = 1;         // BY option: DESCENDING (else NOTSORTED)
constexpr int kColourSlot = 7;           // value type of a put: a colour (the list code of colours)
constexpr int kUnknownColourNote = 60;   // catalogue entry of a colour word that names no colour
// Catalogue entries: a list of names given again; given again under another spelling;
// a name that begins a statement.
constexpr int kNamesGivenAgain = 37, kNamesOfAliasReplaced = 38, kNameLikeStatement = 39, kValueGivenAgain = 42;
// A value given again under another name of its option; a list of values given again,
// under its own name or another.
constexpr int kValueOfAliasReplaced = 44, kValuesGivenAgain = 45, kValuesOfAliasReplaced = 46;

enum kind : int {
  K_PROC = 1, K_LISTSTMT, K_NODE, K_END, K_FLAG, K_PUT, K_APPEND, K_LIST, K_VAR, K_VARNAME,
  K_CONTINUE, K_FORMAT, K_GIVEN2, K_NUM, K_DSNAME, K_DSOPEN = 17, K_DSDEFAULT, K_ITEM,
  K_CHECK, K_MARK = 22, K_CONST = 24, K_NAME = 26, K_TEXT, K_BYOPT = 29, K_DSOUT,
  K_PAIRED, K_SET = 33, K_GIVENBYTE, K_GOUT, K_DSOPTS
};

kes_optslot* slot_of(semantics& s, int n, slot_store** store = nullptr) {
  if (s.cur == nullptr || n < 0 || n >= static_cast<int>(s.cur->slots.size())) return nullptr;
  if (store) *store = &s.cur->stores[static_cast<size_t>(n)];
  std::pair<int, int>& place = s.cur->places[static_cast<size_t>(n)];
  if (place.first == 0 && s.p != nullptr) {
    const token& k = s.p->last_keyword.line > 0 && !s.p->last_keyword.synthetic ? s.p->last_keyword : s.p->last;
    if (!k.synthetic) {
      place = {k.line, k.col};
      s.cur->place_stmts[static_cast<size_t>(n)] = s.cur_stmt;
    }
  }
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

// A name as the program spells it (a word's case kept), cut to the longest name.
std::string typed_name(const token& t) {
  if (t.cls == T_QS || t.raw.empty()) return t.text;
  std::string n = t.raw[0] == '$' ? t.raw.substr(1) : t.raw;
  if (n.size() > static_cast<size_t>(kMaxNameLength) && t.cls != T_COMPOUND) n.resize(kMaxNameLength);
  return n;
}

// The text of the token just read, as a value: a quoted text as typed (its bytes that
// are not UTF-8 and its control characters made U+FFFD, noted once per statement, so
// that every output can hold it), a word upper-cased.
std::string token_text(parser* p) {
  if (p->last.cls == T_QS) {
    std::size_t replaced = 0;
    std::string text = text_as_utf8(p->last.text, &replaced);
    if (replaced > 0 && !p->sem.text_noted) {
      p->sem.text_noted = true;
      parse_error(p, p->last.line, p->last.col, 36);
    }
    return text;
  }
  if (p->last.cls == T_INT || p->last.cls == T_NBR) return p->last.raw;
  return p->last.text;
}

void note_cut(parser* p, const std::string& text, int max) {
  parse_error(p, p->last.line, p->last.col, 26, text.c_str(), max);
}

// The 8-character field of the colour word just read (core/colour_names.h); a word
// that names no colour is noted where it stands and gives none: the element keeps
// its default colour.
bool colour_field(parser* p, std::string* field) {
  // Put in by the repair of a syntax error, which has said what stood there instead.
  if (p->last.synthetic) return false;
  const std::string text = token_text(p);
  if (plat::colour_field(text, field)) return true;
  const std::string written = p->last.cls == T_QS || p->last.raw.empty() ? text : p->last.raw;
  parse_error(p, p->last.line, p->last.col, kUnknownColourNote, written.c_str());
  return false;
}

// The option whose value was just read, as typed and upper-cased; "" where a repair put
// it in.
std::string typed_option(const parser* p) {
  const bool typed = !p->last_keyword.synthetic && p->last_keyword.line > 0 && !p->last.synthetic;
  return typed ? upper(p->last_keyword.raw) : std::string();
}

// ALPHA=0.1 ... ALPHA=0.05, VSCALE=COUNT ... YSCALE=PERCENT: the later value is used,
// as for any option, and said, as a list of names given again is. The store keeps the
// option and its value as written for the next time.
void value_given(parser* p, const slot_store& earlier, slot_store* st, const std::string& later,
                 const token& k = token()) {
  const bool keyword_value = k.line > 0;
  const std::string option = keyword_value ? upper(k.raw) : typed_option(p);
  const token& at = keyword_value ? k : p->last_keyword;
  if (!option.empty() && !earlier.option.empty() && earlier.single != 0) {
    if (earlier.option == option)
      parse_error(p, at.line, at.col, kValueGivenAgain, option.c_str(), later.c_str(), earlier.written.c_str());
    else
      parse_error(p, at.line, at.col, kValueOfAliasReplaced, option.c_str(), earlier.option.c_str(), later.c_str(),
                  earlier.written.c_str());
  }
  st->option = option;
  st->written = later;
}

void put(parser* p, const std::vector<int>& a) {
  semantics& s = p->sem;
  slot_store* st = nullptr;
  kes_optslot* sl = slot_of(s, a.size() > 0 ? a[0] : -1, &st);
  if (!sl || a.size() < 2) return;
  int max = a.size() > 2 ? a[2] : 8;
  sl->given = 1;
  const slot_store earlier = std::move(*st);
  *st = slot_store();
  if (a[1] == 1) {
    st->single = 'n';
    value_given(p, earlier, st, kes_value_text(s.reg));
    sl->v.num = s.reg;
    return;
  }
  std::string text = token_text(p);
  const std::string typed = p->last.cls == T_QS || p->last.raw.empty() ? text : p->last.raw;
  // The value as the program writes it, for a note that it replaces another.
  const std::string written = p->last.cls == T_QS ? "'" + text + "'" : typed;
  if (a[1] == kColourSlot) {
    std::string field;
    std::memset(sl->v.name, ' ', sizeof sl->v.name);
    if (!colour_field(p, &field)) {
      sl->given = 0;
      return;
    }
    st->single = 'm';
    value_given(p, earlier, st, written);
    std::memcpy(sl->v.name, field.data(), std::min(field.size(), sizeof sl->v.name));
    return;
  }
  if (a[1] == 2) {
    // A name slot holds its first 8 characters (VSCALE=PROPORTION is read as
    // "PROPORTI"); the readers compare prefixes.
    text = upper(text);
    int room = std::min(max, 8);
    if (static_cast<int>(text.size()) > room) {
      text.resize(static_cast<size_t>(room));
      remember_cut_name(text, typed);
    }
    st->single = 'm';
    value_given(p, earlier, st, written);
    std::memset(sl->v.name, ' ', sizeof sl->v.name);
    std::memcpy(sl->v.name, text.data(), text.size());
    return;
  }
  if (static_cast<int>(text.size()) > max) {
    note_cut(p, text, max);
    text.resize(kes_utf8_cut(text, static_cast<size_t>(max)));
  }
  st->single = 't';
  value_given(p, earlier, st, written);
  st->text = text;
  sl->v.count = static_cast<std::int32_t>(text.size());
}

void append_text(parser* p, slot_store* st) {
  if (!st) return;
  std::string text = token_text(p);
  switch (st->type) {
    case list_type::colors: {
      // An unknown colour keeps its place in the list, blank: its curve keeps its own.
      std::string field;
      st->strings.push_back(colour_field(p, &field) ? field : std::string());
      break;
    }
    case list_type::names:
      st->strings.push_back(typed_name(p->last));
      // "MEAN=m RUN;" with the semicolon before RUN left out: RUN becomes a name. The
      // words of the step's own statements (VAR, N) may well be meant as names.
      if (!p->last.synthetic) {
        const std::string hint = semicolon_hint(p->last.raw);
        if (!hint.empty())
          parse_error(p, p->last.line, p->last.col, kNameLikeStatement, upper(p->last.raw).c_str(),
                      st->option.c_str(), hint.c_str());
      }
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
  // Steps between the decimals typed: near 1e9 the doubles of 1000000000.005 and
  // 1000000000.045 lie 3.99999 steps of 0.01 apart, and the last value would be lost.
  double steps = kes_decimal_difference(from, to) / by;
  if (steps > static_cast<double>(kMaxRangeValues) - static_cast<double>(st->numbers.size())) {
    parse_error(p, p->last.line, p->last.col, 28, text, kMaxRangeValues);
    return;
  }
  long n = static_cast<long>(std::floor(steps + 1e-9));
  // Each value is its decimal from + i x by (0.1 to 0.9 by 0.1 lists 0.3, not
  // 0.30000000000000004).
  const kes_decimal_grid grid = kes_decimal_grid::of(from, by);
  for (long i = 1; i <= n; ++i) st->numbers.push_back(grid.point(static_cast<double>(i)));
}

void end_statement(parser* p) {
  semantics& s = p->sem;
  if (s.cur && s.cur == s.proc && s.cur_stmt == "BY" && s.input) {
    const slot_store& by = s.proc->stores[KES_PROC_SLOT_BY];
    const slot_store& desc = s.proc->stores[KES_PROC_SLOT_BY_DESCENDING];
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
  n.places.assign(static_cast<size_t>(nslots), {0, 0});
  n.place_stmts.assign(static_cast<size_t>(nslots), std::string());
  std::string name = p->last.synthetic ? std::string() : p->last.text;
  n.stmt_name = name;
  n.line = p->last.line;
  n.col = p->last.synthetic ? 0 : p->last.col;
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

// The arguments of an action, read from the descriptor's argument table.
struct action_args {
  std::vector<int> v;
  int operator()(size_t i) const { return i < v.size() ? v[i] : 0; }
  size_t size() const { return v.size(); }
};

using action_fn = void (*)(parser* p, const action_args& a);

void act_proc(parser* p, const action_args&) {
  semantics& s = p->sem;
  s.nodes.clear();
  s.left_out.clear();
  s.proc = s.cur = nullptr;
  s.input = nullptr;
  s.data_named = false;
}

void act_liststmt(parser* p, const action_args&) {
  semantics& s = p->sem;
  s.cur = s.proc;
  s.cur_stmt = p->last.text;
  s.cur_stmt_line = p->last.line;
}

void act_node(parser* p, const action_args& a) {
  semantics& s = p->sem;
  s.cur = new_node(p, a(0) + 1);
  if (s.proc == nullptr) s.proc = s.cur;
  s.cur_stmt = s.cur->stmt_name;
  s.cur_stmt_line = s.cur->line;
}

void act_end(parser* p, const action_args&) {
  end_statement(p);
  p->sem.cur_stmt.clear();
  p->sem.text_noted = false;
}

void set_flag(node_store* n, int f) {
  if (n && f >= 0 && f < KES_STMT_FLAG_BYTES * 8)
    n->node.flags[f / 8] |= static_cast<std::uint8_t>(0x80u >> (f % 8));
}

void act_flag(parser* p, const action_args& a) { set_flag(p->sem.cur, a(0)); }

void act_put(parser* p, const action_args& a) { put(p, a.v); }

void act_append(parser* p, const action_args& a) {
  semantics& s = p->sem;
  if (slot_of(s, a(0)) == nullptr) return;
  if (a(1) == 1) list_in(s, a(0), list_type::numbers)->numbers.push_back(s.reg);
  else append_text(p, list_in(s, a(0), a(1) == 2 ? list_type::colors : list_type::texts));
}

// A list of names given again in its statement (MEAN=a ... MEAN=b, or PROBT= then PRT=)
// replaces the earlier one, as a later value of any option does; said, as names are
// otherwise dropped without a word.
void note_names_replaced(parser* p, const slot_store& earlier, const std::string& option) {
  std::string names;
  for (const std::string& n : earlier.strings) names += (names.empty() ? "" : " ") + n;
  const token& k = p->last_keyword;
  if (earlier.option == option)
    parse_error(p, k.line, k.col, kNamesGivenAgain, option.c_str(), names.c_str());
  else
    parse_error(p, k.line, k.col, kNamesOfAliasReplaced, option.c_str(), earlier.option.c_str(),
                earlier.option.c_str(), names.c_str());
}

// A list of values given again (MU0=3 ... LOCATION=5): said as a list of names is.
void note_values_replaced(parser* p, const slot_store& earlier, const std::string& option) {
  std::string values;
  for (double v : earlier.numbers) values += (values.empty() ? "" : " ") + kes_value_text(v);
  for (const std::string& t : earlier.strings) values += (values.empty() ? "" : " ") + t;
  const token& k = p->last_keyword;
  if (earlier.option == option)
    parse_error(p, k.line, k.col, kValuesGivenAgain, option.c_str(), values.c_str());
  else
    parse_error(p, k.line, k.col, kValuesOfAliasReplaced, option.c_str(), earlier.option.c_str(), values.c_str());
}

void act_list(parser* p, const action_args& a) {
  semantics& s = p->sem;
  const list_type type = type_of_code(a(1));
  slot_store* st = nullptr;
  // A list an option gives ("OPTION=" just read), not a statement's list of variables.
  const int equals = p->syms->punct[static_cast<unsigned char>('=')];
  const bool given = !p->last_keyword.synthetic && p->last_keyword.line > 0 &&
                     (type == list_type::names || (p->last.cls == equals && !p->last.synthetic));
  const std::string option = given ? upper(p->last_keyword.raw) : std::string();
  if (slot_of(s, a(0), &st) != nullptr && given && st->type == type && !st->option.empty()) {
    if (type == list_type::names) note_names_replaced(p, *st, option);
    else note_values_replaced(p, *st, option);
  }
  begin_list(s, a(0), type);
  if (st != nullptr) st->option = option;
  s.cur_list = a(0);
}

void act_continue(parser* p, const action_args& a) {
  semantics& s = p->sem;
  slot_store* st = nullptr;
  kes_optslot* sl = slot_of(s, a(0), &st);
  if (sl != nullptr && st->type == type_of_code(a(1))) sl->given = 1;
  else begin_list(s, a(0), type_of_code(a(1)));
  s.cur_list = a(0);
}

void act_var(parser* p, const action_args& a) {
  if (!p->last.synthetic) add_variables(p, a(0));
}

void act_varname(parser* p, const action_args& a) {
  (a(0) == 2 ? p->sem.name2 : p->sem.name1) = typed_name(p->last);
}

void act_format(parser* p, const action_args& a) {
  semantics& s = p->sem;
  slot_store* st = nullptr;
  kes_optslot* sl = slot_of(s, a(0), &st);
  if (sl == nullptr) return;
  kes_fmtentry e{static_cast<std::uint16_t>(std::clamp(p->last.fmt_width, 0, 65535)),
                 static_cast<std::uint16_t>(std::clamp(p->last.fmt_decimals, 0, 65535)),
                 p->last.synthetic ? 0u : format_id(p->last.fmt_name)};
  if (a(1) == 1) {
    // A single format stands in the value field and as a one-element array.
    *st = slot_store();
    st->single = 'f';
    sl->given = 1;
    std::memcpy(&sl->v, &e, sizeof e);
    st->formats.push_back(e);
  } else {
    list_in(s, a(0), list_type::formats)->formats.push_back(e);
  }
}

void act_given2(parser* p, const action_args& a) {
  // A colour that names none left its option not given; its value is not given either.
  if (kes_optslot* sl = slot_of(p->sem, a(0)); sl != nullptr && sl->given) sl->given2 = 1;
}

void act_num(parser* p, const action_args& a) {
  semantics& s = p->sem;
  if (a(0) == 1) s.reg = p->last.synthetic ? 0.0 : p->last.value;
  else s.reg = -s.reg;
}

void act_dsname(parser* p, const action_args& a) {
  semantics& s = p->sem;
  std::string t = typed_name(p->last);
  size_t dot = t.find('.');
  if (a(0) == 2 && dot != std::string::npos) {
    s.ds_lib = upper(t.substr(0, dot));  // librefs are upper case; members keep their case
    s.ds_member = t.substr(dot + 1);
  } else {
    s.ds_lib.clear();
    s.ds_member = t;
  }
}

void act_dsopts(parser* p, const action_args&) { read_dataset_options(p); }

// The data set into slot s of the node: its handle given.
void put_dataset(semantics& s, int slot, kes_optslot* sl, slot_store* st, dataset* ds, bool for_input) {
  *st = slot_store();
  st->single = 'd';
  sl->given = 1;
  sl->v.handle = handle(ds);
  if (for_input && s.cur == s.proc && slot == KES_PROC_SLOT_DATA) s.input = ds;
}

void open_dataset(parser* p, const action_args& a, bool for_input) {
  semantics& s = p->sem;
  slot_store* st = nullptr;
  kes_optslot* sl = nullptr;
  if (for_input && s.cur == s.proc && a(0) == KES_PROC_SLOT_DATA) s.data_named = true;
  if (p->last.synthetic || (sl = slot_of(s, a(0), &st)) == nullptr) return;
  dataset* ds = open_with_options(p, for_input);
  if (ds != nullptr) put_dataset(s, a(0), sl, st, ds, for_input);
}

void act_dsopen(parser* p, const action_args& a) { open_dataset(p, a, true); }
void act_dsout(parser* p, const action_args& a) { open_dataset(p, a, false); }

// Without DATA= the step reads the data set most recently written in the run; when
// there is none the slot stays empty and the module says that DATA= is needed.
void act_dsdefault(parser* p, const action_args& a) {
  semantics& s = p->sem;
  slot_store* st = nullptr;
  kes_optslot* sl = slot_of(s, a(0), &st);
  if (sl == nullptr || sl->given || s.data_named) return;
  if (dataset* ds = open_last_written(p)) put_dataset(s, a(0), sl, st, ds, true);
}

void act_item(parser* p, const action_args& a) {
  semantics& s = p->sem;
  slot_store* st = nullptr;
  switch (a(0)) {
    case kItemValue:
      if (slot_of(s, s.cur_list, &st) && st->type == list_type::numbers) st->numbers.push_back(s.reg);
      s.range_from = s.reg;
      s.range_by = 1;
      s.range_pending = false;
      break;
    case kItemTo:
      s.range_to = s.reg;
      s.range_pending = true;
      break;
    case kItemBy:
      s.range_by = s.reg;
      break;
    case kItemEnd:
      if (s.range_pending) {
        s.range_pending = false;
        expand_range(p);
      }
      break;
    default:
      break;
  }
}

// The option a value is read for, upper-cased: "NEXTROBS=", or "KERNEL C=" for an
// option within a family's parentheses (found by walking back over balanced ones).
std::string option_of_value(const parser* p) {
  const token& k = p->last_keyword;
  if (k.line == 0 || k.synthetic) return "the";
  std::string name = k.text + "=";
  int depth = 0;
  for (size_t i = k.begin; i-- > 0;) {
    const char c = p->text[i];
    if (c == ';') break;
    if (c == ')') ++depth;
    if (c != '(') continue;
    if (depth-- > 0) continue;
    size_t end = i;
    while (end > 0 && std::isspace(static_cast<unsigned char>(p->text[end - 1]))) --end;
    size_t begin = end;
    while (begin > 0 && (std::isalnum(static_cast<unsigned char>(p->text[begin - 1])) || p->text[begin - 1] == '_'))
      --begin;
    std::string family = p->text.substr(begin, end - begin);
    for (char& ch : family) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (!family.empty()) name = family + " " + name;
    break;
  }
  return "the " + name;
}

void act_check(parser* p, const action_args& a) {
  const double r = p->sem.reg;
  if (std::isnan(r) || (r >= a(0) && (a.size() < 2 || r <= a(1)))) return;
  char range[64];
  if (a.size() > 1) std::snprintf(range, sizeof range, "from %d to %d", a(0), a(1));
  else std::snprintf(range, sizeof range, "at least %d", a(0));
  // The value as read, its sign included (the sign is a token of its own).
  char value[32];
  std::snprintf(value, sizeof value, "%.15g", r);
  parse_error(p, p->last.line, p->last.col, 25, option_of_value(p).c_str(), value, range);
}

// A value of a paired parameter list, or EST.
void add_paired_value(semantics& s, bool est) {
  slot_store* values = list_in(s, s.pair_values, list_type::numbers);
  slot_store* marks = list_in(s, s.pair_markers, list_type::markers);
  if (!values || !marks) return;
  if (est) {
    slot_store* pos = list_in(s, s.pair_positions, list_type::markers);
    if (pos) pos->ints.push_back(static_cast<std::int32_t>(values->numbers.size()));
  }
  values->numbers.push_back(est ? 0.0 : s.reg);
  marks->ints.push_back(est ? 1 : 0);
}

void act_mark(parser* p, const action_args& a) {
  semantics& s = p->sem;
  slot_store* st = nullptr;
  if (a(0) >= kMarkFirstClassCode && a(0) <= kMarkLastClassCode) {
    if (slot_of(s, s.cur_list, &st) && (st->type == list_type::anyvars || st->type == list_type::numvars))
      st->ints.push_back(-a(0));
  } else if (s.pair_values >= 0) {
    add_paired_value(s, a(0) == kMarkEst);
  }
}

void act_const(parser* p, const action_args& a) {
  if (slot_store* st = list_in(p->sem, a(0), list_type::numbers)) st->numbers.push_back(a(1));
}

void act_name(parser* p, const action_args&) {
  slot_store* st = nullptr;
  if (slot_of(p->sem, p->sem.cur_list, &st)) append_text(p, st);
}

void act_text(parser* p, const action_args& a) { append_text(p, list_in(p->sem, a(0), list_type::texts)); }

void act_byopt(parser* p, const action_args& a) {
  semantics& s = p->sem;
  if (a(0) == kByDescending) {
    s.by_descending_next = true;
  } else if (s.proc) {
    s.by_notsorted = true;
    set_flag(s.proc, KES_PROC_FLAG_NOTSORTED);
  }
}

void act_paired(parser* p, const action_args& a) {
  semantics& s = p->sem;
  // NORMAL(MU=1 MU=2): the parameter's later values replace the earlier, said.
  slot_store *values = nullptr, *marks = nullptr;
  const std::string option = typed_option(p);
  if (slot_of(s, a(0), &values) != nullptr && slot_of(s, a(1), &marks) != nullptr && !option.empty() &&
      !values->option.empty()) {
    slot_store earlier = *values;
    earlier.numbers.clear();
    for (std::size_t i = 0; i < values->numbers.size(); ++i) {
      const bool est = i < marks->ints.size() && marks->ints[i] != 0;
      earlier.strings.push_back(est ? "EST" : kes_value_text(values->numbers[i]));
    }
    note_values_replaced(p, earlier, option);
  }
  begin_list(s, a(0), list_type::numbers);
  if (values != nullptr) values->option = option;
  begin_list(s, a(1), list_type::markers);
  begin_list(s, a(2), list_type::markers);
  if (kes_optslot* sl = slot_of(s, a(0))) sl->given2 = 1;
  s.pair_values = a(0);
  s.pair_markers = a(1);
  s.pair_positions = a(2);
}

void act_set(parser* p, const action_args& a) {
  slot_store* st = nullptr;
  kes_optslot* sl = slot_of(p->sem, a(0), &st);
  if (sl == nullptr) return;
  const slot_store earlier = std::move(*st);
  *st = slot_store();
  st->single = 'n';
  // BARLABEL=COUNT ... BARLABEL=PERCENT: a value that is a keyword, after its option's
  // '='; an option standing alone for its default (ENDPOINTS) gives no value to name.
  const token& k = p->option_keyword;
  if (!p->last.synthetic && !k.synthetic && k.line > 0 && k.end <= p->last.begin) {
    std::string between = p->text.substr(k.end, p->last.begin - k.end);
    between.erase(std::remove_if(between.begin(), between.end(), [](unsigned char c) { return std::isspace(c); }),
                  between.end());
    if (between == "=") value_given(p, earlier, st, upper(p->last.raw), k);
  }
  sl->given = 1;
  sl->v.num = a(1);
  sl->list = nullptr;
}

void act_givenbyte(parser* p, const action_args& a) {
  if (kes_optslot* sl = slot_of(p->sem, a(0))) sl->given = static_cast<std::uint8_t>(a(1));
}

void act_gout(parser* p, const action_args& a) {
  semantics& s = p->sem;
  if (s.ds_opts) {
    parse_error(p, p->last.line, p->last.col, 32, ds_shown(s).c_str(),
                "data set options do not apply to a graphics catalog");
    s.ds_opts.reset();
  }
  slot_store* st = nullptr;
  kes_optslot* sl = slot_of(s, a(0), &st);
  if (sl == nullptr) return;
  *st = slot_store();
  st->single = 't';
  st->text = s.ds_lib.empty() ? s.ds_member : s.ds_lib + "." + s.ds_member;
  sl->given = 1;
  sl->v.count = static_cast<std::int32_t>(st->text.size());
}

// The routine of each action kind; kinds without one do nothing.
action_fn routine_of(int kind) {
  switch (kind) {
    case K_PROC: return act_proc;
    case K_LISTSTMT: return act_liststmt;
    case K_NODE: return act_node;
    case K_END: return act_end;
    case K_FLAG: return act_flag;
    case K_PUT: return act_put;
    case K_APPEND: return act_append;
    case K_LIST: return act_list;
    case K_VAR: return act_var;
    case K_VARNAME: return act_varname;
    case K_CONTINUE: return act_continue;
    case K_FORMAT: return act_format;
    case K_GIVEN2: return act_given2;
    case K_NUM: return act_num;
    case K_DSNAME: return act_dsname;
    case K_DSOPEN: return act_dsopen;
    case K_DSDEFAULT: return act_dsdefault;
    case K_ITEM: return act_item;
    case K_CHECK: return act_check;
    case K_MARK: return act_mark;
    case K_CONST: return act_const;
    case K_NAME: return act_name;
    case K_TEXT: return act_text;
    case K_BYOPT: return act_byopt;
    case K_DSOUT: return act_dsout;
    case K_PAIRED: return act_paired;
    case K_SET: return act_set;
    case K_GIVENBYTE: return act_givenbyte;
    case K_GOUT: return act_gout;
    case K_DSOPTS: return act_dsopts;
    default: return nullptr;
  }
}

action_args args_of(const kes_gramdesc* d, int action) {
  action_args a;
  const int at = d->argndx[action - 1];
  if (at == kNoArguments) return a;
  for (int i = 1; i <= d->argtbl[at]; ++i) a.v.push_back(d->argtbl[at + i]);
  return a;
}

}  // namespace

void perform(parser* p, int action) {
  const int kind = p->desc->actmap[action - 1];
  const action_args a = args_of(p->desc, action);
  trace_sem(p, action, kind, a.v);
  if (action_fn f = routine_of(kind)) f(p, a);
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
