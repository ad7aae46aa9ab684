// Methods of tables (column definitions, rows) and factoids (label/value pairs).
#include <cstring>

#include "output/method_call.h"
#include "output/output_messages.h"
#include "output/output_system.h"
#include "output/text_store.h"

namespace plat::out {
namespace {

constexpr int kNumeric = 5;
constexpr int kCharacter = 6;
constexpr int kMaxCharWidth = 32767;

table_obj* table_of(void* object) { return static_cast<table_obj*>(static_cast<obj_base*>(object)); }
factoid_obj* factoid_of(void* object) { return static_cast<factoid_obj*>(static_cast<obj_base*>(object)); }

method_call call_on(table_obj* t, int method, int count, wob_attr* attrs) {
  return method_call(*t->sys, method, "table", t->name, count, attrs);
}

bool opt_int(method_call& c, int id, int& out) {
  wob_attr* a = c.find(id);
  return a == nullptr || c.integer(*a, out);
}

bool opt_text(method_call& c, int id, std::string& out) {
  wob_attr* a = c.find(id);
  return a == nullptr || c.text(*a, out);
}

column_def* find_column(table_obj* t, const std::string& name) {
  for (auto& col : t->columns)
    if (col.info.name == name) return &col;
  return nullptr;
}

// Method 338: define a column bound to a cell the caller owns.
int t_define_column(void* object, void*, void*, int count, wob_attr* attrs) {
  table_obj* t = table_of(object);
  method_call c = call_on(t, WOB_M_DEFINE_COLUMN, count, attrs);
  wob_attr* at = c.need(WOB_A_COLUMN_TYPE);
  wob_attr* an = c.need(WOB_A_NAME);
  if (!at || !an) return c.error();
  column_def col;
  int type = 0;
  if (!c.integer(*at, type) || !c.text(*an, col.info.name)) return c.error();
  const char* cname = col.info.name.c_str();
  if (t->defined) return c.fail(kErrOrder, msg::kColumnLate, cname);
  if (find_column(t, col.info.name)) return c.fail_plain(kErrAttribute, msg::kColumnTwice, cname);
  if (type != kNumeric && type != kCharacter) return c.fail(kErrAttribute, msg::kColumnType, cname, type);
  col.info.numeric = type == kNumeric;
  wob_attr* ac = c.find(WOB_A_CELL);
  void* cell = nullptr;
  if (ac && !c.handle(*ac, cell)) return c.error();
  if (cell == nullptr) return c.fail(kErrAttribute, msg::kNoCell, cname);
  col.cell = cell;
  if (!opt_text(c, WOB_A_LABEL, col.info.label) || !opt_int(c, WOB_A_CHAR_WIDTH, col.info.char_width) ||
      !opt_int(c, WOB_A_DECIMALS, col.info.decimals) || !opt_int(c, WOB_A_WIDTH, col.info.width) ||
      !opt_text(c, WOB_A_TEMPLATE, col.info.template_column) || !opt_text(c, WOB_A_DETAIL_TEXT, col.info.format_name) ||
      !c.pairs(col.dynamics))
    return c.error();
  if (!col.info.numeric && (col.info.char_width < 1 || col.info.char_width > kMaxCharWidth))
    return c.fail(kErrAttribute, msg::kCharWidth, cname, col.info.char_width);
  if (col.info.numeric) col.info.char_width = 0;
  t->columns.push_back(std::move(col));
  return 0;
}

// Method 346: presentation of a column (WOB_A_COLUMN_NAME, WOB_A_DECIMALS, WOB_A_WIDTH).
int t_column_attrs(void* object, void*, void*, int count, wob_attr* attrs) {
  table_obj* t = table_of(object);
  method_call c = call_on(t, WOB_M_COLUMN_ATTRS, count, attrs);
  wob_attr* an = c.need(WOB_A_COLUMN_NAME);
  std::string name;
  if (!an || !c.text(*an, name)) return c.error();
  column_def* col = find_column(t, name);
  if (!col) return c.fail(kErrAttribute, msg::kNoColumn, name.c_str());
  int dec = col->info.decimals, width = col->info.width;
  if (!opt_int(c, WOB_A_DECIMALS, dec) || !opt_int(c, WOB_A_WIDTH, width)) return c.error();
  col->info.decimals = dec;
  col->info.width = width;
  return 0;
}

// Method 316: dynamic name/value pairs of the definition (spanning headers).
int t_dynamic(void* object, void*, void*, int count, wob_attr* attrs) {
  table_obj* t = table_of(object);
  method_call c = call_on(t, WOB_M_DYNAMIC, count, attrs);
  return c.pairs(t->dynamics) ? 0 : kErrAttribute;
}

// Method 298: end of the definition.
int t_end_define(void* object, void*, void*, int, wob_attr*) {
  table_of(object)->defined = true;
  return 0;
}

// Method 329: a row with what the bound cells hold now.
int t_add_row(void* object, void*, void*, int count, wob_attr* attrs) {
  table_obj* t = table_of(object);
  binding_obj* b = t->current;
  // The call's record only for a refusal: a graph's rows come by the million.
  if (!t->defined || b == nullptr || b->rows_ended) {
    method_call c = call_on(t, WOB_M_ADD_ROW, count, attrs);
    if (!t->defined) return c.fail(kErrOrder, msg::kRowEarly);
    if (b == nullptr) return c.fail(kErrOrder, msg::kNotBound);
    return c.fail(kErrOrder, msg::kRowsEnded);
  }
  if (b->graph != nullptr) {
    graph_table& g = *b->graph;
    if (b->graph_cells.size() != t->columns.size()) {
      b->graph_cells.clear();
      for (std::size_t i = 0; i < t->columns.size(); ++i) {
        const column_def& col = t->columns[i];
        b->graph_cells.push_back({col.cell, col.info.numeric ? -1 : col.info.char_width, &g.data(i)});
      }
    }
    for (const binding_obj::graph_cell& c : b->graph_cells) {
      if (c.text_width < 0) {
        double v;
        std::memcpy(&v, c.cell, sizeof(double));
        c.column->push_num(v);
      } else {
        c.column->push_text(trimmed_view(static_cast<const char*>(c.cell), c.text_width));
      }
    }
    g.end_row();
    return 0;
  }
  std::vector<cell> row(t->columns.size());
  for (std::size_t i = 0; i < t->columns.size(); ++i) {
    const column_def& col = t->columns[i];
    if (col.info.numeric) {
      std::memcpy(&row[i].num, col.cell, sizeof(double));
    } else {
      row[i].is_text = true;
      row[i].text = trimmed_text(static_cast<const char*>(col.cell), col.info.char_width);
    }
  }
  b->rows.push_back(std::move(row));
  return 0;
}

// Method 299: end of the rows of the current binding.
int t_end_rows(void* object, void*, void*, int count, wob_attr* attrs) {
  table_obj* t = table_of(object);
  method_call c = call_on(t, WOB_M_END_ROWS, count, attrs);
  if (t->current == nullptr) return c.fail(kErrOrder, msg::kNotBound);
  t->current->rows_ended = true;
  return 0;
}

// Method 164: one label/value pair of a factoid (WOB_A_POSITION its place on the line).
int f_add_pair(void* object, void*, void*, int count, wob_attr* attrs) {
  factoid_obj* f = factoid_of(object);
  method_call c(*f->sys, WOB_M_FACTOID_ROW, "factoid", f->name, count, attrs);
  if (f->ended) return c.fail(kErrOrder, msg::kPairLate);
  factoid_pair p;
  wob_attr* al = c.need(WOB_A_LABEL);
  wob_attr* av = c.need(WOB_A_VALUE);
  if (!al || !av || !c.text(*al, p.label)) return c.error();
  dyn_value v;
  if (!c.number(*av, v)) return c.error();
  p.is_text = v.is_text;
  p.text = v.text;
  p.num = v.num;
  if (!opt_int(c, WOB_A_POSITION, p.position) || !opt_int(c, WOB_A_WIDTH, p.width) ||
      !opt_int(c, WOB_A_DECIMALS, p.decimals))
    return c.error();
  f->pairs.push_back(std::move(p));
  return 0;
}

int f_end(void* object, void*, void*, int, wob_attr*) {
  factoid_of(object)->ended = true;
  return 0;
}

}  // namespace

const wob_class* table_class() {
  static class_rec rec;
  static const wob_class* c = build_class(rec, nullptr,
                                          {{WOB_M_DEFINE_COLUMN, t_define_column},
                                           {WOB_M_COLUMN_ATTRS, t_column_attrs},
                                           {WOB_M_DYNAMIC, t_dynamic},
                                           {WOB_M_END_DEFINE, t_end_define},
                                           {WOB_M_ADD_ROW, t_add_row},
                                           {WOB_M_END_ROWS, t_end_rows}});
  return c;
}

const wob_class* factoid_class() {
  static class_rec rec;
  static const wob_class* c =
      build_class(rec, nullptr, {{WOB_M_FACTOID_ROW, f_add_pair}, {WOB_M_END_ROWS, f_end}});
  return c;
}

}  // namespace plat::out
