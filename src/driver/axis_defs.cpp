// axisprs(ctx, request, slot) -> int: the axis definition named by HAXIS= (slot 19)
// or VAXIS= (slot 62) of a plot statement, read from the graphics catalog into the
// axis record of the request's device layout; keslvax reads its two text streams
// (tick values and label) into lines of host text records.
//
// A member is a header record and, for each part whose length the header gives
// above 0, one record in a fixed order. Every stream item is bounds-checked before
// its operand is read, and a record longer than the buffer is refused.
#include <cctype>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "driver/kes_plot_grammar.h"
#include "driver/plot_checks.h"
#include "driver/unbuilt_notes.h"
#include "host/host_services.h"
#include "host/step_codes.h"
#include "kes_msg_names.h"
#include "records/kes_ctx.h"
#include "records/kes_layout.h"
#include "records/pool_alloc.h"
#include "util/kes_eps.h"
#include "util/kes_minmax.h"
#include "util/kes_text.h"

namespace {

constexpr int kNoLayout = 1, kBadStream = 4, kUnusable = 3000;
constexpr int kHeaderSize = 136;
constexpr double kAngleTol = 0.125;
constexpr double kFlatAngle = 0.0125;
constexpr char kUnits[9] = " PCILDTA";
constexpr std::uint8_t kOrderUnusable = 0x40;

// Header offsets.
constexpr int kColor = 4, kOriginX = 28, kOriginY = 36, kOffBefore = 44, kOffAfter = 52, kLength = 60, kHdr68 = 68,
              kWidth = 92, kHdr94 = 94, kUnitBase = 96, kHdr106 = 106, kLenValues = 108, kLenLabel = 110,
              kLenThird = 112, kLenOrder = 114, kLenMajor = 116, kLenMinor = 118, kLenSpare = 120, kFlags = 124;

double rd_double(const std::uint8_t* b, int off) {
  double v;
  std::memcpy(&v, b + off, sizeof v);
  return v;
}
std::int16_t rd_i16(const std::uint8_t* b, int off) {
  std::int16_t v;
  std::memcpy(&v, b + off, sizeof v);
  return v;
}
void wr_double(std::uint8_t* b, int off, double v) { std::memcpy(b + off, &v, sizeof v); }
void wr_i16(std::uint8_t* b, int off, std::int16_t v) { std::memcpy(b + off, &v, sizeof v); }

// Size of the stream item at pos, its operand included; -1 after message KES_MSG_AXIS_DEFINITION_DAMAGED (a
// code 0, or an item running past the stream), -2 after KES_MSG_AXIS_DEFINITION_UNKNOWN_ITEM (an unknown code).
int item_size(const std::uint8_t* s, int pos, int len) {
  int size = 0;
  switch (s[pos]) {
    case 0:
      xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_DEFINITION_DAMAGED);
      return -1;
    case 'A': case 'C': case 'R': case 'W': case 'd': size = 9; break;
    case 'D': size = 25; break;
    case 'H': size = 10; break;
    case 'J': case 'X': case 'Y': size = 2; break;
    case 'N': case 'T': size = 3; break;
    case 'F': case 'Q': size = pos + 1 < len ? 2 + s[pos + 1] : 2; break;
    default:
      xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_DEFINITION_UNKNOWN_ITEM);
      return -2;
  }
  if (pos + size > len) {
    xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_DEFINITION_DAMAGED);
    return -1;
  }
  return size;
}

// Whether every item of a stream is well formed; counts its T and Q items and the
// highest tick number. A tick number below 1 is refused like an unknown item.
bool scan_stream(const std::uint8_t* s, int len, int* max_tick, int* nq, bool* any_t) {
  for (int pos = 0; pos < len;) {
    const int size = item_size(s, pos, len);
    if (size < 0) return false;
    if (s[pos] == 'T') {
      const int t = rd_i16(s, pos + 1);
      if (t < 1) {
        xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_DEFINITION_UNKNOWN_ITEM);
        return false;
      }
      *max_tick = kes::max(*max_tick, t);
      *any_t = true;
    }
    if (s[pos] == 'Q') ++*nq;
    pos += size;
  }
  return true;
}

int unit_code(char letter) {
  const char* at = std::strchr(kUnits, letter);
  return at != nullptr && letter != '\0' ? static_cast<int>(at - kUnits) : 0;
}

struct reader {
  kes_ctx* ctx;
  kes_preq* request;
  kes_axis* ax;
  int axis_no;  // 1 horizontal, 2 vertical
  bool failed = false;

