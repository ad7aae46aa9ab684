// Locale number, money and percent reading.
#include "locale/locale_number_read.h"

#include <cmath>
#include <cstring>

#include "locale/locale_items.h"
#include "host/host_services.h"
#include "numeric/number_routines.h"
#include "util/kes_text.h"

namespace {

enum class reader { number, money, percent };

// The work area: the text's first characters and room for a leading "-".
struct work_area {
  char text[KES_NUM_MAX_TEXT + 1];
  int n = 0;
  int first() const {
    int i = 0;
    while (i < n && text[i] == ' ') ++i;
    return i;
  }
  int last() const {
    int i = n - 1;
    while (i >= 0 && text[i] == ' ') --i;
    return i;
  }
  int count(char c) const {
    int k = 0;
    for (int i = 0; i < n; ++i) k += text[i] == c;
    return k;
  }
  void erase(char c) { n = wzstdel(text, n, &c, 1); }
};

// Where a sign may stand: 1 before the number, 2 after it, 3 and 4 (next to the
// currency, which may stand on either side) before or after it.
bool sign_in_place(const work_area& w, char sign, int position) {
  if (w.count(sign) != 1) return false;
  const int at = static_cast<int>(static_cast<const char*>(std::memchr(w.text, sign, static_cast<size_t>(w.n))) - w.text);
  const bool before = at == w.first(), after = at == w.last();
  if (position == 1) return before;
  if (position == 2) return after;
  return before || after;
}

bool parentheses_in_place(const work_area& w) {
  return w.count('(') == 1 && w.count(')') == 1 && w.text[w.first()] == '(' && w.text[w.last()] == ')';
}

// Takes the sign of the given kind off the text: 1 taken, 0 none there, -1 a sign
// stands where the locale writes none.
int take_sign(work_area& w, char sign, int position) {
  if (position == 0) {
    if (w.count('(') == 0 && w.count(')') == 0) return 0;
    if (!parentheses_in_place(w)) return -1;
    w.erase('(');
    w.erase(')');
    return 1;
  }
  if (sign == '\0' || w.count(sign) == 0) return 0;
  if (!sign_in_place(w, sign, position)) return -1;
  w.erase(sign);
  return 1;
}

int read_locale_number(reader kind, const char* locale_text, int item, host_numreq* request) {
  if (locale_text != nullptr || item <= 0) return -1;
  if (kind == reader::money && item != 113 && item != 114) return -1;
  const host_locale_item* rec = kes_locale_item(0, item);
  if (rec == nullptr || rec->numeric == nullptr) return -1;
  const host_numconv& c = *rec->numeric;
  const double missing = v_global_gcb_anchor->consts->std_missing;

  work_area w;
  w.n = request->length < request->width ? request->length : request->width;
  if (w.n > KES_NUM_MAX_TEXT) w.n = KES_NUM_MAX_TEXT;
  if (w.n < 0 || request->text == nullptr) w.n = 0;
  if (w.n > 0) std::memcpy(w.text, request->text, static_cast<size_t>(w.n));
  if (kind == reader::money) w.n = wzstdel(w.text, w.n, c.currency, static_cast<int>(strnlen(c.currency, sizeof c.currency)));
  // Grouping and decimal characters change places in one pass.
  if (c.grouping != ',')
    for (int i = 0; i < w.n; ++i) {
      if (w.text[i] == c.grouping) w.text[i] = ',';
      else if (w.text[i] == c.decimal) w.text[i] = '.';
    }
  int negative = take_sign(w, c.negative_sign, c.negative_position);
  if (negative == 0) {
    if (take_sign(w, c.positive_sign, c.positive_position) < 0) negative = -1;
  }
  // What is left of the signs stands where the locale writes none.
  if (negative < 0 || w.count('-') || w.count('(') || w.count(')')) {
    *request->result = missing;
    request->size = 8;
    return KES_NUM_SIGN_PLACE;
  }
  for (int i = 0; i < w.n; ++i)
    if (w.text[i] == '\'') w.text[i] = ' ';
  if (negative == 1) {
    std::memmove(w.text + 1, w.text, static_cast<size_t>(w.n));
    w.text[0] = '-';
    ++w.n;
  }
  host_numreq copy = *request;
  copy.text = w.text;
  copy.length = w.n;
  if (wzstpos(w.text, w.n, '.') < 0) copy.decimals = 0;
  const int status = kind == reader::percent ? zifmpct(&copy) : zifmcma(&copy);
  request->size = copy.size;
  return status;
}

}  // namespace

int zkifnum(const char* locale_text, int item, host_numreq* request) {
  return read_locale_number(reader::number, locale_text, item, request);
}

int zkifmny(const char* locale_text, int item, host_numreq* request) {
  return read_locale_number(reader::money, locale_text, item, request);
}

int zkifpct(const char* locale_text, int item, host_numreq* request) {
  return read_locale_number(reader::percent, locale_text, item, request);
}
