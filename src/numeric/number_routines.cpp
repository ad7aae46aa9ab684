// Number routines: powers, name lists and the readers of formatted numbers.
#include "numeric/number_routines.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host/host_services.h"
#include "numeric/zmissing.h"
#include "util/kes_text.h"

namespace {
double host_missing() { return v_global_gcb_anchor->consts->std_missing; }
}  // namespace

double zpow10(int k) {
  // Below 1e-308 the power to invert would overflow first: the rest of the way down is
  // taken as a factor, so that the subnormal powers (to 1e-323) are had.
  if (k < -308) return k < -400 ? 0.0 : zpow10(k + 300) * 1e-300;
  static const double t[9] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
  unsigned m = k < 0 ? 0u - static_cast<unsigned>(k) : static_cast<unsigned>(k);
  double r = t[m % 8];
  double p = t[8];
  for (unsigned bits = m / 8; bits != 0; bits >>= 1) {
    if (bits & 1u) r *= p;
    p *= p;
  }
  return k < 0 ? 1.0 / r : r;
}

double zpower(double x, double y, int* status) {
  *status = KES_POW_OK;
  auto fail = [&](int s) {
    *status = s;
    return host_missing();
  };
  if (x == 0) {
    if (!(y > 0)) return fail(KES_POW_ZERO_BASE);
    return 0.0;
  }
  if (y == 0) return 1.0;
  if (y == 1) return x;
  const double ay = std::fabs(y);
  bool integer = false, odd = false;
  unsigned long n = 0;
  if (ay < 2147483647.0) {
    n = static_cast<unsigned long>(ay);
    integer = static_cast<double>(n) == ay;
    odd = (n & 1u) != 0;
  }
  if (x < 0 && !integer) return fail(KES_POW_NEGATIVE_BASE);
  const double ax = std::fabs(x);
  if (ax == 1) return x < 0 && odd ? -1.0 : 1.0;
  if (ay >= 1.3407807929943e154) {
    if (ax > 1) return y > 0 ? fail(KES_POW_OVERFLOW) : 0.0;
    return y < 0 ? fail(KES_POW_OVERFLOW) : 0.0;
  }
  const double t = std::log(ax) * y * (1 + 6 * ZEPS53);
  if (t >= 709.782712893384) return fail(KES_POW_OVERFLOW);
  if (t < -708.3964185) return 0.0;
  double r;
  if (integer && std::fabs(t) < 52 * 1.3862943611198906) {
    r = 1.0;
    double b = ax;
    for (unsigned long e = n; e != 0; e >>= 1) {
      if (e & 1u) r *= b;
      b *= b;
    }
    if (y < 0) r = 1.0 / r;
  } else {
    r = std::pow(ax, y);
  }
  return x < 0 && odd ? -r : r;
}

int zgetnmr(const kes_nameblock* list, int k, const char** text, int* length) {
  if (list == nullptr || k < 0) return 1;
  int first = 0;
  while (list != nullptr && list->last < k) {
    first = list->last + 1;
    list = list->next;
  }
  if (list == nullptr) return 1;
  const unsigned char* p = list->names();
  for (int i = first; i < k; ++i) p += 1 + p[0];
  *text = reinterpret_cast<const char*>(p + 1);
  *length = p[0];
  return 0;
}

namespace {

int check_request(const host_numreq* r) {
  if ((r->flags & 1) == 0) return 0;
  if (r->width < 1) return KES_NUM_BAD_WIDTH_LOW;
  if (r->width > KES_NUM_MAX_TEXT) return KES_NUM_BAD_WIDTH_HIGH;
  if (r->decimals < 0) return KES_NUM_BAD_DECIMALS_LOW;
  if (r->decimals > 31) return KES_NUM_BAD_DECIMALS_HIGH;
  return 0;
}

// The number of characters a reader takes from the request's text.
int text_take(const host_numreq* r) {
  if (r->text == nullptr) return 0;
  int n = r->length;
  if (r->width < n) n = r->width;
  if (n > KES_NUM_MAX_TEXT) n = KES_NUM_MAX_TEXT;
  return n < 0 ? 0 : n;
}

}  // namespace

int zifmcma(host_numreq* request) {
  if (int s = check_request(request)) return s;
  *request->result = host_missing();
  char work[KES_NUM_MAX_TEXT];
  int n = text_take(request);
  if (n > 0) std::memcpy(work, request->text, static_cast<size_t>(n));
  n = wzstdel(work, n, ",$%) ", 5);
  if (n == 0) return 0;
  int start = 0;
  bool negative = false;
  if (work[0] == '-' || work[0] == '(') {
    negative = true;
    start = 1;
  }
  if (wzstpos(work + start, n - start, '(') >= 0) return KES_NUM_PARENTHESIS;
  while (start < n && work[start] == '-') ++start;
  if (start == n) return KES_NUM_SIGN_ONLY;
  host_numreq rest = *request;
  rest.text = work + start;
  rest.length = n - start;
  rest.width = n - start;
  int status = wzifmn(&rest);
  if (status != 0) {
    int m = wzstdel(work + start, n - start, "-(", 2);
    rest.length = rest.width = m;
    status = wzifmn(&rest);
  }
  if (status == 0 && negative && !std::isnan(*request->result)) *request->result = -*request->result;
  request->size = 8;
  return status;
}

int zifmpct(host_numreq* request) {
  if (int s = check_request(request)) return s;
  const bool percent = wzstpos(request->text, text_take(request), '%') >= 0;
  int status = zifmcma(request);
  if (status == 0 && percent && !std::isnan(*request->result)) *request->result /= 100.0;
  return status;
}