  template <class T>
  T* take(long n = 1) {
    return static_cast<T*>(kes_zalloc(ctx->runpool, static_cast<long>(sizeof(T)) * n, KES_ALLOC_2, &failed));
  }
};

// keslvax: mode 1 the tick-value stream, mode 0 the label stream.
int keslvax(reader& rd, const std::uint8_t* s, int len, int mode, bool seq) {
  kes_axis* ax = rd.ax;
  kes_textline* line = rd.take<kes_textline>();
  host_gtext* rec = rd.take<host_gtext>();
  if (rd.failed) return KES_RC_OUT_OF_MEMORY;
  const int default_just = rd.axis_no == 1 ? 4 : 2;
  line->just = default_just;
  line->first = rec;
  (mode == 1 ? ax->value_lines : ax->label_lines) = line;
  int& head_just = mode == 1 ? ax->value_just : ax->label_just;
  head_just = default_just;
  ggstri(rec);
  if (ax->color[0] != ' ') std::memcpy(rec->color, ax->color, 8);
  else if (kes_pgiven(rd.request->stmt, KES_PLOT_SLOT_CTEXT))
    std::memcpy(rec->color, kes_pslot(rd.request->stmt, KES_PLOT_SLOT_CTEXT)->v.name, 8);
  else std::memset(rec->color, ' ', 8);
  rec->just = default_just;
  rec->word = 1;
  std::memset(rec->font, ' ', 8);
  host_gtext* def = mode == 1 ? &ax->def->value : &ax->def->label;
  *def = *rec;
  bool first_j = true, first_h = true, first_f = true, first_c = true, first_t = true;
  double& rot = mode == 1 ? ax->value_rot : ax->label_rot;
  double& angle = mode == 1 ? ax->value_angle : ax->label_angle;

  // A new line whose first record inherits the current one's attributes; the empty
  // record that ends the old line moves to the new one.
  auto new_line = [&]() {
    kes_textline* nl = rd.take<kes_textline>();
    host_gtext* nr = rec;
    if (rec->text == nullptr && rec->prev != nullptr) rec->prev->next = nullptr;
    else nr = rd.take<host_gtext>();
    if (rd.failed) return false;
    if (nr != rec) *nr = *rec;
    nr->text = nullptr, nr->length = 0, nr->next = nr->prev = nullptr;
    nl->just = line->just;
    nl->first = nr;
    line->next = nl;
    line = nl;
    rec = nr;
    ++ax->lines;
    return true;
  };

  for (int pos = 0; pos < len;) {
    const int size = item_size(s, pos, len);
    if (size < 0) return kBadStream;
    const std::uint8_t* op = s + pos + 1;
    switch (s[pos]) {
      case 'T':
        if (mode == 1) {
          if (!first_t && !new_line()) return KES_RC_OUT_OF_MEMORY;
          first_t = false;
          ax->tick_texts[rd_i16(op, 0) - 1] = line;
        }
        break;
      case 'Q': {
        const int n = op[0];
        char* copy = rd.take<char>(n + 1);
        host_gtext* next = rd.take<host_gtext>();
        if (rd.failed) return KES_RC_OUT_OF_MEMORY;
        std::memcpy(copy, op + 1, static_cast<size_t>(n));
        rec->text = copy;
        rec->length = static_cast<std::uint16_t>(n);
        if (mode == 0) ax->label_text = 1;
        if (mode == 1) ++ax->value_pieces;
        if (seq) ax->seq_texts[ax->nseq++] = rec;
        ax->lines = kes::max(ax->lines, 1);
        ++line->pieces;
        *next = *rec;
        next->text = nullptr, next->length = 0, next->next = nullptr, next->prev = rec;
        rec->next = next;
        rec = next;
        break;
      }
      case 'J': {
        if (line->pieces > 0 && !new_line()) return KES_RC_OUT_OF_MEMORY;
        const int j = op[0] == 'L' ? 1 : op[0] == 'R' ? 2 : 4;
        line->just = rec->just = j;
        if (first_j) head_just = j;
        first_j = false;
        break;
      }
      case 'H':
        rec->height = static_cast<float>(ggl2pct(0, unit_code(static_cast<char>(op[0])), 2, rd_double(op, 1)));
        rec->height_given = 1;
        if (first_h) def->height = rec->height, def->height_given = 1;
        first_h = false;
        break;
      case 'F': {
        char name[256];
        std::memset(name, ' ', sizeof name);
        std::memcpy(name, op + 1, op[0]);
        ggfname(name, 256, rec->font);
        rec->font_given = 1;
        kes_axis_font_read(rd.ctx);
        if (first_f) std::memcpy(def->font, rec->font, 8), def->font_given = 1;
        first_f = false;
        break;
      }
      case 'C':
        std::memcpy(rec->color, op, 8);
        if (first_c) std::memcpy(def->color, op, 8);
        first_c = false;
        break;
      case 'A': angle = rd_double(op, 0); break;
      case 'R': rot = rd_double(op, 0); break;
      case 'X':
        if (op[0] == 'C' || op[0] == 'L' || op[0] == 'R') ax->hjust = static_cast<char>(op[0]);
        break;
      case 'Y':
        if (op[0] == 'B' || op[0] == 'M' || op[0] == 'T') ax->vjust = static_cast<char>(op[0]);
        break;
      default:
        break;  // D, N, W and d are skipped
    }
    pos += size;
  }
  // A trailing record without text is dropped (the first of a chain stays).
  if (rec->text == nullptr && rec->prev != nullptr) rec->prev->next = nullptr;

  if (std::isnan(rot)) rot = 0;
  if (std::isnan(angle)) angle = 0;
  auto near = [](double a, double b) { return std::fabs(a - b) <= kAngleTol; };
  const bool given = rot != 0 || angle != 0;
  if (rd.axis_no == 2 && mode == 1) {
    ax->value_orient = !given ? 0 : near(angle, 0) && near(rot, 0) ? 3 : 0;
    if (given && !(near(angle, 0) && near(rot, 0)))
      xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_TEXT_ANGLE_UNSUPPORTED, "vertical");
  } else if (rd.axis_no == 2) {
    ax->label_orient = kes_flag(rd.request->stmt, KES_PLOT_FLAG_TURNVLABELS) ? 4
                       : !given                                     ? 0
                       : near(angle, 0) && near(rot, 0)             ? 3
                       : near(angle, 90) && near(rot, 0)            ? 1
                       : near(angle, -90) && near(rot, 90)          ? 4
                                                                    : 2;
  } else if (mode == 0) {
    ax->label_orient = near(angle, 0) && near(rot, 0) ? 3 : 2;
  } else if (std::fabs(angle) > 90 && !(near(angle, -90) && near(rot, 90))) {
    xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_TEXT_ANGLE_UNSUPPORTED, "horizontal");
  }
  return 0;
}

