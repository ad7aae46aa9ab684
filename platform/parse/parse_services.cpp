// The parser's host services (vector 3): the parse itself, the default token
// reader and semantic routine, the gate and anchor services, the parse-status
// record and the reader of text lists.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <sstream>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "parse/ll_engine.h"
#include "parse/parser.h"

namespace plat::parse {
namespace {

std::unique_ptr<parser>& current() {
  static std::unique_ptr<parser> p;
  return p;
}

host_parsestat& status() {
  static host_parsestat s{};
  return s;
}

// The parser anchor: the host's record of the parser's state between calls.
struct parser_anchor {
  int parses = 0;
};

}  // namespace

parser* current_parser() { return current().get(); }

}  // namespace plat::parse

using namespace plat::parse;

extern "C" {

int plat_xsproc(kes_gramdesc* desc, void* /*task*/, int trace, void* /*arg*/, int /*r1*/, int /*r2*/) {
  host_parsestat& st = status();
  st = host_parsestat{};
  message_log().clear();
  if (desc == nullptr || desc->nterminals == 0) {
    st.errword = HOST_PARSE_ERRWORD;
    return -1;
  }
  auto p = std::make_unique<parser>();
  p->desc = desc;
  p->syms = &symbols_of(desc);
  const plat::step_source& src = plat::current_step();
  p->file = src.file;
  p->text = src.text;
  p->trace = trace;
  p->sem.p = p.get();
  p->status = &st;
  if (desc->parser_anchor) ++static_cast<parser_anchor*>(desc->parser_anchor)->parses;
  // The nodes live until the step ends.
  current() = std::move(p);
  plat::at_step_end([] {
    current().reset();
    status() = host_parsestat{};
  });
  parser* pp = current().get();
  engine e(pp);
  e.run();
  finish_nodes(pp);
  st.nerrors = static_cast<std::uint16_t>(std::min(pp->errors, 65535));
  st.errword = pp->errors ? HOST_PARSE_ERRWORD : 0;
  st.first = pp->sem.proc ? &pp->sem.proc->node : nullptr;
  if (plat::config().parse_dump) plat::listing_write(plat::parse_dump(st.first));
  return pp->errors;
}

int plat_xttk(void* parser_ptr) {
  auto* p = static_cast<parser*>(parser_ptr);
  read_token(p);
  return p->tok.cls;
}

int plat_xsem(void* parser_ptr, int action) {
  perform(static_cast<parser*>(parser_ptr), action);
  return 0;
}

void* plat_vir2g(void* routine, void* /*task_word*/, void* /*pidb*/) { return routine; }

void* plat_xtanch() {
  static parser_anchor anchor;
  return &anchor;
}

int plat_wztxdotr() { return 1; }

int plat_xsfixsym(int nclasses, int nterminals, int symtbl_len, kes_gramdesc** desc) {
  if (desc == nullptr || *desc == nullptr) return 1;
  const kes_gramdesc* d = *desc;
  if (d->nclasses != nclasses || d->nterminals != nterminals || symtbl_len <= 0) return 1;
  symbols_of(d);
  return 0;
}

host_parsestat* plat_xspstat() { return &status(); }

void plat_xspplace(const kes_stmt* node, int slot) {
  plat::next_message_frame() = nullptr;
  plat::next_message_keeps_group() = slot == KES_STMT_KEYWORD_GROUP;
  if (slot == KES_STMT_KEYWORD_GROUP) slot = KES_STMT_KEYWORD;
  const parser* p = current().get();
  if (p == nullptr || node == nullptr) return;
  for (const node_store& n : p->sem.nodes) {
    if (&n.node != node) continue;
    const bool keyword = slot == KES_STMT_KEYWORD;
    if (keyword ? n.col == 0
                : slot < 0 || slot >= static_cast<int>(n.places.size()) || n.places[static_cast<size_t>(slot)].first == 0)
      return;
    const auto [line, col] = keyword ? std::pair<int, int>{n.line, n.col} : n.places[static_cast<size_t>(slot)];
    const plat::step_source& src = plat::current_step();
    const int pline = src.first_line + line - 1;
    const int pcol = line == 1 ? src.first_column + col - 1 : col;
    // The statement that wrote the slot, else the one the node was begun by.
    const std::string& writer = keyword ? std::string() : n.place_stmts[static_cast<size_t>(slot)];
    std::string stmt = writer.empty() ? n.stmt_name : writer;
    for (char& c : stmt) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string file = p->file;
    plat::next_message_frame() = [file, pline, pcol, stmt](plat::msg_kind kind, const std::string& text) {
      // The sentence gives its full stop to the frame.
      const bool stop = !text.empty() && text.back() == '.' && (text.size() < 2 || text[text.size() - 2] != '.');
      // A text that names its statement itself is not told it again.
      const bool named = text.find("the " + stmt + " statement") != std::string::npos ||
                         text.rfind("The " + stmt + " statement", 0) == 0 ||
                         (stmt == "PROC" && text.find("the PROC KESTRAVINE statement") != std::string::npos);
      return frame_message(kind, file, pline, pcol, stop ? text.substr(0, text.size() - 1) : text, named ? "" : stmt);
    };
    return;
  }
}

int plat_zparm(const kes_optslot* slot, int index, char* buffer, int size) {
  if (buffer && size > 0) std::memset(buffer, ' ', static_cast<size_t>(size));
  if (slot == nullptr || !slot->given || slot->list == nullptr || index < 0 || index >= slot->v.count)
    return -1;
  const kes_textentry& e = static_cast<const kes_textentry*>(slot->list)[index];
  int n = std::min(e.length, std::max(size, 0));
  if (buffer && n > 0) std::memcpy(buffer, e.text, static_cast<size_t>(n));
  return n;
}

}  // extern "C"