// The member's next record into buf (at most cap bytes); its length, or -1.
int next_record(void* member, std::uint8_t* buf, int cap) {
  host_member_read rr{buf, 0, cap};
  return xlmread(member, &rr) == 0 ? rr.length : -1;
}

// The ORDER= values of the definition. 'order_present' is set whenever the member
// has them; the values are read only for an axis that can use them.
int read_order(reader& rd, void* member, std::uint8_t* buf, int cap, int len, bool unusable, const char* option) {
  kes_axis* ax = rd.ax;
  const kes_stmt* s = rd.request->stmt;
  ax->order_present = 1;
  if (rd.axis_no == 1 && (kes_pgiven(s, KES_PLOT_SLOT_MIDPOINTS) || kes_pslot(s, KES_PLOT_SLOT_ENDPOINTS)->given == 3))
    return 0;  // bins given on the statement: the bin checks report the conflict
  const bool rotate = kes_flag(s, KES_PLOT_FLAG_ROTATE);
  if ((rd.request->type == KES_PLOT_PROB || kes_flag(s, KES_PLOT_FLAG_PCTLSCALE)) &&
      (rd.axis_no == 1 ? !rotate : rotate)) {
    xpmlog(KES_SET_PROC, KES_MSG_AXIS_ORDER_IGNORED_ON_PERCENTILE_AXIS, option);
    return 0;
  }
  if (next_record(member, buf, cap) != len) {
    xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_DEFINITION_PART_UNREADABLE, "ORDER");
    return KES_RC_STEP_FAILED;
  }
  if (unusable) {
    xpmlog(KES_SET_PROC, KES_MSG_AXIS_ORDER_UNUSABLE, option);
    return kUnusable;
  }
  const int n = len / 8;
  double* v = rd.take<double>(kes::max(n, 1));
  if (rd.failed) return KES_RC_SETUP_FAILED;
  std::memcpy(v, buf, static_cast<size_t>(n) * 8);
  if (n < 2) {
    xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_ORDER_TOO_SHORT);
    return kUnusable;
  }
  const int steps = kes_tick_steps(v, n);
  if (steps != KES_STEPS_EQUAL) {
    xpmlog(KES_SET_GRAPH, steps == KES_STEPS_NOT_INCREASING ? KES_MSG_AXIS_ORDER_NOT_INCREASING
                                                            : KES_MSG_AXIS_ORDER_NOT_EQUALLY_SPACED);
    return kUnusable;
  }
  ax->norder = n;
  ax->order = v;
  return 0;
}

// The header's origins, offsets and length, widths, copied fields and colour.
void apply_header(reader& rd, const kes_stmt* s, bool horizontal, const char* option, const std::uint8_t* hdr) {
  kes_axis* ax = rd.ax;
  for (int i = 0; i < 2; ++i) {
    const double v = rd_double(hdr, i == 0 ? kOriginX : kOriginY);
    ax->origin[i] = v >= 0 ? ggl2pct(0, rd_i16(hdr, kUnitBase + 2 * i), i + 1, v) : -1.0;
    ax->origin_unit[i] = v >= 0 ? rd_i16(hdr, kUnitBase + 2 * i) : 0;
  }
  ax->hjust = 'C', ax->vjust = 'M';
  const int off_slot = horizontal ? KES_PLOT_SLOT_HOFFSET : KES_PLOT_SLOT_VOFFSET;
  if (kes_pgiven(s, off_slot)) {
    ax->offset[1] = kes_pnumber(s, off_slot);
    ax->offset[0] = horizontal ? ax->offset[1] : -1.0;
  } else {
    for (int i = 0; i < 2; ++i) {
      const double v = rd_double(hdr, i == 0 ? kOffBefore : kOffAfter);
      ax->offset[i] = v >= 0 ? ggl2pct(0, rd_i16(hdr, kUnitBase + 4 + 2 * i), rd.axis_no, v) : -1.0;
    }
  }
  const double len = rd_double(hdr, kLength);
  ax->length = len >= 0 ? ggl2pct(0, rd_i16(hdr, kUnitBase + 8), rd.axis_no, len) : -1.0;
  ax->length_unit = len >= 0 ? rd_i16(hdr, kUnitBase + 8) : 0;

  // Widths, copied fields, colour.
  const bool waxis = kes_pgiven(s, KES_PLOT_SLOT_WAXIS);
  const int hw = rd_i16(hdr, kWidth);
  ax->width = static_cast<std::int16_t>(waxis ? static_cast<int>(kes_pnumber(s, KES_PLOT_SLOT_WAXIS)) : hw > 0 ? hw : -1);
  ax->major_width = ax->minor_width = static_cast<std::int16_t>(waxis ? ax->width : 1);
  ax->hdr106 = static_cast<std::int16_t>(kes::max(rd_i16(hdr, kHdr106), -1));
  std::memcpy(ax->color, hdr + kColor, 8);
  if (ax->color[0] == ' ') std::memset(ax->color, ' ', 8);
  ax->hdr68 = rd_double(hdr, kHdr68);
  ax->hdr94 = rd_i16(hdr, kHdr94);
  if (ax->hdr68 > 0) xpmlog(KES_SET_PROC, KES_MSG_AXIS_SETTING_IGNORED, option);
}

// The major and minor tick records (lengths lmaj and lmin, 0 when absent): 0, or the
// status that ends the definition.
int read_tick_marks(reader& rd, void* member, std::uint8_t* buf, int cap, int lmaj, int lmin) {
  kes_axis* ax = rd.ax;
  for (int tick = 0; tick < 2; ++tick) {
    const int lt = tick == 0 ? lmaj : lmin;
    if (lt <= 0) continue;
    if (next_record(member, buf, cap) != lt) {
      if (tick == 0) xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_MAJOR_TICKS_UNREADABLE);
      else xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_DEFINITION_PART_UNREADABLE, "MINOR");
      return KES_RC_STEP_FAILED;
    }
    std::int16_t& width = tick == 0 ? ax->major_width : ax->minor_width;
    std::int16_t& count = tick == 0 ? ax->major_count : ax->minor_count;
    double& length = tick == 0 ? ax->major_len : ax->minor_len;
    char* color = tick == 0 ? ax->major_color : ax->minor_color;
    for (int pos = 0; pos < lt;) {
      const int size = item_size(buf, pos, lt);
      if (size < 0) return kBadStream;
      const std::uint8_t* op = buf + pos + 1;
      switch (buf[pos]) {
        case 'W': width = static_cast<std::int16_t>(rd_double(op, 0)); break;
        case 'N':
          count = rd_i16(op, 0);
          if (tick == 0) xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_MAJOR_TICK_COUNT_IGNORED);
          break;
        case 'H': length = ggl2pct(0, unit_code(static_cast<char>(op[0])), 3 - rd.axis_no, rd_double(op, 1)); break;
        case 'C': std::memcpy(color, op, 8); break;
        default: break;
      }
      pos += size;
    }
  }
  return 0;
}

enum class axis_found { found, no_catalog, undefined, refused };

// Opens the AXISn member the option in slot names (its name, upper case, in name) and
// reads its header record; *dir and *member are left for the caller to close.
axis_found open_definition(kes_ctx* ctx, const kes_stmt* s, int slot, char name[8], void** dir, void** member,
                           std::uint8_t* hdr) {
  std::memcpy(name, kes_pslot(s, slot)->v.name, 8);
  for (int i = 0; i < 8; ++i) name[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
  if (xldopen(ctx->gcb, "GLOBAL  ", 0, dir) != 0) return axis_found::no_catalog;
  char prefix[8];
  int number = -1;
  znamsuf(1, name, 8, prefix, 8, &number);
  host_member_name mn{8, {}, {'G', 'L', 'O', 'B', 'A', 'L', ' ', ' '}, 256, 1};
  if (number < 0 || znamfix(1, "AXI", 3, number, 5, mn.name, 8) < 0) return axis_found::undefined;
  const int opened = xlmopen(&mn, member);
  if (opened == HOST_MEMBER_REFUSED) return axis_found::refused;
  if (opened != 0 || next_record(*member, hdr, kHeaderSize) < 0) return axis_found::undefined;
  return axis_found::found;
}

}  // namespace

int axisprs(kes_ctx* ctx, kes_preq* request, int slot) {
  const kes_stmt* s = request->stmt;
  const bool horizontal = slot == KES_PLOT_SLOT_HAXIS;
  const char* option = horizontal ? "HAXIS=" : "VAXIS=";
  if (request->layout == nullptr) {
    if (!kes_pgiven(s, slot)) return kNoLayout;
    // Unused here, but a name no AXIS statement defined is a mistake all the same.
    char name[8];
    void* dir = nullptr;
    void* member = nullptr;
    std::uint8_t hdr[kHeaderSize] = {};
    const axis_found found = open_definition(ctx, s, slot, name, &dir, &member, hdr);
    if (member != nullptr) xlmclos(member, 0);
    if (dir != nullptr) xldclos(dir);
    xspplace(s, slot);
    if (found == axis_found::undefined)
      xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_DEFINITION_IGNORED_UNDEFINED, option, 8, name);
    else
      xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_DEFINITION_ONLY_ON_DEVICE, option);
    return kNoLayout;
  }
  reader rd{ctx, request, horizontal ? &request->layout->haxis : &request->layout->vaxis, horizontal ? 1 : 2};
  kes_axis* ax = rd.ax;

  std::uint8_t hdr[kHeaderSize] = {};
  std::memset(hdr + kColor, ' ', 8);
  for (int off : {kOriginX, kOriginY, kOffBefore, kOffAfter, kLength}) wr_double(hdr, off, -1.0);
  for (int off : {kHdr106, kLenValues, kLenLabel, kLenThird, kLenOrder, kLenMajor, kLenMinor, kLenSpare})
    wr_i16(hdr, off, -1);

  ax->def = rd.take<kes_axisdef>();
  if (rd.failed) return KES_RC_SETUP_FAILED;
  std::memset(ax->def->label.font, ' ', 8), std::memset(ax->def->label.color, ' ', 8);
  std::memset(ax->def->value.font, ' ', 8), std::memset(ax->def->value.color, ' ', 8);
  ax->label_default = &ax->def->label;
  ax->value_default = &ax->def->value;

  void* dir = nullptr;
  void* member = nullptr;
  std::uint8_t* buf = nullptr;
  auto close = [&](int r) {
    if (member != nullptr) xlmclos(member, 0);
    if (dir != nullptr) xldclos(dir);
    return r;
  };
  if (kes_pgiven(s, slot)) {
    char name[8];
    const axis_found found = open_definition(ctx, s, slot, name, &dir, &member, hdr);
    if (found == axis_found::no_catalog) {
      xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_CATALOG_NOT_OPENED);
      return KES_RC_STEP_FAILED;
    }
    if (found == axis_found::undefined || found == axis_found::refused) {
      xspplace(s, slot);
      xpmlog(KES_SET_GRAPH,
             found == axis_found::refused ? KES_MSG_AXIS_DEFINITION_REFUSED : KES_MSG_AXIS_DEFINITION_NOT_DEFINED,
             option, 8, name);
      return close(KES_RC_STEP_FAILED);
    }
  }

  apply_header(rd, s, horizontal, option, hdr);
  const int lv = rd_i16(hdr, kLenValues), ll = rd_i16(hdr, kLenLabel), l3 = rd_i16(hdr, kLenThird),
            lmaj = rd_i16(hdr, kLenMajor), lmin = rd_i16(hdr, kLenMinor), lord = rd_i16(hdr, kLenOrder);
  ax->value_none = lv == 0, ax->label_none = ll == 0, ax->major_none = lmaj == 0, ax->minor_none = lmin == 0;
  std::memset(ax->major_color, ' ', 8), std::memset(ax->minor_color, ' ', 8);
  ax->major_len = ax->minor_len = -1.0;
  ax->major_count = ax->minor_count = -1;
  const double missing = std::nan("");
  ax->value_rot = ax->value_angle = ax->label_rot = ax->label_angle = missing;
  if (member == nullptr) return 0;

  const int cap = kes::max(kes::max(kes::max(lv, ll), kes::max(l3, lord)), kes::max(lmaj, lmin));
  if (cap > 0) {
    buf = rd.take<std::uint8_t>(cap);
    if (rd.failed) return close(KES_RC_SETUP_FAILED);
  }

  if (lv > 0) {
    if (next_record(member, buf, cap) != lv) {
      xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_TICK_VALUES_UNREADABLE);
      return close(KES_RC_STEP_FAILED);
    }
    int nq = 0;
    bool any_t = false;
    if (!scan_stream(buf, lv, &ax->max_tick, &nq, &any_t)) return close(kBadStream);
    if (any_t) ax->tick_texts = rd.take<kes_textline*>(ax->max_tick);
    else if (nq > 0) ax->seq_texts = rd.take<host_gtext*>(nq);
    if (rd.failed) return close(KES_RC_SETUP_FAILED);
    const int r = keslvax(rd, buf, lv, 1, !any_t);
    if (r != 0) return close(r);
    if (horizontal) {
      if (ax->value_angle < -90 || ax->value_angle > 90) {
        xpmlog(KES_SET_GRAPH, KES_MSG_HAXIS_ANGLE_OUT_OF_RANGE);
        return close(kUnusable);
      }
      ax->value_orient = std::fabs(ax->value_angle) <= kFlatAngle ? 3 : 2;
    }
  }
  if (ll > 0) {
    if (next_record(member, buf, cap) != ll) {
      xpmlog(KES_SET_GRAPH, KES_MSG_AXIS_LABEL_UNREADABLE);
      return close(KES_RC_STEP_FAILED);
    }
    ax->label_given = 1;
    const int r = keslvax(rd, buf, ll, 0, false);
    if (r != 0) return close(r);
  }
  if (l3 > 0 && next_record(member, buf, cap) != l3) return close(KES_RC_STEP_FAILED);
  if (const int r = read_tick_marks(rd, member, buf, cap, lmaj, lmin); r != 0) return close(r);
  if (lord > 0) return close(read_order(rd, member, buf, cap, lord, (hdr[kFlags] & kOrderUnusable) != 0, option));
  return close(0);
}

int kes_layout_vorder_count(const kes_preq* request) {
  return request->layout != nullptr ? request->layout->vaxis.norder : 0;
}

int kes_tick_steps(const double* v, int n) {
  // Equal within the rounding of the larger end value.
  const double eps = KES_EPS53;  // 2^-53
  const double d = n > 1 ? v[1] - v[0] : 0;
  const double tol = n > 1 ? kes::fmax(1000 * eps * kes::fmax(std::fabs(v[0]), std::fabs(v[n - 1])), eps) : eps;
  for (int i = 1; i < n; ++i)
    if (!(v[i] > v[i - 1])) return KES_STEPS_NOT_INCREASING;
  for (int i = 1; i < n; ++i)
    if (std::fabs((v[i] - v[i - 1]) - d) > tol) return KES_STEPS_UNEQUAL;
  return KES_STEPS_EQUAL;
}
